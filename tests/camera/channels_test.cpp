// Camera channels end to end: webreq as a CGI process, the database of a
// fresh root, and a fake core daemon that records every message.
#include "platform/msg_camera.h"
#include "platform/tqdb/rec_camera.h"
#include "platform/tqdb/rec_camera_mask.h"
#include "platform/tqdb/tqdb.h"
#include "tests/harness/db_faults.h"
#include "tests/harness/exchange_case.h"

#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace xcase {
namespace {

// Sets a record's text field as a whole (NUL-padded).
template <size_t N>
void set_text(char (&field)[N], const char* text) {
    std::memset(field, 0, N);
    std::strncpy(field, text, N - 1);
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

// The operation-log entry of a camera change: the common record, and for a
// detail block its length at 148 and the packed block from 152 on.
msg camera_log(int64_t sub_type, int32_t parameter, int32_t chan_no, const std::string& detail = "") {
    bytes entry = oplog(sub_type, parameter, chan_no);
    if (!detail.empty()) {
        std::string packed = packed_detail(detail);
        int32_t len = static_cast<int32_t>(packed.size());
        std::memcpy(entry.data() + 148, &len, 4);
        std::memcpy(entry.data() + 152, packed.data(), packed.size());
    }
    return {3485, entry};
}

class CameraChannels : public exchange_case {
protected:
    camera_record camera(int chn) { return read_back<camera_record>(tqdb_tbl_camera, chn); }
    osd_record osd(int chn) { return read_back<osd_record>(tqdb_tbl_osd, chn); }
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
        fresh_case();
        answer(3201, entries({status_entry(1), wide}), 8201);
        if (r.max_cameras) {
            ASSERT_EQ(set_param_value(TQDB_FILE, "max_cameras", r.max_cameras), 0);
        }
        cgi_result res = cgi_get(root, r.code);
        std::string list = "[ " + status_json(1, "Gate") + ", " + status_json(2, "CAM3", std::string(192, 'v')) + " ]";
        EXPECT_EQ(res.out, json_reply(spaced({{"IPC", list}, {"maxIPCNums", r.max_shown}})))
            << "row at line " << r.line;
        expect_sent({{3201, {}}}, r.line);
    }
}

TEST_F(CameraChannels, ChannelListAnswersWithoutWholeEntriesOrWithoutAnAnswer) {
    answer(3201, bytes(975, 0), 8201);
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
        EXPECT_EQ(cgi_get(root, "/2007").out, json_failure()) << static_cast<int>(fault);
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

    cgi_result res = post("/2000", "{\"chnid\": 6}");
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
    EXPECT_TRUE(sent().empty());
}

TEST_F(CameraChannels, ChannelRequestsWithoutAValidChannelGetTheJsonError) {
    camera_record before = camera(0);
    for (const char* code : {"/2000", "/2005"}) {
        for (const char* body : {"{}", "{\"chnid\": -1}", "{\"chnid\": 64}", "{\"chnid\": null}", "chnid=1", "", "[3]"}) {
            EXPECT_EQ(post(code, body).out, json_failure()) << code << " " << body;
        }
    }
    EXPECT_TRUE(same(camera(0), before));
    EXPECT_STREQ(osd(0).cam_name, "CAM1");
    EXPECT_TRUE(sent().empty());
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
    cgi_result res = post("/2003", edit_body());
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

    expect_sent({{1203, int_bytes({5})},
                 camera_log(204, 903, 6, camera_detail(903, "192.168.1.50", 80, 6, "ONVIF", "UDP", 1))},
                __LINE__);
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
        fresh_case();
        camera_record before = seed_camera(5, r.stored_protocol);
        ASSERT_EQ(post("/2003", edit_body(r.extra)).out, text_reply("OK")) << "row at line " << r.line;
        camera_record after = camera(5);
        EXPECT_STREQ(after.user_name, r.credentials_taken ? "admin" : "olduser") << "row at line " << r.line;
        EXPECT_STREQ(after.password, r.credentials_taken ? "s3cret" : "oldpass") << "row at line " << r.line;
        EXPECT_EQ(after.main_rtsp_port, r.rtsp_taken ? 1554 : before.main_rtsp_port) << "row at line " << r.line;
        EXPECT_STREQ(after.main_src, r.rtsp_taken ? "/new/main" : "/old/main") << "row at line " << r.line;
        EXPECT_EQ(after.sub_rtsp_port, r.rtsp_taken ? 1555 : before.sub_rtsp_port) << "row at line " << r.line;
        EXPECT_STREQ(after.sub_src, r.rtsp_taken ? "/new/sub" : "/old/sub") << "row at line " << r.line;
        EXPECT_STREQ(after.main_url, r.rtsp_taken ? "rtsp://new/main" : "rtsp://old/main") << "row at line " << r.line;
        EXPECT_STREQ(after.sub_url, r.rtsp_taken ? "rtsp://new/sub" : "rtsp://old/sub") << "row at line " << r.line;
        expect_sent({any_payload(1203), any_payload(3485)}, r.line);
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
    ASSERT_EQ(post("/2003", body).out, text_reply("OK"));
    camera_record after = camera(5);
    EXPECT_EQ(osd(5).cam_name, long_name.substr(0, 63));
    EXPECT_STREQ(after.ip_addr, "");
    EXPECT_STREQ(after.user_name, "olduser");
    EXPECT_STREQ(after.ddns, "old.ddns");
    EXPECT_EQ(after.manage_port, 0);
    EXPECT_EQ(after.minor_id, 0);
    EXPECT_EQ(after.protocol, 7);
    EXPECT_EQ(after.transmit_protocol, 2);
    expect_sent({any_payload(1203), camera_log(204, 903, 6, camera_detail(903, "", 0, 6, "TQSF", "TCP", 0))},
                __LINE__);

    body = "{\"id\": 5, \"name\": \"x\", \"enable\": 1, \"camProtocol\": 1, \"transmitProtocol\": 0,"
           " \"ipAddr\": \"h\", \"managePort\": 0, \"mainrtspurl\": \"" + long_url + "\"}";
    fresh_case();
    ASSERT_EQ(post("/2003", body).out, text_reply("OK"));
    after = camera(5);
    EXPECT_EQ(std::string(after.main_url), long_url.substr(0, 255));
    EXPECT_STREQ(after.sub_url, "rtsp://old/sub");
    EXPECT_STREQ(after.main_src, "/old/main");
    EXPECT_EQ(after.main_rtsp_port, 0);
    expect_sent({any_payload(1203), any_payload(3485)}, __LINE__);
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
            cgi_result res = post(code, r.body);
            EXPECT_EQ(res.out, "") << code << ", row at line " << r.line;
            EXPECT_EQ(res.status, 0) << code << ", row at line " << r.line;
            EXPECT_TRUE(same(camera(5), before)) << code << ", row at line " << r.line;
            EXPECT_STREQ(osd(5).cam_name, "CAM6") << code << ", row at line " << r.line;
        }
    }
    EXPECT_TRUE(same(camera(0), zero));
    EXPECT_TRUE(sent().empty());
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
        fresh_case();
        camera_record before = seed_camera(5, 0);
        ASSERT_EQ(post("/2004", edit_body(r.extra)).out, text_reply("OK")) << "row at line " << r.line;
        camera_record after = camera(5);
        EXPECT_STREQ(after.user_name, "admin") << "row at line " << r.line;
        EXPECT_STREQ(after.password, "s3cret") << "row at line " << r.line;
        EXPECT_STREQ(after.mac_addr, r.mac) << "row at line " << r.line;
        EXPECT_EQ(after.poe_channel, 9) << "row at line " << r.line;
        EXPECT_EQ(after.physical_port, 8) << "row at line " << r.line;
        EXPECT_EQ(after.record_stream, before.record_stream) << "row at line " << r.line;
        EXPECT_EQ(after.anr, before.anr) << "row at line " << r.line;
        EXPECT_STREQ(osd(5).cam_name, "Front door");
        expect_sent({{1201, int_bytes({5})},
                     {1206, int_bytes({5, r.other_poe})},
                     camera_log(210, 901, 6, camera_detail(901, "192.168.1.50", 80, 6, "ONVIF", "UDP", 1))},
                    r.line);
    }

    // A missing MAC address is stored empty.
    std::string body = edit_body();
    body.replace(body.find("\"mac_addr\""), std::strlen("\"mac_addr\": \"02:00:00:00:00:05\","), "");
    fresh_case();
    ASSERT_EQ(post("/2004", body).out, text_reply("OK"));
    EXPECT_STREQ(camera(5).mac_addr, "");
    expect_sent({any_payload(1201), any_payload(1206), any_payload(3485)}, __LINE__);
}

