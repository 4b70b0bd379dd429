#include "front/cgi_env.h"
#include "front/dispatchreq.h"
#include "front/intake.h"
#include "tests/harness/cgi_harness.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <map>

namespace {

// The ways a code's row may take an upload; every other code has its upload
// moved to "/tmp/<name>".
void takes_upload(request&) {}
const request_entry upload_rows[] = {
    {"/1010", takes_upload, IN_UPLOAD_UNREAD},
    {"/1019", takes_upload, IN_UPLOAD_TEMP},
    {"/2079", takes_upload, IN_UPLOAD_DIRECT},
    {"/6082", takes_upload, IN_UPLOAD_DIRECT},
    {"/oem", takes_upload, IN_UPLOAD_TEMP},
};

// What the dispatcher saw, and what the upload file held while it ran.
struct seen_request {
    int calls = 0;
    std::string code, text, upload_path, upload_data;
};
seen_request seen;
const test_root* current_root;

int record_dispatch(const char* code, char* text) {
    ++seen.calls;
    seen.code = code;
    seen.text = text;
    seen.upload_path = cgi_upload_path();
    if (!seen.upload_path.empty()) seen.upload_data = current_root->read(seen.upload_path);
    return 1;
}

struct intake_case {
    std::map<std::string, std::string> env;
    std::string body;
};

int run_intake(const test_root& root, const intake_case& c) {
    for (const char* name : {"REQUEST_METHOD", "PATH_INFO", "QUERY_STRING", "CONTENT_TYPE", "CONTENT_LENGTH",
                             "HTTP_COOKIE", "REMOTE_ADDR", "HTTP_HOST"})
        unsetenv(name);
    for (const auto& [k, v] : c.env) setenv(k.c_str(), v.c_str(), 1);
    seen = seen_request{};
    current_root = &root;
    int fd = fd_with_bytes(c.body);
    int rc = intake_run(fd, record_dispatch);
    close(fd);
    return rc;
}

std::string upload_body(const std::string& file_name, const std::string& data) {
    return "--b0\r\nContent-Disposition: form-data; name=\"file\"; filename=\"" + file_name +
           "\"\r\nContent-Type: application/octet-stream\r\n\r\n" + data + "\r\n--b0--\r\n";
}

intake_case upload(const std::string& code, const std::string& query, const std::string& file_name,
                   const std::string& data = "DATA") {
    std::string body = upload_body(file_name, data);
    return {{{"REQUEST_METHOD", "POST"},
             {"PATH_INFO", code},
             {"QUERY_STRING", query},
             {"CONTENT_TYPE", "multipart/form-data; boundary=b0"},
             {"CONTENT_LENGTH", std::to_string(body.size())}},
            body};
}

TEST(Intake, GetTextIsCutAt255AndDecodesOnlyQuotes) {
    std::string q300(300, 'a');
    q300.replace(0, 3, "%22");
    std::string expected = "\"" + std::string(252, 'a');
    struct row {
        int line;
        std::string query, text;
    } rows[] = {
        {__LINE__, "{%22a%22:1}", "{\"a\":1}"},
        {__LINE__, "a+b%20c", "a+b%20c"},
        {__LINE__, q300, expected},
        {__LINE__, std::string(254, 'x') + "%22", std::string(254, 'x') + "%"},  // cut before decoding
        {__LINE__, "%2%22", "%2\""},
    };
    test_root root;
    for (const auto& r : rows) {
        EXPECT_EQ(intake_get_text(r.query.c_str()), r.text) << "row at line " << r.line;
        ASSERT_EQ(run_intake(root, {{{"REQUEST_METHOD", "gEt"}, {"PATH_INFO", "/2001"}, {"QUERY_STRING", r.query}}, ""}),
                  0);
        EXPECT_EQ(seen.text, r.text) << "row at line " << r.line;
        EXPECT_EQ(seen.code, "/2001");
    }
}

TEST(Intake, PostBodiesAreTakenVerbatimWithinTheBufferAndLineLimits) {
    test_root root;
    std::string lines_130;
    for (int i = 0; i < 130; ++i) lines_130 += "l" + std::to_string(i) + "\n";
    std::string first_128 = lines_130.substr(0, lines_130.find("l128\n"));
    struct row {
        int line;
        std::string type, body, text;
    } rows[] = {
        {__LINE__, "application/json", "{\"a\":\n 1,\r\n \"b\": \"%22\"}", "{\"a\":\n 1,\r\n \"b\": \"%22\"}"},
        {__LINE__, "APPLICATION/X-WWW-FORM-URLENCODED; charset=UTF-8", "a=%41&b=+", "a=%41&b=+"},
        {__LINE__, "application/json", std::string(40000, 'j'), std::string(30719, 'j')},
        {__LINE__, "application/json", lines_130, first_128},
        {__LINE__, "application/json", "", ""},
    };
    for (const auto& r : rows) {
        ASSERT_EQ(run_intake(root, {{{"REQUEST_METHOD", "POST"}, {"PATH_INFO", "/6012"}, {"CONTENT_TYPE", r.type}},
                                    r.body}),
                  0);
        EXPECT_EQ(seen.calls, 1) << "row at line " << r.line;
        EXPECT_EQ(seen.text, r.text) << "row at line " << r.line;
    }
}

TEST(Intake, NothingIsDispatchedForOtherMethodsTypesOrAnEmptyCode) {
    test_root root;
    const intake_case cases[] = {
        {{{"REQUEST_METHOD", "PUT"}, {"PATH_INFO", "/2001"}}, "{}"},
        {{{"REQUEST_METHOD", "POST"}, {"PATH_INFO", "/2001"}, {"CONTENT_TYPE", "text/plain"}}, "{}"},
        {{{"REQUEST_METHOD", "POST"}, {"PATH_INFO", "/2001"}}, "{}"},
        {{{"REQUEST_METHOD", "GET"}, {"PATH_INFO", ""}, {"QUERY_STRING", "a"}}, ""},
        {{{"PATH_INFO", "/2001"}}, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run_intake(root, c), 0);
        EXPECT_EQ(seen.calls, 0);
    }
}

TEST(Intake, ContentTypeAndBoundaryParsing) {
    struct row {
        const char* raw;
        const char* type;
        const char* boundary;
    } rows[] = {
        {"multipart/form-data; boundary=abc", "multipart/form-data", "abc"},
        {"Multipart/Form-Data;    BOUNDARY=abc def", "Multipart/Form-Data", "abc"},
        {"multipart/form-data;charset=x;boundary=--z9", "multipart/form-data", "--z9"},
        {"multipart/form-data", "multipart/form-data", ""},
        {"application/json;", "application/json", ""},
    };
    for (const auto& r : rows) {
        std::string type, boundary;
        intake_content_type(r.raw, type, boundary);
        EXPECT_EQ(type, r.type) << r.raw;
        EXPECT_EQ(boundary, r.boundary) << r.raw;
    }
}

TEST(Intake, UploadsToOrdinaryCodesAreMovedByBaseNameAndRemovedAfterTheHandler) {
    test_root root;
    ASSERT_EQ(run_intake(root, upload("/2001", "param:5&x=1", "dir/cam.cfg", "CFG")), 0);
    EXPECT_EQ(seen.text, "/tmp/cam.cfg & 5");
    EXPECT_EQ(seen.upload_path, "/tmp/cam.cfg");
    EXPECT_EQ(seen.upload_data, "CFG");
    EXPECT_EQ(root.list("/tmp"), std::vector<std::string>{});

    ASSERT_EQ(run_intake(root, upload("/6321", "", "C:\\sounds\\bell.wav")), 0);
    EXPECT_EQ(seen.text, "/tmp/bell.wav");
    EXPECT_EQ(seen.upload_data, "DATA");
    EXPECT_EQ(root.list("/tmp"), std::vector<std::string>{});
}

TEST(Intake, UploadNamesThatWouldEscapeOrReplaceSystemFilesAreRefused) {
    test_root root;
    root.write("/tmp/cgilockfile", "lock");
    mkdir(root.file("/tmp/adir").c_str(), 0755);
    const char* refused[] = {
        "..", ".", "dir/", "a\\..\\.export_down_file", ".hidden", "cgilockfile", "pbdownload",
        "cgicABCDEF", "bad\x01name", "del\x7fname", "tab\tname", "adir", "log", "$(touch x)/",
        "x/0123456789012345678901234567890123456789012345678901234567890123456789012345678901234567890123456789"
        "0123456789012345678901234567",  // 128 characters
    };
    for (const char* name : refused) {
        ASSERT_EQ(run_intake(root, upload("/2001", "", name)), 0) << name;
        EXPECT_EQ(seen.calls, 0) << name;
        EXPECT_EQ(root.list("/tmp"), (std::vector<std::string>{"adir", "cgilockfile"})) << name;
        EXPECT_EQ(root.read("/tmp/cgilockfile"), "lock");
    }
    // Shell characters in an otherwise plain name are just characters.
    ASSERT_EQ(run_intake(root, upload("/2001", "", "a$(touch pwned);`id`\"q'.cfg")), 0);
    EXPECT_EQ(seen.text, "/tmp/a$(touch pwned);`id`\"q'.cfg");
    EXPECT_FALSE(root.exists("/tmp/pwned"));
    EXPECT_EQ(root.list("/tmp"), (std::vector<std::string>{"adir", "cgilockfile"}));
}

TEST(Intake, TempPathCodesDirectCodesAndMissingFileEntries) {
    test_root root;
    ASSERT_EQ(run_intake(root, upload("/1019", "a=1", "C:\\x\\fw.bin", "FW")), 0);
    ASSERT_EQ(seen.calls, 1);
    EXPECT_EQ(seen.text.rfind("/tmp/cgic", 0), 0u) << seen.text;
    EXPECT_EQ(seen.text.substr(seen.text.size() - 6), " & a=1");
    EXPECT_EQ(seen.upload_path, seen.text.substr(0, seen.text.size() - 6));
    EXPECT_EQ(seen.upload_data, "FW");
    EXPECT_EQ(root.list("/tmp"), std::vector<std::string>{});  // deleted at the end

    for (const char* code : {"/6082", "/2079"}) {
        ASSERT_EQ(run_intake(root, upload(code, "id=3", "x.bin")), 0);
        EXPECT_EQ(seen.text, "temp & id=3");
        EXPECT_EQ(seen.upload_path, "");
        EXPECT_EQ(root.list("/tmp"), std::vector<std::string>{});
    }

    // "/1010" leaves the body unread for its handler.
    intake_case fw = upload("/1010", "k=v", "fw.bin");
    ASSERT_EQ(run_intake(root, fw), 0);
    EXPECT_EQ(seen.text, "temp & k=v");

    intake_case no_file = upload("/2001", "", "a.cfg");
    no_file.body.replace(no_file.body.find("name=\"file\""), 11, "name=\"other\"");
    ASSERT_EQ(run_intake(root, no_file), 0);
    EXPECT_EQ(seen.calls, 0);
    EXPECT_EQ(root.list("/tmp"), std::vector<std::string>{});
}

TEST(Intake, MalformedMultipartEndsWithStatusMinusOneAndNoFiles) {
    test_root root;
    intake_case c = upload("/2001", "", "a.cfg");
    c.body.resize(c.body.size() - 12);  // cut inside the closing delimiter
    c.env["CONTENT_LENGTH"] = std::to_string(c.body.size());
    EXPECT_EQ(run_intake(root, c), -1);
    EXPECT_EQ(seen.calls, 0);
    EXPECT_EQ(root.list("/tmp"), std::vector<std::string>{});

    intake_case negative = upload("/2001", "", "a.cfg");
    negative.env["CONTENT_LENGTH"] = "-5";  // counts as 0: no entries, no file entry
    EXPECT_EQ(run_intake(root, negative), 0);
    EXPECT_EQ(seen.calls, 0);
}

TEST(Intake, CapturedValuesReachHandlers) {
    test_root root;
    ASSERT_EQ(run_intake(root, {{{"REQUEST_METHOD", "GET"},
                                 {"PATH_INFO", "/1018"},
                                 {"REMOTE_ADDR", "10.1.2.3"},
                                 {"HTTP_HOST", "nvr.local:8080"},
                                 {"HTTP_COOKIE", "userName=admin"}},
                                ""}),
              0);
    EXPECT_STREQ(cgi_remote_addr(), "10.1.2.3");
    EXPECT_STREQ(cgi_http_host(), "nvr.local:8080");
    EXPECT_STREQ(cgi_http_cookie(), "userName=admin");
    EXPECT_STREQ(cgi_upload_path(), "");
}

}  // namespace

WEBREQ_MODULE(1, upload_rows)
