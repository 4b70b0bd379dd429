// Camera channels end to end: webreq as a CGI process, the database of a
// fresh root, and a fake core daemon that records every message.
#include "front/json_req.h"
#include "platform/msg_camera.h"
#include "platform/tqdb/rec_camera.h"
#include "platform/tqdb/rec_camera_mask.h"
#include "platform/tqdb/tqdb.h"
#include "tests/harness/cgi_harness.h"
#include "tools/coresim/coresim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

using coresim::bytes;

int32_t int_at(const bytes& b, size_t at) {
    int32_t v = 0;
    if (b.size() >= at + 4) std::memcpy(&v, b.data() + at, 4);
    return v;
}

// Sets a record's text field as a whole (NUL-padded).
template <size_t N>
void set_text(char (&field)[N], const char* text) {
    std::memset(field, 0, N);
    std::strncpy(field, text, N - 1);
}

bytes ints(std::initializer_list<int32_t> values) {
    bytes b;
    for (int32_t v : values) {
        uint8_t raw[4];
        std::memcpy(raw, &v, 4);
        b.insert(b.end(), raw, raw + 4);
    }
    return b;
}

// json-c's spaced form of an object whose members are given as JSON texts.
std::string spaced(const std::vector<std::pair<std::string, std::string>>& members) {
    std::string out = "{";
    for (size_t i = 0; i < members.size(); ++i)
        out += (i ? ", \"" : " \"") + members[i].first + "\": " + members[i].second;
    return out + " }";
}
// A JSON string as json-c writes it (it escapes '/').
std::string quoted(const std::string& s) {
    std::string out = "\"";
    for (char c : s) out += c == '/' ? std::string("\\/") : std::string(1, c);
    return out + "\"";
}

// The 176-byte detail block of a camera's log entry, as a reader expects it.
std::string camera_detail(int32_t parameter, const std::string& ip, int32_t port, int32_t chan_no,
                          const std::string& protocol, const std::string& transport, uint8_t sync) {
    std::string d(176, '\0');
    std::memcpy(&d[0], &parameter, 4);
    std::memcpy(&d[4], ip.data(), ip.size());
    std::memcpy(&d[68], &port, 4);
    std::memcpy(&d[72], &chan_no, 4);
    std::memcpy(&d[140], protocol.data(), protocol.size());
    std::memcpy(&d[156], transport.data(), transport.size());
    d[172] = static_cast<char>(sync);
    return d;
}

// What the operation-log record carries for a detail block of type 111: the
// type, then the block, each 4-byte word most significant byte first.
std::string packed_detail(const std::string& detail) {
    std::string out = {0, 0, 0, 111};
    for (size_t i = 0; i < detail.size(); i += 4)
        for (int k = 3; k >= 0; --k) out += detail[i + k];
    return out;
}

void expect_log(const coresim::request& m, int64_t sub_type, int32_t parameter, int32_t chan_no,
                const std::string& detail, const std::string& where) {
    ASSERT_EQ(m.id, 3485) << where;
    ASSERT_EQ(m.payload.size(), 672u) << where;
    EXPECT_EQ(int_at(m.payload, 0), 4) << where;
    int64_t sub = 0;
    std::memcpy(&sub, m.payload.data() + 8, 8);
    EXPECT_EQ(sub, sub_type) << where;
    EXPECT_EQ(int_at(m.payload, 24), parameter) << where;
    EXPECT_EQ(int_at(m.payload, 28), 1) << where;
    EXPECT_EQ(int_at(m.payload, 32), chan_no) << where;
    EXPECT_STREQ(reinterpret_cast<const char*>(m.payload.data() + 36), "127.0.0.1") << where;
    std::string block(reinterpret_cast<const char*>(m.payload.data() + 152), 512);
    if (detail.empty()) {
        EXPECT_EQ(int_at(m.payload, 148), 0) << where;
        EXPECT_EQ(block, std::string(512, '\0')) << where;
    } else {
        std::string want = packed_detail(detail);
        EXPECT_EQ(int_at(m.payload, 148), static_cast<int32_t>(want.size())) << where;
        EXPECT_EQ(block, want + std::string(512 - want.size(), '\0')) << where;
    }
}