TEST_F(CameraChannels, AddOnAChannelWithoutARowCreatesItAndLeavesChannelZeroAlone) {
    camera_record zero = seed_camera(0, 0);
    ASSERT_EQ(delete_camera(TQDB_FILE, 5), 0);
    ASSERT_EQ(post("/2004", edit_body()).out, text_reply("OK"));
    camera_record cam;
    ASSERT_EQ(read_camera(TQDB_FILE, &cam, 5), 0);
    EXPECT_EQ(cam.id, 5);
    EXPECT_STREQ(cam.ip_addr, "192.168.1.50");
    EXPECT_TRUE(same(camera(0), zero));
    expect_sent({any_payload(1201), any_payload(1206), any_payload(3485)}, __LINE__);
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

    ASSERT_EQ(post("/2005", "{\"chnid\": 4}").out, text_reply("OK"));

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

    expect_sent({{1202, int_bytes({4})}, {1206, int_bytes({4, 0})}, camera_log(211, 902, 5)}, __LINE__);
}

TEST_F(CameraChannels, DeleteOfAChannelWithoutStoredMasksWritesNoMaskRecord) {
    ASSERT_EQ(delete_privacy_mask(TQDB_FILE, 9), 0);
    privacy_mask_record zero_mask;
    ASSERT_EQ(read_privacy_mask(TQDB_FILE, &zero_mask, 0), 0);
    ASSERT_EQ(post("/2005", "{\"chnid\": 9}").out, text_reply("OK"));
    privacy_mask_record mask;
    EXPECT_NE(read_privacy_mask(TQDB_FILE, &mask, 9), 0);
    privacy_mask_record zero_after;
    ASSERT_EQ(read_privacy_mask(TQDB_FILE, &zero_after, 0), 0);
    EXPECT_EQ(std::memcmp(&zero_after, &zero_mask, sizeof zero_mask), 0);
    EXPECT_EQ(camera(9).deleted, 1);
    expect_sent({any_payload(1202), any_payload(1206), any_payload(3485)}, __LINE__);
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
        fresh_case();
        camera_record want = seed_camera(7, r.protocol);
        ASSERT_EQ(post(r.code, r.body).out, text_reply("OK")) << "row at line " << r.line;
        set_text(want.user_name, r.user);
        if (std::strcmp(r.code, "/2017") == 0) set_text(want.password, "p2");
        want.transmit_protocol = r.transmit;
        want.sync_time = r.sync;
        EXPECT_TRUE(same(camera(7), want)) << "row at line " << r.line;
        expect_sent({{1203, int_bytes({7})},
                     camera_log(204, 903, 8,
                                camera_detail(903, "10.0.0.9", 8080, 8, r.protocol_name, r.transport_name,
                                              static_cast<uint8_t>(r.sync)))},
                    r.line);
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
        cgi_result res = post(r.code, r.body);
        EXPECT_EQ(res.out, "") << "row at line " << r.line;
        EXPECT_TRUE(same(camera(0), zero)) << "row at line " << r.line;
        EXPECT_TRUE(same(camera(7), seven)) << "row at line " << r.line;
    }
    EXPECT_TRUE(sent().empty());
}

