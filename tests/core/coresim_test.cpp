// The simulated core daemon: reply scripts, defaults, journal, connections
// and the program, driven by a raw socket client.
#include "platform/tqsock_wire.h"
#include "tests/harness/cgi_harness.h"
#include "tools/coresim/coresim.h"

#include <gtest/gtest.h>
#include <json-c/json.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

namespace {

using coresim::bytes;

// A client that speaks the framing itself, independent of the socket library.
class raw_client {
public:
    explicit raw_client(const std::string& path) {
        fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
        if (connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            close(fd_);
            fd_ = -1;
        }
    }
    ~raw_client() {
        if (fd_ >= 0) close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    int fd() const { return fd_; }

    bool send_msg(int32_t id, const bytes& payload) {
        tq_sock_header h = tq_sock_make_header(1, id, static_cast<uint32_t>(payload.size()));
        return put(&h, sizeof h) && put(payload.data(), payload.size());
    }
    bool put(const void* data, size_t len) {
        return len == 0 || ::send(fd_, data, len, MSG_NOSIGNAL) == static_cast<ssize_t>(len);
    }
    // The next message, or false on end of file or after timeout_ms of silence.
    bool recv_msg(int32_t* id, bytes* payload, int timeout_ms = 5000) {
        tq_sock_header h;
        if (!get(&h, sizeof h, timeout_ms) || !tq_sock_header_valid(h)) return false;
        *id = h.msg_id;
        payload->assign(h.payload_size, 0);
        return get(payload->data(), payload->size(), timeout_ms);
    }
    // True when the daemon closed the connection (end of file).
    bool closed_by_peer(int timeout_ms = 5000) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, timeout_ms) <= 0) return false;
        char c;
        return recv(fd_, &c, 1, 0) == 0;
    }

private:
    bool get(void* data, size_t len, int timeout_ms) {
        char* out = static_cast<char*>(data);
        while (len > 0) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, timeout_ms) <= 0) return false;
            ssize_t n = recv(fd_, out, len, 0);
            if (n <= 0) return false;
            out += n;
            len -= static_cast<size_t>(n);
        }
        return true;
    }
    int fd_ = -1;
};

std::string hex(const bytes& b) { return coresim::to_hex(b.data(), b.size()); }

// Rows of the defaults of this test program, in an identifier range no
// module uses.
void two_messages(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    out.push_back({req.id + 1, {1}, 0, false});
    out.push_back({req.id + 2, {2}, 0, false});
}
const coresim::default_reply test_rows[] = {
    {99001, 4, 12, 4},
    {99002, -1, 8, -1, nullptr, 99999, 2},
    {99003, 0, -1},
    {99004, -1, 0, -1, two_messages},
};
CORESIM_DEFAULTS("coresim test", test_rows);

class CoreSim : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(core.start(root.path())); }
    void TearDown() override { core.stop(); }

    std::string socket() const { return root.file("/var/run/tqsocket"); }

    test_root root;
    coresim_server core;
};

