// Database conditions for tests of stored changes: stores whose writes fail,
// and a change that another writer holds open in its transaction.
#pragma once

#include "platform/tqdb/tqdb.h"
#include "tests/harness/cgi_harness.h"

#include <functional>
#include <vector>
#include <string>

// While it lives, every write (insert, update, delete) to the named stores of
// the database file fails, in every process: the call that tries one returns
// non-zero and the transaction it belongs to rolls back. Reads and the other
// stores go on as before. Unlike a read-only file this holds for any user,
// root included, and it can single out one store of a change that spans
// several (so that a test sees the first write undone with the second).
// Stores are the names of the table descriptors ("camera", "osd", ...), blob
// stores ("ptz_tour") and schedule stores alike.
class refused_writes {
public:
    refused_writes(const test_root& root, const std::vector<std::string>& stores, const char* db = TQDB_FILE);
    ~refused_writes();
    refused_writes(const refused_writes&) = delete;
    refused_writes& operator=(const refused_writes&) = delete;

private:
    std::string file_;
};

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