class CameraChannels : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(core.start(root.path())); }
    void TearDown() override { core.stop(); }

    // The messages the core received, once expected of them have arrived and
    // every link of the finished requests is closed, in the order they were
    // sent: each message goes on a link of its own, and links are numbered in
    // the order they were opened (the daemon serves each on its own thread,
    // so its journal may interleave). The journal is then cleared for the
    // next case.
    std::vector<coresim::request> sent(size_t expected) {
        core.wait_for(expected);
        core.wait_idle();
        auto msgs = core.journal();
        core.clear_journal();
        std::stable_sort(msgs.begin(), msgs.end(),
                         [](const coresim::request& a, const coresim::request& b) { return a.conn < b.conn; });
        return msgs;
    }

    camera_record camera(int chn) {
        camera_record cam;
        std::memset(&cam, 0, sizeof cam);
        EXPECT_EQ(read_camera(TQDB_FILE, &cam, chn), 0) << "channel " << chn;
        return cam;
    }
    osd_record osd(int chn) {
        osd_record rec;
        std::memset(&rec, 0, sizeof rec);
        EXPECT_EQ(read_osd(TQDB_FILE, &rec, chn), 0) << "channel " << chn;
        return rec;
    }
    static bool same(const camera_record& a, const camera_record& b) { return !std::memcmp(&a, &b, sizeof a); }

    // A stored camera with every field set, untouched bytes included.
    camera_record seed_camera(int chn, int32_t protocol) {
        camera_record cam;
        std::memset(&cam, 0, sizeof cam);
        cam.id = chn;
        cam.enable = 1;
        std::memset(cam.reserved0, 0xA1, sizeof cam.reserved0);
        std::strcpy(cam.user_name, "olduser");
        std::strcpy(cam.password, "oldpass");
        std::strcpy(cam.ip_addr, "10.0.0.9");
        cam.main_rtsp_port = 5541;
        std::strcpy(cam.main_src, "/old/main");
        cam.sub_enable = 1;
        cam.sub_rtsp_port = 5542;
        std::strcpy(cam.sub_src, "/old/sub");
        cam.manage_port = 8080;
        cam.protocol = protocol;
        cam.transmit_protocol = 1;
        std::memset(cam.reserved1, 0xA2, sizeof cam.reserved1);
        cam.record_stream = 2;
        cam.sync_time = 1;
        std::memset(cam.reserved2, 0xA3, sizeof cam.reserved2);
        std::strcpy(cam.main_url, "rtsp://old/main");
        std::strcpy(cam.sub_url, "rtsp://old/sub");
        cam.poe_channel = 3;
        std::strcpy(cam.mac_addr, "02:00:00:00:00:09");
        cam.physical_port = 4;
        cam.anr = 1;
        std::memset(cam.reserved3, 0xA4, sizeof cam.reserved3);
        cam.minor_id = 12;
        std::strcpy(cam.ddns, "old.ddns");
        EXPECT_EQ(write_camera(TQDB_FILE, &cam), 0);
        return cam;
    }

    test_root root;
    coresim_server core;
};

// ---- "/2001", "/2007" ---------------------------------------------------------------

cam_status_entry status_entry(int32_t id) {
    cam_status_entry e;
    std::memset(&e, 0, sizeof e);
    e.id = id;
    e.manage_port = 80 + id;
    e.protocol = 1;
    e.state = 2;
    e.main_rtsp_port = 554;
    std::strcpy(e.ip_addr, "192.168.1.20");
    std::strcpy(e.vendor, "vendor-x");
    std::strcpy(e.sn, "SN1");
    std::strcpy(e.fw_version, "fw-2");
    std::strcpy(e.mac, "02:11:22:33:44:55");
    std::strcpy(e.model, "M-1");
    e.poe_channel = 5;
    e.physical_port = 6;
    e.alarm_in = 7;
    e.alarm_out = 8;
    e.white_led = 9;
    e.led_alarm = 10;
    e.led_manual = 11;
    e.minor_id = 12;
    e.sub_state = 13;
    e.connect_state = 14;
    std::strcpy(e.sn_real, "SNR");
    std::strcpy(e.ddns, "cam.ddns");
    return e;
}

std::string status_json(int32_t id, const std::string& name, const std::string& vendor = "vendor-x") {
    return spaced({{"id", std::to_string(id)},         {"enable", "1"},
                   {"name", quoted(name)},             {"ipAddr", quoted("192.168.1.20")},
                   {"managePort", std::to_string(80 + id)}, {"camProtocol", "1"},
                   {"vendor", quoted(vendor)},         {"sn", quoted("SN1")},
                   {"snReal", quoted("SNR")},          {"mac", quoted("02:11:22:33:44:55")},
                   {"model", quoted("M-1")},           {"fwVersion", quoted("fw-2")},
                   {"state", "2"},                     {"mainRtspPort", "554"},
                   {"physicalport", "6"},              {"poechannel", "5"},
                   {"alarmin", "7"},                   {"alarmout", "8"},
                   {"whiteLed", "9"},                  {"ledAlarm", "10"},
                   {"ledManual", "11"},                {"minorid", "12"},
                   {"subState", "13"},                 {"connectState", "14"},
                   {"ddns", quoted("cam.ddns")}});
}

