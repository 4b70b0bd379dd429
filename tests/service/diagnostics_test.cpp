// The diagnostic package: the core's collection, and the download that
// serves (and then removes) only a regular file directly in /tmp.
#include <unistd.h>

#include "platform/msg_system_service.h"
#include "tests/service/service_fixture.h"

namespace {

using coresim::bytes;

using Diagnostics = service::service_case;

std::string download(const std::string& name, const std::string& content) {
    return "Content-Type:application/octet-stream\r\nContent-Disposition: attachment; filename= " + name +
           "\r\n\r\n" + content;
}

bytes ready(int32_t result, const std::string& path, size_t size = 136) {
    return xcase::record(size).i32(4, result).text(8, path);
}

TEST_F(Diagnostics, CollectionAnswersTheEncodedPathOrFailed) {
    // clang-format off
    struct row {
        int line;
        bool collecting;  // a collection is already running
        bytes answer;     // empty: none
        std::string reply;
    } rows[] = {
        {__LINE__, false, ready(0, "/tmp/diag 1.tar"), "OK/%2Ftmp%2Fdiag%201.tar\r\n"},
        {__LINE__, false, ready(5, "/tmp/d.tar", 18), "OK/%2Ftmp%2Fd.tar\r\n"},
        // The whole reply is at most 255 characters.
        {__LINE__, false, ready(0, std::string(300, 'a'), 308), "OK/" + std::string(252, 'a')},
        {__LINE__, false, ready(-1, "/tmp/d.tar"), "Failed"},
        {__LINE__, false, xcase::record(4), "Failed"},
        {__LINE__, false, {}, "Failed"},
        {__LINE__, true, {}, "Failed"},
    };
    // clang-format on
    for (const auto& r : rows) {
        fresh_case();
        unlink(root.file("/tmp/tmp_diagnostic").c_str());
        if (r.collecting) root.write("/tmp/tmp_diagnostic", "");
        if (r.answer.empty())
            answer_nothing(3528);
        else
            answer(3528, r.answer);
        EXPECT_EQ(get("/6310", "").out, text_reply(r.reply)) << "row at line " << r.line;
        expect_sent(
            r.collecting ? std::vector<xcase::msg>{} : std::vector<xcase::msg>{{3528, padded("/tmp", 64)}},
            r.line);
    }
}

TEST_F(Diagnostics, DownloadServesAndRemovesOnlyAPlainFileInTmp) {
    // clang-format off
    struct row {
        int line;
        std::string query;
        std::string reply;
        std::string left;  // /tmp afterwards
    } rows[] = {
        {__LINE__, "/tmp/diag.txt", download("diag.txt", "package"), ".hidden a;touch pwned cgilockfile dir link "},
        {__LINE__, "%2Ftmp%2Fa%3Btouch%20pwned", download("a;touch pwned", "shell"),
         ".hidden cgilockfile diag.txt dir link "},
        {__LINE__, "/tmp/../mnt/nand/app/keep.txt", "", ".hidden a;touch pwned cgilockfile diag.txt dir link "},
        {__LINE__, "%2Ftmp%2F..%2Fmnt%2Fnand%2Fapp%2Fkeep.txt", "", ".hidden a;touch pwned cgilockfile diag.txt dir link "},
        {__LINE__, "/mnt/nand/app/keep.txt", "", ".hidden a;touch pwned cgilockfile diag.txt dir link "},
        {__LINE__, "/tmp/link", "", ".hidden a;touch pwned cgilockfile diag.txt dir link "},
        {__LINE__, "/tmp/dir", "", ".hidden a;touch pwned cgilockfile diag.txt dir link "},
        {__LINE__, "/tmp/cgilockfile", "", ".hidden a;touch pwned cgilockfile diag.txt dir link "},
        {__LINE__, "/tmp/.hidden", "", ".hidden a;touch pwned cgilockfile diag.txt dir link "},
        {__LINE__, "/tmp/missing", "", ".hidden a;touch pwned cgilockfile diag.txt dir link "},
    };
    // clang-format on
    for (const auto& r : rows) {
        root.write("/tmp/diag.txt", "package");
        root.write("/tmp/a;touch pwned", "shell");
        root.write("/tmp/cgilockfile", "");
        root.write("/tmp/.hidden", "");
        root.write("/tmp/dir/inner", "");
        root.write("/mnt/nand/app/keep.txt", "keep");
        unlink(root.file("/tmp/link").c_str());
        ASSERT_EQ(symlink("../mnt/nand/app/keep.txt", root.file("/tmp/link").c_str()), 0);
        EXPECT_EQ(get("/6311", r.query).out, r.reply) << "row at line " << r.line;
        EXPECT_EQ(service::listing(root, "/tmp"), r.left) << "row at line " << r.line;
        EXPECT_EQ(root.read("/mnt/nand/app/keep.txt"), "keep") << "row at line " << r.line;
        EXPECT_FALSE(pwned()) << "row at line " << r.line;
    }
}

TEST_F(Diagnostics, TheCoresDefaultPackageCanBeFetched) {
    fresh_case();
    EXPECT_EQ(get("/6310", "").out, text_reply("OK/%2Ftmp%2Fdiagnostic.txt\r\n"));
    const cgi_result fetched = get("/6311", "%2Ftmp%2Fdiagnostic.txt");
    EXPECT_EQ(fetched.out.substr(0, download("diagnostic.txt", "").size()), download("diagnostic.txt", ""));
    EXPECT_GT(fetched.out.size(), download("diagnostic.txt", "").size());
    EXPECT_FALSE(root.exists("/tmp/diagnostic.txt"));
}

}  // namespace
