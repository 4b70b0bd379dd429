// The socket library against the in-process simulated core daemon.
#include "platform/tqsock_wire.h"
#include "platform/tqstd.h"
#include "tests/harness/cgi_harness.h"
#include "tools/coresim/coresim.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

struct received {
    int32_t id;
    uint32_t header_size;
    bool null_payload;
    coresim::bytes payload;
};

// What the callback saw, for the test thread to wait on.
struct inbox {
    std::mutex mu;
    std::condition_variable cv;
    std::vector<received> got;
    std::atomic<int> in_callback_flag{-1};

    bool wait_for(size_t count) {
        std::unique_lock<std::mutex> lock(mu);
        return cv.wait_for(lock, std::chrono::seconds(10), [&] { return got.size() >= count; });
    }
    size_t size() {
        std::lock_guard<std::mutex> lock(mu);
        return got.size();
    }
};

inbox* box = nullptr;

void record_cb(void*, const void* header, const void* payload) {
    tq_sock_header h;
    std::memcpy(&h, header, sizeof h);
    received r{h.msg_id, h.header_size, payload == nullptr, {}};
    if (payload) {
        const auto* p = static_cast<const uint8_t*>(payload);
        r.payload.assign(p, p + h.payload_size);
    }
    box->in_callback_flag.store(tq_sock_in_callback());
    {
        std::lock_guard<std::mutex> lock(box->mu);
        box->got.push_back(std::move(r));
    }
    box->cv.notify_all();
}

coresim::bytes pattern(size_t len, unsigned seed) {
    coresim::bytes b(len);
    for (size_t i = 0; i < len; ++i) b[i] = static_cast<uint8_t>((i * 131 + seed) & 0xff);
    return b;
}

class SockLink : public ::testing::Test {
protected:
    void SetUp() override {
        box = &messages;
        ASSERT_TRUE(core.start(root.path()));
    }
    void TearDown() override {
        tq_sock_uninit();
        core.stop();
        box = nullptr;
    }

    test_root root;
    coresim_server core;
    inbox messages;
};

TEST_F(SockLink, PayloadsOfEverySizeArriveIntactBothWays) {
    // The daemon sends each payload back under request + 5000.
    ASSERT_TRUE(core.set_script(R"([{"id": 1500, "reply": {"echo": true}}])"));
    ASSERT_EQ(tq_sock_init(record_cb, 0, 3, "/var/run/tqsocket"), 0);
    const size_t sizes[] = {0, 4, 672, 100000};
    for (size_t i = 0; i < std::size(sizes); ++i) {
        coresim::bytes data = pattern(sizes[i], static_cast<unsigned>(i));
        ASSERT_EQ(tq_sock_send_msg(1, 1500, data.empty() ? nullptr : data.data(),
                                   static_cast<int>(data.size()), 0, 0), 0);
    }
    ASSERT_TRUE(core.wait_for(std::size(sizes)));
    ASSERT_TRUE(messages.wait_for(std::size(sizes)));
    auto journal = core.journal();
    for (size_t i = 0; i < std::size(sizes); ++i) {
        SCOPED_TRACE(sizes[i]);
        coresim::bytes data = pattern(sizes[i], static_cast<unsigned>(i));
        EXPECT_EQ(journal[i].id, 1500);
        EXPECT_EQ(journal[i].payload, data);
        const received& r = messages.got[i];
        EXPECT_EQ(r.id, 6500);
        EXPECT_EQ(r.header_size, 24u);
        EXPECT_EQ(r.null_payload, sizes[i] == 0);
        EXPECT_EQ(r.payload, data);
    }
    EXPECT_EQ(messages.in_callback_flag.load(), 1);
    EXPECT_EQ(tq_sock_in_callback(), 0);
    EXPECT_EQ(core.connections(), 1);
}

TEST_F(SockLink, ManyMessagesShareOneConnectionAndKeepTheirOrder) {
    ASSERT_TRUE(core.set_script(R"([{"id": 1501, "reply": {"echo": true}}])"));
    ASSERT_EQ(tq_sock_init(record_cb, 0, 3, "/var/run/tqsocket"), 0);
    const int count = 300;
    for (int i = 0; i < count; ++i) ASSERT_EQ(tq_sock_send_msg(1, 1501, &i, 4, 0, 0), 0);
    ASSERT_TRUE(messages.wait_for(count));
    for (int i = 0; i < count; ++i) {
        int32_t v;
        ASSERT_EQ(messages.got[i].payload.size(), 4u);
        std::memcpy(&v, messages.got[i].payload.data(), 4);
        EXPECT_EQ(v, i);
    }
    EXPECT_EQ(core.connections(), 1);
}

