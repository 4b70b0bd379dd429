// Stream addresses (/4010, /4018, /4021), the busy state (/3004), picture
// settings of a playback channel (/3000, /3001, /3002) and the channel notes
// (/4014 .. /4017, /4024).
#include "tests/playback/playback_fixture.h"

#include <json-c/json.h>


namespace pbtest {
namespace {

TEST_F(Playback, StreamAddressIsLoggedWhenGranted) {
    const bytes granted = record(976).i32(0, 6).i32(4, 554).i32(24, 1).i32(28, 0).text(96, "rtsp://10.0.0.2/pb").fill(352, 624, 'r');
    const std::string granted_json = R"({ "status": "OK", "port": 554, "direct": 1, "rtspAddr": ")" + json_text("rtsp://10.0.0.2/pb") + R"(", "resPath": ")" +
                                     std::string(624, 'r') + "\" }";
    struct row {
        int line;
        std::string body;
        bytes reply;
        std::string out;
        std::vector<msg> want;
    } rows[] = {
        {__LINE__, R"({"id":6,"streamType":0,"streamFrom":1})", granted, json_reply(granted_json),
         {{3500, record(12).i32(0, 6).i32(8, 1)}, any_payload(3485)}},
        {__LINE__, R"({"id":6,"streamType":1,"streamFrom":0})", record(976).i32(0, 6).i32(28, -1),
         json_reply(R"({ "status": "ERROR" })"), {{3500, record(12).i32(0, 6).i32(4, 1)}}},
        {__LINE__, R"({"id":6,"streamType":1,"streamFrom":0})", bytes(975, 0), failed_reply(), {any_payload(3500)}},
        {__LINE__, R"({"id":64,"streamType":0,"streamFrom":0})", granted, "", {}},
        {__LINE__, R"({"id":1,"streamType":2,"streamFrom":0})", granted, "", {}},
        {__LINE__, R"({"id":1,"streamType":0,"streamFrom":-1})", granted, "", {}},
        {__LINE__, R"({"id":1,"streamType":0})", granted, "", {}},
    };
    for (const auto& r : rows) {
        fresh_case();
        core.use_defaults(false);
        core.add_reply(3500, 8500, r.reply);
        EXPECT_EQ(post("/4010", r.body).out, r.out) << "row at line " << r.line;
        expect_sent(r.want, r.line);
        auto got = sent();
        // The entry names the reply's channel and goes out on the open link.
        if (got.size() == 2) {
            expect_log(got[1], 208, 7, r.line);
            EXPECT_EQ(got[0].conn, got[1].conn) << "row at line " << r.line;
        }
    }
}

// Member names of a JSON object, in order.
std::vector<std::string> keys_of(json_object* obj) {
    std::vector<std::string> keys;
    json_object_object_foreach(obj, key, value) {
        (void)value;
        keys.push_back(key);
    }
    return keys;
}

std::string member(json_object* obj, const char* key) {
    json_object* v = nullptr;
    if (!json_object_object_get_ex(obj, key, &v)) return "<absent>";
    return json_object_get_string(v);
}

TEST_F(Playback, AddressListReadsEachRecordWithinItsSize) {
    // Record 0: every field set. Record 1: the sub-stream resource path runs
    // to the end of the record without a terminator.
    record r0(1476);
    r0.text(4, "rtsp://cam1/main").text(260, "rtsp://cam1/sub");
    for (int i = 0; i < 5; ++i) r0.i32(520 + 4 * i, 100 + i).i32(1000 + 4 * i, 200 + i);
    r0.text(540 + 8, "mainuser").text(540 + 40, "mainpass").text(540 + 328, "/main/path");
    r0.text(1020 + 8, "subuser").text(1020 + 40, "subpass").text(1020 + 328, "/sub/path");
    record r1(1476);
    r1.fill(4, 256, 'm').fill(1020 + 328, 128, 's').fill(540 + 8, 32, 'u');
    core.use_defaults(false);
    core.add_reply(3503, 8503, concat({r0, r1, bytes(1475, 'x')}));
    cgi_result res = cgi_get(root, "/4018");
    expect_sent({{3503, {}}}, __LINE__);

    const std::string header = json_reply("");
    ASSERT_EQ(res.out.compare(0, header.size(), header), 0) << res.out;
    json_object* doc = json_tokener_parse(res.out.c_str() + header.size());
    ASSERT_NE(doc, nullptr) << res.out;
    json_object* list = nullptr;
    ASSERT_TRUE(json_object_object_get_ex(doc, "rtspaddr", &list));
    ASSERT_EQ(json_object_array_length(list), 2u);

    json_object* first = json_object_array_get_idx(list, 0);
    EXPECT_EQ(keys_of(first), (std::vector<std::string>{"ipc", "nvr"}));
    json_object *ipc = nullptr, *nvr = nullptr;
    json_object_object_get_ex(first, "ipc", &ipc);
    json_object_object_get_ex(first, "nvr", &nvr);
    EXPECT_EQ(keys_of(ipc), (std::vector<std::string>{"main", "sub"}));
    EXPECT_EQ(member(ipc, "main"), "rtsp://cam1/main");
    EXPECT_EQ(member(ipc, "sub"), "rtsp://cam1/sub");
    EXPECT_EQ(keys_of(nvr),
              (std::vector<std::string>{"mainUsername", "mainPassword", "mainPort", "mainExternalPort", "mainDDNSPort",
                                        "mainResPath", "mainExternalHttpPort", "mainDDNSHttpPort", "subUsername",
                                        "subPassword", "subPort", "subExternalPort", "subDDNSPort", "subResPath",
                                        "subExternalHttpPort", "subDDNSHttpPort"}));
    const std::vector<std::pair<const char*, std::string>> values = {
        {"mainUsername", "mainuser"}, {"mainPassword", "mainpass"}, {"mainPort", "100"}, {"mainExternalPort", "101"},
        {"mainDDNSPort", "102"}, {"mainResPath", "/main/path"}, {"mainExternalHttpPort", "103"},
        {"mainDDNSHttpPort", "104"}, {"subUsername", "subuser"}, {"subPassword", "subpass"}, {"subPort", "200"},
        {"subExternalPort", "201"}, {"subDDNSPort", "202"}, {"subResPath", "/sub/path"},
        {"subExternalHttpPort", "203"}, {"subDDNSHttpPort", "204"}};
    for (const auto& [key, want] : values) EXPECT_EQ(member(nvr, key), want) << key;

    json_object* second = json_object_array_get_idx(list, 1);
    json_object_object_get_ex(second, "ipc", &ipc);
    json_object_object_get_ex(second, "nvr", &nvr);
    EXPECT_EQ(member(ipc, "main"), std::string(256, 'm'));
    EXPECT_EQ(member(nvr, "mainUsername"), std::string(32, 'u'));
    EXPECT_EQ(member(nvr, "mainPassword"), "");
    EXPECT_EQ(member(nvr, "subResPath"), std::string(128, 's'));
    json_object_put(doc);

    // No record: an empty list.
    fresh_case();
    core.add_reply(3503, 8503, bytes(100, 0));
    EXPECT_EQ(cgi_get(root, "/4018").out, json_reply(R"({ "rtspaddr": [ ] })"));
}

TEST_F(Playback, SmallQueriesRenderTheirReplies) {
    struct row {
        int line;
        std::string code, body;
        int32_t request_id, reply_id;
        bytes reply;
        std::string out;
        bytes request;
    } rows[] = {
        {__LINE__, "/4021", "", 3506, 8506, record(8).i32(0, 8554).i32(4, 9554),
         json_reply(R"({ "upnp_extern_port": 8554, "ddns_extern_port": 9554 })"), {}},
        {__LINE__, "/3004", "", 4011, 9011, int_payload(0), json_reply(R"({ "status": "OK" })"), {}},
        {__LINE__, "/3004", "", 4011, 9011, int_payload(2), json_reply(R"({ "status": "BUSY" })"), {}},
        {__LINE__, "/3004", "", 4011, 9011, bytes(3, 1), failed_reply(), {}},
        {__LINE__, "/3000", R"({"chnid":4})", 3002, 8002,
         record(32).i32(4, 10).i32(8, 20).i32(12, 30).i32(16, 40).i32(20, 50).i32(24, 1),
         json_reply(R"({ "status": "OK", "brightness": 10, "contrast": 20, "saturation": 30, "Sharpness": 40, "NoiseReduction": 50, "i2ddnr": 1 })"),
         int_payload(4)},
        {__LINE__, "/3000", R"({"chnid":4})", 3002, 8002,
         record(32).i32(4, 10).i32(8, 20).i32(12, 30).i32(16, 40).i32(20, 50).i32(24, 1).i32(28, -3),
         json_reply(R"({ "status": "ERROR", "brightness": 10, "contrast": 20, "saturation": 30, "Sharpness": 40, "NoiseReduction": 50 })"),
         int_payload(4)},
    };
    for (const auto& r : rows) {
        fresh_case();
        core.use_defaults(false);
        core.add_reply(r.request_id, r.reply_id, r.reply);
        cgi_result res = r.body.empty() ? cgi_get(root, r.code) : post(r.code, r.body);
        EXPECT_EQ(res.out, r.out) << "row at line " << r.line;
        expect_sent({{r.request_id, r.request}}, r.line);
    }
    for (const char* bad : {R"({"chnid":64})", R"({"chnid":-1})", R"({})", "chnid=1"}) {
        fresh_case();
        EXPECT_EQ(post("/3000", bad).out, "") << bad;
        EXPECT_TRUE(sent().empty()) << bad;
    }
}

TEST_F(Playback, PictureSettingsAreSentAndLoggedAsPercentages) {
    auto picture = [](int32_t ch, int32_t b, int32_t c, int32_t s, int32_t sh, int32_t nr, int32_t dnr) {
        return record(28).i32(0, ch).i32(4, b).i32(8, c).i32(12, s).i32(16, sh).i32(20, nr).i32(24, dnr).data();
    };
    struct row {
        int line;
        std::string body;
        bytes sent_1205;                 // empty: refused, nothing sent
        std::vector<uint32_t> percents;  // the five logged values
    } rows[] = {
        {__LINE__, R"({"id":2,"brightness":128,"contrast":128,"saturation":128,"Sharpness":128,"NoiseReduction":128,"i2ddnr":1})",
         picture(2, 128, 128, 128, 128, 128, 1), {50, 50, 50, 50, 50}},
        {__LINE__, R"({"id":63,"brightness":255,"contrast":0,"saturation":1,"Sharpness":127,"NoiseReduction":254,"i2ddnr":0})",
         picture(63, 255, 0, 1, 127, 254, 0), {100, 0, 0, 50, 100}},
        {__LINE__, R"({"id":0,"brightness":3,"contrast":2,"saturation":64})", picture(0, 3, 2, 64, 0, 0, 0), {1, 1, 25, 0, 0}},
        {__LINE__, R"({"id":2,"brightness":256,"contrast":128,"saturation":128})", {}, {}},
        {__LINE__, R"({"id":2,"brightness":128,"contrast":-1,"saturation":128})", {}, {}},
        {__LINE__, R"({"id":2,"brightness":128,"contrast":128})", {}, {}},
        {__LINE__, R"({"id":64,"brightness":128,"contrast":128,"saturation":128})", {}, {}},
        {__LINE__, R"({"brightness":128,"contrast":128,"saturation":128})", {}, {}},
    };
    for (const auto& r : rows) {
        fresh_case();
        cgi_result res = post("/3001", r.body);
        if (r.sent_1205.empty()) {
            EXPECT_EQ(res.out, "") << "row at line " << r.line;
            EXPECT_TRUE(sent().empty()) << "row at line " << r.line;
            continue;
        }
        EXPECT_EQ(res.out, text_reply("OK")) << "row at line " << r.line;
        expect_sent({{1205, r.sent_1205}, any_payload(3485)}, r.line);
        auto got = sent();
        ASSERT_EQ(got.size(), 2u);
        expect_log(got[1], 217, int_at(r.sent_1205, 0) + 1, r.line);
        // Detail: type 107, then the five values, each most significant byte first.
        const bytes& p = got[1].payload;
        EXPECT_EQ(int_at(p, oplog_detail_size), 24) << "row at line " << r.line;
        auto be = [&](size_t at) {
            return uint32_t(p[at]) << 24 | uint32_t(p[at + 1]) << 16 | uint32_t(p[at + 2]) << 8 | p[at + 3];
        };
        EXPECT_EQ(be(oplog_detail), 107u) << "row at line " << r.line;
        for (size_t i = 0; i < 5; ++i) EXPECT_EQ(be(oplog_detail + 4 + 4 * i), r.percents[i]) << "row at line " << r.line << " value " << i;
    }
}

TEST_F(Playback, ChannelTextRequests) {
    struct row {
        int line;
        std::string code, text;
        std::string out;
        int64_t log_sub;  // 0: no log entry
        bytes sent_1205;
    } rows[] = {
        {__LINE__, "/3002", "5",
         json_reply(R"({ "ChannelId": 5, "Brightness": 128, "Contrast": 128, "Saturation": 128, "Sharpness": 128, "NoiseReduction": 128 })"),
         0, record(28).i32(0, 5).i32(4, 128).i32(8, 128).i32(12, 128).i32(16, 128).i32(20, 128)},
        {__LINE__, "/3002", "64", "", 0, {}},
        {__LINE__, "/4014", "3", text_reply("OK"), 205, {}},
        {__LINE__, "/4017", "0", text_reply("OK"), 218, {}},
        {__LINE__, "/4024", "63", text_reply("OK"), 208, {}},
        {__LINE__, "/4015", "7", text_reply("OK"), 0, {}},
        {__LINE__, "/4016", "7", text_reply("OK"), 0, {}},
        {__LINE__, "/4014", "64", "", 0, {}},
        {__LINE__, "/4017", "-1", "", 0, {}},
        {__LINE__, "/4024", "x", "", 0, {}},
        {__LINE__, "/4015", "", "", 0, {}},
        // The download and its marker check take JSON: a bare number is
        // refused (the cancel takes any text: the download tests).
        {__LINE__, "/4013", "1", "", 0, {}},
        {__LINE__, "/4019", "1", "", 0, {}},
    };
    for (const auto& r : rows) {
        fresh_case();
        cgi_result res = get(r.code, r.text);
        EXPECT_EQ(res.out, r.out) << "row at line " << r.line;
        if (!r.sent_1205.empty()) {
            expect_sent({{1205, r.sent_1205}}, r.line);
        } else if (r.log_sub) {
            expect_sent({any_payload(3485)}, r.line);
            auto got = sent();
            if (!got.empty()) expect_log(got[0], r.log_sub, std::stoi(r.text) + 1, r.line);
        } else {
            EXPECT_TRUE(sent().empty()) << "row at line " << r.line;
        }
    }
}

}  // namespace
}  // namespace pbtest
