// The multipart parser on arbitrary bodies, boundaries and content lengths.
// Input: one byte for the boundary length, one for how the content length
// relates to the body, the boundary, then the body.
//
// Checks: file parts and fields account for their bytes, and after the
// clean-up (success or failure) no temporary file is left.
#include "front/multipart.h"
#include "fuzz/fuzz_common.h"

#include <sys/stat.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_root();
    if (size < 2) return 0;
    size_t blen = data[0] % 72;
    uint8_t length_mode = data[1] % 4;
    data += 2;
    size -= 2;
    if (blen > size) blen = size;
    std::string boundary(reinterpret_cast<const char*>(data), blen);
    data += blen;
    size -= blen;

    long content_length = static_cast<long>(size);
    if (length_mode == 1) content_length = static_cast<long>(size / 2);
    if (length_mode == 2) content_length = static_cast<long>(size) + 100;  // more than arrives
    if (length_mode == 3) content_length = 0;

    int fd = fuzz_fd(data, size);
    std::vector<form_entry> entries;
    int rc = multipart_parse(fd, content_length, boundary, entries);
    close(fd);
    FUZZ_CHECK(rc == MP_OK || rc == MP_NO_MEMORY || rc == MP_IO, "parser result");
    size_t body_bytes = 0;
    for (const form_entry& e : entries) {
        body_bytes += e.value_len;
        if (e.tmp_path.empty()) {
            FUZZ_CHECK(e.value.size() == e.value_len, "field length");
        } else {
            FUZZ_CHECK(e.value.empty(), "file part with a value");
            FUZZ_CHECK(!e.file_name.empty(), "temporary file without a file name");
            struct stat st;
            FUZZ_CHECK(stat((fuzz_root() + e.tmp_path).c_str(), &st) == 0, "temporary file missing");
            FUZZ_CHECK(static_cast<size_t>(st.st_size) == e.value_len, "file length");
        }
    }
    FUZZ_CHECK(body_bytes <= size, "more part bytes than input");
    multipart_cleanup(entries);
    FUZZ_CHECK(fuzz_count_files("/tmp") == 0, "temporary file left after the clean-up");
    return 0;
}