TEST(CoreSimScript, RepliesAreBuiltFromTypedFieldsEchoRecordsAndFaults) {
    struct row {
        int line;
        const char* reply;
        const char* request;  // hex
        int32_t id;           // expected reply id; 0: no message
        const char* payload;  // expected hex
        int delay = 0;
        bool close = false;
    } rows[] = {
        {__LINE__, R"({"size": 8, "fields": [{"at": 0, "int32": -1}, {"at": 4, "int32": 7}]})", "", 6000,
         "ffffffff07000000"},
        {__LINE__, R"({"fields": [{"at": 0, "int64": 4294967297}]})", "", 6000, "0100000001000000"},
        {__LINE__, R"({"fields": [{"at": 2, "float": 1.5}]})", "", 6000, "00000000c03f"},
        {__LINE__, R"({"size": 8, "fields": [{"at": 2, "text": "abcdefgh", "width": 4}]})", "", 6000,
         "0000616263640000"},
        {__LINE__, R"({"size": 8, "fields": [{"at": 0, "text": "ab", "width": 4}, {"at": 4, "hex": "ffff"}]})", "",
         6000, "61620000ffff0000"},
        {__LINE__, R"({"size": 4, "fields": [{"at": 2, "text": "xyz"}]})", "", 6000, "00007879"},
        {__LINE__, R"({"hex": "0102", "fields": [{"at": 3, "hex": "09"}]})", "", 6000, "01020009"},
        {__LINE__, R"({"echo": true})", "0a0b0c", 6000, "0a0b0c"},
        {__LINE__, R"({"echo": true, "size": 2})", "0a0b0c", 6000, "0a0b"},
        {__LINE__, R"({"echo": true, "size": 4})", "0a0b0c", 6000, "0a0b0c00"},
        {__LINE__, R"({"size": 8, "fields": [{"at": 4, "echo": 0}]})", "03000000", 6000, "0000000003000000"},
        {__LINE__, R"({"size": 6, "fields": [{"at": 0, "echo": 2, "len": 4}]})", "01020304", 6000,
         "030400000000"},
        {__LINE__, R"({"size": 4, "count": 3, "fields": [{"at": 0, "int32": 1}]})", "", 6000,
         "010000000100000001000000"},
        {__LINE__, R"({"size": 4, "records": [[{"at": 0, "int32": 1}], [{"at": 0, "int32": 2}]]})", "", 6000,
         "0100000002000000"},
        {__LINE__, R"({"size": 4, "count": 3, "records": [[], [{"at": 1, "hex": "ff"}]]})", "", 6000,
         "0000000000ff000000000000"},
        {__LINE__, R"({"size": 4, "count": 0})", "", 6000, ""},
        {__LINE__, R"({"id": 8103, "size": 4})", "", 8103, "00000000"},
        {__LINE__, R"({"size": 4, "delay": 7})", "", 6000, "00000000", 7},
        {__LINE__, R"({"size": 8, "fault": "empty"})", "", 6000, ""},
        {__LINE__, R"({"size": 8, "count": 2, "fault": "short"})", "", 6000, "00000000000000"},
        {__LINE__, R"({"size": 8, "fault": "short", "short_size": 3})", "", 6000, "000000"},
        {__LINE__, R"({"size": 4, "fault": "wrong_id"})", "", 106000, "00000000"},
        {__LINE__, R"({"size": 4, "fault": "none"})", "", 6000, "00000000"},
        {__LINE__, R"({"size": 4, "fault": "no_answer"})", "", 0, ""},
        {__LINE__, R"({"fault": "close", "delay": 2})", "", 0, "", 2, true},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.line);
        std::vector<coresim::rule> rules;
        std::string error;
        ASSERT_TRUE(coresim::parse_script(std::string(R"([{"id": 1000, "reply": )") + r.reply + "}]", rules,
                                          &error))
            << error;
        ASSERT_EQ(rules.size(), 1u);
        coresim::request req;
        req.id = 1000;
        req.payload = coresim::from_hex(r.request);
        std::vector<coresim::out_msg> out;
        coresim::build_reply(rules[0].replies[0], req, "/nonexistent", out);
        if (r.id == 0 && !r.close) {
            EXPECT_TRUE(out.empty());
            continue;
        }
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0].close, r.close);
        EXPECT_EQ(out[0].delay_rounds, r.delay);
        if (r.close) continue;
        EXPECT_EQ(out[0].id, r.id);
        EXPECT_EQ(hex(out[0].payload), r.payload);
    }
}

