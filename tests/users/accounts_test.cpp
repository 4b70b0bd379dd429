// User accounts: list, add, change, remove, factory accounts, reload notice
// and permission flag, end to end through webreq.
#include "tests/users/users_fixture.h"

#include "platform/tqdb/tqdb.h"
#include "tests/harness/db_faults.h"

#include <thread>

namespace {

const std::string ones(64, '1');

std::string admin_object() {
    return "{ \"id\": 0, \"enable\": 1, \"name\": \"admin\", \"password\": \"" + md5_of("123456") +
           "\", \"type\": 0, \"permission\": -1, "
           "\"localLiveView\": 1, \"localPlayback\": 1, \"localRetrieve\": 1, "
           "\"localSmartAnalysis\": 1, \"localEvent\": 1, \"localCamera\": 1, "
           "\"localStorage\": 1, \"localSettings\": 1, \"localStatus\": 1, \"localShutdown\": 1, "
           "\"localliveview\": \"" + ones + "\", \"localplayback\": \"" + ones +
           "\", \"remotePermission\": -1, "
           "\"remoteLiveView\": 1, \"remotePlayback\": 1, \"remoteRetrieve\": 1, "
           "\"remoteSmartAnalysis\": 1, \"remoteEvent\": 1, \"remoteCamera\": 1, "
           "\"remoteStorage\": 1, \"remoteSettings\": 1, \"remoteStatus\": 1, \"remoteShutdown\": 1, "
           "\"remoteliveview\": \"" + ones + "\", \"remoteplayback\": \"" + ones + "\" }";
}

// An add request with the three checked members and the given extra ones.
std::string add_body(const std::string& name, const std::string& extra = "") {
    return "{\"name\": \"" + name + "\", \"password\": \"" + md5_of(name) +
           "\", \"type\": 1, \"permission\": 5, \"remotePermission\": -1" +
           (extra.empty() ? "" : ", " + extra) + "}";
}

class accounts : public users_test {};

// ---- "/6070" list ---------------------------------------------------------------

TEST_F(accounts, list_of_a_new_database_holds_the_factory_administrator_only) {
    EXPECT_EQ(cgi_get(root, "/6070").out, json_reply("[ " + admin_object() + " ]"));
    EXPECT_TRUE(core.journal().empty());
}

TEST_F(accounts, list_shows_enabled_accounts_in_identifier_order_and_skips_removed_ones) {
    put_user(7, "seven", "7");
    put_user(3, "three", "3");
    put_user(5, "five", "5");
    ASSERT_EQ(cgi_post_json(root, "/6073", "{\"id\": 5, \"type\": 1}").out, text_reply("OK"));
    std::string out = cgi_get(root, "/6070").out;
    size_t admin = out.find("\"name\": \"admin\""), three = out.find("\"name\": \"three\""),
           seven = out.find("\"name\": \"seven\"");
    ASSERT_NE(three, std::string::npos);
    ASSERT_NE(seven, std::string::npos);
    EXPECT_LT(admin, three);
    EXPECT_LT(three, seven);
    EXPECT_EQ(out.find("\"name\": \"five\""), std::string::npos);
    EXPECT_EQ(out.find("\"id\": 5,"), std::string::npos);
    // The removed account keeps its row: identifier only, everything else zero.
    user_record removed = user(5);
    user_record expected{};
    expected.id = 5;
    EXPECT_EQ(std::memcmp(&removed, &expected, sizeof removed), 0);
}

// ---- "/6071" add ------------------------------------------------------------------

TEST_F(accounts, add_stores_the_account_in_the_lowest_free_slot_and_tells_the_core) {
    std::string text40 = std::string(40, '0');
    text40[3] = '1';
    text40[35] = '1';  // beyond channel 31: no mask bit
    std::string body = add_body("op1", "\"localLiveView\": 1, \"remoteShutdown\": 1, "
                                       "\"localliveview\": \"" + text40 + "\", "
                                       "\"localplayback\": \"" + ones + "\", "
                                       "\"remoteliveview\": \"101\"");
    EXPECT_EQ(cgi_post_json(root, "/6071", body).out, text_reply("id=1"));

    user_record rec = user(1);
    EXPECT_EQ(rec.id, 1);
    EXPECT_EQ(rec.enable, 1);
    EXPECT_EQ(field_text(rec.name, sizeof rec.name), "op1");
    EXPECT_EQ(field_text(rec.password, sizeof rec.password), md5_of("op1"));
    EXPECT_EQ(rec.type, 1);
    EXPECT_EQ(rec.permission, 5);
    EXPECT_EQ(rec.remote_permission, -1);
    EXPECT_EQ(rec.local_rights[0], 1);
    EXPECT_EQ(rec.local_rights[1], 0);  // absent rights stay 0
    EXPECT_EQ(rec.remote_rights[9], 1);
    EXPECT_EQ(field_text(rec.local_liveview, sizeof rec.local_liveview), text40);
    EXPECT_EQ(field_text(rec.remote_playback, sizeof rec.remote_playback), "");
    EXPECT_EQ(rec.masks[0], 1u << 3);
    EXPECT_EQ(rec.masks[1], 0xffffffffu);
    EXPECT_EQ(rec.masks[2], 0x5u);
    EXPECT_EQ(rec.masks[3], 0u);
    EXPECT_EQ(field_text(rec.extra_text, sizeof rec.extra_text), "0");

    auto msgs = sent(2);
    ASSERT_EQ(ids_of(msgs), (std::vector<int32_t>{3505, 3485}));
    EXPECT_TRUE(msgs[0].payload.empty());
    oplog_record log = whole_oplog(msgs[1]);
    EXPECT_EQ(log.sub_type, 204);
    EXPECT_EQ(log.parameter_type, 921);

    // The freed slot 1 is taken again before slot 2.
    ASSERT_EQ(cgi_post_json(root, "/6071", add_body("op2")).out, text_reply("id=2"));
    ASSERT_EQ(cgi_post_json(root, "/6073", "{\"id\": 1, \"type\": 1}").out, text_reply("OK"));
    EXPECT_EQ(cgi_post_json(root, "/6071", add_body("op3")).out, text_reply("id=1"));
}

TEST_F(accounts, add_refuses_a_taken_name_at_its_full_width) {
    const std::string long_a = std::string(35, 'x') + "-alpha";
    const std::string long_b = std::string(35, 'x') + "-beta";  // same first 31 characters
    const struct {
        int line;
        std::string name, reply;
    } rows[] = {
        {__LINE__, "admin", "SAMEUSER"},
        {__LINE__, "op1", "id=1"},
        {__LINE__, "op1", "SAMEUSER"},
        {__LINE__, "OP1", "id=2"},  // names are case-sensitive
        {__LINE__, long_a, "id=3"},
        {__LINE__, long_b, "id=4"},
        {__LINE__, long_a, "SAMEUSER"},
        {__LINE__, std::string(70, 'z'), "id=5"},  // stored cut to 63
        {__LINE__, std::string(63, 'z') + "y", "SAMEUSER"},
    };
    for (const auto& row : rows) {
        core.clear_journal();
        EXPECT_EQ(cgi_post_json(root, "/6071", add_body(row.name)).out, text_reply(row.reply))
            << "row at line " << row.line;
        if (row.reply == "SAMEUSER") {
            EXPECT_TRUE(core.journal().empty()) << "row at line " << row.line;
        } else {
            EXPECT_EQ(ids_of(sent(2)), (std::vector<int32_t>{3505, 3485})) << "row at line " << row.line;
        }
    }
    EXPECT_EQ(field_text(user(5).name, 64), std::string(63, 'z'));
    EXPECT_EQ(user(6).enable, 0);
}

TEST_F(accounts, add_with_a_bad_request_gets_no_reply_and_changes_nothing) {
    const struct {
        int line;
        std::string body;
    } rows[] = {
        {__LINE__, "name=op1"},
        {__LINE__, "{\"name\": \"op1\", \"permission\": 0, \"remotePermission\": 0}"},
        {__LINE__, "{\"name\": \"op1\", \"type\": 4, \"permission\": 0, \"remotePermission\": 0}"},
        {__LINE__, "{\"name\": \"op1\", \"type\": -1, \"permission\": 0, \"remotePermission\": 0}"},
        {__LINE__, "{\"name\": \"op1\", \"type\": 1, \"remotePermission\": 0}"},
        {__LINE__, "{\"name\": \"op1\", \"type\": 1, \"permission\": -2, \"remotePermission\": 0}"},
        {__LINE__, "{\"name\": \"op1\", \"type\": 1, \"permission\": 0}"},
        {__LINE__, "{\"name\": \"op1\", \"type\": 1, \"permission\": 0, \"remotePermission\": -2}"},
    };
    std::string before = table_bytes();
    for (const auto& row : rows) {
        EXPECT_EQ(cgi_post_json(root, "/6071", row.body).out, "") << "row at line " << row.line;
        EXPECT_EQ(table_bytes(), before) << "row at line " << row.line;
    }
    EXPECT_TRUE(core.journal().empty());
}

TEST_F(accounts, hundred_and_first_user_is_refused_even_before_the_request_is_read) {
    fill_users(1, 98);
    EXPECT_EQ(cgi_post_json(root, "/6071", add_body("last")).out, text_reply("id=99"));
    settle(2);
    std::string before = table_bytes();
    for (const std::string& body : {add_body("extra"), std::string("not json")}) {
        core.clear_journal();
        EXPECT_EQ(cgi_post_json(root, "/6071", body).out, text_reply("FAILED_FULL")) << body;
        EXPECT_TRUE(core.journal().empty());
    }
    EXPECT_EQ(table_bytes(), before);
}

TEST_F(accounts, concurrent_adds_never_share_the_last_slot_or_a_name) {
    for (int round = 0; round < 4; ++round) {
        fill_users(1, 98);
        ASSERT_EQ(cgi_post_json(root, "/6073", "{\"id\": 99, \"type\": 1}").out, text_reply("OK"));
        std::string out[2];
        std::thread second([&] { out[1] = cgi_post_json(root, "/6071", add_body("b")).out; });
        out[0] = cgi_post_json(root, "/6071", add_body("a")).out;
        second.join();
        std::vector<std::string> replies = {out[0], out[1]};
        std::sort(replies.begin(), replies.end());
        EXPECT_EQ(replies, (std::vector<std::string>{text_reply("FAILED_FULL"), text_reply("id=99")}))
            << "round " << round;

        // Two adds of one name with room for both: one account only.
        fill_users(1, 98);
        ASSERT_EQ(cgi_post_json(root, "/6073", "{\"id\": 99, \"type\": 1}").out, text_reply("OK"));
        ASSERT_EQ(cgi_post_json(root, "/6073", "{\"id\": 98, \"type\": 1}").out, text_reply("OK"));
        std::thread twin([&] { out[1] = cgi_post_json(root, "/6071", add_body("twin")).out; });
        out[0] = cgi_post_json(root, "/6071", add_body("twin")).out;
        twin.join();
        replies = {out[0], out[1]};
        std::sort(replies.begin(), replies.end());
        EXPECT_EQ(replies[0], text_reply("SAMEUSER")) << "round " << round;
        EXPECT_EQ(replies[1], text_reply("id=98")) << "round " << round;
    }
}

// ---- "/6072" change ------------------------------------------------------------------

TEST_F(accounts, change_copies_the_given_members_and_keeps_the_summaries_and_masks) {
    ASSERT_EQ(cgi_post_json(root, "/6071", add_body("op1", "\"localliveview\": \"11\"")).out,
              text_reply("id=1"));
    user_record before = user(1);
    settle(2);
    std::string body = "{\"id\": 1, \"password\": \"" + md5_of("new") +
                       "\", \"type\": 2, \"permission\": 99, \"remotePermission\": 99, "
                       "\"localEvent\": 1, \"remoteStatus\": 1, \"localliveview\": \"0001\", "
                       "\"remoteplayback\": \"" + std::string(80, '1') + "\"}";
    EXPECT_EQ(cgi_post_json(root, "/6072", body).out, text_reply("OK"));

    user_record after = user(1);
    EXPECT_EQ(field_text(after.name, 64), "op1");
    EXPECT_EQ(field_text(after.password, 36), md5_of("new"));
    EXPECT_EQ(after.type, 2);
    EXPECT_EQ(after.local_rights[4], 1);
    EXPECT_EQ(after.remote_rights[8], 1);
    EXPECT_EQ(field_text(after.local_liveview, 65), "0001");
    EXPECT_EQ(field_text(after.remote_playback, 65), ones);
    EXPECT_EQ(after.permission, before.permission);
    EXPECT_EQ(after.remote_permission, before.remote_permission);
    EXPECT_EQ(std::memcmp(after.masks, before.masks, sizeof after.masks), 0);
    EXPECT_EQ(field_text(after.extra_text, 19), "0");

    auto msgs = sent(1);
    ASSERT_EQ(ids_of(msgs), std::vector<int32_t>{3505});  // no log entry
    EXPECT_EQ(msgs[0].payload, int_bytes({1}));
}

TEST_F(accounts, rename_is_refused_only_for_another_accounts_name) {
    put_user(1, "op1", "1");
    put_user(2, "op2", "2");
    const struct {
        int line;
        std::string body, reply, name1;
    } rows[] = {
        {__LINE__, "{\"id\": 1, \"name\": \"op1\"}", "OK", "op1"},
        {__LINE__, "{\"id\": 1, \"name\": \"op2\", \"type\": 0}", "SAMEUSER", "op1"},
        {__LINE__, "{\"id\": 1, \"name\": \"admin\"}", "SAMEUSER", "op1"},
        {__LINE__, "{\"id\": 1, \"name\": \"renamed\"}", "OK", "renamed"},
        {__LINE__, "{\"id\": 1, \"name\": \"renamed\"}", "OK", "renamed"},
    };
    for (const auto& row : rows) {
        core.clear_journal();
        user_record before = user(1);
        EXPECT_EQ(cgi_post_json(root, "/6072", row.body).out, text_reply(row.reply))
            << "row at line " << row.line;
        user_record after = user(1);
        EXPECT_EQ(field_text(after.name, 64), row.name1) << "row at line " << row.line;
        if (row.reply == "SAMEUSER") {
            EXPECT_EQ(std::memcmp(&before, &after, sizeof after), 0) << "row at line " << row.line;
            EXPECT_TRUE(core.journal().empty()) << "row at line " << row.line;
        } else {
            EXPECT_EQ(ids_of(sent(1)), std::vector<int32_t>{3505}) << "row at line " << row.line;
        }
    }
    EXPECT_EQ(field_text(user(2).name, 64), "op2");
}

TEST_F(accounts, change_of_a_missing_or_bad_identifier_changes_nothing) {
    put_user(1, "op1", "1");
    ASSERT_EQ(cgi_post_json(root, "/6073", "{\"id\": 2, \"type\": 1}").out, text_reply("OK"));
    settle(2);
    const std::string set = "\"name\": \"ghost\", \"password\": \"\", \"type\": 0";
    const char* const ids[] = {"", "\"id\": -1, ", "\"id\": 100, ", "\"id\": 2, ",
                               "\"id\": 50, "};
    std::string before = table_bytes();
    for (const char* id : ids) {
        std::string body = std::string("{") + id + set + "}";
        EXPECT_EQ(cgi_post_json(root, "/6072", body).out, "") << body;
        EXPECT_EQ(table_bytes(), before) << body;
    }
    EXPECT_EQ(cgi_post_json(root, "/6072", "not json").out, "");
    EXPECT_EQ(table_bytes(), before);
    EXPECT_TRUE(core.journal().empty());
    EXPECT_EQ(field_text(user(0).name, 64), "admin");
}

// ---- "/6073" remove ------------------------------------------------------------------

TEST_F(accounts, remove_checks_identifier_and_type) {
    put_user(1, "op1", "1");
    const struct {
        int line;
        std::string body;
        bool removed;
    } rows[] = {
        {__LINE__, "{\"id\": 100, \"type\": 1}", false},
        {__LINE__, "{\"id\": -1, \"type\": 1}", false},
        {__LINE__, "{\"id\": 1, \"type\": 4}", false},
        {__LINE__, "{\"id\": 1}", false},
        {__LINE__, "{\"type\": 1}", false},
        {__LINE__, "1", false},
        {__LINE__, "{\"id\": 1, \"type\": 3}", true},
    };
    for (const auto& row : rows) {
        core.clear_journal();
        std::string before = table_bytes();
        cgi_result res = cgi_post_json(root, "/6073", row.body);
        if (!row.removed) {
            EXPECT_EQ(res.out, "") << "row at line " << row.line;
            EXPECT_EQ(table_bytes(), before) << "row at line " << row.line;
            EXPECT_TRUE(core.journal().empty()) << "row at line " << row.line;
            continue;
        }
        EXPECT_EQ(res.out, text_reply("OK"));
        EXPECT_EQ(user(1).enable, 0);
        EXPECT_EQ(user(1).id, 1);
        auto msgs = sent(2);
        ASSERT_EQ(ids_of(msgs), (std::vector<int32_t>{3505, 3485}));
        EXPECT_EQ(msgs[0].payload, int_bytes({1}));
        oplog_record log = whole_oplog(msgs[1]);
        EXPECT_EQ(log.sub_type, 204);
        EXPECT_EQ(log.parameter_type, 922);
    }
}

// ---- "/6074" factory accounts -----------------------------------------------------------

TEST_F(accounts, factory_accounts_are_listed_only_where_their_database_exists) {
    cgi_result res = cgi_get(root, "/6074");
    EXPECT_EQ(res.out, "");
    EXPECT_EQ(res.status, 0);
    EXPECT_FALSE(root.exists("/mnt/nand2/oem.db"));

    ASSERT_EQ(tqdb_create(TQDB_OEM_FILE), 0);
    oem_user_record rows[3]{};
    const char* const names[] = {"factory", "off", "service"};
    for (int i = 0; i < 3; ++i) {
        rows[i].id = i;
        rows[i].enable = i != 1;
        std::strcpy(rows[i].name, names[i]);
        std::strcpy(rows[i].password, "abc");
        rows[i].type = i;
        rows[i].permission = 10 + i;
        rows[i].remote_permission = -1;
    }
    ASSERT_EQ(write_users_oem(TQDB_OEM_FILE, rows, 3), 0);
    EXPECT_EQ(cgi_get(root, "/6074").out,
              json_reply("[ { \"id\": 0, \"enable\": 1, \"name\": \"factory\", \"password\": \"abc\", "
                         "\"type\": 0, \"permission\": 10, \"remotePermission\": -1 }, "
                         "{ \"id\": 2, \"enable\": 1, \"name\": \"service\", \"password\": \"abc\", "
                         "\"type\": 2, \"permission\": 12, \"remotePermission\": -1 } ]"));
    EXPECT_TRUE(core.journal().empty());
}

// ---- "/6077" and "/1024" -----------------------------------------------------------------

TEST_F(accounts, reload_notice_and_permission_flag) {
    EXPECT_EQ(cgi_get(root, "/6077").out, text_reply("OK"));
    auto msgs = sent(1);
    ASSERT_EQ(ids_of(msgs), std::vector<int32_t>{3505});
    EXPECT_TRUE(msgs[0].payload.empty());

    core.clear_journal();
    ASSERT_EQ(set_param_int(TQDB_FILE, "permission_update", 1), 0);
    EXPECT_EQ(cgi_get(root, "/1024").out, text_reply("OK"));
    EXPECT_EQ(get_param_int(TQDB_FILE, "permission_update", -1), 0);
    EXPECT_TRUE(core.journal().empty());
}

// ---- stores the database refuses ---------------------------------------------------

// A refused store answers "CGI ERROR" (never "OK" or an identifier), leaves
// the table as it was and tells the core nothing; once the database takes
// writes again the same request goes through.
TEST_F(accounts, refused_stores_answer_cgi_error_and_tell_nobody) {
    put_user(1, "op1", "1");
    ASSERT_EQ(set_param_int(TQDB_FILE, "permission_update", 1), 0);
    const struct {
        int line;
        std::string code, body;
        std::string refused;
        std::string done;  // the reply once stores work
    } rows[] = {
        {__LINE__, "/6071", add_body("op2"), tqdb_tbl_user.name, "id=2"},
        {__LINE__, "/6072", "{\"id\": 1, \"name\": \"renamed\", \"localEvent\": 1}", tqdb_tbl_user.name, "OK"},
        {__LINE__, "/6073", "{\"id\": 1, \"type\": 1}", tqdb_tbl_user.name, "OK"},
        {__LINE__, "/1024", "", param_target("permission_update"), "OK"},
    };
    for (const auto& row : rows) {
        fresh_case();
        const std::string before = table_bytes();
        const int flag = get_param_int(TQDB_FILE, "permission_update", -1);
        {
            refused_writes refuse(row.refused);
            ASSERT_TRUE(refuse) << "row at line " << row.line;
            EXPECT_EQ(cgi_post_json(root, row.code, row.body).out, text_reply("CGI ERROR"))
                << "row at line " << row.line;
            EXPECT_EQ(table_bytes(), before) << "row at line " << row.line;
            EXPECT_EQ(get_param_int(TQDB_FILE, "permission_update", -1), flag) << "row at line " << row.line;
            EXPECT_TRUE(sent().empty()) << "row at line " << row.line;
        }
        EXPECT_EQ(cgi_post_json(root, row.code, row.body).out, text_reply(row.done)) << "row at line " << row.line;
    }
    EXPECT_EQ(get_param_int(TQDB_FILE, "permission_update", -1), 0);
    EXPECT_EQ(user(1).enable, 0);
    EXPECT_EQ(field_text(user(2).name, 64), "op2");
}

// Two changes of one account at once: each keeps the other's members.
TEST_F(accounts, concurrent_changes_of_one_account_lose_no_member) {
    put_user(1, "op1", "1");
    for (int round = 0; round < 4; ++round) {
        const std::string local = "{\"id\": 1, \"localEvent\": " + std::to_string(round + 1) + "}";
        const std::string remote = "{\"id\": 1, \"remoteStatus\": " + std::to_string(round + 1) + "}";
        std::string out[2];
        std::thread second([&] { out[1] = cgi_post_json(root, "/6072", remote).out; });
        out[0] = cgi_post_json(root, "/6072", local).out;
        second.join();
        EXPECT_EQ(out[0], text_reply("OK")) << "round " << round;
        EXPECT_EQ(out[1], text_reply("OK")) << "round " << round;
        user_record rec = user(1);
        EXPECT_EQ(rec.local_rights[4], round + 1) << "round " << round;
        EXPECT_EQ(rec.remote_rights[8], round + 1) << "round " << round;
    }
}

// ---- the table itself -----------------------------------------------------------------

TEST_F(accounts, new_database_has_a_hundred_slots_with_the_administrator_in_slot_0) {
    std::vector<user_record> rows(USER_MAX_COUNT);
    int count = 0;
    ASSERT_EQ(read_users(TQDB_FILE, rows.data(), &count), 0);
    ASSERT_EQ(count, USER_MAX_COUNT);
    for (int id = 0; id < USER_MAX_COUNT; ++id) {
        EXPECT_EQ(rows[id].id, id);
        EXPECT_EQ(rows[id].enable, id == 0 ? 1 : 0) << "slot " << id;
    }
    EXPECT_EQ(read_user_count(TQDB_FILE), 1);
    user_record admin{};
    ASSERT_EQ(read_user_by_name(TQDB_FILE, &admin, "admin"), 0);
    EXPECT_EQ(admin.id, 0);
    // A name lookup that misses leaves the record as it was.
    user_record miss{};
    miss.id = -1;
    EXPECT_NE(read_user_by_name(TQDB_FILE, &miss, "nobody"), 0);
    EXPECT_EQ(miss.id, -1);
}

}  // namespace
