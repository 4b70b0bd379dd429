#include "front/multipart.h"
#include "tests/harness/cgi_harness.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct parsed {
    int rc;
    std::vector<form_entry> entries;
};

parsed parse(const std::string& body, const std::string& boundary, long length = -1) {
    parsed p;
    int fd = fd_with_bytes(body);
    p.rc = multipart_parse(fd, length < 0 ? static_cast<long>(body.size()) : length, boundary, p.entries);
    close(fd);
    return p;
}

std::string part(const std::string& headers, const std::string& body, const std::string& boundary = "XyZ") {
    return "--" + boundary + "\r\n" + headers + "\r\n\r\n" + body + "\r\n";
}

TEST(Multipart, FieldsKeepDelimiterPrefixesLineEndsAndDashes) {
    struct row {
        int line;
        std::string value;
    } rows[] = {
        {__LINE__, "plain"},
        {__LINE__, "two\r\nlines"},
        {__LINE__, "--XyZ-not-at-line-start"},
        {__LINE__, "a\r\n--Xy"},   // a prefix of the delimiter
        {__LINE__, "a\r\n--XyQ"},  // a prefix broken by one byte
        {__LINE__, "\r\n\r\n--"},
        {__LINE__, ""},
        {__LINE__, std::string(MP_FIELD_MAX, 'v')},  // the largest value kept whole, over two reads
    };
    for (const auto& r : rows) {
        std::string body = part("Content-Disposition: form-data; name=\"f\"", r.value) + "--XyZ--\r\n";
        parsed p = parse(body, "XyZ");
        ASSERT_EQ(p.rc, MP_OK) << "row at line " << r.line;
        ASSERT_EQ(p.entries.size(), 1u) << "row at line " << r.line;
        EXPECT_EQ(p.entries[0].value, r.value) << "row at line " << r.line;
        EXPECT_EQ(p.entries[0].value_len, r.value.size()) << "row at line " << r.line;
        EXPECT_EQ(p.entries[0].name, "f");
    }
}