TEST(CoreSimScript, InvalidScriptsAreRefusedWithTheirPlace) {
    struct row {
        int line;
        const char* script;
        const char* where;
    } rows[] = {
        {__LINE__, "[", "script"},
        {__LINE__, R"({"rule": []})", "script"},
        {__LINE__, R"({"rules": [], "x": 1})", "script"},
        {__LINE__, R"([{"reply": {}}])", "rules[0]"},
        {__LINE__, R"([{"id": 1}])", "rules[0]"},
        {__LINE__, R"([{"id": "1", "reply": {}}])", "rules[0]"},
        {__LINE__, R"([{"id": 1, "reply": {}, "extra": 1}])", "rules[0]"},
        {__LINE__, R"([{"id": 1, "match": "0g", "reply": {}}])", "rules[0]"},
        {__LINE__, R"([{"id": 1, "match": "012", "reply": {}}])", "rules[0]"},
        {__LINE__, R"([{"id": 1, "reply": {"fault": "sometimes"}}])", "rules[0].reply"},
        {__LINE__, R"([{"id": 1, "reply": {"size": -1}}])", "rules[0].reply"},
        {__LINE__, R"([{"id": 1, "reply": [{}, {"delay": "1"}]}])", "rules[0].reply[1]"},
        {__LINE__, R"([{"id": 1, "reply": {"fields": [{"int32": 1}]}}])", "rules[0].reply.fields[0]"},
        {__LINE__, R"([{"id": 1, "reply": {"fields": [{"at": 0}]}}])", "rules[0].reply.fields[0]"},
        {__LINE__, R"([{"id": 1, "reply": {"fields": [{"at": 0, "int32": 1, "hex": "00"}]}}])",
         "rules[0].reply.fields[0]"},
        {__LINE__, R"([{"id": 1, "reply": {"fields": [{"at": 0, "int32": 4294967296}]}}])",
         "rules[0].reply.fields[0]"},
        {__LINE__, R"([{"id": 1, "reply": {"records": [[{"at": 0}]]}}])", "rules[0].reply.records[0][0]"},
        {__LINE__, R"([{"id": 1, "reply": {"file": {"path": "/tmp/../../etc/x", "text": ""}}}])",
         "rules[0].reply"},
        {__LINE__, R"([{"id": 1, "reply": {"file": {"path": "tmp/x", "text": ""}}}])", "rules[0].reply"},
    };
    for (const row& r : rows) {
        std::vector<coresim::rule> rules;
        std::string error;
        EXPECT_FALSE(coresim::parse_script(r.script, rules, &error)) << r.line;
        EXPECT_EQ(error.substr(0, error.find(':')), r.where) << r.line << ": " << error;
    }
    // A refused script leaves the server's rules as they were.
    coresim_server server;
    EXPECT_TRUE(server.set_script(R"({"rules": [{"id": 1, "reply": {}}]})"));
    EXPECT_FALSE(server.set_script("[{}]"));
}

TEST(CoreSimScript, ExampleOfTheReadmeIsAValidScript) {
    std::ifstream in(std::string(NVR_SOURCE_DIR) + "/tools/coresim/README.md");
    std::stringstream text;
    text << in.rdbuf();
    std::string doc = text.str();
    size_t start = doc.find("```json\n");
    ASSERT_NE(start, std::string::npos);
    start += 8;
    size_t end = doc.find("```", start);
    ASSERT_NE(end, std::string::npos);
    std::vector<coresim::rule> rules;
    std::string error;
    EXPECT_TRUE(coresim::parse_script(doc.substr(start, end - start), rules, &error)) << error;
    EXPECT_EQ(rules.size(), 3u);
}

