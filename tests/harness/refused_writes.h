// A configuration database that refuses writes, for the tests of what a
// request answers when its store fails.
//
// While a refused_writes lives, the main database file carries triggers that
// abort every insert, update and delete of the chosen rows: the failing call
// returns at once (there is no lock to wait out), every process sees it (the
// webreq runs too), and reads go on. The triggers go when it goes.
//
//     refused_writes refuse(root, table_rows(tqdb_tbl_user));
//     refused_writes refuse(root, param_row("wizard_enable"));
#pragma once

#include <string>

#include "platform/tqdb/tqdb.h"
#include "tests/harness/cgi_harness.h"

// What is refused: the records and per-owner lists stored under a table's
// name, or one parameter.
struct write_target {
    const tqdb_table* table = nullptr;
    const char* param = nullptr;
};
inline write_target table_rows(const tqdb_table& table) { return {&table, nullptr}; }
inline write_target param_row(const char* key) { return {nullptr, key}; }

class refused_writes {
public:
    refused_writes(const test_root& root, write_target target);
    ~refused_writes();
    refused_writes(const refused_writes&) = delete;
    refused_writes& operator=(const refused_writes&) = delete;

    // False when the triggers could not be made (the test would prove nothing).
    explicit operator bool() const { return armed_; }

private:
    std::string file_;
    std::string prefix_;  // of the trigger names
    int count_ = 0;
    bool armed_ = false;
};