bytes entries(std::initializer_list<cam_status_entry> list) {
    bytes b;
    for (const cam_status_entry& e : list) {
        const uint8_t* p = reinterpret_cast<const uint8_t*>(&e);
        b.insert(b.end(), p, p + sizeof e);
    }
    return b;
}

TEST_F(CameraChannels, ChannelListShowsEveryListedChannelWithItsNameAndTheChannelCount) {
    osd_record named = osd(1);
    std::strcpy(named.cam_name, "Gate");
    ASSERT_EQ(write_osd(TQDB_FILE, &named), 0);
    cam_status_entry wide = status_entry(2);
    std::memset(wide.vendor, 'v', sizeof wide.vendor);  // no terminator: cut at the field
    core.add_reply(3201, 8201, entries({status_entry(1), wide}));

    struct row {
        int line;
        const char* code;
        const char* max_cameras;  // null: as stored (factory value)
        const char* max_shown;
    } rows[] = {
        {__LINE__, "/2001", nullptr, "32"},
        {__LINE__, "/2007", nullptr, "32"},
        {__LINE__, "/2001", "16", "16"},
        {__LINE__, "/2001", "100", "64"},
    };
    for (const row& r : rows) {
        if (r.max_cameras) {
            ASSERT_EQ(set_param_value(TQDB_FILE, "max_cameras", r.max_cameras), 0);
        }
        cgi_result res = cgi_get(root, r.code);
        std::string list = "[ " + status_json(1, "Gate") + ", " + status_json(2, "CAM3", std::string(192, 'v')) + " ]";
        EXPECT_EQ(res.out, json_reply(spaced({{"IPC", list}, {"maxIPCNums", r.max_shown}})))
            << "row at line " << r.line;
        auto msgs = sent(1);
        ASSERT_EQ(msgs.size(), 1u) << "row at line " << r.line;
        EXPECT_EQ(msgs[0].id, 3201);
        EXPECT_TRUE(msgs[0].payload.empty());
    }
}

TEST_F(CameraChannels, ChannelListAnswersWithoutWholeEntriesOrWithoutAnAnswer) {
    core.add_reply(3201, 8201, bytes(975, 0));
    EXPECT_EQ(cgi_get(root, "/2001").out, json_reply("{ \"IPC\": [ ], \"maxIPCNums\": 32 }"));

    // An answer without payload, one of another identifier, or none at all.
    for (auto fault : {coresim::fault::empty, coresim::fault::wrong_id, coresim::fault::no_answer}) {
        core.clear_rules();
        coresim::rule r;
        r.id = 3201;
        coresim::reply_plan plan;
        plan.size = sizeof(cam_status_entry);
        plan.mode = fault;
        r.replies.push_back(plan);
        core.add_rule(r);
        EXPECT_EQ(cgi_get(root, "/2007").out, json_reply("{status:\"CGI ERROR\"}")) << static_cast<int>(fault);
    }
}

TEST_F(CameraChannels, DefaultCoreListsAFewConnectedCameras) {
    cgi_result res = cgi_get(root, "/2001");
    json_ref reply = json_parse_object(res.out.substr(res.out.find("\r\n\r\n") + 4).c_str());
    ASSERT_TRUE(reply) << res.out;
    json_object* list = json_object_object_get(reply.get(), "IPC");
    ASSERT_GE(json_object_array_length(list), 2u);
    for (size_t i = 0; i < json_object_array_length(list); ++i) {
        json_object* cam = json_object_array_get_idx(list, i);
        EXPECT_EQ(json_object_get_int(json_object_object_get(cam, "connectState")), 1);
        EXPECT_STRNE(json_object_get_string(json_object_object_get(cam, "ipAddr")), "");
    }
}

// ---- "/2000", "/2012" ---------------------------------------------------------------------

TEST_F(CameraChannels, OneChannelShowsItsStoredSettingsAndItsModelsProtocol) {
    seed_camera(6, 1);
    osd_record named = osd(6);
    std::strcpy(named.cam_name, "Yard");
    ASSERT_EQ(write_osd(TQDB_FILE, &named), 0);
    ipc_model_record model;
    std::memset(&model, 0, sizeof model);
    model.id = 1;
    model.protocol = 5;
    ASSERT_EQ(write_ipc_model(TQDB_FILE, &model), 0);

    cgi_result res = cgi_post_json(root, "/2000", "{\"chnid\": 6}");
    EXPECT_EQ(res.out, json_reply(spaced({
                           {"id", "6"},
                           {"name", quoted("Yard")},
                           {"ipAddr", quoted("10.0.0.9")},
                           {"managePort", "8080"},
                           {"protocol", "5"},
                           {"model", "1"},
                           {"userName", quoted("olduser")},
                           {"password", quoted("oldpass")},
                           {"transmitProtocol", "1"},
                           {"mainRtspPort", "5541"},
                           {"mainSourcePath", quoted("/old/main")},
                           {"subRtspEnable", "1"},
                           {"subRtspPort", "5542"},
                           {"subSourcePath", quoted("/old/sub")},
                           {"syncTime", "1"},
                           {"mainRtspUrl", quoted("rtsp://old/main")},
                           {"subRtspUrl", quoted("rtsp://old/sub")},
                           {"physicalport", "4"},
                           {"poechannel", "3"},
                           {"mac_addr", quoted("02:00:00:00:00:09")},
                           {"minorid", "12"},
                           {"ddns", quoted("old.ddns")},
                       })));
    EXPECT_TRUE(sent(0).empty());
}