TEST_F(CoreSim, RulesMatchOnPayloadBytesAndRunOutAfterTheirTimes) {
    ASSERT_TRUE(core.set_script(R"([
        {"id": 2000, "match": "03000000", "reply": {"size": 4, "fields": [{"at": 0, "int32": 33}]}},
        {"id": 2000, "match": "ff", "match_at": 4, "reply": {"size": 4, "fields": [{"at": 0, "int32": 44}]}},
        {"id": 2000, "times": 2, "reply": {"size": 4, "fields": [{"at": 0, "int32": 55}]}},
        {"id": 2000, "reply": {"size": 4, "fields": [{"at": 0, "int32": 66}]}}])"));
    raw_client client(socket());
    ASSERT_TRUE(client.ok());
    struct row {
        int line;
        const char* request;
        int32_t answer;
    } rows[] = {
        {__LINE__, "03000000", 33},   {__LINE__, "0300", 55},          {__LINE__, "04000000ff", 44},
        {__LINE__, "04000000fe", 55}, {__LINE__, "04000000fe", 66},    {__LINE__, "03000000ff", 33},
        {__LINE__, "", 66},
    };
    for (const row& r : rows) {
        ASSERT_TRUE(client.send_msg(2000, coresim::from_hex(r.request))) << r.line;
        int32_t id;
        bytes payload;
        ASSERT_TRUE(client.recv_msg(&id, &payload)) << r.line;
        EXPECT_EQ(id, 7000) << r.line;
        ASSERT_EQ(payload.size(), 4u) << r.line;
        int32_t v;
        std::memcpy(&v, payload.data(), 4);
        EXPECT_EQ(v, r.answer) << r.line;
    }
}

TEST_F(CoreSim, ListOfRepliesIsSentInOrderThenTheConnectionCloses) {
    ASSERT_TRUE(core.set_script(R"([{"id": 1173, "reply": [
        {"size": 100, "fields": [{"at": 88, "int32": 0}, {"at": 92, "int32": 12}]},
        {"size": 100, "fields": [{"at": 92, "int32": -1}], "delay": 2},
        {"id": 6174, "hex": "aa"},
        {"fault": "close"},
        {"hex": "bb"}]}])"));
    raw_client client(socket());
    ASSERT_TRUE(client.send_msg(1173, bytes(72, 0)));
    int32_t id;
    bytes p;
    ASSERT_TRUE(client.recv_msg(&id, &p));
    EXPECT_EQ(id, 6173);
    EXPECT_EQ(hex(bytes(p.begin() + 88, p.begin() + 96)), "000000000c000000");
    ASSERT_TRUE(client.recv_msg(&id, &p));
    EXPECT_EQ(hex(bytes(p.begin() + 92, p.begin() + 96)), "ffffffff");
    ASSERT_TRUE(client.recv_msg(&id, &p));
    EXPECT_EQ(id, 6174);
    EXPECT_TRUE(client.closed_by_peer());
    EXPECT_EQ(core.replies_sent(), 3u);
}

TEST_F(CoreSim, DefaultsAnswerWhatNoRuleAnswers) {
    struct row {
        int line;
        int32_t request;
        const char* payload;
        std::vector<std::pair<int32_t, std::string>> answers;
    } rows[] = {
        // Generic rule: zero-filled record, the channel copied to offset 4.
        {__LINE__, 99001, "05000000", {{104001, "000000000500000000000000"}}},
        // Too short to carry a channel: nothing copied.
        {__LINE__, 99001, "05", {{104001, "000000000000000000000000"}}},
        {__LINE__, 99002, "07000000", {{99999, "00000000000000000000000000000000"}}},
        {__LINE__, 99004, "", {{99005, "01"}, {99006, "02"}}},
        // A notice, the operation log and an unknown identifier: no answer.
        {__LINE__, 99003, "", {}},
        {__LINE__, 3485, "00", {}},
        {__LINE__, 99100, "", {}},
    };
    raw_client client(socket());
    for (const row& r : rows) {
        SCOPED_TRACE(r.line);
        ASSERT_TRUE(client.send_msg(r.request, coresim::from_hex(r.payload)));
        for (const auto& [id, payload] : r.answers) {
            int32_t got_id;
            bytes got;
            ASSERT_TRUE(client.recv_msg(&got_id, &got));
            EXPECT_EQ(got_id, id);
            EXPECT_EQ(hex(got), payload);
        }
    }
    // Nothing else came: a script rule answers next, so any stray default
    // would arrive before it.
    core.add_reply(99100, 1, {9});
    ASSERT_TRUE(client.send_msg(99100, {}));
    int32_t id;
    bytes p;
    ASSERT_TRUE(client.recv_msg(&id, &p));
    EXPECT_EQ(id, 1);
    // Without defaults only the script answers.
    core.use_defaults(false);
    ASSERT_TRUE(client.send_msg(99001, {1, 0, 0, 0}));
    ASSERT_TRUE(client.send_msg(99100, {}));
    ASSERT_TRUE(client.recv_msg(&id, &p));
    EXPECT_EQ(id, 1);
}

