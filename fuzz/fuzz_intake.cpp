// Request intake on arbitrary requests: method, content type, request code,
// query string and body all come from the input (the body on a descriptor).
// Input: method byte, content-type byte, code byte, flags byte, query length
// byte, the query, then the body.
//
// Checks at dispatch: the request text stays within the bound of its kind,
// and an upload handed to a handler is a file of this request directly in
// /tmp. After the request: no upload file is left in /tmp.
#include "front/cgi_env.h"
#include "front/dispatchreq.h"
#include "front/intake.h"
#include "fuzz/fuzz_common.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

const char* const methods[] = {"GET", "POST", "post", "PUT", ""};
const char* const types[] = {
    "application/json",
    "application/x-www-form-urlencoded",
    "multipart/form-data; boundary=XyZ",
    "MULTIPART/FORM-DATA;   BOUNDARY=XyZ ; charset=utf-8",
    "multipart/form-data",
    "text/plain",
    "",
};
const char* const codes[] = {"/2001", "/1010", "/1019", "/oem", "/6082", "/2079", "/6321", "", "/json"};

// Rows that take uploads in each of the ways the intake knows.
void takes_upload(request&) {}
const request_entry upload_rows[] = {
    {"/1010", takes_upload, IN_UPLOAD_UNREAD},
    {"/1019", takes_upload, IN_UPLOAD_TEMP},
    {"/2079", takes_upload, IN_UPLOAD_DIRECT},
    {"/6082", takes_upload, IN_UPLOAD_DIRECT},
    {"/oem", takes_upload, IN_UPLOAD_TEMP},
};

size_t max_text = 0;
int calls = 0;

int check_dispatch(const char*, char* text) {
    ++calls;
    size_t len = std::strlen(text);
    FUZZ_CHECK(len <= max_text, "request text longer than its buffer");
    std::string upload = cgi_upload_path();
    if (!upload.empty()) {
        FUZZ_CHECK(upload.rfind("/tmp/", 0) == 0, "upload outside /tmp");
        FUZZ_CHECK(upload.find('/', 5) == std::string::npos, "upload below /tmp");
        std::string base = upload.substr(5);
        FUZZ_CHECK(!base.empty() && base != "." && base != "..", "upload names the directory");
        struct stat st;
        FUZZ_CHECK(lstat((fuzz_root() + upload).c_str(), &st) == 0 && S_ISREG(st.st_mode),
                   "upload handed over is not a regular file");
    }
    return 0;
}

}  // namespace

WEBREQ_MODULE(1, upload_rows)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_root();
    if (size < 5) return 0;
    const char* method = methods[data[0] % std::size(methods)];
    const char* type = types[data[1] % std::size(types)];
    const char* code = codes[data[2] % std::size(codes)];
    uint8_t flags = data[3];
    size_t qlen = data[4];
    data += 5;
    size -= 5;
    if (qlen > size) qlen = size;
    std::string query(reinterpret_cast<const char*>(data), qlen);
    query = query.substr(0, query.find('\0'));
    data += qlen;
    size -= qlen;

    setenv("REQUEST_METHOD", method, 1);
    setenv("CONTENT_TYPE", type, 1);
    setenv("PATH_INFO", code, 1);
    setenv("QUERY_STRING", query.c_str(), 1);
    setenv("REMOTE_ADDR", "127.0.0.1", 1);
    setenv("HTTP_COOKIE", flags & 1 ? "userName=admin; x=1" : "", 1);
    std::string length = std::to_string(flags & 2 ? size / 2 : size);
    if (flags & 4) length = "-5";
    setenv("CONTENT_LENGTH", length.c_str(), 1);

    bool get = strcasecmp(method, "get") == 0;
    bool multipart = std::strncmp(type, "multipart", 9) == 0 || std::strncmp(type, "MULTIPART", 9) == 0;
    max_text = get ? GET_TEXT_MAX : multipart ? UPLOAD_TEXT_MAX : POST_BUFFER_SIZE - 1;

    int fd = fuzz_fd(data, size);
    calls = 0;
    int status = intake_run(fd, check_dispatch);
    close(fd);
    FUZZ_CHECK(status == 0 || status == -1, "exit status");
    FUZZ_CHECK(calls <= 1, "more than one dispatch");
    FUZZ_CHECK(fuzz_count_files("/tmp") == 0, "upload left in /tmp after the request");
    return 0;
}
