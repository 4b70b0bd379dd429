// Shared setup of the user tests: a fresh root with its database, a fake
// core, and small helpers to look at the user table and the messages.
#pragma once

#include "platform/md5.h"
#include "platform/oplog_record.h"
#include "platform/tqdb/rec_user.h"
#include "tests/harness/cgi_harness.h"
#include "tools/coresim/coresim.h"

#include <gtest/gtest.h>

#include <algorithm>
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

class users_test : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(core.start(root.path())); }
    void TearDown() override { core.stop(); }

    user_record user(int id) {
        user_record rec{};
        EXPECT_EQ(read_user(TQDB_FILE, &rec, id), 0) << "row " << id;
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
    user_record put_user(int id, const std::string& name, const std::string& password,
                         int type = 1) {
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

    // The messages the core received, in the order webreq sent them: each
    // message travels on a link of its own, and links are numbered in the
    // order they were opened (the journal interleaves the links' threads).
    // The daemon's threads may still be taking in the last messages when
    // webreq has ended, so this waits for the count expected.
    std::vector<coresim::request> sent(size_t expected) {
        core.wait_for(expected, 5000);
        auto msgs = core.journal();
        std::stable_sort(msgs.begin(), msgs.end(),
                         [](const auto& a, const auto& b) { return a.conn < b.conn; });
        return msgs;
    }

    // Waits for the messages of the requests so far, so that none of them
    // arrives after the journal is cleared, and clears it.
    void settle(size_t expected) {
        core.wait_for(expected, 5000);
        core.clear_journal();
    }

    static std::vector<int32_t> ids_of(const std::vector<coresim::request>& msgs) {
        std::vector<int32_t> ids;
        for (const auto& msg : msgs) ids.push_back(msg.id);
        return ids;
    }

    static oplog_record oplog_of(const coresim::request& msg) {
        oplog_record rec{};
        EXPECT_EQ(msg.payload.size(), sizeof rec);
        if (msg.payload.size() == sizeof rec) std::memcpy(&rec, msg.payload.data(), sizeof rec);
        return rec;
    }

    static coresim::bytes int_bytes(int32_t value) {
        coresim::bytes out(4);
        std::memcpy(out.data(), &value, 4);
        return out;
    }

    test_root root;
    coresim_server core;
};