TEST(CoreSimDefaults, EveryIdentifierHasOneRowAndTheSharedRowsAreLinked) {
    EXPECT_EQ(coresim::default_conflicts(), std::vector<int32_t>{});
    // Rows of the library's own files reach every program that links it.
    const coresim::default_reply* oplog = coresim::find_default(3485);
    ASSERT_NE(oplog, nullptr);
    EXPECT_EQ(oplog->request_size, 672);
    EXPECT_EQ(oplog->reply_size, -1);
    for (const coresim::default_reply& row : coresim::default_rows()) {
        EXPECT_GE(row.reply_size, -1) << row.request_id;
        EXPECT_GE(row.count, 1u) << row.request_id;
    }
}

TEST_F(CoreSim, JournalHasOneJsonObjectPerEvent) {
    std::string path = root.file("/tmp/journal.jsonl");
    ASSERT_TRUE(core.set_journal_file(path));
    ASSERT_TRUE(core.set_script(R"([{"id": 2100, "reply": {"hex": "beef"}}])"));
    {
        raw_client client(socket());
        ASSERT_TRUE(client.send_msg(2100, {1, 2, 255}));
        int32_t id;
        bytes p;
        ASSERT_TRUE(client.recv_msg(&id, &p));
        ASSERT_TRUE(client.send_msg(3485, bytes(4, 0)));
        ASSERT_TRUE(core.wait_for(2));
    }
    ASSERT_TRUE(core.wait_for_closed(1));
    std::ifstream in(path);
    std::string line;
    struct want {
        const char* event;
        int id;
        int size;
        const char* payload;
        int expected_size;
    } wants[] = {
        {"connect", -1, -1, nullptr, -1},   {"message", 2100, 3, "0102ff", -1},
        {"reply", 7100, 2, "beef", -1},     {"message", 3485, 4, "00000000", 672},
        {"close", -1, -1, nullptr, -1},
    };
    double last_time = 0;
    for (const want& w : wants) {
        SCOPED_TRACE(w.event);
        ASSERT_TRUE(std::getline(in, line));
        std::unique_ptr<json_object, decltype(&json_object_put)> obj(json_tokener_parse(line.c_str()),
                                                                      json_object_put);
        ASSERT_TRUE(obj) << line;
        auto member = [&](const char* key) {
            json_object* v = nullptr;
            json_object_object_get_ex(obj.get(), key, &v);
            return v;
        };
        ASSERT_TRUE(member("time") && member("conn") && member("event")) << line;
        double t = json_object_get_double(member("time"));
        EXPECT_GE(t, last_time);
        last_time = t;
        EXPECT_EQ(json_object_get_int(member("conn")), 1);
        EXPECT_STREQ(json_object_get_string(member("event")), w.event);
        if (w.id >= 0) {
            EXPECT_EQ(json_object_get_int(member("id")), w.id);
            EXPECT_EQ(json_object_get_int(member("size")), w.size);
            EXPECT_STREQ(json_object_get_string(member("payload")), w.payload);
        } else {
            EXPECT_EQ(member("id"), nullptr);
        }
        if (w.expected_size >= 0)
            EXPECT_EQ(json_object_get_int(member("expected_size")), w.expected_size);
        else
            EXPECT_EQ(member("expected_size"), nullptr);
    }
    EXPECT_FALSE(std::getline(in, line)) << line;
}

