// webreq as the web server runs it: requests the front end refuses write
// nothing.
#include "tests/harness/cgi_harness.h"

#include <gtest/gtest.h>

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

}  // namespace
