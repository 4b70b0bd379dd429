// Database conditions for the tests of stored changes: stores whose writes
// fail, a change that another writer holds open, and a store's rows to
// compare before and after.
#pragma once

#include "platform/tqdb/tqdb.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// While it lives, every insert, update and delete of the named targets in the
// database file fails at once, in every process (the webreq a test runs
// included); reads and other stores go on. It works through triggers in the
// file, so it holds for any user, root included, and it can single out one
// store of a change that spans several (a test then sees the first write
// undone with the second). A target is a store name as the table descriptors
// and list stores give it ("camera", "osd", "ptz_tour": its records and its
// per-owner lists), "params" for every parameter, or "params:<key>" for one.
class refused_writes {
public:
    explicit refused_writes(std::vector<std::string> targets, const char* db = TQDB_FILE);
    explicit refused_writes(const std::string& target, const char* db = TQDB_FILE)
        : refused_writes(std::vector<std::string>{target}, db) {}
    ~refused_writes();
    refused_writes(const refused_writes&) = delete;
    refused_writes& operator=(const refused_writes&) = delete;

    // False when the triggers could not be made (the test would prove nothing).
    explicit operator bool() const { return armed_; }

private:
    std::string file_;
    std::vector<std::string> triggers_;
    bool armed_ = false;
};

inline std::string param_target(const char* key) { return std::string("params:") + key; }

// Every row a store holds, back to back in key order: compared before and
// after a request that must not have changed the store.
std::vector<uint8_t> stored_rows(const tqdb_table& table);

// Makes change inside a write transaction of the database in a process of
// its own and commits only hold_ms later: a request started meanwhile finds
// the file being written. One that reads its record before it may write
// reads the record from before the change and then writes over the change;
// one that edits in a transaction of its own waits and then edits the
// changed record. The constructor returns once change has run (change
// returns 0 to commit). A process, not a thread: the library holds its lock
// across fork, so this process could not start a request while one of its
// own threads held a transaction.
class held_change {
public:
    held_change(const std::function<int()>& change, int hold_ms, const char* db = TQDB_FILE);
    ~held_change();  // waits for the commit
    held_change(const held_change&) = delete;
    held_change& operator=(const held_change&) = delete;
    // 0 once the change was committed, else non-zero.
    int result();

private:
    int pid_ = -1;
    int result_ = -1;
};