TEST_F(CoreSim, ManyConnectionsAreServedAtOnceEachOnItsOwn) {
    ASSERT_TRUE(core.set_script(R"([{"id": 2200, "reply": {"echo": true, "delay": 5}}])"));
    const int count = 20;
    std::vector<std::unique_ptr<raw_client>> clients;
    for (int i = 0; i < count; ++i) {
        clients.push_back(std::make_unique<raw_client>(socket()));
        ASSERT_TRUE(clients.back()->ok());
        // Every client sends before any reads: the daemon must not serve
        // them one after another.
        ASSERT_TRUE(clients.back()->send_msg(2200, {static_cast<uint8_t>(i)}));
    }
    for (int i = 0; i < count; ++i) {
        int32_t id;
        bytes p;
        ASSERT_TRUE(clients[i]->recv_msg(&id, &p));
        EXPECT_EQ(p, bytes{static_cast<uint8_t>(i)});
    }
    EXPECT_EQ(core.connections(), count);
}

TEST_F(CoreSim, BrokenFramingClosesTheConnection) {
    struct row {
        int line;
        tq_sock_header header;
    } rows[] = {
        {__LINE__, [] { auto h = tq_sock_make_header(1, 2300, 0); h.magic[3] = 'X'; return h; }()},
        {__LINE__, [] { auto h = tq_sock_make_header(1, 2300, 0); h.header_size = 28; return h; }()},
        {__LINE__, tq_sock_make_header(1, 2300, TQ_SOCK_MAX_PAYLOAD + 1)},
    };
    for (const row& r : rows) {
        raw_client client(socket());
        ASSERT_TRUE(client.put(&r.header, sizeof r.header));
        EXPECT_TRUE(client.closed_by_peer()) << r.line;
    }
    EXPECT_TRUE(core.journal().empty());
}

TEST_F(CoreSim, ReplyMayFirstWriteAFileUnderTheRoot) {
    ASSERT_TRUE(core.set_script(R"([{"id": 2400, "reply": {"size": 4,
        "file": {"path": "/tmp/log/export.bin", "hex": "00ff"}}}])"));
    raw_client client(socket());
    ASSERT_TRUE(client.send_msg(2400, {}));
    int32_t id;
    bytes p;
    ASSERT_TRUE(client.recv_msg(&id, &p));
    EXPECT_EQ(root.read("/tmp/log/export.bin"), std::string("\0\xff", 2));
}

TEST_F(CoreSim, ProgrammaticRuleSeesTheRequest) {
    coresim::rule r;
    r.id = 2500;
    // The handler may look at the server it runs in.
    r.handler = [this](const coresim::request& req, std::vector<coresim::out_msg>& out) {
        out.push_back({req.id + static_cast<int32_t>(core.journal().size()),
                       bytes(req.payload.rbegin(), req.payload.rend()), 0, false});
    };
    core.add_rule(r);
    raw_client client(socket());
    ASSERT_TRUE(client.send_msg(2500, {1, 2, 3}));
    int32_t id;
    bytes p;
    ASSERT_TRUE(client.recv_msg(&id, &p));
    EXPECT_EQ(id, 2501);
    EXPECT_EQ(p, (bytes{3, 2, 1}));
    auto journal = core.messages(2500);
    ASSERT_EQ(journal.size(), 1u);
    EXPECT_EQ(journal[0].payload, (bytes{1, 2, 3}));
    EXPECT_EQ(journal[0].conn, 1);
}

// ---- the program -----------------------------------------------------------

