// The general settings pages: device name and information, display outputs,
// retention, UPnP and the automatic restart, each read back from the store
// and the notices the core daemon gets.
#include <sys/stat.h>

#include "platform/msg_device.h"
#include "platform/tqdb/rec_device.h"
#include "platform/tqdb/rec_network.h"
#include "tests/harness/db_faults.h"
#include "tests/maintenance/maintenance_case.h"

namespace xcase {
namespace {

class DeviceSettings : public maintenance_case {
protected:
    static bytes group_text(const char* group) { return padded(group, 32); }
    std::string param(const char* key) {
        char buf[64];
        get_param_value(TQDB_FILE, key, buf, sizeof buf, "-");
        return buf;
    }
};

// "/1012": host name and device number stored and announced; out of range
// gets no reply and changes nothing.
TEST_F(DeviceSettings, DeviceName) {
    struct row {
        int line;
        std::string body, out, host, deviceid;
        std::vector<msg> sent;
    } rows[] = {
        {__LINE__, R"({"hostName":"lobby","deviceId":7})", text_reply("OK"), "lobby", "7",
         {{1705, int_bytes({7})}, {1702, group_text("hostname")}}},
        {__LINE__, R"({"hostName":"x","deviceId":255})", text_reply("OK"), "x", "255",
         {{1705, int_bytes({255})}, {1702, group_text("hostname")}}},
        {__LINE__, R"({"hostName":"lobby","deviceId":0})", "", "NVR", "255", {}},
        {__LINE__, R"({"hostName":"lobby","deviceId":256})", "", "NVR", "255", {}},
        {__LINE__, R"({"hostName":"","deviceId":7})", "", "NVR", "255", {}},
        {__LINE__, R"({"deviceId":7})", "", "NVR", "255", {}},
    };
    for (const auto& r : rows) {
        fresh_case();
        edit_network(TQDB_FILE, [](network_record& n) {
            std::snprintf(n.host_name, sizeof n.host_name, "NVR");
            return 0;
        });
        set_param_value(TQDB_FILE, "deviceid", "255");
        EXPECT_EQ(post("/1012", r.body).out, r.out) << "row at line " << r.line;
        EXPECT_STREQ(read_back<network_record>(tqdb_tbl_network).host_name, r.host.c_str()) << "row at line " << r.line;
        EXPECT_EQ(param("deviceid"), r.deviceid) << "row at line " << r.line;
        expect_sent(r.sent, r.line);
    }
    // A store that fails: the failure, the old name, no notice.
    fresh_case();
    refused_writes refuse(param_target("deviceid"));
    ASSERT_TRUE(refuse);
    EXPECT_EQ(post("/1012", R"({"hostName":"other","deviceId":9})").out, text_failure());
    EXPECT_STREQ(read_back<network_record>(tqdb_tbl_network).host_name, "NVR");
    expect_sent({}, __LINE__);
}

// "/1016" and "/1017": -1, 0, 1 and even numbers up to 12.
TEST_F(DeviceSettings, Retention) {
    struct row {
        int line;
        std::string body;
        bool stored;
        int32_t log, photo;
    } rows[] = {
        {__LINE__, R"({"logRetention":6,"photoRetention":-1})", true, 6, -1},
        {__LINE__, R"({"logRetention":12,"photoRetention":1})", true, 12, 1},
        {__LINE__, R"({"logRetention":4})", true, 4, 0},
        {__LINE__, R"({"logRetention":3,"photoRetention":2})", false},
        {__LINE__, R"({"logRetention":13,"photoRetention":2})", false},
        {__LINE__, R"({"logRetention":2,"photoRetention":-2})", false},
        {__LINE__, R"({"logRetention":14,"photoRetention":0})", false},
    };
    for (const auto& r : rows) {
        fresh_case();
        disk_maintenance_record before{2, 2};
        write_disk_maintenance(TQDB_FILE, &before);
        EXPECT_EQ(post("/1017", r.body).out, r.stored ? text_reply("OK") : "") << "row at line " << r.line;
        auto rec = read_back<disk_maintenance_record>(tqdb_tbl_disk_maintenance);
        EXPECT_EQ(rec.log_retention, r.stored ? r.log : 2) << "row at line " << r.line;
        EXPECT_EQ(rec.photo_retention, r.stored ? r.photo : 2) << "row at line " << r.line;
        if (r.stored)
            expect_sent({{2102, int_bytes({r.log, r.photo})}}, r.line);
        else
            expect_sent({}, r.line);
        if (r.stored) {
            json_ref shown = json_body(get("/1016"));
            EXPECT_EQ(req_int_or(shown, "logRetention", 99), r.log) << "row at line " << r.line;
            EXPECT_EQ(req_int_or(shown, "photoRetention", 99), r.photo) << "row at line " << r.line;
        }
    }
}

// "/6081": the checks, what is stored, the notices in order, "SUB" while
// another client controls the display, the restart after a homologous change.
TEST_F(DeviceSettings, DisplayChange) {
    const std::string base = R"("mainResolution":3,"subResolution":2,"hostname":"hall","deviceId":12,"audioOutputOn":1,"hdmiAudioOn":0,"audioStereo":1,"wizardEnable":1,"displayMode":1,"streamInfo":1,"hdmihotplug":0)";
    const bytes audio_50 = int_bytes({0, 1, 50});
    struct row {
        int line;
        std::string members;
        int32_t cur_control;
        std::string out;
        std::vector<msg> sent;   // empty with out "": nothing
        int32_t sub_enable_after = 0;
    } rows[] = {
        // Same resolutions, same second-output state: the essentials only.
        {__LINE__, R"("audioVolume":50,"subEnable":0,"mainResolution":1,"subResolution":1)", 0, "OK",
         {{1705, int_bytes({12})}, {1702, group_text("hostname")}, {1002, audio_50}, any_payload(3485)}},
        // A changed resolution: both outputs and the reset.
        {__LINE__, R"("audioVolume":50,"subEnable":0)", 0, "OK",
         {{1705, int_bytes({12})}, {1702, group_text("hostname")}, {1001, int_bytes({0, 3})}, {1001, int_bytes({1, 2})},
          {1015, {}}, {1002, audio_50}, any_payload(3485)}},
        // The second output asked for on its own: 1023 first.
        {__LINE__, R"("audioVolume":50,"subEnable":1,"mainResolution":1,"subResolution":1)", 0, "OK",
         {{1023, int_bytes({1})}, {1705, int_bytes({12})}, {1702, group_text("hostname")}, {1002, audio_50},
          any_payload(3485)}},
        // Another client has the display: "SUB", and no 1023.
        {__LINE__, R"("audioVolume":50,"subEnable":1,"mainResolution":1,"subResolution":1)", 1, "SUB",
         {{1705, int_bytes({12})}, {1702, group_text("hostname")}, {1002, audio_50}, any_payload(3485)}},
        // Homologous off: the second output runs on its own, then the restart.
        {__LINE__, R"("audioVolume":50,"subEnable":0,"mainResolution":1,"subResolution":1,"isHomologousChanged":1,"homologous":0)", 0, "OK",
         {{1705, int_bytes({12})}, {1702, group_text("hostname")}, {1002, audio_50}, any_payload(3485), {1703, {}}}, 1},
        {__LINE__, R"("audioVolume":55,"subEnable":0)", 0, "", {}},
        {__LINE__, R"("audioVolume":-10,"subEnable":0)", 0, "", {}},
        {__LINE__, R"("audioVolume":110,"subEnable":0)", 0, "", {}},
        {__LINE__, R"("audioVolume":50,"subEnable":2)", 0, "", {}},
        {__LINE__, R"("audioVolume":50,"subEnable":0,"deviceId":257)", 0, "", {}},
        {__LINE__, R"("audioVolume":50,"subEnable":0,"mainResolution":null,"hostname":null)", 0, "", {}},
    };
    for (const auto& r : rows) {
        fresh_case();
        display_record d{};
        d.main_resolution = 1;
        d.sub_resolution = 1;
        d.audio_volume = 30;
        d.cur_control = r.cur_control;
        write_display(TQDB_FILE, &d);
        std::string body = "{" + base + "," + r.members + "}";
        // Later members win in json-c: the row's own resolutions replace base's.
        EXPECT_EQ(post("/6081", body).out, r.out.empty() ? "" : text_reply(r.out)) << "row at line " << r.line;
        expect_sent(r.sent, r.line);
        auto after = read_back<display_record>(tqdb_tbl_display);
        if (r.out.empty()) {
            EXPECT_EQ(after.audio_volume, 30) << "row at line " << r.line;
            continue;
        }
        EXPECT_EQ(after.audio_volume, 50) << "row at line " << r.line;
        EXPECT_EQ(after.audio_stereo, 1) << "row at line " << r.line;
        EXPECT_EQ(after.sub_enable, r.sub_enable_after) << "row at line " << r.line;
        EXPECT_EQ(after.cur_control, r.cur_control) << "row at line " << r.line;
        EXPECT_STREQ(read_back<network_record>(tqdb_tbl_network).host_name, "hall") << "row at line " << r.line;
        EXPECT_EQ(param("deviceid"), "12") << "row at line " << r.line;
        EXPECT_EQ(param("wizard_enable"), "1") << "row at line " << r.line;
        EXPECT_EQ(param("stream_information"), "1") << "row at line " << r.line;
        EXPECT_EQ(param("hdmihotplug"), "0") << "row at line " << r.line;
    }
}

// "/6080" shows what "/6081" stored, texts as numbers.
TEST_F(DeviceSettings, DisplayRead) {
    set_param_value(TQDB_FILE, "deviceid", "12");
    set_param_value(TQDB_FILE, "display_mode", "1");
    display_record d{};
    d.main_resolution = 4;
    d.sub_enable = 1;
    d.audio_volume = 70;
    d.cur_control = 2;
    write_display(TQDB_FILE, &d);
    json_ref shown = json_body(get("/6080"));
    ASSERT_TRUE(shown);
    struct row {
        int line;
        const char* key;
        int value;
    } rows[] = {
        {__LINE__, "displayMode", 1}, {__LINE__, "hdmihotplug", 1}, {__LINE__, "mainResolution", 4},
        {__LINE__, "homologous", 1},  {__LINE__, "curControl", 2},  {__LINE__, "subEnable", 1},
        {__LINE__, "audioVolume", 70}, {__LINE__, "deviceId", 12},   {__LINE__, "wizardEnable", 0},
    };
    for (const auto& r : rows) EXPECT_EQ(req_int_or(shown, r.key, -99), r.value) << "row at line " << r.line;
    EXPECT_STREQ(req_str(shown, "hostname"), "NVR");
}

// UPnP: the read joins the local ports; the change goes to the daemon only.
TEST_F(DeviceSettings, Upnp) {
    upnp_record u{};
    u.enable = 1;
    u.type = 0;
    u.external_http_port = 8080;
    u.http_status = 1;
    u.external_rtsp_port = 8554;
    u.rtsp_status = 2;
    write_upnp(TQDB_FILE, &u);
    json_ref shown = json_body(get("/1030"));
    struct row {
        int line;
        const char* key;
        int value;
    } rows[] = {
        {__LINE__, "enable", 1},          {__LINE__, "external_http_port", 8080}, {__LINE__, "http_status", 1},
        {__LINE__, "external_rtsp_port", 8554}, {__LINE__, "rtsp_status", 2},     {__LINE__, "http_port", 80},
        {__LINE__, "rtsp_port", 554},
    };
    for (const auto& r : rows) EXPECT_EQ(req_int_or(shown, r.key, -99), r.value) << "row at line " << r.line;

    EXPECT_EQ(post("/1031", R"({"enable":0,"type":1,"external_http_port":81,"http_status":5})").out, text_reply("OK"));
    upnp_record want = u;
    want.enable = 0;
    want.type = 1;
    want.external_http_port = 81;
    want.external_rtsp_port = 0;  // left out: 0
    expect_sent({{3720, bytes_of(want)}}, __LINE__);
    EXPECT_EQ(read_back<upnp_record>(tqdb_tbl_upnp).external_http_port, 8080);
}

// The automatic restart and the small codes around the settings pages.
TEST_F(DeviceSettings, RestartAndFlags) {
    EXPECT_EQ(post("/1033", R"({"enable":1,"wday":3,"hour":4,"minutes":5})").out, text_reply("OK"));
    bytes restart(128, 0);
    std::memcpy(restart.data(), int_bytes({1, 3, 4, 5, 0}).data(), 20);
    expect_sent({{1718, restart}}, __LINE__);
    json_ref shown = json_body(get("/1032"));
    EXPECT_EQ(req_int_or(shown, "wday", -1), 3);
    EXPECT_EQ(req_int_or(shown, "seconds", -1), 0);

    struct row {
        int line;
        std::string code;
        std::string out;
        std::vector<int32_t> sent;
    } rows[] = {
        {__LINE__, "/1014", text_reply("OK"), {3485}},
        {__LINE__, "/1023", text_reply("OK"), {}},
        {__LINE__, "/6076", text_reply("OK"), {3267}},
    };
    set_param_int(TQDB_FILE, "tqfs_dbup", 1);
    for (const auto& r : rows) {
        fresh_case();
        EXPECT_EQ(get(r.code).out, r.out) << "row at line " << r.line;
        EXPECT_EQ(sent_ids(), r.sent) << "row at line " << r.line;
    }
    EXPECT_EQ(get_param_int(TQDB_FILE, "tqfs_dbup", -1), 0);

    fresh_case();
    answer_int(3265, 42);
    EXPECT_EQ(get("/6075").out, text_reply("42"));
    fresh_case();
    answer_nothing(3265);
    EXPECT_EQ(get("/6075").out, json_failure());
}

// The device information, with the uptime cut as the page shows it (a
// stand-in "uptime" prints the line).
TEST_F(DeviceSettings, DeviceInformation) {
    mkdir(root.file("/bin").c_str(), 0755);
    const std::string fake = root.file("/bin/uptime");
    struct row {
        int line;
        std::string printed, shown;
    } rows[] = {
        {__LINE__, " 10:01:02 up 3 days,  2:01,  2 users,  load average: 0.1", " 10:01:02 up 3 days,  2:01"},
        {__LINE__, " 10:01:02 up 5 min,  1 user,  load average: 0.00", " 10:01:02 up 5 min,  1 user,"},
        // Words found near the start never cut before it.
        {__LINE__, "users here", ""},
        {__LINE__, "l", ""},
        {__LINE__, "up 3 days", "up 3 days"},
    };
    bytes info = record(584).i32(0, 9).i32(4, 16).i32(16, 4).i32(20, 2).i32(28, 1).i32(32, 2).i32(44, 1).i32(52, 2)
                     .i32(60, 3).i32(68, 1).text(72, "SN123").text(137, "PX").text(153, "NVR-16").text(185, "V2.4")
                     .text(217, "HW1").text(409, "00:11:22:33:44:55").i32(452, 1);
    for (const auto& r : rows) {
        fresh_case();
        root.write("/bin/uptime", "#!/bin/sh\necho '" + r.printed + "'\n");
        chmod(fake.c_str(), 0755);
        answer(3400, info);
        json_ref o = json_body(get("/1009", "", root.file("/bin") + ":/usr/bin:/bin"));
        ASSERT_TRUE(o) << "row at line " << r.line;
        EXPECT_STREQ(req_str(o, "uptime"), r.shown.c_str()) << "row at line " << r.line;
    }
    json_ref o = json_body(get("/1020"));
    ASSERT_TRUE(o);
    EXPECT_STREQ(req_str(o, "hostName"), "");
    EXPECT_STREQ(req_str(o, "deviceName"), "NVR-16");
    EXPECT_STREQ(req_str(o, "product"), "NVR-16");
    EXPECT_STREQ(req_str(o, "sncode"), "SN123");
    EXPECT_STREQ(req_str(o, "macAddress"), "00:11:22:33:44:55");
    EXPECT_STREQ(req_str(o, "company"), "Velartica");
    EXPECT_EQ(req_int_or(req_member(o, "resource"), "maxCameras", 0), 16);
    EXPECT_EQ(req_int_or(req_member(o, "resource"), "masRs485", 0), 1);
    EXPECT_EQ(req_int_or(o, "isSupportTalk", 0), 1);
    fresh_case();
    answer_nothing(3400);
    EXPECT_EQ(get("/1009").out, json_failure());
}

}  // namespace
}  // namespace xcase
