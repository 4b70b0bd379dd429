// Stored PTZ settings end to end: the serial port of listed channels and
// the speeds of a camera; the database afterwards, the notices, the log,
// and the refusals that must leave every row as it was.
#include "platform/tqdb/rec_ptz.h"
#include "platform/tqdb/tqdb.h"
#include "tests/harness/db_faults.h"
#include "tests/ptz/ptz_bytes.h"

#include <functional>

namespace xcase {
namespace {

class PtzSettings : public exchange_case {
protected:
    ptz_port_record port(int chn) { return read_back<ptz_port_record>(tqdb_tbl_ptz_port, chn); }
    ptz_speed_record speed(int chn) { return read_back<ptz_speed_record>(tqdb_tbl_ptz_speed, chn); }
    template <typename T>
    static bool same(const T& a, const T& b) {
        return std::memcmp(&a, &b, sizeof a) == 0;
    }
};

const char port_keys[] =
    R"("connectType":1,"baudRate":4800,"dataBits":7,"stopBits":2,"parityType":2,"protocol":13,"address":31)";

// A "/6051" body for channel 2 with the settings above, key set to value
// (an empty value leaves the key out).
std::string port_body(const std::string& key, const std::string& value) {
    const std::pair<std::string, std::string> keys[] = {
        {"connectType", "1"}, {"baudRate", "4800"}, {"dataBits", "7"}, {"stopBits", "2"},
        {"parityType", "2"},  {"protocol", "13"},   {"address", "31"},
    };
    std::string body = R"({"cnt":1,"chnid":[2])";
    for (const auto& [k, v] : keys) {
        if (k == key && value.empty()) continue;
        body += ",\"" + k + "\":" + (k == key ? value : v);
    }
    return body + "}";
}

TEST_F(PtzSettings, SerialPortIsStoredForEachListedChannel) {
    ptz_port_record before9 = port(9);
    before9.reserved = 77;
    ASSERT_EQ(write_ptz_port(TQDB_FILE, &before9), 0);
    ptz_port_record untouched = port(0);

    std::string body = R"({"cnt":5,"chnid":[9,64,-1,"3",40,41],)" + std::string(port_keys) + "}";
    EXPECT_EQ(post("/6051", body).out, text_reply("OK"));
    // Channels outside 0..63 (and non-numbers) are skipped; the count stops
    // the list before 41.
    expect_sent({{1252, int_bytes({9})}, ptz_log(904, 9), {1252, int_bytes({40})}, ptz_log(904, 40)}, __LINE__);
    for (int chn : {9, 40}) {
        ptz_port_record p = port(chn);
        EXPECT_EQ(p.cam_id, chn);
        EXPECT_EQ(p.connect_type, 1);
        EXPECT_EQ(p.baud_rate, 4800);
        EXPECT_EQ(p.data_bits, 7);
        EXPECT_EQ(p.stop_bits, 2);
        EXPECT_EQ(p.parity_type, 2);
        EXPECT_EQ(p.protocol, 13);
        EXPECT_EQ(p.address, 31);
    }
    // The field the settings do not cover is kept.
    EXPECT_EQ(port(9).reserved, 77);
    EXPECT_TRUE(same(port(0), untouched));
    EXPECT_EQ(port(41).baud_rate, 9600);

    EXPECT_EQ(post("/6050", R"({"chnid":40})").out,
              json_reply(R"({ "camId": 40, "connectType": 1, "baudRate": 4800, "dataBits": 7, "stopBits": 2, )"
                         R"("parityType": 2, "protocol": 13, "address": 31 })"));
    EXPECT_EQ(post("/6050", R"({"chnid":1})").out,
              json_reply(R"({ "camId": 1, "connectType": 0, "baudRate": 9600, "dataBits": 8, "stopBits": 1, )"
                         R"("parityType": 0, "protocol": 0, "address": 1 })"));
}

TEST_F(PtzSettings, SerialPortRequestsOutsideTheRangesAreRefused) {
    struct row {
        int line;
        std::string body;
    } rows[] = {
        {__LINE__, port_body("dataBits", "4")},
        {__LINE__, port_body("dataBits", "9")},
        {__LINE__, port_body("connectType", "2")},
        {__LINE__, port_body("connectType", "-1")},
        {__LINE__, port_body("baudRate", "-1")},
        {__LINE__, port_body("stopBits", "-1")},
        {__LINE__, port_body("parityType", "3")},
        {__LINE__, port_body("protocol", "14")},
        {__LINE__, port_body("address", "-1")},
        {__LINE__, port_body("protocol", "")},
        {__LINE__, port_body("address", "")},
        {__LINE__, R"({"chnid":[2],)" + std::string(port_keys) + "}"},
        {__LINE__, R"({"cnt":1,)" + std::string(port_keys) + "}"},
        {__LINE__, "cnt=1"},
    };
    ptz_port_record before = port(2);
    for (const auto& r : rows) {
        fresh_case();
        EXPECT_EQ(post("/6051", r.body).out, "") << "row at line " << r.line << ": " << r.body;
        EXPECT_TRUE(sent().empty()) << "row at line " << r.line;
    }
    EXPECT_TRUE(same(port(2), before));
    // The edges of the ranges are accepted.
    fresh_case();
    EXPECT_EQ(post("/6051", port_body("dataBits", "5")).out, text_reply("OK"));
    EXPECT_EQ(post("/6051", port_body("dataBits", "8")).out, text_reply("OK"));
    EXPECT_EQ(port(2).data_bits, 8);
    // A getter refused: the JSON error.
    EXPECT_EQ(post("/6050", R"({"chnid":64})").out, json_failure());
    EXPECT_EQ(post("/6050", "x").out, json_failure());
}

TEST_F(PtzSettings, SpeedsAreStoredPerCameraAndNeverOnAnother) {
    ptz_speed_record zero_before = speed(0);
    EXPECT_EQ(post("/6054", R"({"camId":12,"pan_speed":1,"tilt_speed":2,"zoom_speed":3,"foucs_speed":4})").out,
              text_reply("OK"));
    expect_sent({ptz_log(904, 12)}, __LINE__);
    EXPECT_EQ(post("/6053", R"({"camId":12})").out,
              json_reply(R"({ "pan_speed": 1, "tilt_speed": 2, "zoom_speed": 3, "foucs_speed": 4 })"));
    // A speed the request leaves out keeps its value.
    EXPECT_EQ(post("/6054", R"({"camId":12,"tilt_speed":9})").out, text_reply("OK"));
    EXPECT_EQ(post("/6053", R"({"camId":12})").out,
              json_reply(R"({ "pan_speed": 1, "tilt_speed": 9, "zoom_speed": 3, "foucs_speed": 4 })"));

    // Camera ids outside 0..63 are refused and camera 0 keeps its speeds.
    for (const std::string& body :
         {std::string(R"({"camId":64,"pan_speed":1})"), std::string(R"({"camId":-1,"pan_speed":1})"),
          std::string(R"({"pan_speed":1})"), std::string("camId=1")}) {
        fresh_case();
        EXPECT_EQ(post("/6054", body).out, "") << body;
        EXPECT_EQ(post("/6053", body).out, "") << body;
        EXPECT_TRUE(sent().empty()) << body;
    }
    EXPECT_TRUE(same(speed(0), zero_before));
    EXPECT_EQ(speed(0).cam_id, 0);
}

TEST_F(PtzSettings, SettingsThatCannotBeStoredAnswerTheFailureAndTellNobody) {
    struct row {
        int line;
        std::string code, body, refused;
    } rows[] = {
        {__LINE__, "/6051", R"({"cnt":2,"chnid":[9,40],)" + std::string(port_keys) + "}", "ptz_port"},
        {__LINE__, "/6054", R"({"camId":9,"pan_speed":7,"tilt_speed":7})", "ptz_speed"},
    };
    for (const auto& r : rows) {
        fresh_case();
        ptz_port_record ports[] = {port(9), port(40)};
        ptz_speed_record speeds = speed(9);
        {
            refused_writes refused(r.refused);
            EXPECT_EQ(post(r.code, r.body).out, text_failure()) << "row at line " << r.line;
        }
        EXPECT_TRUE(same(port(9), ports[0])) << "row at line " << r.line;
        EXPECT_TRUE(same(port(40), ports[1])) << "row at line " << r.line;
        EXPECT_TRUE(same(speed(9), speeds)) << "row at line " << r.line;
        EXPECT_TRUE(sent().empty()) << "row at line " << r.line << ": " << ids_text(sent());
    }
}

// Another writer changes the same record while a store runs: the store
// edits the record as that writer left it.
TEST_F(PtzSettings, AStoreKeepsWhatAnotherWriterChangedMeanwhile) {
    struct row {
        int line;
        std::string code, body;
        std::function<int()> other;
        std::function<bool()> both_kept;
    } rows[] = {
        {__LINE__, "/6054", R"({"camId":9,"tilt_speed":6})",
         [] { return edit_ptz_speed(TQDB_FILE, 9, [](ptz_speed_record& s) { s.pan_speed = 5; }); },
         [this] { return speed(9).pan_speed == 5 && speed(9).tilt_speed == 6; }},
        {__LINE__, "/6051", R"({"cnt":1,"chnid":[9],)" + std::string(port_keys) + "}",
         [] { return edit_ptz_port(TQDB_FILE, 9, [](ptz_port_record& p) { p.reserved = 55; }); },
         [this] { return port(9).reserved == 55 && port(9).baud_rate == 4800; }},
    };
    for (const auto& r : rows) {
        fresh_case();
        {
            held_change other(r.other, 600);
            EXPECT_EQ(post(r.code, r.body).out, text_reply("OK")) << "row at line " << r.line;
            EXPECT_EQ(other.result(), 0) << "row at line " << r.line;
        }
        EXPECT_TRUE(r.both_kept()) << "row at line " << r.line;
    }
}

}  // namespace
}  // namespace xcase