TEST_F(CameraChannels, ChannelRequestsWithoutAValidChannelGetTheJsonError) {
    camera_record before = camera(0);
    for (const char* code : {"/2000", "/2005"}) {
        for (const char* body : {"{}", "{\"chnid\": -1}", "{\"chnid\": 64}", "{\"chnid\": null}", "chnid=1", "", "[3]"}) {
            EXPECT_EQ(cgi_post_json(root, code, body).out, json_reply("{status:\"CGI ERROR\"}")) << code << " " << body;
        }
    }
    EXPECT_TRUE(same(camera(0), before));
    EXPECT_STREQ(osd(0).cam_name, "CAM1");
    EXPECT_TRUE(sent(0).empty());
}

TEST_F(CameraChannels, ChannelNamesCoverTheOfferedChannels) {
    osd_record named = osd(1);
    std::strcpy(named.cam_name, "Gate");
    ASSERT_EQ(write_osd(TQDB_FILE, &named), 0);
    struct row {
        int line;
        const char* max_cameras;
        int listed;
    } rows[] = {{__LINE__, "3", 3}, {__LINE__, "0", 1}, {__LINE__, "-5", 1}, {__LINE__, "200", 64}};
    for (const row& r : rows) {
        ASSERT_EQ(set_param_value(TQDB_FILE, "max_cameras", r.max_cameras), 0);
        std::string list;
        for (int i = 0; i < r.listed; ++i)
            list += (i ? ", " : "") +
                    spaced({{"id", std::to_string(i)}, {"name", quoted(i == 1 ? "Gate" : "CAM" + std::to_string(i + 1))}});
        EXPECT_EQ(cgi_get(root, "/2012").out, json_reply("{ \"IPC\": [ " + list + " ] }")) << "row at line " << r.line;
    }
}

// ---- "/2003", "/2004" ------------------------------------------------------------------------

const char* const full_edit =
    "{\"id\": 5, \"name\": \"Front door\", \"enable\": 1, \"camProtocol\": 0, \"ipAddr\": \"192.168.1.50\","
    " \"managePort\": 80, \"transmitProtocol\": 0, \"userName\": \"admin\", \"password\": \"s3cret\","
    " \"minorid\": 3, \"enableSubStream\": 0, \"syncTime\": 1, \"ddns\": \"door.example\","
    " \"mainRtspPort\": 1554, \"mainSourcePath\": \"/new/main\", \"subRtspPort\": 1555,"
    " \"subSourcePath\": \"/new/sub\", \"mainrtspurl\": \"rtsp://new/main\", \"subrtspurl\": \"rtsp://new/sub\","
    " \"mac_addr\": \"02:00:00:00:00:05\", \"poechannel\": 9, \"physicalport\": 8, \"otherPoe\": 1%s}";

std::string edit_body(const std::string& extra = "") {
    char buf[2048];
    std::snprintf(buf, sizeof buf, full_edit, extra.c_str());
    return buf;
}

TEST_F(CameraChannels, EditStoresTheCameraKeepsWhatItDoesNotOwnAndTellsTheCore) {
    camera_record before = seed_camera(5, 0);
    cgi_result res = cgi_post_json(root, "/2003", edit_body());
    EXPECT_EQ(res.out, text_reply("OK"));

    camera_record want = before;
    want.enable = 1;
    set_text(want.ip_addr, "192.168.1.50");
    want.manage_port = 80;
    want.protocol = 0;
    want.transmit_protocol = 0;
    set_text(want.user_name, "admin");
    set_text(want.password, "s3cret");
    want.minor_id = 3;
    want.sub_enable = 0;
    want.sync_time = 1;
    set_text(want.ddns, "door.example");
    // Not RTSP: the stored RTSP settings stay; an edit never takes the PoE
    // binding or the MAC address.
    EXPECT_TRUE(same(camera(5), want));
    EXPECT_STREQ(osd(5).cam_name, "Front door");

    auto msgs = sent(2);
    ASSERT_EQ(msgs.size(), 2u);
    EXPECT_EQ(msgs[0].id, 1203);
    EXPECT_EQ(msgs[0].payload, ints({5}));
    expect_log(msgs[1], 204, 903, 6, camera_detail(903, "192.168.1.50", 80, 6, "ONVIF", "UDP", 1), "edit");
}

