// The alarm sound files: the core's list, the upload that renames exactly
// the uploaded file, and the requests that hand names and ids to the core.
#include "platform/textcode.h"
#include "tests/service/service_fixture.h"

namespace {

using coresim::bytes;

using AudioFiles = service::service_case;

std::string encoded(const std::string& name) {
    char out[256];
    base64EncodeUrl(reinterpret_cast<const unsigned char*>(name.data()), static_cast<int>(name.size()), out,
                    sizeof out);
    return out;
}

bytes entry(int32_t id, int32_t enable, const std::string& name) {
    return xcase::record(136).i32(0, id).i32(4, enable).text(8, name);
}

bytes entries(std::initializer_list<bytes> list) {
    bytes out;
    for (const bytes& b : list) out.insert(out.end(), b.begin(), b.end());
    return out;
}

TEST_F(AudioFiles, ListShowsTheEnabledEntriesWithTheirNames) {
    // clang-format off
    struct row {
        int line;
        bytes answer;
        std::string reply;
    } rows[] = {
        {__LINE__, entries({entry(0, 1, encoded("door.wav")), entry(1, 0, encoded("off.wav")), entry(2, 1, "*bad*")}),
         R"({ "audioFileList": [ { "id": 0, "enable": 1, "name": "door.wav" }, { "id": 2, "enable": 1 } ], "status": 0 })"},
        {__LINE__, entry(9, 1, encoded("T\xc3\xbcr 1.WAV")),
         R"({ "audioFileList": [ { "id": 9, "enable": 1, "name": "T\u00fcr 1.WAV" } ], "status": 0 })"},
        {__LINE__, entry(3, 0, ""), R"({ "audioFileList": [ ], "status": 0 })"},
        // No whole entry: not an answer, the wait runs out.
        {__LINE__, bytes(100, 1), "{status:\"CGI ERROR\"}"},
    };
    // clang-format on
    for (const auto& r : rows) {
        fresh_case();
        answer(4012, r.answer);
        const cgi_result res = get("/6320", "");
        json_ref got = json_body(res), want = json_parse_object(r.reply.c_str());
        if (want) {
            ASSERT_TRUE(got) << "row at line " << r.line << ": " << res.out;
            EXPECT_TRUE(json_object_equal(got.get(), want.get()))
                << "row at line " << r.line << ": " << res.out;
        } else {
            EXPECT_EQ(res.out, json_reply(r.reply)) << "row at line " << r.line;
        }
        expect_sent({{4012, {}}}, r.line);
    }
}

TEST_F(AudioFiles, UploadRenamesExactlyTheUploadedFile) {
    const std::string long_name = std::string(100, 'w') + ".wav";
    // clang-format off
    struct row {
        int line;
        std::string file_name;  // "": a GET naming a file instead of an upload
        std::string reply;
        std::string left;  // /tmp afterwards
    } rows[] = {
        {__LINE__, "alarm.WAV", "CGI OK status:[0], data:[" + encoded("alarm.WAV") + "]",
         encoded("alarm.WAV") + " other.wav "},
        {__LINE__, "dir\\bell.wav", "CGI OK status:[0], data:[" + encoded("bell.wav") + "]",
         encoded("bell.wav") + " other.wav "},
        {__LINE__, "a;touch pwned.wav", "CGI OK status:[0], data:[" + encoded("a;touch pwned.wav") + "]",
         encoded("a;touch pwned.wav") + " other.wav "},
        {__LINE__, "alarm.mp3", "CGI ERROR status:[-1], data:[]", "other.wav "},
        {__LINE__, long_name, "CGI ERROR status:[-1], data:[]", "other.wav "},
        {__LINE__, "", "CGI ERROR status:[-1], data:[]", "other.wav "},
    };
    // clang-format on
    for (const auto& r : rows) {
        for (const std::string& name : root.list("/tmp")) unlink(root.file("/tmp/" + name).c_str());
        root.write("/tmp/other.wav", "another upload");
        const cgi_result res =
            r.file_name.empty() ? get("/6321", "/tmp/other.wav") : upload("/6321", r.file_name, "RIFF");
        EXPECT_EQ(res.out, text_reply(r.reply)) << "row at line " << r.line;
        EXPECT_EQ(service::listing(root, "/tmp"), r.left) << "row at line " << r.line;
        EXPECT_EQ(root.read("/tmp/other.wav"), "another upload") << "row at line " << r.line;
        EXPECT_FALSE(pwned()) << "row at line " << r.line;
    }
}

TEST_F(AudioFiles, RequestsHandTheCoreNamesAndIdsAndLogWhatItAnswered) {
    const bytes log = xcase::oplog(204, 925, 0);
    const std::string error = "{status:\"CGI ERROR\"}";
    // clang-format off
    struct row {
        int line;
        const char* code;
        std::string body;
        std::function<void(AudioFiles&)> script;
        std::string reply;
        std::vector<xcase::msg> sent;
        std::string left = "";  // /tmp afterwards
    } rows[] = {
        {__LINE__, "/6322", R"({"uploadName": "up1", "name": "Front door"})", [](AudioFiles& f) { f.answer_int(4013, 0); },
         R"({ "status": 0 })", {{4013, padded(encoded("Front door"), 128)}, {3485, log}}, encoded("Front door") + " "},
        {__LINE__, "/6322", R"({"uploadName": "up1", "name": "Front door"})", [](AudioFiles& f) { f.answer_nothing(4013); },
         error, {{4013, padded(encoded("Front door"), 128)}}, encoded("Front door") + " "},
        // Only a plain file directly in /tmp; names that do not fit refused.
        {__LINE__, "/6322", R"({"uploadName": "../tmp/up1", "name": "x"})", nullptr, error, {}, "up1 "},
        {__LINE__, "/6322", R"({"uploadName": "missing", "name": "x"})", nullptr, error, {}, "up1 "},
        {__LINE__, "/6322", R"({"uploadName": "up1", "name": ")" + std::string(100, 'n') + "\"}", nullptr, error, {},
         "up1 "},
        {__LINE__, "/6322", R"({"uploadName": "up1"})", nullptr, error, {}, "up1 "},
        {__LINE__, "/6323", R"({"idMask": 1})", [](AudioFiles& f) { f.answer_int(4014, 0); }, R"({ "status": 0 })",
         {{4014, int_bytes({1})}, {3485, log}}, "up1 "},
        {__LINE__, "/6323", R"({"idMask": 1024})", nullptr, error, {}, "up1 "},
        {__LINE__, "/6323", R"({"idMask": 1536})", [](AudioFiles& f) { f.answer_int(4014, -2); }, R"({ "status": -2 })",
         {{4014, int_bytes({1536})}, {3485, log}}, "up1 "},
        {__LINE__, "/6324", R"({"id": 4, "name": "Siren"})", [](AudioFiles& f) { f.answer_int(4015, 0); },
         R"({ "status": 0 })", {{4015, entry(4, 1, encoded("Siren"))}, {3485, log}}, "up1 "},
        {__LINE__, "/6324", R"({"id": 4, "name": ")" + std::string(100, 'n') + "\"}", nullptr, error, {}, "up1 "},
        {__LINE__, "/6325", R"({"id": 7})", [](AudioFiles& f) { f.answer_int(4016, 1); }, R"({ "status": 1 })",
         {{4016, int_bytes({7})}}, "up1 "},
    };
    // clang-format on
    for (const auto& r : rows) {
        fresh_case();
        for (const std::string& name : root.list("/tmp")) unlink(root.file("/tmp/" + name).c_str());
        root.write("/tmp/up1", "RIFF");
        if (r.script) r.script(*this);
        EXPECT_EQ(post(r.code, r.body).out, json_reply(r.reply)) << "row at line " << r.line;
        expect_sent(r.sent, r.line);
        EXPECT_EQ(service::listing(root, "/tmp"), r.left) << "row at line " << r.line;
    }
}

}  // namespace