TEST_F(SockLink, UninitStopsCallbacksWhileTheDaemonKeepsSending) {
    // One request, then a reply every round for a long time.
    std::string stream = R"([{"id": 1502, "reply": [)";
    for (int i = 0; i < 200; ++i) stream += std::string(i ? "," : "") + R"({"hex": "01", "delay": 1})";
    stream += "]}]";
    ASSERT_TRUE(core.set_script(stream));
    ASSERT_EQ(tq_sock_init(record_cb, 0, 3, "/var/run/tqsocket"), 0);
    ASSERT_EQ(tq_sock_send_msg(1, 1502, nullptr, 0, 0, 0), 0);
    ASSERT_TRUE(messages.wait_for(2));
    ASSERT_EQ(tq_sock_uninit(), 0);
    size_t after_uninit = messages.size();
    // The daemon notices the closed link when its next write fails.
    ASSERT_TRUE(core.wait_for_closed(1));
    EXPECT_EQ(messages.size(), after_uninit);
    EXPECT_LT(after_uninit, 200u);
}

TEST_F(SockLink, NullCallbackLinkSendsAndDiscardsWhatArrives) {
    ASSERT_TRUE(core.set_script(R"([{"id": 4002, "reply": {"size": 64}}])"));
    ASSERT_EQ(tq_sock_init(nullptr, 0, 11, "/var/run/tqsocket"), 0);
    char text[100] = "Dir_Nvr_Right_10_0";
    for (int i = 0; i < 50; ++i) ASSERT_EQ(tq_sock_send_msg(1, 4002, text, 100, 0, 0), 0);
    ASSERT_TRUE(core.wait_for(50));
    EXPECT_EQ(core.messages(4002).size(), 50u);
    EXPECT_EQ(core.connections(), 1);
}

TEST_F(SockLink, SendWithoutDaemonFailsAndTheNextSendConnectsAgain) {
    core.stop();
    ASSERT_EQ(tq_sock_init(record_cb, 0, 3, "/var/run/tqsocket"), -1);
    int v = 7;
    EXPECT_NE(tq_sock_send_msg(1, 1503, &v, 4, 0, 0), 0);
    EXPECT_NE(tq_sock_send_msg(1, 1503, &v, 4, 0, 0), 0);
    ASSERT_TRUE(core.start(root.path()));
    EXPECT_EQ(tq_sock_send_msg(1, 1503, &v, 4, 0, 0), 0);
    ASSERT_TRUE(core.wait_for(1));
    EXPECT_EQ(core.journal()[0].payload, coresim::bytes({7, 0, 0, 0}));
}

TEST_F(SockLink, ConnectionClosedByTheDaemonIsOpenedAgainOnALaterSend) {
    ASSERT_TRUE(core.set_script(R"([{"id": 1504, "times": 1, "reply": {"fault": "close"}}])"));
    ASSERT_EQ(tq_sock_init(record_cb, 0, 3, "/var/run/tqsocket"), 0);
    ASSERT_EQ(tq_sock_send_msg(1, 1504, nullptr, 0, 0, 0), 0);
    ASSERT_TRUE(core.wait_for_closed(1));
    // The first send after the close may still see the dead connection.
    int attempts = 0;
    while (attempts < 3 && tq_sock_send_msg(1, 1505, nullptr, 0, 0, 0) != 0) ++attempts;
    EXPECT_LT(attempts, 2);
    ASSERT_TRUE(core.wait_for(2));
    auto journal = core.journal();
    EXPECT_EQ(journal[1].id, 1505);
    EXPECT_EQ(journal[1].conn, 2);
}

TEST_F(SockLink, SendsThatCannotBeFramedAreRefused) {
    ASSERT_EQ(tq_sock_init(record_cb, 0, 3, "/var/run/tqsocket"), 0);
    int v = 0;
    struct row {
        int line;
        const void* payload;
        int len;
    } rows[] = {
        {__LINE__, &v, -1},
        {__LINE__, nullptr, 4},
        {__LINE__, &v, static_cast<int>(TQ_SOCK_MAX_PAYLOAD) + 1},
    };
    for (const row& r : rows) EXPECT_EQ(tq_sock_send_msg(1, 1506, r.payload, r.len, 0, 0), -2) << r.line;
    ASSERT_EQ(tq_sock_send_msg(1, 1507, nullptr, 0, 0, 0), 0);
    ASSERT_TRUE(core.wait_for(1));
    EXPECT_EQ(core.journal().size(), 1u);
    EXPECT_EQ(core.journal()[0].id, 1507);
}

