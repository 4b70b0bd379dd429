// Database conditions for tests of stored changes: stores whose writes fail,
// and a change that another writer holds open in its transaction.
#pragma once

#include "platform/tqdb/tqdb.h"
#include "tests/harness/cgi_harness.h"

#include <functional>
#include <initializer_list>
#include <string>
#include <thread>

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
    refused_writes(const test_root& root, std::initializer_list<std::string> stores,
                   const char* db = TQDB_FILE);
    ~refused_writes();
    refused_writes(const refused_writes&) = delete;
    refused_writes& operator=(const refused_writes&) = delete;

private:
    std::string file_;
};

// Makes change inside a write transaction of the database on a thread of its
// own and commits only hold_ms later: a request started meanwhile finds the
// file being written. One that reads its record before it may write reads the
// stored record from before the change and then writes over the change; one
// that edits in a transaction of its own waits and then edits the changed
// record. The constructor returns once change has run (change returns 0 to
// commit). While the change is held, this process makes no other database
// call (they would wait for it).
class held_change {
public:
    held_change(std::function<int()> change, int hold_ms, const char* db = TQDB_FILE);
    ~held_change();  // waits for the commit
    held_change(const held_change&) = delete;
    held_change& operator=(const held_change&) = delete;
    // The transaction's result (0 committed), once it has ended.
    int result();

private:
    int result_ = -1;
    std::thread thread_;
};
