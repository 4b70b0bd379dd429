// Exchange cases about what a change stores as a whole: rows for changes
// whose writes cannot all be stored, and requests made while another writer
// holds the same record.
#pragma once

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/harness/db_faults.h"
#include "tests/harness/db_snapshot.h"
#include "tests/harness/exchange_case.h"

namespace xcase {

// A request whose change meets stores that refuse writes.
struct unstored_row {
    int line;
    const char* code;
    std::string body;
    std::vector<std::string> refused;  // the stores whose writes fail
    std::string out;                   // the failure reply
};

// A request made while another writer holds its change of the same record.
template <typename Rec>
struct held_row {
    int line;
    const char* code;
    std::string body;
    std::function<void(Rec&)> other;  // the other writer's change, held while the request starts
    std::function<void(Rec&)> own;    // the request's change
};

class store_case : public exchange_case {
protected:
    // The request answers the failure reply, the database stays as it was
    // and the core daemon hears nothing; once the stores take writes again,
    // the same request answers otherwise and stores its change (so that the
    // row cannot pass by changing nothing).
    void expect_unstored(const unstored_row& r) {
        fresh_case();
        const std::string before = db_snapshot(root);
        {
            refused_writes refused(r.refused);
            EXPECT_EQ(post(r.code, r.body).out, r.out) << "row at line " << r.line;
        }
        EXPECT_TRUE(db_snapshot(root) == before) << "row at line " << r.line;
        EXPECT_TRUE(sent().empty()) << "row at line " << r.line << ": " << ids_text(sent());
        EXPECT_NE(post(r.code, r.body).out, r.out) << "row at line " << r.line;
        EXPECT_TRUE(db_snapshot(root) != before) << "row at line " << r.line;
    }

    // Posts the request while another writer holds its change (other, run
    // in a transaction of another process) for 600 ms; the request answers
    // "OK" and the other writer's change was committed.
    void post_while_held(const std::function<int()>& other, const std::string& code, const std::string& body,
                         int line) {
        fresh_case();
        held_change held(other, 600);
        EXPECT_EQ(post(code, body).out, text_reply("OK")) << "row at line " << line;
        EXPECT_EQ(held.result(), 0) << "row at line " << line;
    }

    // The request changes the record of key in table t while another writer
    // holds its change of that record: afterwards the record holds both
    // changes over stored, as stored before the request.
    template <typename Rec>
    void expect_both_kept(const held_row<Rec>& r, const tqdb_table& t, int64_t key, Rec stored) {
        post_while_held([&] { return tqdb_edit_as<Rec>(TQDB_FILE, t, key, [&](Rec& rec) { r.other(rec); }); },
                        r.code, r.body, r.line);
        r.other(stored);
        r.own(stored);
        Rec now = read_back<Rec>(t, key);
        EXPECT_EQ(std::memcmp(&now, &stored, sizeof now), 0) << "row at line " << r.line;
    }
};

}  // namespace xcase