TEST_F(CameraChannels, EditVariantsTakeWhatTheirRulesAllow) {
    struct row {
        int line;
        int32_t stored_protocol;
        std::string extra;  // members appended to the full edit (a later duplicate wins)
        bool credentials_taken;
        bool rtsp_taken;
    } rows[] = {
        {__LINE__, 0, "", true, false},
        {__LINE__, 0, ", \"type\": 0", true, false},
        {__LINE__, 0, ", \"type\": 1", false, false},
        {__LINE__, 1, ", \"type\": 2", false, false},
        // The request's protocol decides, not the stored one.
        {__LINE__, 1, "", true, false},
        {__LINE__, 0, ", \"camProtocol\": 1", true, true},
    };
    for (const row& r : rows) {
        camera_record before = seed_camera(5, r.stored_protocol);
        ASSERT_EQ(cgi_post_json(root, "/2003", edit_body(r.extra)).out, text_reply("OK")) << "row at line " << r.line;
        camera_record after = camera(5);
        EXPECT_STREQ(after.user_name, r.credentials_taken ? "admin" : "olduser") << "row at line " << r.line;
        EXPECT_STREQ(after.password, r.credentials_taken ? "s3cret" : "oldpass") << "row at line " << r.line;
        EXPECT_EQ(after.main_rtsp_port, r.rtsp_taken ? 1554 : before.main_rtsp_port) << "row at line " << r.line;
        EXPECT_STREQ(after.main_src, r.rtsp_taken ? "/new/main" : "/old/main") << "row at line " << r.line;
        EXPECT_EQ(after.sub_rtsp_port, r.rtsp_taken ? 1555 : before.sub_rtsp_port) << "row at line " << r.line;
        EXPECT_STREQ(after.sub_src, r.rtsp_taken ? "/new/sub" : "/old/sub") << "row at line " << r.line;
        EXPECT_STREQ(after.main_url, r.rtsp_taken ? "rtsp://new/main" : "rtsp://old/main") << "row at line " << r.line;
        EXPECT_STREQ(after.sub_url, r.rtsp_taken ? "rtsp://new/sub" : "rtsp://old/sub") << "row at line " << r.line;
        sent(2);
    }
}

TEST_F(CameraChannels, EditWithMissingTextsKeepsThemAndCutsLongOnes) {
    seed_camera(5, 1);
    std::string long_name(70, 'n');
    std::string long_url(300, 'u');
    // Protocol 7 needs neither address nor port; texts that are absent keep
    // their stored values, integers that are absent read 0.
    std::string body = "{\"id\": 5, \"name\": \"" + long_name + "\", \"enable\": 0, \"camProtocol\": 7,"
                       " \"transmitProtocol\": 2, \"ipAddr\": \"\"}";
    ASSERT_EQ(cgi_post_json(root, "/2003", body).out, text_reply("OK"));
    camera_record after = camera(5);
    EXPECT_EQ(osd(5).cam_name, long_name.substr(0, 63));
    EXPECT_STREQ(after.ip_addr, "");
    EXPECT_STREQ(after.user_name, "olduser");
    EXPECT_STREQ(after.ddns, "old.ddns");
    EXPECT_EQ(after.manage_port, 0);
    EXPECT_EQ(after.minor_id, 0);
    EXPECT_EQ(after.protocol, 7);
    EXPECT_EQ(after.transmit_protocol, 2);
    auto msgs = sent(2);
    ASSERT_EQ(msgs.size(), 2u);
    expect_log(msgs[1], 204, 903, 6, camera_detail(903, "", 0, 6, "TQSF", "TCP", 0), "protocol 7");

    body = "{\"id\": 5, \"name\": \"x\", \"enable\": 1, \"camProtocol\": 1, \"transmitProtocol\": 0,"
           " \"ipAddr\": \"h\", \"managePort\": 0, \"mainrtspurl\": \"" + long_url + "\"}";
    ASSERT_EQ(cgi_post_json(root, "/2003", body).out, text_reply("OK"));
    after = camera(5);
    EXPECT_EQ(std::string(after.main_url), long_url.substr(0, 255));
    EXPECT_STREQ(after.sub_url, "rtsp://old/sub");
    EXPECT_STREQ(after.main_src, "/old/main");
    EXPECT_EQ(after.main_rtsp_port, 0);
    sent(2);
}

