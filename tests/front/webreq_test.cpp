// webreq as the web server runs it: requests the front end refuses write
// nothing.
#include "tests/harness/cgi_harness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(Webreq, RefusedRequestsWriteNothingAndExitCleanly) {
    test_root root;
    std::string upload = "--b\r\nContent-Disposition: form-data; name=\"file\"; filename=\"a.cfg\"\r\n\r\nDATA";
    struct row {
        int line;
        cgi_request req;
        int status;
    } rows[] = {
        {__LINE__, {.method = "GET", .path_info = "/9999", .query = "a=1"}, 0},
        {__LINE__, {.method = "GET", .path_info = "", .query = "a=1"}, 0},
        {__LINE__, {.method = "DELETE", .path_info = "/2001"}, 0},
        {__LINE__, {.method = "POST", .path_info = "/9999", .content_type = "application/json", .body = "{}"}, 0},
        {__LINE__, {.method = "POST", .path_info = "/9999", .content_type = "text/xml", .body = "<a/>"}, 0},
        // A body that ends inside a part: status -1, nothing written.
        {__LINE__,
         {.method = "POST", .path_info = "/9999", .content_type = "multipart/form-data; boundary=b", .body = upload},
         255},
        {__LINE__,
         {.method = "POST", .path_info = "/9999", .content_type = "multipart/form-data; boundary=b",
          .body = upload + "\r\n--b--\r\n"},
         0},
    };
    for (const auto& r : rows) {
        cgi_result res = run_webreq(root, r.req);
        EXPECT_FALSE(res.timed_out) << "row at line " << r.line;
        EXPECT_EQ(res.signal, 0) << "row at line " << r.line;
        EXPECT_EQ(res.status, r.status) << "row at line " << r.line;
        EXPECT_EQ(res.out, "") << "row at line " << r.line;
        EXPECT_EQ(root.list("/tmp"), std::vector<std::string>{}) << "row at line " << r.line;
    }
}

TEST(Webreq, EachRefusedRequestLeavesOneLogLineWithCodeAndReason) {
    test_root root;
    const std::string long_code = "/2001" + std::string(100, 'c');
    const std::string long_type = "text/" + std::string(100, 't');
    const std::string cut_short =
        "--b\r\nContent-Disposition: form-data; name=\"file\"; filename=\"a.cfg\"\r\n\r\nDATA";
    std::string many_parts;
    for (int i = 0; i < 65; ++i)
        many_parts += "--b\r\nContent-Disposition: form-data; name=\"f\"\r\n\r\nv\r\n";
    many_parts += "--b--\r\n";
    const std::string no_file = "--b\r\nContent-Disposition: form-data; name=\"other\"\r\n\r\nv\r\n--b--\r\n";
    const std::string multipart = "multipart/form-data; boundary=b";
    struct row {
        int line;
        cgi_request req;
        std::string logged;  // the line's text after the time stamp; "" for no line
    } rows[] = {
        {__LINE__, {.method = "DELETE", .path_info = "/2001"}, "refused /2001: method not taken: DELETE"},
        {__LINE__,
         {.method = "POST", .path_info = "/2001", .content_type = "text/xml", .body = "<a/>"},
         "refused /2001: content type not taken: text/xml"},
        // Code and content type come from the client: 64 characters at most.
        {__LINE__,
         {.method = "POST", .path_info = long_code, .content_type = long_type, .body = "{}"},
         "refused " + long_code.substr(0, 64) + ": content type not taken: " + long_type.substr(0, 64)},
        {__LINE__,
         {.method = "POST", .path_info = "/7041", .content_type = multipart, .body = cut_short},
         "refused /7041: multipart body cut short, or its file not stored"},
        {__LINE__,
         {.method = "POST", .path_info = "/7041", .content_type = multipart, .body = many_parts},
         "refused /7041: multipart body of more than 64 parts"},
        {__LINE__,
         {.method = "POST", .path_info = "/7041", .content_type = multipart, .body = no_file},
         "refused /7041: upload without a \"file\" part"},
        // The registry's own refusal shows the start of the text.
        {__LINE__,
         {.method = "POST",
          .path_info = "/7041",
          .content_type = "application/json",
          .body = std::string(100, 'x')},
         "refused /7041: not a JSON object: " + std::string(64, 'x')},
        // Requests that are taken, or name no code, log nothing.
        {__LINE__, {.method = "GET", .path_info = "/9999", .query = "a=1"}, ""},
        {__LINE__, {.method = "GET", .path_info = "/7042"}, ""},
    };
    for (const auto& r : rows) {
        size_t before = root.lines("/mnt/nand/cgi_log.txt").size();
        cgi_result res = run_webreq(root, r.req);
        EXPECT_FALSE(res.timed_out) << "row at line " << r.line;
        std::vector<std::string> lines = root.lines("/mnt/nand/cgi_log.txt");
        if (r.logged.empty()) {
            EXPECT_EQ(lines.size(), before) << "row at line " << r.line;
            continue;
        }
        ASSERT_EQ(lines.size(), before + 1) << "row at line " << r.line;
        const std::string& got = lines.back();
        EXPECT_EQ(got.rfind("[cgix debug] ", 0), 0u) << "row at line " << r.line << ": " << got;
        EXPECT_EQ(got.substr(got.find(": ") + 2), r.logged) << "row at line " << r.line;
    }
}

}  // namespace