// ---- stored whole or not at all -----------------------------------------------------------

TEST_F(CameraChannels, AChangeThatCannotBeStoredAnswersTheFailureAndLeavesEveryRecord) {
    struct row {
        int line;
        const char* code;
        std::string body;
        std::vector<std::string> refused;  // stores whose writes fail
        std::string out;
    } rows[] = {
        // The name goes with the camera record, and the record with the name.
        {__LINE__, "/2003", edit_body(), {"camera"}, text_failure()},
        {__LINE__, "/2003", edit_body(), {"osd"}, text_failure()},
        {__LINE__, "/2004", edit_body(), {"camera"}, text_failure()},
        {__LINE__, "/2004", edit_body(), {"osd"}, text_failure()},
        // A delete clears masks, name and record together.
        {__LINE__, "/2005", R"({"chnid": 5})", {"camera"}, json_failure()},
        {__LINE__, "/2005", R"({"chnid": 5})", {"osd"}, json_failure()},
        {__LINE__, "/2005", R"({"chnid": 5})", {"privacy_mask"}, json_failure()},
        {__LINE__, "/2017", R"({"id": 5, "userName": "u2", "password": "p2"})", {"camera"}, text_failure()},
        {__LINE__, "/2031", R"({"id": 5, "transmitProtocol": 2, "syncTime": 0})", {"camera"}, text_failure()},
    };
    for (const row& r : rows) {
        fresh_case();
        camera_record cam = seed_camera(5, 0);
        osd_record name = osd(5);
        set_text(name.cam_name, "CAM6");
        ASSERT_EQ(write_osd(TQDB_FILE, &name), 0);
        privacy_mask_record mask = read_back<privacy_mask_record>(tqdb_tbl_privacy_mask, 5);
        mask.areas[0].enable = 1;
        ASSERT_EQ(write_privacy_mask(TQDB_FILE, &mask), 0);
        {
            refused_writes refused(r.refused);
            EXPECT_EQ(post(r.code, r.body).out, r.out) << "row at line " << r.line;
        }
        EXPECT_TRUE(same(camera(5), cam)) << "row at line " << r.line;
        EXPECT_STREQ(osd(5).cam_name, "CAM6") << "row at line " << r.line;
        EXPECT_EQ(read_back<privacy_mask_record>(tqdb_tbl_privacy_mask, 5).areas[0].enable, 1)
            << "row at line " << r.line;
        // Nothing is announced about a change that was not stored.
        EXPECT_TRUE(sent().empty()) << "row at line " << r.line << ": " << ids_text(sent());
    }
}