TEST_F(CameraChannels, InvalidAddOrEditRequestsChangeNothingAndGetNoReply) {
    const std::string ok = "\"id\": 5, \"name\": \"n\", \"enable\": 1, \"camProtocol\": 0, \"transmitProtocol\": 0";
    struct row {
        int line;
        std::string body;
    } rows[] = {
        {__LINE__, "not json"},
        {__LINE__, "[1]"},
        {__LINE__, "{\"name\": \"n\", \"enable\": 1, \"camProtocol\": 0, \"transmitProtocol\": 0, \"ipAddr\": \"a\", \"managePort\": 1}"},
        {__LINE__, "{" + ok + ", \"id\": 64, \"ipAddr\": \"a\", \"managePort\": 1}"},
        {__LINE__, "{" + ok + ", \"id\": -1, \"ipAddr\": \"a\", \"managePort\": 1}"},
        {__LINE__, "{\"id\": 5, \"enable\": 1, \"camProtocol\": 0, \"transmitProtocol\": 0, \"ipAddr\": \"a\", \"managePort\": 1}"},
        {__LINE__, "{" + ok + ", \"name\": null, \"ipAddr\": \"a\", \"managePort\": 1}"},
        {__LINE__, "{" + ok + ", \"enable\": 2, \"ipAddr\": \"a\", \"managePort\": 1}"},
        {__LINE__, "{\"id\": 5, \"name\": \"n\", \"camProtocol\": 0, \"transmitProtocol\": 0, \"ipAddr\": \"a\", \"managePort\": 1}"},
        {__LINE__, "{" + ok + ", \"camProtocol\": 8, \"ipAddr\": \"a\", \"managePort\": 1}"},
        {__LINE__, "{" + ok + ", \"camProtocol\": -1, \"ipAddr\": \"a\", \"managePort\": 1}"},
        {__LINE__, "{" + ok + ", \"managePort\": 1}"},
        {__LINE__, "{" + ok + ", \"ipAddr\": \"\", \"managePort\": 1}"},
        {__LINE__, "{" + ok + ", \"ipAddr\": \"a\"}"},
        {__LINE__, "{" + ok + ", \"ipAddr\": \"a\", \"managePort\": -1}"},
        {__LINE__, "{" + ok + ", \"transmitProtocol\": 3, \"ipAddr\": \"a\", \"managePort\": 1}"},
        {__LINE__, "{\"id\": 5, \"name\": \"n\", \"enable\": 1, \"camProtocol\": 0, \"ipAddr\": \"a\", \"managePort\": 1}"},
    };
    camera_record before = seed_camera(5, 0);
    camera_record zero = camera(0);
    for (const char* code : {"/2003", "/2004"}) {
        for (const row& r : rows) {
            cgi_result res = cgi_post_json(root, code, r.body);
            EXPECT_EQ(res.out, "") << code << ", row at line " << r.line;
            EXPECT_EQ(res.status, 0) << code << ", row at line " << r.line;
            EXPECT_TRUE(same(camera(5), before)) << code << ", row at line " << r.line;
            EXPECT_STREQ(osd(5).cam_name, "CAM6") << code << ", row at line " << r.line;
        }
    }
    EXPECT_TRUE(same(camera(0), zero));
    EXPECT_TRUE(sent(0).empty());
}

TEST_F(CameraChannels, AddTakesLoginMacAndPoeAndAnnouncesTheNewCamera) {
    struct row {
        int line;
        std::string extra;
        const char* mac;
        int32_t other_poe;
    } rows[] = {
        {__LINE__, ", \"type\": 1", "02:00:00:00:00:05", 1},
        {__LINE__, ", \"mac_addr\": \"(null)\", \"otherPoe\": 2", "", 0},
        {__LINE__, ", \"mac_addr\": \"0123456789012345678901234567890123456789\", \"otherPoe\": 0",
         "0123456789012345678901234567890", 0},
    };
    for (const row& r : rows) {
        camera_record before = seed_camera(5, 0);
        ASSERT_EQ(cgi_post_json(root, "/2004", edit_body(r.extra)).out, text_reply("OK")) << "row at line " << r.line;
        camera_record after = camera(5);
        EXPECT_STREQ(after.user_name, "admin") << "row at line " << r.line;
        EXPECT_STREQ(after.password, "s3cret") << "row at line " << r.line;
        EXPECT_STREQ(after.mac_addr, r.mac) << "row at line " << r.line;
        EXPECT_EQ(after.poe_channel, 9) << "row at line " << r.line;
        EXPECT_EQ(after.physical_port, 8) << "row at line " << r.line;
        EXPECT_EQ(after.record_stream, before.record_stream) << "row at line " << r.line;
        EXPECT_EQ(after.anr, before.anr) << "row at line " << r.line;
        EXPECT_STREQ(osd(5).cam_name, "Front door");
        auto msgs = sent(3);
        ASSERT_EQ(msgs.size(), 3u) << "row at line " << r.line;
        EXPECT_EQ(msgs[0].id, 1201);
        EXPECT_EQ(msgs[0].payload, ints({5}));
        EXPECT_EQ(msgs[1].id, 1206);
        EXPECT_EQ(msgs[1].payload, ints({5, r.other_poe})) << "row at line " << r.line;
        expect_log(msgs[2], 210, 901, 6, camera_detail(901, "192.168.1.50", 80, 6, "ONVIF", "UDP", 1),
                   "row at line " + std::to_string(r.line));
    }

    // A missing MAC address is stored empty.
    std::string body = edit_body();
    body.replace(body.find("\"mac_addr\""), std::strlen("\"mac_addr\": \"02:00:00:00:00:05\","), "");
    ASSERT_EQ(cgi_post_json(root, "/2004", body).out, text_reply("OK"));
    EXPECT_STREQ(camera(5).mac_addr, "");
    sent(3);
}