// A callback that answers with a message of its own and then closes the link
// from inside: the follow-up goes out on the same connection and no callback
// runs after the close.
void follow_up_cb(void* ctx, const void* header, const void* payload) {
    record_cb(ctx, header, payload);
    int32_t id;
    std::memcpy(&id, static_cast<const char*>(header) + 12, 4);
    if (id == 6510) {
        EXPECT_EQ(tq_sock_init(follow_up_cb, 0, 3, "/var/run/tqsocket"), 0);
        EXPECT_EQ(tq_sock_send_msg(1, 1511, nullptr, 0, 0, 0), 0);
        EXPECT_EQ(tq_sock_uninit(), 0);
    }
}

TEST_F(SockLink, CallbackMaySendAndCloseFromItsOwnThread) {
    ASSERT_TRUE(core.set_script(R"([
        {"id": 1510, "reply": [{"size": 4}, {"size": 4, "delay": 2}]},
        {"id": 1511, "reply": {"size": 4}}])"));
    ASSERT_EQ(tq_sock_init(follow_up_cb, 0, 3, "/var/run/tqsocket"), 0);
    ASSERT_EQ(tq_sock_send_msg(1, 1510, nullptr, 0, 0, 0), 0);
    ASSERT_TRUE(core.wait_for(2));
    // The second 6510 and the 6511 find the link closed.
    ASSERT_TRUE(core.wait_for_closed(1));
    EXPECT_EQ(messages.size(), 1u);
    auto journal = core.journal();
    EXPECT_EQ(journal[1].id, 1511);
    EXPECT_EQ(journal[1].conn, journal[0].conn);
    // An ordinary thread then opens a fresh link.
    ASSERT_EQ(tq_sock_init(record_cb, 0, 3, "/var/run/tqsocket"), 0);
    ASSERT_EQ(tq_sock_send_msg(1, 1511, nullptr, 0, 0, 0), 0);
    ASSERT_TRUE(messages.wait_for(2));
    EXPECT_EQ(messages.got[1].id, 6511);
}

TEST_F(SockLink, DaemonThatBreaksTheFramingEndsTheConnection) {
    // A raw peer instead of coresim: a header with a bad magic.
    core.stop();
    std::string path = root.file("/var/run/tqsocket");
    int lfd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strcpy(addr.sun_path, path.c_str());
    ASSERT_EQ(bind(lfd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(listen(lfd, 4), 0);
    ASSERT_EQ(tq_sock_init(record_cb, 0, 3, "/var/run/tqsocket"), 0);
    int peer = accept(lfd, nullptr, nullptr);
    ASSERT_GE(peer, 0);
    struct row {
        int line;
        tq_sock_header header;
    } rows[] = {
        {__LINE__, [] { auto h = tq_sock_make_header(1, 6000, 0); h.magic[0] = 'X'; return h; }()},
        {__LINE__, [] { auto h = tq_sock_make_header(1, 6000, 0); h.header_size = 20; return h; }()},
        {__LINE__, tq_sock_make_header(1, 6000, TQ_SOCK_MAX_PAYLOAD + 1)},
    };
    for (const row& r : rows) {
        ASSERT_EQ(write(peer, &r.header, sizeof r.header), static_cast<ssize_t>(sizeof r.header));
        // The library drops the connection: the peer reads end of file.
        char c;
        EXPECT_EQ(read(peer, &c, 1), 0) << r.line;
        close(peer);
        // A send connects anew (the first may still see the old connection).
        int tries = 0;
        while (tries < 3 && tq_sock_send_msg(1, 1520, nullptr, 0, 0, 0) != 0) ++tries;
        peer = accept(lfd, nullptr, nullptr);
        ASSERT_GE(peer, 0);
        tq_sock_header sent;
        ASSERT_EQ(read(peer, &sent, sizeof sent), static_cast<ssize_t>(sizeof sent));
        EXPECT_EQ(sent.msg_id, 1520);
    }
    close(peer);
    close(lfd);
    EXPECT_EQ(messages.size(), 0u);
}

}  // namespace
