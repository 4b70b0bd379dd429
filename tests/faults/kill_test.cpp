// Writers killed with SIGKILL at any moment: the database stays intact, and
// every write that was acknowledged (a call that returned 0, a request that
// answered "OK") is there afterwards; an edit is there whole or not at all.
#include "platform/tqdb/rec_network.h"
#include "platform/tqdb/tqdb.h"
#include "tests/faults/faults.h"
#include "tests/harness/core_case.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// A record and a parameter written in one edit: after any kill they agree.
struct seq_rec {
    int32_t key;
    int32_t seq;
    uint8_t bulk[4000];  // spans pages, so that a torn write would show
};
const tqdb_table seq_table = {"faults_seq", sizeof(seq_rec), tqdb_key_kind::int_at, 0, 0, 0, nullptr, 0,
                              nullptr};

int32_t stored_seq() {
    seq_rec rec;
    tqdb_load(TQDB_FILE, seq_table, &rec, 0);
    return rec.seq;
}

class KilledWriters : public core_case {
protected:
    std::mt19937 rng{20240611};
};

TEST_F(KilledWriters, DirectWritersKeepEveryAcknowledgedEditWhole) {
    const int kills = scaled_count(20, 12);
    int acknowledged = 0, seq = 0;
    for (int k = 0; k < kills; ++k) {
        int acks[2];
        ASSERT_EQ(pipe(acks), 0);
        tqdb_close_all();
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(acks[0]);
            for (int32_t next = seq + 1;; ++next) {
                int rc = tqdb_atomic(TQDB_FILE, [&] {
                    seq_rec rec;
                    rec.key = 0;
                    rec.seq = next;
                    std::memset(rec.bulk, next & 0xff, sizeof rec.bulk);
                    if (tqdb_write(TQDB_FILE, seq_table, &rec) != 0) return -1;
                    return set_param_int(TQDB_FILE, "faults_seq", next);
                });
                if (rc != 0) _exit(1);
                if (write(acks[1], &next, sizeof next) != sizeof next) _exit(1);
            }
        }
        close(acks[1]);
        // Killed after a few acknowledged edits, somewhere inside the next.
        int32_t last = seq;
        for (int wanted = 1 + static_cast<int>(rng() % 5); wanted > 0; --wanted)
            if (read(acks[0], &last, sizeof last) != sizeof last) break;
        usleep(rng() % 3000);
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        for (int32_t v; read(acks[0], &v, sizeof v) == sizeof v;) last = v;
        close(acks[0]);
        acknowledged += last - seq;

        tqdb_close_all();
        std::string integrity = integrity_of(root.file(TQDB_FILE));
        ASSERT_EQ(integrity, "ok") << "after kill " << k;
        int32_t found = stored_seq();
        // The edit in hand when it was killed may have committed unacknowledged.
        EXPECT_TRUE(found == last || found == last + 1)
            << "kill " << k << ": acknowledged " << last << ", stored " << found;
        EXPECT_EQ(get_param_int(TQDB_FILE, "faults_seq", 0), found) << "kill " << k << ": a torn edit";
        seq_rec rec;
        tqdb_load(TQDB_FILE, seq_table, &rec, 0);
        EXPECT_TRUE(
            std::all_of(rec.bulk, rec.bulk + sizeof rec.bulk, [&](uint8_t b) { return b == (found & 0xff); }))
            << "kill " << k << ": a torn record";
        seq = found;
    }
    std::printf("[ faults   ] %d writers killed, %d acknowledged edits, every one found whole\n", kills,
                acknowledged);
}

// Requests killed while they run: the database is intact, and the stored
// value is the last one answered "OK" or one of the killed requests after it.
TEST_F(KilledWriters, KilledRequestsLoseNoAcknowledgedChange) {
    const int requests = scaled_count(24, 12);
    auto body = [](int mtu) { return "{\"mode\": 0, \"mtu\": " + std::to_string(mtu) + "}"; };
    cgi_result probe = cgi_post_json(root, "/7041", body(1000));
    ASSERT_EQ(probe.out, text_reply("OK"));
    const int typical_ms = std::max(2, static_cast<int>(probe.elapsed_ms));
    int last_ok = 1000, killed = 0;
    std::vector<int> unacknowledged;
    for (int i = 1; i <= requests; ++i) {
        cgi_request req = json_post("/7041", body(1000 + i));
        // The harness kills the process (SIGKILL) when this runs out.
        req.timeout_ms = 1 + static_cast<int>(rng() % static_cast<unsigned>(typical_ms * 3 / 2));
        cgi_result res = run_webreq(root, req);
        if (res.out == text_reply("OK")) {
            last_ok = 1000 + i;
            unacknowledged.clear();
        } else {
            ++killed;
            unacknowledged.push_back(1000 + i);
        }
    }
    tqdb_close_all();
    ASSERT_EQ(integrity_of(root.file(TQDB_FILE)), "ok");
    network_record rec = read_back<network_record>(tqdb_tbl_network);
    const int found = rec.eth[0].mtu;
    EXPECT_TRUE(found == last_ok || std::count(unacknowledged.begin(), unacknowledged.end(), found))
        << "last acknowledged " << last_ok << ", stored " << found;
    std::printf(
        "[ faults   ] %d requests to /7041, %d killed while running, %d answered OK; stored as "
        "acknowledged\n",
        requests, killed, requests - killed);
}

}  // namespace
