#include "front/cgi_env.h"
#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "platform/tqfs.h"
#include "tests/harness/cgi_harness.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <regex>

namespace {

std::string output_of(const std::function<void()>& fn) {
    stdout_capture cap;
    fn();
    return cap.text();
}

// Starts a new exchange as core_send does: no reply claimed, state 0 (a null
// callback sends nothing).
void new_exchange() { core_send(nullptr, 3000, 0, nullptr, 1); }

TEST(Replies, HelpersWriteExactBytes) {
    struct row {
        int line;
        std::function<void()> call;
        std::string bytes;
    } rows[] = {
        {__LINE__, [] { cgi_reply(0, "OK"); }, "Content-type: text/plain\r\n\r\nOK"},
        {__LINE__, [] { cgi_reply(1, "{}"); }, "Content-type: application/json\r\n\r\n{}"},
        {__LINE__, [] { cgi_reply(7, "raw"); }, "raw"},
        {__LINE__, [] { cgi_reply(0, nullptr); }, ""},
        {__LINE__, [] { cgi_reply_error(0); }, "Content-type: text/plain\r\n\r\nCGI ERROR"},
        {__LINE__, [] { cgi_reply_error(1); }, "Content-type: application/json\r\n\r\n{status:\"CGI ERROR\"}"},
        {__LINE__, [] { cgi_reply_error(2); }, ""},
        {__LINE__, [] { new_exchange(); cgi_reply_result(-3, nullptr); },
         "Content-type: text/plain\r\n\r\nCGI ERROR status:[-3]"},
        {__LINE__, [] { new_exchange(); cgi_reply_result(0, "abc"); },
         "Content-type: text/plain\r\n\r\nCGI OK status:[0], data:[abc]"},
        {__LINE__, [] { cgi_redirect("/index.html"); }, "Location: /index.html\r\n\r\n"},
        {__LINE__, [] { cgi_download_header("/tmp/log/x\r\ny.csv"); },
         "Content-Type:application/octet-stream\r\nContent-Disposition: attachment; filename= xy.csv\r\n\r\n"},
    };
    for (const auto& r : rows) EXPECT_EQ(output_of(r.call), r.bytes) << "row at line " << r.line;

    std::string long_data(400, 'd');
    std::string out = output_of([&] { new_exchange(); cgi_reply_result(1, long_data.c_str()); });
    EXPECT_EQ(out.size(), std::strlen("Content-type: text/plain\r\n\r\n") + 255);
}

TEST(Replies, StatusWriterAnswersOnceWithTheFirstInteger) {
    int32_t payload[2] = {-7, 5};
    EXPECT_EQ(core_send(nullptr, 3000, 0, nullptr, 1), -1);  // null callback: nothing sent
    core_reply_state = 0;
    EXPECT_EQ(output_of([&] { cgi_reply_status(0, payload); }), "");
    EXPECT_EQ(core_reply_state.load(), 0);
    EXPECT_EQ(output_of([&] { cgi_reply_status(2, payload); }),
              "Content-type: application/json\r\n\r\n{ \"status\": -7 }");
    EXPECT_EQ(core_reply_state.load(), 1);
    // The reply is claimed: a second answer writes nothing.
    EXPECT_EQ(output_of([&] { cgi_reply_status(1, payload + 1); }), "");
}

TEST(Replies, ResultWriterAnswersOnlyAnUnclaimedReply) {
    new_exchange();
    EXPECT_EQ(output_of([] { cgi_reply_result(4, nullptr); }), "Content-type: text/plain\r\n\r\nCGI OK status:[4]");
    EXPECT_EQ(core_reply_state.load(), 1);
    EXPECT_TRUE(core_reply_finished());
    // A second result, or one after the handler wrote its failure reply,
    // adds nothing to the one HTTP reply.
    EXPECT_EQ(output_of([] { cgi_reply_result(5, "late"); }), "");
    new_exchange();
    ASSERT_TRUE(core_reply_claim());
    EXPECT_EQ(output_of([] { cgi_reply_result(-1, nullptr); }), "");
}

TEST(Replies, CookieLineCarriesUtcExpiryAndACleanDomain) {
    std::string out = output_of([] { cgi_set_cookie("sessionId", "abc", 3600, "/", "nvr.local:80\r\nX: y"); });
    std::regex shape(
        "Set-Cookie: sessionId=abc; domain=nvr.local:80X:y; expires=(Sun|Mon|Tue|Wed|Thu|Fri|Sat), "
        "[0-3][0-9]-(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)-20[0-9][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9] "
        "GMT; path=/\r\n");
    EXPECT_TRUE(std::regex_match(out, shape)) << out;
}

TEST(Replies, CookieUserNameRules) {
    struct row {
        const char* cookie;
        int rc;
        const char* name;
    } rows[] = {
        {"language=en; userName=admin; sessionId=1234", 0, "admin"},
        {"language=en; userName=op1", 0, "op1"},
        {"userName=a=b=c; x=1", 0, "b=c"},
        {"myuserName=zz", 0, "zz"},
        {"userName", 0, ""},
        {"userName=", 0, ""},
        {"username=admin", -1, ""},
        {"", -1, ""},
    };
    for (const auto& r : rows) {
        cgi_env_set("", "", r.cookie);
        char name[64];
        std::memset(name, 0, sizeof name);
        EXPECT_EQ(cookie_user_name(name, sizeof name), r.rc) << r.cookie;
        EXPECT_STREQ(name, r.name) << r.cookie;
    }
    cgi_env_set("", "", ("userName=" + std::string(100, 'u')).c_str());
    char small[64];
    EXPECT_EQ(cookie_user_name(small, sizeof small), 0);
    EXPECT_EQ(std::string(small), std::string(63, 'u'));
    EXPECT_EQ(cookie_user_name(nullptr, 10), -1);
}

TEST(Replies, OperationLogRecordStartsFromTheRequest) {
    cgi_env_set("::ffff:192.168.1.20-and-a-very-long-address-text-beyond-45", "", "userName=op1; x=2");
    oplog_record rec;
    std::memset(&rec, 0x5a, sizeof rec);
    ASSERT_EQ(oplog_record_init(&rec), 0);
    EXPECT_EQ(rec.main_type, 4);
    EXPECT_EQ(rec.remote, 1);
    EXPECT_EQ(rec.sub_type, 0);
    EXPECT_STREQ(rec.user, "op1");
    EXPECT_EQ(std::string(rec.ip), std::string("::ffff:192.168.1.20-and-a-very-long-address-t"));
    EXPECT_EQ(std::strlen(rec.ip), 45u);
    EXPECT_EQ(rec.detail_size, 0);
    EXPECT_EQ(oplog_record_init(nullptr), -1);

    // Detail packing: type first, then each integer most significant byte first.
    int32_t detail[2] = {0x01020304, -1};
    ASSERT_EQ(tqfs_log_pack_detail(&rec, 111, detail, sizeof detail), 0);
    EXPECT_EQ(rec.detail_size, 12);
    const uint8_t expected[12] = {0, 0, 0, 111, 1, 2, 3, 4, 0xff, 0xff, 0xff, 0xff};
    EXPECT_EQ(std::memcmp(rec.detail, expected, 12), 0);
    std::vector<char> too_big(600);
    EXPECT_EQ(tqfs_log_pack_detail(&rec, 1, too_big.data(), 600), -1);
}

TEST(Commands, ResultsFollowTheExitStatus) {
    test_root root;
    EXPECT_EQ(cgi_system("exit 0"), 0);
    EXPECT_EQ(cgi_system("exit 1"), -1);
    EXPECT_EQ(cgi_system("kill -9 $$"), -1);
    EXPECT_EQ(cgi_exec({"true"}), 0);
    EXPECT_EQ(cgi_exec({"false"}), -1);
    EXPECT_EQ(cgi_exec({"/no/such/program"}), -1);
    // Arguments are passed as they are: no shell sees them.
    std::string marker = root.file("/tmp/pwned");
    std::string evil = "$(touch " + marker + "); touch " + marker;
    EXPECT_EQ(cgi_exec({"echo", evil.c_str()}), 0);
    EXPECT_FALSE(root.exists("/tmp/pwned"));
    std::string target = root.file("/tmp/made by exec");
    EXPECT_EQ(cgi_exec({"touch", target.c_str()}), 0);
    EXPECT_TRUE(root.exists("/tmp/made by exec"));
}

TEST(DebugLog, LineFormatAndRotation) {
    test_root root;
    ASSERT_EQ(cgi_debug_log("OnSystem.c", 3557, "", "fd_in:%d fd_out:%d", 3, 1), 0);
    std::string log = root.read("/mnt/nand/cgi_log.txt");
    std::regex shape("\\[cgix debug\\] [0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}  "
                     "OnSystem.c:3557 in : fd_in:3 fd_out:1\n");
    EXPECT_TRUE(std::regex_match(log, shape)) << log;

    std::string big(3000, 'm');
    for (int i = 0; i < 400; ++i) cgi_debug_log("f.c", i, "", "%s", big.c_str());
    std::string current = root.read("/mnt/nand/cgi_log.txt");
    std::string old = root.read("/mnt/nand/cgi_log.txt.1");
    EXPECT_LT(current.size(), static_cast<size_t>(CGI_LOG_LIMIT));
    EXPECT_GE(old.size(), static_cast<size_t>(CGI_LOG_LIMIT));
    EXPECT_LT(old.size(), static_cast<size_t>(CGI_LOG_LIMIT) + 2048);
    // Each line is cut at 2047 characters.
    EXPECT_EQ(current.substr(0, current.find('\n') + 1).size(), 2047u);

}

TEST(DebugLog, AnEntryNeverContinuesALineThatWasCutShort) {
    struct row {
        int line;
        std::string before;  // the file as an earlier write left it
        std::string kept;    // what stands before the new entry
    } rows[] = {
        {__LINE__, "", ""},
        {__LINE__, "[cgix debug] whole line\n", "[cgix debug] whole line\n"},
        // A full disk cut the last entry short: it is ended, not continued.
        {__LINE__, "[cgix debug] whole line\n[cgix debug] cut sh",
         "[cgix debug] whole line\n[cgix debug] cut sh\n"},
        {__LINE__, "x", "x\n"},
    };
    for (const auto& r : rows) {
        test_root root;
        if (!r.before.empty()) root.write("/mnt/nand/cgi_log.txt", r.before);
        ASSERT_EQ(cgi_debug_log("f.c", 7, "fn", "entry"), 0) << "row at line " << r.line;
        std::string log = root.read("/mnt/nand/cgi_log.txt");
        ASSERT_EQ(log.substr(0, r.kept.size()), r.kept) << "row at line " << r.line;
        std::string entry = log.substr(r.kept.size());
        EXPECT_EQ(entry.rfind("[cgix debug] ", 0), 0u) << "row at line " << r.line << ": " << entry;
        EXPECT_TRUE(entry.ends_with("  f.c:7 in fn: entry\n")) << "row at line " << r.line << ": " << entry;
    }
    // No log directory: the call says so and writes nothing anywhere.
    test_root root;
    rmdir(root.file("/mnt/nand/ssl").c_str());
    rmdir(root.file("/mnt/nand/app").c_str());
    ASSERT_EQ(rmdir(root.file("/mnt/nand").c_str()), 0);
    EXPECT_EQ(cgi_debug_log("f.c", 1, "fn", "lost"), -1);
    EXPECT_FALSE(root.exists("/mnt/nand"));
}

TEST(Files, WholeFileHelpersAndLock) {
    test_root root;
    long len = -1;
    EXPECT_EQ(read_whole_file("/tmp/none", &len), nullptr);
    EXPECT_EQ(len, 0);
    std::string data("a\0b\nc", 5);
    ASSERT_EQ(write_whole_file("/tmp/w.bin", data.data(), data.size()), 0);
    char* back = read_whole_file("/tmp/w.bin", &len);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(std::string(back, len), data);
    std::free(back);
    EXPECT_EQ(write_whole_file("/no/dir/x", "a", 1), -1);

    int fd = cgi_file_lock(CGI_LOCK_FILE);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(root.exists("/tmp/cgilockfile"));
    // Another process cannot take the lock while it is held.
    pid_t child = fork();
    if (child == 0) {
        int other = open(root.file("/tmp/cgilockfile").c_str(), O_RDWR);
        _exit(lockf(other, F_TLOCK, 0) == 0 ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    cgi_file_unlock(fd);
}

TEST(Json, ParsingAndMemberHelpers) {
    EXPECT_EQ(json_parse_text(nullptr), nullptr);
    EXPECT_EQ(json_parse_text("not json"), nullptr);
    EXPECT_EQ(json_parse_object("[1,2]"), nullptr);
    int v = 99;
    EXPECT_EQ(json_get_int_key("{\"a\": 12}", "a", &v), 0);
    EXPECT_EQ(v, 12);
    EXPECT_EQ(json_get_int_key("{\"a\": 12}", "b", &v), -1);
    EXPECT_EQ(json_get_int_key("{", "a", &v), -1);

    json_ref req = json_parse_object("{\"n\": \"42\", \"big\": 99999999999, \"s\": 5, \"arr\": [1], \"t\": \"abcdef\"}");
    ASSERT_NE(req, nullptr);
    EXPECT_TRUE(req_int(req, "n", &v));
    EXPECT_EQ(v, 42);
    EXPECT_TRUE(req_int(req, "big", &v));
    EXPECT_EQ(v, INT32_MAX);
    v = 7;
    EXPECT_FALSE(req_int(req, "missing", &v));
    EXPECT_EQ(v, 7);
    EXPECT_EQ(req_int_or(req, "missing", -1), -1);
    EXPECT_STREQ(req_str(req, "s"), "5");
    EXPECT_EQ(req_str(req, "missing"), nullptr);
    EXPECT_NE(req_array(req, "arr"), nullptr);
    EXPECT_EQ(req_array(req, "s"), nullptr);
    char field[4];
    req_text(req.get(), "t", field, sizeof field);
    EXPECT_STREQ(field, "abc");
    req_text(req.get(), "missing", field, sizeof field);
    EXPECT_STREQ(field, "");
}

}  // namespace