TEST(Multipart, FilePartGoesToAPrivateTemporaryFile) {
    test_root root;
    std::string data = "line1\r\n--XyQ is not the end\r\nbinary\0bytes";
    data.push_back('\0');
    std::string body = "preamble\r\n" +
                       part("Content-Disposition: form-data; name=\"file\"; filename=\"C:\\dir\\cam.cfg\"\r\n"
                            "Content-Type: application/octet-stream",
                            data) +
                       part("content-disposition: FORM-DATA; NAME=note", "hi") + "--XyZ--";
    parsed p = parse(body, "XyZ");
    ASSERT_EQ(p.rc, MP_OK);
    ASSERT_EQ(p.entries.size(), 2u);
    const form_entry& f = p.entries[0];
    // Every colon of a header line separates, so the drive letter loses its colon.
    EXPECT_EQ(f.file_name, "C\\dir\\cam.cfg");
    EXPECT_EQ(f.content_type, "application/octet-stream");
    EXPECT_EQ(f.value, "");
    EXPECT_EQ(f.value_len, data.size());
    ASSERT_EQ(f.tmp_path.rfind("/tmp/cgic", 0), 0u) << f.tmp_path;
    EXPECT_EQ(root.read(f.tmp_path), data);
    struct stat st;
    ASSERT_EQ(stat(root.file(f.tmp_path).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(p.entries[1].name, "note");
    EXPECT_EQ(p.entries[1].value, "hi");

    multipart_cleanup(p.entries);
    EXPECT_EQ(root.list("/tmp"), std::vector<std::string>{});
}

TEST(Multipart, EarlyEndsAndOddShapes) {
    test_root root;
    const std::string disp = "Content-Disposition: form-data; name=\"file\"; filename=\"x.bin\"";
    struct row {
        int line;
        std::string body;
        long length;  // -1: the body's size
        int rc;
        size_t entries;
    } rows[] = {
        {__LINE__, "", 0, MP_OK, 0},
        {__LINE__, "no boundary anywhere", -1, MP_OK, 0},
        {__LINE__, "--XyZ--\r\n", -1, MP_OK, 0},
        {__LINE__, "--XyZ\r\n", -1, MP_OK, 0},
        // The input ends inside a part: failure, and no file is left.
        {__LINE__, "--XyZ\r\n" + disp + "\r\n\r\nhalf a body", -1, MP_IO, 0},
        {__LINE__, "--XyZ\r\n" + disp + "\r\n", -1, MP_IO, 0},
        // The content length cuts a complete body short.
        {__LINE__, part(disp, "data") + "--XyZ--", 20, MP_IO, 0},
        // A part that is not form-data gives no entry, and parsing goes on.
        {__LINE__, part("Content-Disposition: attachment; name=\"a\"", "x") +
                       part("Content-Disposition: form-data; name=\"b\"", "y") + "--XyZ--",
         -1, MP_OK, 1},
        // Header lines ended by a lone LF or CR.
        {__LINE__, "--XyZ\nContent-Disposition: form-data; name=\"a\"\n\nv\r\n--XyZ--", -1, MP_OK, 1},
        {__LINE__, "--XyZ\r\nContent-Disposition: form-data; name=\"a\"\r\rv\r\n--XyZ--", -1, MP_OK, 1},
    };
    for (const auto& r : rows) {
        parsed p = parse(r.body, "XyZ", r.length);
        EXPECT_EQ(p.rc, r.rc) << "row at line " << r.line;
        EXPECT_EQ(p.entries.size(), r.entries) << "row at line " << r.line;
        multipart_cleanup(p.entries);
        EXPECT_EQ(root.list("/tmp"), std::vector<std::string>{}) << "row at line " << r.line;
    }
}

TEST(Multipart, HeaderColonsAndParameterQuoting) {
    std::string body =
        "--B\r\n"
        "  Content - Disposition :  form-data; name=plain; filename=\"a;b: c.txt\"\r\n"
        "X-Other: ignored: really\r\n"
        "\r\n"
        "v\r\n--B--";
    test_root root;
    parsed p = parse(body, "B");
    ASSERT_EQ(p.rc, MP_OK);
    ASSERT_EQ(p.entries.size(), 1u);
    EXPECT_EQ(p.entries[0].name, "plain");
    // Every ':' of a header line separates and disappears with the blanks
    // after it.
    EXPECT_EQ(p.entries[0].file_name, "a;bc.txt");
    multipart_cleanup(p.entries);
}

TEST(Multipart, LongBoundaryAndBoundaryLikeBytesAcrossReads) {
    std::string boundary(900, 'q');
    std::string value;
    for (int i = 0; i < 100; ++i) value += "\r\n--" + std::string(i * 4, 'q') + "x";
    std::string body = part("Content-Disposition: form-data; name=\"v\"", value, boundary) + "--" + boundary + "--";
    parsed p = parse(body, boundary);
    ASSERT_EQ(p.rc, MP_OK);
    ASSERT_EQ(p.entries.size(), 1u);
    EXPECT_EQ(p.entries[0].value, value);
}

// Whatever the body holds, the parser keeps a bounded amount: a field's
// first MP_FIELD_MAX bytes (the rest is read past, so the parts after it
// still count), header lines cut, and no more than MP_PARTS_MAX parts.
TEST(Multipart, FieldsAreCutAndPartsAreCounted) {
    test_root root;
    auto field = [](const std::string& name, const std::string& value) {
        return part("Content-Disposition: form-data; name=\"" + name + "\"", value);
    };
    auto fields = [&](int count) {
        std::string body;
        for (int i = 0; i < count; ++i) body += field("f" + std::to_string(i), "v");
        return body;
    };
    const std::string file =
        part("Content-Disposition: form-data; name=\"file\"; filename=\"big.bin\"", std::string(200000, 'F'));
    const std::string over_by_one = field("a", std::string(MP_FIELD_MAX + 1, 'a'));
    const std::string header_1mb =
        part("Content-Disposition: form-data; name=\"" + std::string(1'000'000, 'n') + "\"", "v");
    struct row {
        int line;
        std::string body;
        int rc;
        std::vector<size_t> sizes;  // value sizes of the entries
    } rows[] = {
        {__LINE__, over_by_one + field("b", "after"), MP_OK, {MP_FIELD_MAX, 5}},
        {__LINE__, field("a", std::string(3'000'000, 'a')) + field("b", "after"), MP_OK, {MP_FIELD_MAX, 5}},
        // A file part is not cut: it goes to disk.
        {__LINE__, file, MP_OK, {200000}},
        // A header line of 1 MB: its name is kept to 1023 characters.
        {__LINE__, header_1mb, MP_OK, {1}},
        {__LINE__, fields(MP_PARTS_MAX), MP_OK, std::vector<size_t>(MP_PARTS_MAX, 1)},
        {__LINE__, fields(MP_PARTS_MAX + 1), MP_NO_MEMORY, std::vector<size_t>(MP_PARTS_MAX, 1)},
        {__LINE__, fields(MP_PARTS_MAX) + file, MP_NO_MEMORY, std::vector<size_t>(MP_PARTS_MAX, 1)},
    };
    for (const auto& r : rows) {
        parsed p = parse(r.body + "--XyZ--\r\n", "XyZ");
        EXPECT_EQ(p.rc, r.rc) << "row at line " << r.line;
        std::vector<size_t> sizes;
        for (const form_entry& e : p.entries) {
            sizes.push_back(e.value_len);
            if (e.file_name.empty()) {
                EXPECT_EQ(e.value.size(), e.value_len) << "row at line " << r.line;
            }
            EXPECT_LE(e.name.size(), 1023u) << "row at line " << r.line;
        }
        EXPECT_EQ(sizes, r.sizes) << "row at line " << r.line;
        multipart_cleanup(p.entries);
        EXPECT_EQ(root.list("/tmp"), std::vector<std::string>{}) << "row at line " << r.line;
    }
}

}  // namespace