// Until the program listens on its socket: the file appears at bind(), a
// moment before listen(), and a connect in between is refused.
bool wait_for_listener(const std::string& path) {
    for (int i = 0; i < 2000; ++i) {
        if (raw_client(path).ok()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// Kills a spawned program the test did not stop (a failed assertion), so that
// it does not outlive the test holding its output open.
struct spawned_guard {
    pid_t pid;
    bool reaped = false;
    ~spawned_guard() {
        if (!reaped && pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
};

pid_t spawn(const std::vector<std::string>& args, const std::string& root) {
    pid_t pid = fork();
    if (pid == 0) {
        setenv("NVR_ROOT", root.c_str(), 1);
        int null_fd = open("/dev/null", O_WRONLY);
        dup2(null_fd, 2);
        std::vector<char*> argv;
        std::string program = bin_path("coresim");
        argv.push_back(program.data());
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    return pid;
}

int exit_status(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(CoreSimProgram, ServesFromItsScriptAndStopsCleanlyOnSignals) {
    test_root root;
    root.write("/tmp/script.json", R"([{"id": 3204, "reply": {"echo": true}}])");
    for (int sig : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(sig);
        std::string journal = root.file("/tmp/journal.jsonl");
        std::string sock = root.file("/tmp/core.sock");
        pid_t pid = spawn({"--socket", sock, "--script", root.file("/tmp/script.json"), "--journal", journal},
                          root.path());
        spawned_guard guard{pid};
        ASSERT_TRUE(wait_for_listener(sock));
        {
            raw_client client(sock);
            ASSERT_TRUE(client.ok());
            ASSERT_TRUE(client.send_msg(3204, {5, 0, 0, 0}));
            int32_t id;
            bytes p;
            ASSERT_TRUE(client.recv_msg(&id, &p));
            EXPECT_EQ(id, 8204);
            EXPECT_EQ(p, (bytes{5, 0, 0, 0}));
        }
        kill(pid, sig);
        guard.reaped = true;
        EXPECT_EQ(exit_status(pid), 0);
        EXPECT_FALSE(root.exists("/tmp/core.sock"));
        EXPECT_NE(root.read("/tmp/journal.jsonl").find("\"id\":3204,\"size\":4,\"payload\":\"05000000\""),
                  std::string::npos);
        unlink(journal.c_str());
    }
}

TEST(CoreSimProgram, DefaultSocketIsUnderTheRootAndNoDefaultsSilencesThem) {
    // A waiting message that the program's own tables answer, if any yet.
    int32_t waiting = 0;
    for (const coresim::default_reply& row : coresim::default_rows())
        if (row.reply_size >= 0 && row.request_id < 99000) {
            waiting = row.request_id;
            break;
        }
    test_root root;
    for (bool no_defaults : {false, true}) {
        SCOPED_TRACE(no_defaults);
        pid_t pid = spawn(no_defaults ? std::vector<std::string>{"--no-defaults"} : std::vector<std::string>{},
                          root.path());
        spawned_guard guard{pid};
        ASSERT_TRUE(wait_for_listener(root.file("/var/run/tqsocket")));
        {
            raw_client client(root.file("/var/run/tqsocket"));
            ASSERT_TRUE(client.ok());
            if (waiting) {
                ASSERT_TRUE(client.send_msg(waiting, bytes(4, 0)));
                int32_t id;
                bytes p;
                EXPECT_EQ(client.recv_msg(&id, &p, no_defaults ? 200 : 5000), !no_defaults);
            }
        }
        kill(pid, SIGTERM);
        guard.reaped = true;
        EXPECT_EQ(exit_status(pid), 0);
        EXPECT_FALSE(root.exists("/var/run/tqsocket"));
    }
}

TEST(CoreSimProgram, BadArgumentsAndScriptsStopItAtOnce) {
    test_root root;
    root.write("/tmp/bad.json", R"([{"id": 1}])");
    struct row {
        int line;
        std::vector<std::string> args;
        int status;
    } rows[] = {
        {__LINE__, {"--frobnicate"}, 2},
        {__LINE__, {"--socket"}, 2},
        {__LINE__, {"--script", root.file("/tmp/bad.json")}, 1},
        {__LINE__, {"--script", root.file("/tmp/missing.json")}, 1},
        {__LINE__, {"--socket", root.file("/no/such/dir/sock")}, 1},
    };
    for (const row& r : rows) EXPECT_EQ(exit_status(spawn(r.args, root.path())), r.status) << r.line;
}

}  // namespace
