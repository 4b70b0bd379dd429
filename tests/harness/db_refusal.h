// A configuration database that refuses writes, for the tests of what a
// request does when its change cannot be stored.
//
// While a db_refusal lives, every insert, update or delete of the named
// store's records (or of the parameters, store "params") in the main
// database fails, in every process, as a full or damaged flash would make it
// fail; reads go on as before and other stores stay writable. It works
// through triggers in the file itself, so the webreq a test runs sees it.
//
//     {
//         db_refusal refused("holiday");
//         EXPECT_EQ(post("/6031", body).out, text_reply("CGI ERROR"));
//     }
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/tqdb/tqdb.h"

class db_refusal {
public:
    // Stores named in one refusal fail together.
    explicit db_refusal(std::vector<std::string> stores);
    explicit db_refusal(const std::string& store) : db_refusal(std::vector<std::string>{store}) {}
    ~db_refusal();
    db_refusal(const db_refusal&) = delete;
    db_refusal& operator=(const db_refusal&) = delete;

private:
    std::vector<std::string> triggers_;
};

// Every row a store holds, back to back in key order: compared before and
// after a request that must not have changed the store.
std::vector<uint8_t> stored_rows(const tqdb_table& table);
