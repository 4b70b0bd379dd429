// Stream settings end to end: the capabilities with the channel's stored
// fields, the settings message of one channel and of many (which words say
// "leave unchanged"), the answer's channel mask, the extra stream, refusals
// and missing answers.
#include <cstring>

#include "platform/tqdb/rec_camera.h"
#include "tests/harness/event_forms.h"
#include "tests/relays/relay_cases.h"

namespace xcase {
namespace {

using evforms::channel_text;
using evforms::jstr;
using evforms::num;
using evforms::spaced;

// Answer 8204, by word: state, channel, the main resolutions given, current
// main 1920x1080, the sub list and current sub, smart stream words.
bytes caps(int32_t state, int32_t chn, std::initializer_list<std::pair<int, int>> main_res,
           std::pair<int, int> cur = {1920, 1080}) {
    record r(584);
    r.i32(0, state).i32(4, chn);
    int i = 0;
    for (auto [w, h] : main_res) r.i32(8 + 8 * i, w).i32(12 + 8 * i, h), ++i;
    r.i32(200, 25).i32(204, 1).i32(208, 8192).i32(212, 64).i32(216, 2).i32(220, cur.first).i32(224, cur.second);
    r.i32(228, 20).i32(232, 4096).i32(236, 50);
    r.i32(244, 704).i32(248, 576).i32(252, 352).i32(256, 288);
    r.i32(436, 25).i32(440, 1).i32(444, 1024).i32(448, 32).i32(452, 1).i32(456, 352).i32(460, 288);
    r.i32(464, 15).i32(468, 512).i32(472, 30);
    for (int w = 120; w <= 129; ++w) r.i32(4 * w, w);
    return r;
}

std::string res_json(std::initializer_list<std::pair<int, int>> list) {
    std::string out = "[ ";
    bool first = true;
    for (auto [w, h] : list) {
        out += (first ? "" : ", ") + spaced({{"width", num(w)}, {"height", num(h)},
                                             {"name", jstr(num(w) + "*" + num(h))}});
        first = false;
    }
    return out + " ]";
}

std::string repeat(const std::string& piece, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += piece;
    return out;
}

const char* one_keys =
    R"("mainFramerate":25,"mainBitrate":4096,"mainResWidth":1920,"mainResHeight":1080,"subEnable":1,"audioEnable":1)";

class Streams : public relay_case {
protected:
    void store_channel(int chn) {
        camera_record cam;
        std::memset(&cam, 0, sizeof cam);
        cam.id = chn;
        cam.enable = 1;
        cam.manage_port = 8000;
        cam.protocol = 4;
        cam.transmit_protocol = 1;
        cam.sync_time = 1;
        cam.poe_channel = 2;
        cam.physical_port = 3;
        std::strcpy(cam.mac_addr, "02:00:00:00:00:07");
        std::strcpy(cam.ddns, "cam.ddns");
        ASSERT_EQ(write_camera(TQDB_FILE, &cam), 0);
        osd_record osd;
        ASSERT_EQ(load_osd(TQDB_FILE, &osd, chn), 0);
        std::strcpy(osd.cam_name, "Gate");
        ASSERT_EQ(write_osd(TQDB_FILE, &osd), 0);
        ipc_model_record model = {4, 6, "model", 0, 0};
        ASSERT_EQ(write_ipc_model(TQDB_FILE, &model), 0);
    }
};

TEST_F(Streams, CapabilitiesJoinTheStoredChannelAndCutTheResolutionList) {
    store_channel(7);
    const std::string head =
        spaced({{"stateCode", "0"}, {"id", "7"}, {"name", jstr("Gate")}, {"subEnable", "120"}, {"audioEnable", "121"},
                {"videoTypeEnable", "122"}, {"mainVideoType", "2"}, {"subVideoType", "1"}, {"ipc_type", "123"},
                {"syncTime", "1"}, {"protocol", "6"}, {"managePort", "8000"}, {"physicalport", "3"},
                {"poechannel", "2"}, {"mac_addr", jstr("02:00:00:00:00:07")}, {"transmitProtocol", "1"},
                {"ddns", jstr("cam.ddns")}, {"subStream", "124"}, {"SupportSmartStream", "125"},
                {"SmartStream", "126"}, {"SmartStreamLevel", "127"}, {"SubSmartStream", "128"},
                {"SubSmartStreamLevel", "129"}});
    auto block = [](int cur, const std::string& res, std::initializer_list<int> rest) {
        const char* keys[] = {"framerateMax", "framerateMin", "bitrateMax", "bitrateMin",
                              "framerate", "bitrate", "iframeinterval"};
        std::vector<std::pair<std::string, std::string>> m = {{"curRes", num(cur)}, {"res", res}};
        int k = 0;
        for (int v : rest) m.push_back({keys[k++], num(v)});
        return spaced(m);
    };
    const std::string sub = block(1, res_json({{704, 576}, {352, 288}}), {25, 1, 1024, 32, 15, 512, 30});
    auto reply = [&](const std::string& main) {
        return json_reply(head.substr(0, head.size() - 2) + ", \"main\": " + main + ", \"sub\": " + sub + " }");
    };
    std::vector<std::pair<int, int>> full;
    for (int i = 1; i <= 24; ++i) full.push_back({100 * i, 10 * i});
    bytes all = caps(0, 7, {}, {2400, 240});
    for (int i = 0; i < 24; ++i) {
        std::memcpy(all.data() + 8 + 8 * i, &full[i].first, 4);
        std::memcpy(all.data() + 12 + 8 * i, &full[i].second, 4);
    }
    std::string all_json = "[ ";
    for (int i = 0; i < 24; ++i)
        all_json += (i ? ", " : "") + spaced({{"width", num(full[i].first)}, {"height", num(full[i].second)},
                                              {"name", jstr(num(full[i].first) + "*" + num(full[i].second))}});
    all_json += " ]";
    run(std::vector<exchange>{
        // The third pair is (0, 0): two resolutions; the current one is the second.
        {__LINE__, "/2009", R"({"chnid":7})", 3204, int_bytes({7}),
         caps(0, 7, {{2560, 1440}, {1920, 1080}, {0, 0}, {1280, 720}}),
         reply(block(1, res_json({{2560, 1440}, {1920, 1080}}), {25, 1, 8192, 64, 20, 4096, 50}))},
        // A pair with one zero ends the list too; a current size not listed gives 0.
        {__LINE__, "/2009", R"({"chnid":7})", 3204, int_bytes({7}),
         caps(0, 7, {{2560, 1440}, {1280, 0}, {1920, 1080}}, {640, 480}),
         reply(block(0, res_json({{2560, 1440}}), {25, 1, 8192, 64, 20, 4096, 50}))},
        // All 24 pairs in use: the list stops at the record's end, not at the next words.
        {__LINE__, "/2009", R"({"chnid":7})", 3204, int_bytes({7}), all,
         reply(block(23, all_json, {25, 1, 8192, 64, 20, 4096, 50}))},
        // The camera did not answer: the state alone.
        {__LINE__, "/2009", R"({"chnid":7})", 3204, int_bytes({7}), caps(-5, 7, {{1920, 1080}}),
         json_reply(R"({ "stateCode": -5 })")},
    });
}

TEST_F(Streams, SettingsMarkTheirChannelsAndLeaveTheRestUnchanged) {
    const std::string none = std::string(64, '0');
    // Every word -1 but the two zero words, then the given ones.
    auto words = [](std::initializer_list<std::pair<size_t, int32_t>> given) {
        std::vector<std::pair<size_t, int32_t>> all;
        for (size_t at = 68; at < 204; at += 4)
            if (at != 92 && at != 148) all.push_back({at, -1});
        all.insert(all.end(), given.begin(), given.end());
        return all;
    };
    auto payload = [](const std::string& mask, const std::vector<std::pair<size_t, int32_t>>& w) {
        record r(204);
        r.text(0, mask);
        for (auto [at, v] : w) r.i32(at, v);
        return bytes(r);
    };
    const uint64_t bits_1_2 = 0x6, bit_63 = uint64_t{1} << 63;
    run(std::vector<exchange>{
        // Channel 5 alone; the keys the request leaves out are left unchanged.
        {__LINE__, "/2010", std::string(R"({"id":5,)") + one_keys + "}", 3203,
         payload(channel_text({5}), words({{84, 1}, {100, 1920}, {104, 1080}, {108, 25}, {112, 4096}})),
         bytes_of(uint64_t{1} << 5), json_reply(R"({ "res": ")" + channel_text({5}) + R"(" })")},
        // Every key of the page in its place; the transmit words stay -1.
        {__LINE__, "/2010",
         std::string(R"({"id":63,"videoTypeEnable":1,"fisheyeType":2,"mainVideoType":3,"IframeInterval":4,)"
                     R"("bitrateControl":5,"SmartStream":6,"SmartStreamLevel":7,"recordtype":8,"etframerate":9,)"
                     R"("etIframeinterval":10,"etbitrate":11,"subVideoType":12,"subResWidth":13,"subResHeight":14,)"
                     R"("subFramerate":15,"subBitrate":16,"subIframeInterval":17,"SubBitrateControl":18,)"
                     R"("SubSmartStream":19,"SubSmartStreamLevel":20,)") + one_keys + "}",
         3203,
         payload(channel_text({63}),
                 words({{80, 1}, {84, 1}, {88, 2}, {96, 3}, {100, 1920}, {104, 1080}, {108, 25}, {112, 4096},
                        {116, 4}, {120, 5}, {124, 6}, {128, 7}, {132, 8}, {136, 9}, {140, 10}, {144, 11},
                        {152, 12}, {156, 13}, {160, 14}, {164, 15}, {168, 16}, {172, 17}, {176, 18}, {180, 19},
                        {184, 20}})),
         bytes_of(bit_63), json_reply(R"({ "res": ")" + channel_text({63}) + R"(" })")},
        // Many channels: [0,1,1] changes 1 and 2; transport and time sync go
        // out, smart stream and event stream stay -1.
        {__LINE__, "/2030",
         R"({"chans":[0,1,1],"transmitProtocol":1,"syncTime":1,"subEnable":1,"mainVideoType":2,"mainResWidth":1280,"mainResHeight":720,"mainFramerate":15,"mainBitrate":2048,"IframeInterval":30,"mainBitrateControl":1,"subVideoType":1,"subResWidth":352,"subResHeight":288,"subFramerate":10,"subBitrate":256,"subIframeInterval":20,"subBitrateControl":0})",
         3203,
         payload(channel_text({1, 2}),
                 words({{68, 1}, {72, 1}, {80, 1}, {84, 1}, {88, 0}, {96, 2}, {100, 1280}, {104, 720}, {108, 15},
                        {112, 2048}, {116, 30}, {120, 1}, {152, 1}, {156, 352}, {160, 288}, {164, 10}, {168, 256},
                        {172, 20}, {176, 0}})),
         bytes_of(bits_1_2), json_reply(R"({ "res": ")" + channel_text({1, 2}) + R"(" })")},
        // Only the first 64 elements of "chans" count.
        {__LINE__, "/2030", R"({"chans":[0)" + repeat(",0", 63) + ",1,1]}",
         3203, payload(none, words({{80, 1}, {88, 0}})), bytes_of(uint64_t{0}),
         json_reply(R"({ "res": ")" + none + R"(" })")},
    });
}

TEST_F(Streams, TheExtraStreamIsRelayed) {
    run(std::vector<exchange>{
        {__LINE__, "/2060", R"({"chnid":4,"fisheyeType":2})", 1217, int_bytes({4, 2}), int_bytes({4, 2, 1, 15, 1024, 30}),
         json_reply(R"({ "chnid": 4, "enable": 1, "framerate": 15, "bitrate": 1024, "iframeinterval": 30 })")},
        // The word after the channel travels as zero.
        {__LINE__, "/2061", R"({"chnid":4,"fisheyeType":2,"enable":1,"framerate":12,"bitrate":512,"iframeinterval":24})",
         1218, int_bytes({4, 0, 1, 12, 512, 24}), int_bytes({-1}), json_reply(R"({ "res": -1 })")},
    });
}

TEST_F(Streams, ARefusedRequestSendsNothing) {
    run(std::vector<refusal>{
        {__LINE__, "/2009", R"({"chnid":64})", json_failure()},
        {__LINE__, "/2009", R"({})", json_failure()},
        // The one-channel set answers nothing to what it refuses.
        {__LINE__, "/2010", std::string(R"({"id":64,)") + one_keys + "}", ""},
        {__LINE__, "/2010", std::string(R"({"id":-1,)") + one_keys + "}", ""},
        {__LINE__, "/2010", R"({"id":1,"mainBitrate":1,"mainResWidth":1,"mainResHeight":1,"subEnable":1,"audioEnable":1})", ""},
        {__LINE__, "/2010", R"({"id":1,"mainFramerate":1,"mainBitrate":-1,"mainResWidth":1,"mainResHeight":1,"subEnable":1,"audioEnable":1})", ""},
        {__LINE__, "/2010", R"({"id":1,"mainFramerate":1,"mainBitrate":1,"mainResWidth":1,"mainResHeight":1,"audioEnable":1})", ""},
        {__LINE__, "/2010", R"({"id":1,"mainFramerate":1,"mainBitrate":1,"mainResWidth":1,"mainResHeight":1,"subEnable":1,"audioEnable":2})", ""},
        {__LINE__, "/2010", R"({"id":1,"mainFramerate":1,"mainBitrate":1,"mainResWidth":1,"mainResHeight":1,"subEnable":1})", ""},
        {__LINE__, "/2030", "{chans", ""},
        {__LINE__, "/2060", R"({"chnid":64})", json_failure()},
        {__LINE__, "/2060", "chnid=1", json_failure()},
        {__LINE__, "/2061", R"({"chnid":-1,"enable":1})", json_failure()},
    });
}

TEST_F(Streams, AMissingOrShortAnswerGivesTheFailureReply) {
    const std::string one = std::string(R"({"id":1,)") + one_keys + "}";
    run(std::vector<missing_answer>{
        {__LINE__, "/2009", R"({"chnid":1})", 3204, true, {}, json_failure()},
        {__LINE__, "/2009", R"({"chnid":1})", 3204, false, record(583), json_failure()},
        // The one-channel set fails in plain text, the many-channel one in JSON.
        {__LINE__, "/2010", one, 3203, true, {}, text_failure()},
        {__LINE__, "/2010", one, 3203, false, record(7), text_failure()},
        {__LINE__, "/2030", R"({"chans":[1]})", 3203, true, {}, json_failure()},
        {__LINE__, "/2060", R"({"chnid":1})", 1217, false, record(23), json_failure()},
        {__LINE__, "/2061", R"({"chnid":1})", 1218, true, {}, json_failure()},
    });
}

}  // namespace
}  // namespace xcase
