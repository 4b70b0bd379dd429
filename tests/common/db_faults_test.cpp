// The database that refuses writes (tests/harness/db_faults.h): only the
// chosen rows are refused, reads go on, and writes work again afterwards.
#include <gtest/gtest.h>

#include <functional>

#include "platform/tqdb/rec_system.h"
#include "platform/tqdb/rec_user.h"
#include "tests/harness/cgi_harness.h"
#include "tests/harness/db_faults.h"

namespace {

TEST(RefusedWrites, RefuseOnlyTheChosenRowsAndOnlyWhileTheyLive) {
    test_root root;
    user_record admin{};
    ASSERT_EQ(read_user(TQDB_FILE, &admin, 0), 0);
    auto write_user_1 = [] {
        user_record rec{};
        rec.id = 1;
        rec.enable = 1;
        return write_user(TQDB_FILE, &rec);
    };
    auto write_port_row = [] {
        port_record ports{};
        ports.http_port = 81;
        return write_port(TQDB_FILE, &ports);
    };
    auto remove_user_1 = [] { return delete_user(TQDB_FILE, 1); };
    auto set_flag = [] { return set_param_int(TQDB_FILE, "wizard_enable", 1); };
    auto set_other = [] { return set_param_int(TQDB_FILE, "local_auth_enable", 1); };
    auto edit_user_0 = [] { return edit_user(TQDB_FILE, 0, [](user_record& rec) { rec.type = 2; }); };
    struct row {
        int line;
        std::string target;
        std::function<int()> write;
        bool refused;
    } rows[] = {
        {__LINE__, tqdb_tbl_user.name, write_user_1, true},
        {__LINE__, tqdb_tbl_user.name, edit_user_0, true},
        {__LINE__, tqdb_tbl_user.name, remove_user_1, true},
        {__LINE__, tqdb_tbl_user.name, write_port_row, false},
        {__LINE__, tqdb_tbl_user.name, set_flag, false},
        {__LINE__, param_target("wizard_enable"), set_flag, true},
        {__LINE__, param_target("wizard_enable"), set_other, false},
        {__LINE__, param_target("wizard_enable"), write_user_1, false},
    };
    for (const auto& r : rows) {
        {
            refused_writes refuse(r.target);
            ASSERT_TRUE(refuse) << "row at line " << r.line;
            EXPECT_EQ(r.write() != 0, r.refused) << "row at line " << r.line;
            // Reads go on.
            user_record rec{};
            EXPECT_EQ(read_user(TQDB_FILE, &rec, 0), 0) << "row at line " << r.line;
            EXPECT_GE(get_param_int(TQDB_FILE, "wizard_enable", -1), 0) << "row at line " << r.line;
        }
        EXPECT_EQ(r.write(), 0) << "row at line " << r.line;
    }
    tqdb_close_all();
}

}  // namespace
