// PTZ tours end to end: storing a tour (the table and the 588-byte
// message), sending one (the 4620-byte message, nothing stored), clearing
// one, and the refusals that keep every tour and message in bounds.
#include "platform/tqdb/rec_ptz.h"
#include "platform/tqdb/tqdb.h"
#include "tests/harness/db_faults.h"
#include "tests/ptz/ptz_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

namespace xcase {
namespace {

struct point {
    int32_t preset, time, speed;
};

// A request path of n points {"preset": base + p, "speed": p % 7, "time": 10 + p}.
std::vector<point> points(int n, int base = 1) {
    std::vector<point> v;
    for (int p = 0; p < n; ++p) v.push_back({base + p, 10 + p, p % 7});
    return v;
}

std::string path_json(const std::vector<point>& pts) {
    std::string s = "[";
    for (size_t i = 0; i < pts.size(); ++i)
        s += std::string(i ? "," : "") + "{\"preset\":" + std::to_string(pts[i].preset) +
             ",\"speed\":" + std::to_string(pts[i].speed) + ",\"time\":" + std::to_string(pts[i].time) + "}";
    return s + "]";
}

class PtzTours : public exchange_case {
protected:
    ptz_tour_table tours(int chn) {
        ptz_tour_table t;
        std::memset(&t, 0, sizeof t);
        read_ptz_tour(TQDB_FILE, &t, chn);
        return t;
    }
    // A stored table with every point of every tour set.
    ptz_tour_table seed(int chn) {
        ptz_tour_table t;
        for (int k = 0; k < 8; ++k)
            for (int p = 0; p < 48; ++p) t.tours[k][p] = {100 * k + p + 1, 5, 3};
        EXPECT_EQ(write_ptz_tour(TQDB_FILE, &t, chn), 0);
        return t;
    }
    static bool same(const ptz_tour_table& a, const ptz_tour_table& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
};

TEST_F(PtzTours, StoringATourWritesItsPointsAndSendsTheWholeTour) {
    ptz_tour_table before = seed(4);
    std::vector<point> pts = points(3, 20);
    EXPECT_EQ(post("/6055", R"({"chn":4,"tourid":2,"rowsize":3,"path":)" + path_json(pts) + "}").out,
              text_reply("OK"));

    ptz_tour_table want = before;
    for (int p = 0; p < 3; ++p) want.tours[1][p] = {pts[p].preset, pts[p].time, pts[p].speed};
    EXPECT_TRUE(same(tours(4), want));

    // chn, tour, row count, then the tour's 48 points {preset, time, speed}.
    record store(588);
    store.i32(0, 4).i32(4, 2).i32(8, 3);
    for (int p = 0; p < 48; ++p) {
        const ptz_tour_point& q = want.tours[1][p];
        store.i32(12 + 12 * p, q.preset).i32(16 + 12 * p, q.time).i32(20 + 12 * p, q.speed);
    }
    expect_sent({{1264, store}, ptz_log(904, 4)}, __LINE__);

    // A full tour of 48 points on a channel without a stored table.
    fresh_case();
    pts = points(48);
    EXPECT_EQ(post("/6055", R"({"chn":63,"tourid":8,"rowsize":48,"path":)" + path_json(pts) + "}").out,
              text_reply("OK"));
    ptz_tour_table full = tours(63);
    for (int p = 0; p < 48; ++p) EXPECT_EQ(full.tours[7][p].preset, p + 1) << p;
    EXPECT_EQ(full.tours[6][0].preset, 0);
    expect_sent({any_payload(1264), ptz_log(904, 63)}, __LINE__);
}

TEST_F(PtzTours, SendingATourFillsOnlyThatTourAndStoresNothing) {
    ptz_tour_table before = seed(2);
    std::vector<point> pts = points(2, 7);
    EXPECT_EQ(post("/6056", R"({"chn":2,"tourid":3,"streamId":1,"rowsize":2,"path":)" + path_json(pts) + "}").out,
              text_reply("OK"));
    // chn, stream, tour index, then 8 tours of preset[48], time[48], speed[48].
    record send(4620);
    send.i32(0, 2).i32(4, 1).i32(8, 2);
    size_t tour = 12 + 576 * 2;
    for (int p = 0; p < 2; ++p)
        send.i32(tour + 4 * p, pts[p].preset).i32(tour + 192 + 4 * p, pts[p].time).i32(tour + 384 + 4 * p, pts[p].speed);
    expect_sent({{1269, send}, ptz_log(904, 2)}, __LINE__);
    EXPECT_TRUE(same(tours(2), before));
}

TEST_F(PtzTours, ClearingATourZeroesItsPresetsOnly) {
    ptz_tour_table want = seed(9);
    for (ptz_tour_point& p : want.tours[4]) p.preset = 0;
    EXPECT_EQ(post("/6057", R"({"chn":9,"tourid":5,"fisheyeType":1,"streamId":2})").out, text_reply("OK"));
    EXPECT_TRUE(same(tours(9), want));
    expect_sent({{1257, tour_cmd(9, 5, 1, 2)}, ptz_log(904, 9)}, __LINE__);
}

TEST_F(PtzTours, RequestsOutsideTheToursAreRefusedAndTouchNothing) {
    const std::string p3 = path_json(points(3));
    const std::string p60 = path_json(points(60));
    struct row {
        int line;
        std::string code, body;
    } rows[] = {
        {__LINE__, "/6055", R"({"chn":1,"tourid":0,"rowsize":3,"path":)" + p3 + "}"},
        {__LINE__, "/6055", R"({"chn":1,"tourid":9,"rowsize":3,"path":)" + p3 + "}"},
        {__LINE__, "/6055", R"({"chn":64,"tourid":1,"rowsize":3,"path":)" + p3 + "}"},
        {__LINE__, "/6055", R"({"chn":-1,"tourid":1,"rowsize":3,"path":)" + p3 + "}"},
        {__LINE__, "/6055", R"({"chn":1,"tourid":1,"rowsize":49,"path":)" + p60 + "}"},
        {__LINE__, "/6055", R"({"chn":1,"tourid":1,"rowsize":100,"path":)" + p60 + "}"},
        {__LINE__, "/6055", R"({"chn":1,"tourid":1,"rowsize":4,"path":)" + p3 + "}"},
        {__LINE__, "/6055", R"({"chn":1,"tourid":1,"rowsize":-1,"path":)" + p3 + "}"},
        {__LINE__, "/6055", R"({"chn":1,"tourid":1,"path":)" + p3 + "}"},
        {__LINE__, "/6055", R"({"chn":1,"tourid":1,"rowsize":1})"},
        {__LINE__, "/6055", R"({"chn":1,"tourid":1,"rowsize":1,"path":{"preset":1}})"},
        {__LINE__, "/6055", R"({"tourid":1,"rowsize":0,"path":[]})"},
        {__LINE__, "/6056", R"({"chn":1,"tourid":9,"rowsize":3,"path":)" + p3 + "}"},
        {__LINE__, "/6056", R"({"chn":1,"tourid":1,"rowsize":100,"path":)" + p60 + "}"},
        {__LINE__, "/6056", R"({"chn":64,"tourid":1,"rowsize":3,"path":)" + p3 + "}"},
        {__LINE__, "/6056", R"({"chn":1,"tourid":1,"rowsize":4,"path":)" + p3 + "}"},
        {__LINE__, "/6057", R"({"chn":1,"tourid":0})"},
        {__LINE__, "/6057", R"({"chn":1,"tourid":9})"},
        {__LINE__, "/6057", R"({"chn":1})"},
        {__LINE__, "/6057", R"({"chn":64,"tourid":1})"},
        {__LINE__, "/6057", "chn=1&tourid=1"},
    };
    ptz_tour_table before = seed(1);
    for (const auto& r : rows) {
        fresh_case();
        EXPECT_EQ(post(r.code, r.body).out, "") << "row at line " << r.line;
        EXPECT_TRUE(sent().empty()) << "row at line " << r.line << ": " << ids_text(sent());
    }
    EXPECT_TRUE(same(tours(1), before));
    EXPECT_TRUE(same(tours(0), ptz_tour_table{}));
}

TEST_F(PtzTours, PathPointsThatAreNotObjectsReadAsEmpty) {
    seed(3);
    EXPECT_EQ(post("/6055", R"({"chn":3,"tourid":1,"rowsize":3,"path":[{"preset":5},7,null]})").out, text_reply("OK"));
    ptz_tour_table t = tours(3);
    EXPECT_EQ(t.tours[0][0].preset, 5);
    EXPECT_EQ(t.tours[0][0].time, 0);
    EXPECT_EQ(t.tours[0][1].preset, 0);
    EXPECT_EQ(t.tours[0][2].speed, 0);
    EXPECT_EQ(t.tours[0][3].preset, 4);
}

TEST_F(PtzTours, ATourTableThatCannotBeStoredAnswersTheFailureAndTellsNobody) {
    struct row {
        int line;
        std::string code, body;
    } rows[] = {
        {__LINE__, "/6055", R"({"chn":5,"tourid":2,"rowsize":3,"path":)" + path_json(points(3, 50)) + "}"},
        {__LINE__, "/6057", R"({"chn":5,"tourid":2})"},
    };
    ptz_tour_table before = seed(5);
    for (const auto& r : rows) {
        fresh_case();
        {
            refused_writes refused("ptz_tour");
            EXPECT_EQ(post(r.code, r.body).out, text_failure()) << "row at line " << r.line;
        }
        EXPECT_TRUE(same(tours(5), before)) << "row at line " << r.line;
        EXPECT_TRUE(sent().empty()) << "row at line " << r.line << ": " << ids_text(sent());
    }
}

// True when /proc/locks shows a process waiting for a lock on inode ino.
bool lock_waiter_on(ino_t ino) {
    std::ifstream locks("/proc/locks");
    const std::string needle = ":" + std::to_string(ino) + " ";
    for (std::string line; std::getline(locks, line);)
        if (line.find("->") != std::string::npos && line.find(needle) != std::string::npos) return true;
    return false;
}

// Storing and clearing wait for the CGI lock before they read the table, so
// a request for another tour of the channel cannot overwrite their change.
TEST_F(PtzTours, TourTablesChangeOnlyUnderTheCgiLock) {
    const std::string path = root.file("/tmp/cgilockfile");
    struct row {
        int line;
        std::string code, body;
        int32_t msg_id;
    } rows[] = {
        {__LINE__, "/6057", R"({"chn":6,"tourid":2})", 1257},
        {__LINE__, "/6055", R"({"chn":6,"tourid":3,"rowsize":1,"path":[{"preset":9,"speed":1,"time":2}]})", 1264},
    };
    for (const auto& r : rows) {
        fresh_case();
        ptz_tour_table before = seed(6);
        int fd = open(path.c_str(), O_RDWR | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(lockf(fd, F_LOCK, 0), 0);
        struct stat st;
        ASSERT_EQ(fstat(fd, &st), 0);

        pid_t child = fork();
        if (child == 0) _exit(post(r.code, r.body).out == text_reply("OK") ? 0 : 1);
        ASSERT_GT(child, 0);
        // Wait until the request blocks on the lock (or ends without it).
        bool blocked = false;
        bool reaped = false;
        int status = 0;
        for (int i = 0; i < 3000 && !blocked && !reaped; ++i) {
            reaped = waitpid(child, &status, WNOHANG) == child;
            if (reaped) break;
            blocked = lock_waiter_on(st.st_ino);
            if (!blocked) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_TRUE(blocked) << "row at line " << r.line;
        if (blocked) {
            EXPECT_TRUE(same(tours(6), before)) << "row at line " << r.line;
            EXPECT_TRUE(sent().empty()) << "row at line " << r.line;
        }
        ASSERT_EQ(lockf(fd, F_ULOCK, 0), 0);
        close(fd);
        if (!reaped) {
            ASSERT_EQ(waitpid(child, &status, 0), child);
        }
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "row at line " << r.line;
        EXPECT_FALSE(same(tours(6), before)) << "row at line " << r.line;
        expect_sent({any_payload(r.msg_id), ptz_log(904, 6)}, r.line);
    }
}

}  // namespace
}  // namespace xcase