// Another writer changes the channel while a request runs: the request edits
// the record as that writer left it, so neither change is lost.
TEST_F(CameraChannels, ChangesOfOneChannelAtOnceKeepEachOther) {
    using change = std::function<void(camera_record&)>;
    struct row {
        int line;
        const char* code;
        std::string body;
        change other;  // the other writer's change, held while the request starts
        change own;    // the request's change
    } rows[] = {
        {__LINE__, "/2017", R"({"id": 5, "userName": "u2", "password": "p2"})",
         [](camera_record& c) { c.transmit_protocol = 2; },
         [](camera_record& c) {
             set_text(c.user_name, "u2");
             set_text(c.password, "p2");
         }},
        {__LINE__, "/2031", R"({"id": 5, "transmitProtocol": 0, "syncTime": 0})",
         [](camera_record& c) { set_text(c.user_name, "u3"); },
         [](camera_record& c) { c.transmit_protocol = c.sync_time = 0; }},
        // An edit that keeps the login keeps the one stored meanwhile.
        {__LINE__, "/2003", edit_body(", \"type\": 1"),
         [](camera_record& c) {
             set_text(c.user_name, "u4");
             set_text(c.password, "p4");
         },
         [](camera_record& c) {
             c.enable = 1;
             set_text(c.ip_addr, "192.168.1.50");
             c.manage_port = 80;
             c.protocol = c.transmit_protocol = c.sub_enable = 0;
             c.minor_id = 3;
             c.sync_time = 1;
             set_text(c.ddns, "door.example");
         }},
    };
    for (const row& r : rows) {
        fresh_case();
        camera_record want = seed_camera(5, 0);
        {
            auto change = [&] { return edit_camera(TQDB_FILE, 5, [&](camera_record& c) { r.other(c); }); };
            held_change other(change, 600);
            EXPECT_EQ(post(r.code, r.body).out, text_reply("OK")) << "row at line " << r.line;
            EXPECT_EQ(other.result(), 0) << "row at line " << r.line;
        }
        r.other(want);
        r.own(want);
        EXPECT_TRUE(same(camera(5), want)) << "row at line " << r.line;
    }
}

}  // namespace
}  // namespace xcase
