// The user tests' fixture: the shared core case, and helpers that write
// accounts straight into the user table and look at it whole.
#pragma once

#include "platform/md5.h"
#include "platform/tqdb/rec_user.h"
#include "tests/harness/core_case.h"

#include <cstring>
#include <string>
#include <vector>

inline std::string md5_of(const std::string& text) {
    char hex[33];
    md5_hex(text.data(), text.size(), hex);
    return hex;
}

inline std::string field_text(const char* field, size_t width) {
    return std::string(field, strnlen(field, width));
}

class users_test : public core_case {
protected:
    // The stored row of id (every id 0..99 has one).
    user_record user(int id) {
        user_record rec;
        EXPECT_EQ(load_user(TQDB_FILE, &rec, id), 0) << "row " << id;
        return rec;
    }

    // The whole table as bytes, to prove that a refused request changed
    // nothing.
    std::string table_bytes() {
        std::vector<user_record> rows(USER_MAX_COUNT);
        int count = 0;
        EXPECT_EQ(read_users(TQDB_FILE, rows.data(), &count), 0);
        return std::string(reinterpret_cast<const char*>(rows.data()), sizeof(user_record) * count);
    }

    // An enabled account written straight into the table.
    user_record put_user(int id, const std::string& name, const std::string& password, int type = 1) {
        user_record rec{};
        rec.id = id;
        rec.enable = 1;
        std::strncpy(rec.name, name.c_str(), sizeof rec.name - 1);
        std::string hash = md5_of(password);
        std::memcpy(rec.password, hash.data(), 32);
        rec.type = type;
        rec.permission = 7;
        rec.remote_permission = 3;
        EXPECT_EQ(write_user(TQDB_FILE, &rec), 0);
        return rec;
    }

    // Fills every slot from first to last with an account "u<id>".
    void fill_users(int first, int last) {
        std::vector<user_record> rows;
        for (int id = first; id <= last; ++id) {
            user_record rec{};
            rec.id = id;
            rec.enable = 1;
            std::snprintf(rec.name, sizeof rec.name, "u%d", id);
            rows.push_back(rec);
        }
        ASSERT_EQ(write_users(TQDB_FILE, rows.data(), static_cast<int>(rows.size())), 0);
    }

    // Waits for the messages of the requests so far, so that none of them
    // arrives after the journal is cleared, and clears it.
    void settle(size_t expected) {
        core.wait_for(expected, 5000);
        core.clear_journal();
    }
};

// An operation-log entry the core received, whole.
inline oplog_record whole_oplog(const coresim::request& msg) {
    EXPECT_EQ(msg.payload.size(), sizeof(oplog_record));
    return oplog_of(msg);
}