TEST_F(CameraChannels, AddOnAChannelWithoutARowCreatesItAndLeavesChannelZeroAlone) {
    camera_record zero = seed_camera(0, 0);
    ASSERT_EQ(delete_camera(TQDB_FILE, 5), 0);
    ASSERT_EQ(cgi_post_json(root, "/2004", edit_body()).out, text_reply("OK"));
    camera_record cam = camera(5);
    EXPECT_EQ(cam.id, 5);
    EXPECT_STREQ(cam.ip_addr, "192.168.1.50");
    EXPECT_TRUE(same(camera(0), zero));
    sent(3);
}

// ---- "/2005" --------------------------------------------------------------------------------

TEST_F(CameraChannels, DeleteClearsTheChannelButItsStreamChoiceAndTurnsItsMasksOff) {
    seed_camera(4, 1);
    osd_record named = osd(4);
    std::strcpy(named.cam_name, "Door");
    named.show_date = 1;
    named.alpha = 77;
    ASSERT_EQ(write_osd(TQDB_FILE, &named), 0);
    privacy_mask_record mask;
    std::memset(&mask, 0, sizeof mask);
    ASSERT_EQ(read_privacy_mask(TQDB_FILE, &mask, 4), 0);
    for (int k = 0; k < PRIVACY_MASK_AREAS; ++k) {
        privacy_mask_area& a = mask.areas[k];
        a = {k, 1, 10 + k, 20 + k, 30 + k, 40 + k, 460, 260, 0xff00, {}};
        std::memset(a.reserved, 0xC0, sizeof a.reserved);
    }
    ASSERT_EQ(write_privacy_mask(TQDB_FILE, &mask), 0);
    privacy_mask_record other_mask;
    ASSERT_EQ(read_privacy_mask(TQDB_FILE, &other_mask, 3), 0);

    ASSERT_EQ(cgi_post_json(root, "/2005", "{\"chnid\": 4}").out, text_reply("OK"));

    camera_record want;
    std::memset(&want, 0, sizeof want);
    want.id = 4;
    want.deleted = 1;
    want.record_stream = 2;
    EXPECT_TRUE(same(camera(4), want));
    osd_record after_osd = osd(4);
    EXPECT_STREQ(after_osd.cam_name, "CAM5");
    EXPECT_EQ(after_osd.show_date, 1);
    EXPECT_EQ(after_osd.alpha, 77);

    privacy_mask_record after;
    ASSERT_EQ(read_privacy_mask(TQDB_FILE, &after, 4), 0);
    EXPECT_EQ(after.id, 4);
    for (int k = 0; k < PRIVACY_MASK_AREAS; ++k) {
        privacy_mask_area a = mask.areas[k];
        a.enable = a.start_x = a.start_y = a.area_width = a.area_height = 0;
        EXPECT_EQ(std::memcmp(&after.areas[k], &a, sizeof a), 0) << "area " << k;
    }
    privacy_mask_record other_after;
    ASSERT_EQ(read_privacy_mask(TQDB_FILE, &other_after, 3), 0);
    EXPECT_EQ(std::memcmp(&other_after, &other_mask, sizeof other_mask), 0);

    auto msgs = sent(3);
    ASSERT_EQ(msgs.size(), 3u);
    EXPECT_EQ(msgs[0].id, 1202);
    EXPECT_EQ(msgs[0].payload, ints({4}));
    EXPECT_EQ(msgs[1].id, 1206);
    EXPECT_EQ(msgs[1].payload, ints({4, 0}));
    expect_log(msgs[2], 211, 902, 5, "", "delete");
}

TEST_F(CameraChannels, DeleteOfAChannelWithoutStoredMasksWritesNoMaskRecord) {
    ASSERT_EQ(delete_privacy_mask(TQDB_FILE, 9), 0);
    privacy_mask_record zero_mask;
    ASSERT_EQ(read_privacy_mask(TQDB_FILE, &zero_mask, 0), 0);
    ASSERT_EQ(cgi_post_json(root, "/2005", "{\"chnid\": 9}").out, text_reply("OK"));
    privacy_mask_record mask;
    EXPECT_NE(read_privacy_mask(TQDB_FILE, &mask, 9), 0);
    privacy_mask_record zero_after;
    ASSERT_EQ(read_privacy_mask(TQDB_FILE, &zero_after, 0), 0);
    EXPECT_EQ(std::memcmp(&zero_after, &zero_mask, sizeof zero_mask), 0);
    EXPECT_EQ(camera(9).deleted, 1);
    sent(3);
}

