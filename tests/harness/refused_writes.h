// A configuration database that refuses writes, for the tests of what a
// request answers when its store fails.
//
// While a refused_writes lives, the main database file carries triggers that
// abort every insert, update and delete of the chosen rows: the failing call
// returns at once (there is no lock to wait out), every process sees it (the
// webreq runs too), and reads go on. The triggers go when it goes.
//
//     refused_writes refuse(root, tqdb_tbl_user);          // the user table
//     refused_writes refuse(root, param_key{"wizard_enable"});  // one parameter
#pragma once

#include "platform/tqdb/tqdb.h"
#include "tests/harness/cgi_harness.h"

#include <string>

struct param_key {
    const char* key;
};

class refused_writes {
public:
    // The records and the per-owner lists stored under the table's name.
    refused_writes(const test_root& root, const tqdb_table& table);
    // One parameter.
    refused_writes(const test_root& root, param_key param);
    ~refused_writes();
    refused_writes(const refused_writes&) = delete;
    refused_writes& operator=(const refused_writes&) = delete;

    // False when the triggers could not be made (the test would prove nothing).
    explicit operator bool() const { return armed_; }

private:
    bool arm(const std::string& sql);

    std::string file_;
    std::string prefix_;  // of the trigger names
    int count_ = 0;
    bool armed_ = false;
};
