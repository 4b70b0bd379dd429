// The per-channel status pages end to end: camera streams ("/8002") and the
// event and alarm state ("/8003"), merged with the database.
#include "tests/status/status_fixture.h"

#include <functional>
#include <vector>

namespace {

using Channels = StatusFixture;

status_camera cam(int id, int record_on, int alarm_on) {
    status_camera c;
    std::memset(&c, 0, sizeof c);
    c.main = {1920, 1080, 25, 4096, 1, 2};
    c.sub = {640, 360, 10, 256, 0, 3};
    c.record_on = record_on;
    c.alarm_on = alarm_on;
    c.camera_id = id;
    return c;
}

std::string listed(int id, const std::string& name, int enable, const std::string& ip, int record_on, int alarm_on) {
    return "{ \"id\": " + std::to_string(id) + ", \"name\": \"" + name + "\", \"enable\": " + std::to_string(enable) +
           ", \"ipAddr\": \"" + ip + "\", \"recordOn\": " + std::to_string(record_on) +
           ", \"alarmOn\": " + std::to_string(alarm_on) +
           ", \"main\": { \"res\": { \"width\": 1920, \"height\": 1080 }, \"framerate\": 25, \"bitrate\": 4096, "
           "\"connection\": 1, \"connectStatus\": 2 }, \"sub\": { \"res\": { \"width\": 640, \"height\": 360 }, "
           "\"framerate\": 10, \"bitrate\": 256, \"connection\": 0, \"connectStatus\": 3 } }";
}

std::string unlisted(int id, const std::string& name, int enable, const std::string& ip) {
    const std::string stream =
        "{ \"res\": \"--\", \"framerate\": \"--\", \"bitrate\": \"--\", \"connection\": \"--\" }";
    return "{ \"id\": " + std::to_string(id) + ", \"name\": \"" + name + "\", \"enable\": " + std::to_string(enable) +
           ", \"ipAddr\": \"" + ip + "\", \"recordOn\": \"--\", \"alarmOn\": \"--\", \"main\": " + stream +
           ", \"sub\": " + stream + " }";
}

std::string ipc(const std::vector<std::string>& cams) {
    std::string list;
    for (const std::string& c : cams) list += (list.empty() ? "" : ", ") + c;
    return json_reply("{ \"IPC\": [ " + list + " ] }");
}

TEST_F(Channels, CameraStreamsMergeTheAnswerWithTheChannels) {
    struct row {
        int line;
        int max_cameras;
        std::vector<status_camera> answer;
        std::vector<std::string> cams;
    } rows[] = {
        // Cameras 0 and 2 of 4 listed.
        {__LINE__, 4, {cam(0, 1, 0), cam(2, 0, 1)},
         {listed(0, "Gate", 1, "10.1.1.1", 1, 0), unlisted(1, "CAM2", 0, "--"), listed(2, "CAM3", 0, "--", 0, 1),
          unlisted(3, "CAM4", 0, "--")}},
        // Nothing listed.
        {__LINE__, 2, {}, {unlisted(0, "Gate", 1, "10.1.1.1"), unlisted(1, "CAM2", 0, "--")}},
        // A repeated record and one of an earlier camera do not hold up the
        // cameras after them; cameras beyond the channels offered are not shown.
        {__LINE__, 3, {cam(0, 1, 0), cam(0, 0, 0), cam(1, 1, 1), cam(0, 0, 1), cam(2, 0, 0), cam(5, 1, 1)},
         {listed(0, "Gate", 1, "10.1.1.1", 1, 0), listed(1, "CAM2", 0, "--", 1, 1), listed(2, "CAM3", 0, "--", 0, 0)}},
        // Channels offered are kept to 1..64.
        {__LINE__, 0, {cam(1, 1, 1)}, {unlisted(0, "Gate", 1, "10.1.1.1")}},
        {__LINE__, -5, {}, {unlisted(0, "Gate", 1, "10.1.1.1")}},
    };
    set_camera(0, "10.1.1.1", 1);
    set_osd_name(0, "Gate");
    for (const auto& r : rows) {
        fresh_case();
        set_param_int(TQDB_FILE, "max_cameras", r.max_cameras);
        coresim::bytes payload;
        for (const status_camera& c : r.answer) {
            coresim::bytes one = bytes_of(c);
            payload.insert(payload.end(), one.begin(), one.end());
        }
        core.add_reply(3300, 0, payload);
        EXPECT_EQ(cgi_get(root, "/8002").out, ipc(r.cams)) << "row at line " << r.line;
    }
}

TEST_F(Channels, CameraStreamsShowAtMost64Channels) {
    set_param_int(TQDB_FILE, "max_cameras", 200);
    core.add_reply(3300, 0, bytes_of(cam(63, 1, 1)));
    json_ref obj = json_body(cgi_get(root, "/8002"));
    ASSERT_TRUE(obj);
    json_object* list = req_member(obj, "IPC");
    ASSERT_EQ(json_object_array_length(list), 64u);
    EXPECT_EQ(req_int_or(json_object_array_get_idx(list, 63), "recordOn", -1), 1);
    EXPECT_STREQ(req_str(json_object_array_get_idx(list, 63), "name"), "CAM64");
}

// The event state with one camera, one input and one output offered.
TEST_F(Channels, EventStateOfOneChannelExactly) {
    set_param_int(TQDB_FILE, "max_cameras", 1);
    set_param_int(TQDB_FILE, "alarm_in", 1);
    set_param_int(TQDB_FILE, "alarm_out", 1);
    set_camera(0, "10.1.1.1", 1);
    set_osd_name(0, "Gate");
    alarm_in_record in{};
    in.id = 0;
    set_text(in.name, "Door");
    in.type = 1;
    ASSERT_EQ(write_alarm_in(TQDB_FILE, &in), 0);
    alarm_out_record out{};
    out.id = 0;
    set_text(out.name, "Siren");
    out.type = 1;
    out.duration_time = 30;
    ASSERT_EQ(write_alarm_out(TQDB_FILE, &out), 0);
    alarm_chn_in_name in1{0, 1, {}};
    set_text(in1.alarm_name, "PIR");
    ASSERT_EQ(write_alarm_chnIn_event_name(TQDB_FILE, &in1), 0);
    alarm_chn_out_name out0{0, 0, 15, {}};
    set_text(out0.alarm_name, "Light");
    ASSERT_EQ(write_alarm_chnOut_event_name(TQDB_FILE, &out0), 0);

    status_events ev;
    std::memset(&ev, 0, sizeof ev);
    ev.motion[0] = 1;
    ev.alarm_in_state = 1;
    ev.alarm_out_state = 2;  // output 1 is not offered
    ev.line_crossing[0] = 1;
    ev.human_detection[0] = 2;  // camera 1's bit
    ev.counts[0][0] = 7;
    ev.counts[0][1] = 4000000000u;
    ev.cam_alarm_in_state[1][0] = 1;
    ev.cam_alarm_out_type[0][0] = 1;
    ev.cam_alarm_out_state[1][0] = 1;
    core.add_reply(3305, 0, bytes_of(ev));
    EXPECT_EQ(cgi_get(root, "/8003").out,
              json_reply("{ \"cameras\": [ { \"id\": 0, \"name\": \"Gate\", \"ipAddr\": \"10.1.1.1\", \"videolossOn\": 0, "
                         "\"motionOn\": 1, \"ioOn\": 1, \"entrance\": 0, \"exiting\": 0, \"advancedMotion\": 0, "
                         "\"tampering\": 0, \"lineCrossing\": 1, \"loitering\": 0, \"humanDetection\": 0, "
                         "\"objectleftremove\": 0, \"in\": 7, \"out\": 4000000000, "
                         "\"AlarmInName0\": \"\", \"AlarmInType0\": 0, \"AlarmInState0\": 0, \"AlarmOutName0\": \"Light\", "
                         "\"AlarmOutDelay0\": 15, \"AlarmOutType0\": 1, \"AlarmOutState0\": 0, "
                         "\"AlarmInName1\": \"PIR\", \"AlarmInType1\": 0, \"AlarmInState1\": 1, \"AlarmOutName1\": \"\", "
                         "\"AlarmOutDelay1\": 0, \"AlarmOutType1\": 0, \"AlarmOutState1\": 1 } ], "
                         "\"alarmIn\": [ { \"id\": 0, \"name\": \"Door\", \"type\": 1, \"state\": 1 } ], "
                         "\"alarmOut\": [ { \"id\": 0, \"name\": \"Siren\", \"type\": 1, \"duration\": 30, \"state\": 0 } ] }"));
}

TEST_F(Channels, EventStateBitsAndCounts) {
    status_events ev;
    std::memset(&ev, 0, sizeof ev);
    ev.video_loss[1] = 1;          // camera 32
    ev.tampering[1] = 1u << 31;    // camera 63
    ev.counts[63][0] = 9;
    ev.alarm_in_state = 0xffffu;
    ev.alarm_out_state = 0xfu;
    ev.cam_alarm_in_type[1][1] = 1u << 31;  // camera 63, input 1
    struct row {
        int line;
        int max_cameras, alarm_in, alarm_out;
        size_t cameras, inputs, outputs;
    } rows[] = {
        {__LINE__, 32, 16, 4, 32, 16, 4},
        {__LINE__, 64, 20, 9, 64, 16, 4},   // inputs and outputs beyond the recorder's are not listed
        {__LINE__, 300, 3, 2, 64, 3, 2},
        {__LINE__, 0, -1, 0, 1, 0, 0},
    };
    for (const auto& r : rows) {
        fresh_case();
        set_param_int(TQDB_FILE, "max_cameras", r.max_cameras);
        set_param_int(TQDB_FILE, "alarm_in", r.alarm_in);
        set_param_int(TQDB_FILE, "alarm_out", r.alarm_out);
        core.add_reply(3305, 0, bytes_of(ev));
        json_ref obj = json_body(cgi_get(root, "/8003"));
        ASSERT_TRUE(obj) << "row at line " << r.line;
        json_object* cams = req_member(obj, "cameras");
        ASSERT_EQ(json_object_array_length(cams), r.cameras) << "row at line " << r.line;
        ASSERT_EQ(json_object_array_length(req_member(obj, "alarmIn")), r.inputs) << "row at line " << r.line;
        ASSERT_EQ(json_object_array_length(req_member(obj, "alarmOut")), r.outputs) << "row at line " << r.line;
        for (size_t n = 0; n < r.cameras; ++n) {
            json_object* c = json_object_array_get_idx(cams, n);
            EXPECT_EQ(req_int_or(c, "videolossOn", -1), n == 32) << "camera " << n << ", row at line " << r.line;
            EXPECT_EQ(req_int_or(c, "tampering", -1), n == 63) << "camera " << n << ", row at line " << r.line;
            EXPECT_EQ(req_int_or(c, "in", -1), n == 63 ? 9 : 0) << "camera " << n << ", row at line " << r.line;
            EXPECT_EQ(req_int_or(c, "AlarmInType1", -1), n == 63) << "camera " << n << ", row at line " << r.line;
        }
        for (size_t id = 0; id < r.inputs; ++id)
            EXPECT_EQ(req_int_or(json_object_array_get_idx(req_member(obj, "alarmIn"), id), "state", -1), 1);
    }
}

}  // namespace