// ---- "/2017", "/2031" -----------------------------------------------------------------------

TEST_F(CameraChannels, LoginAndTransportChangesTouchOnlyTheirFieldsAndLogTheCamera) {
    struct row {
        int line;
        const char* code;
        std::string body;
        int32_t protocol;  // stored before
        const char* user;
        int32_t transmit;
        int32_t sync;
        const char* protocol_name;
        const char* transport_name;
    } rows[] = {
        {__LINE__, "/2017", "{\"id\": 7, \"userName\": \"u2\", \"password\": \"p2\"}", 0, "u2", 1, 1, "ONVIF", "TCP"},
        {__LINE__, "/2031", "{\"id\": 7, \"transmitProtocol\": 0, \"syncTime\": 0}", 1, "olduser", 0, 0, "RTSP", "UDP"},
        {__LINE__, "/2031", "{\"id\": 7, \"transmitProtocol\": 2, \"syncTime\": 1}", 3, "olduser", 2, 1, "TQSF", "TCP"},
        // No validation beyond the channel: absent members read 0.
        {__LINE__, "/2031", "{\"id\": 7}", 0, "olduser", 0, 0, "ONVIF", "UDP"},
        {__LINE__, "/2031", "{\"id\": 7, \"transmitProtocol\": 1, \"syncTime\": 257}", 0, "olduser", 1, 257, "ONVIF", "TCP"},
    };
    for (const row& r : rows) {
        camera_record want = seed_camera(7, r.protocol);
        ASSERT_EQ(cgi_post_json(root, r.code, r.body).out, text_reply("OK")) << "row at line " << r.line;
        set_text(want.user_name, r.user);
        if (std::strcmp(r.code, "/2017") == 0) set_text(want.password, "p2");
        want.transmit_protocol = r.transmit;
        want.sync_time = r.sync;
        EXPECT_TRUE(same(camera(7), want)) << "row at line " << r.line;
        auto msgs = sent(2);
        ASSERT_EQ(msgs.size(), 2u) << "row at line " << r.line;
        EXPECT_EQ(msgs[0].id, 1203);
        EXPECT_EQ(msgs[0].payload, ints({7}));
        expect_log(msgs[1], 204, 903, 8,
                   camera_detail(903, "10.0.0.9", 8080, 8, r.protocol_name, r.transport_name, static_cast<uint8_t>(r.sync)),
                   "row at line " + std::to_string(r.line));
    }
}

TEST_F(CameraChannels, LoginAndTransportChangesWithoutAValidChannelNeverTouchChannelZero) {
    struct row {
        int line;
        const char* code;
        const char* body;
    } rows[] = {
        {__LINE__, "/2017", "{\"id\": 64, \"userName\": \"u\", \"password\": \"p\"}"},
        {__LINE__, "/2017", "{\"id\": 1000, \"userName\": \"u\", \"password\": \"p\"}"},
        {__LINE__, "/2017", "{\"id\": -1, \"userName\": \"u\", \"password\": \"p\"}"},
        {__LINE__, "/2017", "{\"userName\": \"u\", \"password\": \"p\"}"},
        {__LINE__, "/2017", "{\"id\": 7, \"userName\": \"\", \"password\": \"p\"}"},
        {__LINE__, "/2017", "{\"id\": 7, \"userName\": \"u\"}"},
        {__LINE__, "/2017", "{\"id\": 7, \"password\": \"p\", \"userName\": null}"},
        {__LINE__, "/2017", "id=7"},
        {__LINE__, "/2031", "{\"id\": 64, \"transmitProtocol\": 1}"},
        {__LINE__, "/2031", "{\"id\": -3, \"transmitProtocol\": 1}"},
        {__LINE__, "/2031", "{\"transmitProtocol\": 1}"},
        {__LINE__, "/2031", "7"},
    };
    camera_record zero = seed_camera(0, 0);
    camera_record seven = seed_camera(7, 0);
    for (const row& r : rows) {
        cgi_result res = cgi_post_json(root, r.code, r.body);
        EXPECT_EQ(res.out, "") << "row at line " << r.line;
        EXPECT_TRUE(same(camera(0), zero)) << "row at line " << r.line;
        EXPECT_TRUE(same(camera(7), seven)) << "row at line " << r.line;
    }
    EXPECT_TRUE(sent(0).empty());
}

}  // namespace
