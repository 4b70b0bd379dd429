// Parameters: defaults of a new database, int/text round trips, creation of
// missing keys.
#include "platform/tqdb/tqdb.h"
#include "tests/harness/cgi_harness.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

std::string param_text(const char* key, const char* def = "<none>") {
    char buf[300];
    get_param_value(TQDB_FILE, key, buf, sizeof buf, def);
    return buf;
}

TEST(TqdbParams, NewDatabaseHasTheFactoryParameters) {
    test_root root;
    struct row {
        const char* key;
        const char* text;
        int number;
    };
    const row rows[] = {
        {"max_cameras", "32", 32},        {"software_version", "7x.7.0.9", 7},
        {"wizard_enable", "0", 0},        {"deviceid", "255", 255},
        {"hardware_version", "V1.1", -1}, {"access_filter_type", "1", 1},
        {"pushmsg_alarmin_type", "65535", 65535},
        {"alarm_in", "16", 16},           {"alarm_out", "4", 4},
        {"hdmihotplug", "1", 1},          {"model", "", -1},
        {"poepsd", "kq5821", -1},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.key);
        EXPECT_EQ(check_param_key(TQDB_FILE, r.key), 0);
        EXPECT_EQ(param_text(r.key), r.text);
        // Text that is not a number reads as the caller's default.
        EXPECT_EQ(get_param_int(TQDB_FILE, r.key, -1), r.number);
    }
    // Every catalogue default is present with its value.
    for (int i = 0; i < tqdb_param_default_count; ++i)
        EXPECT_EQ(param_text(tqdb_param_defaults[i].key), tqdb_param_defaults[i].value)
            << tqdb_param_defaults[i].key;
    EXPECT_TRUE(root.exists(TQDB_FILE));
}

TEST(TqdbParams, MissingKeyGivesTheDefaultAndCheckSaysMissing) {
    test_root root;
    EXPECT_EQ(get_param_int(TQDB_FILE, "no_such_key", 77), 77);
    EXPECT_EQ(param_text("no_such_key", "dflt"), "dflt");
    EXPECT_NE(check_param_key(TQDB_FILE, "no_such_key"), 0);
    char buf[8];
    std::memset(buf, 'x', sizeof buf);
    // Null default gives the empty text.
    get_param_value(TQDB_FILE, "no_such_key", buf, sizeof buf, nullptr);
    EXPECT_STREQ(buf, "");
}

TEST(TqdbParams, IntAndTextShareOneValue) {
    test_root root;
    struct row {
        const char* key;
        bool as_int;
        int number;
        const char* text;
        const char* read_text;
        int read_int;
    };
    const row rows[] = {
        {"wizard_enable", true, 1, nullptr, "1", 1},
        {"deviceid", true, 12, nullptr, "12", 12},
        {"deviceid", false, 0, "  42", "  42", 42},
        {"neg", true, -5, nullptr, "-5", -5},
        {"big", true, INT_MAX, nullptr, "2147483647", INT_MAX},
        {"huge", false, 0, "99999999999999", "99999999999999", INT_MAX},
        {"tiny", false, 0, "-99999999999999", "-99999999999999", INT_MIN},
        {"word", false, 0, "abc", "abc", 9},
        {"lead", false, 0, "12abc", "12abc", 12},
        {"empty", false, 0, "", "", 9},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.key);
        if (r.as_int)
            ASSERT_EQ(set_param_int(TQDB_FILE, r.key, r.number), 0);
        else
            ASSERT_EQ(set_param_value(TQDB_FILE, r.key, r.text), 0);
        EXPECT_EQ(param_text(r.key), r.read_text);
        EXPECT_EQ(get_param_int(TQDB_FILE, r.key, 9), r.read_int);
    }
}

TEST(TqdbParams, ValueIsCutToTheBuffer) {
    test_root root;
    ASSERT_EQ(set_param_value(TQDB_FILE, "company", "0123456789"), 0);
    char buf[5];
    EXPECT_EQ(get_param_value(TQDB_FILE, "company", buf, sizeof buf, ""), 0);
    EXPECT_STREQ(buf, "0123");
    char one[1] = {'x'};
    get_param_value(TQDB_FILE, "company", one, 1, "");
    EXPECT_EQ(one[0], '\0');
    // Default cut as well.
    get_param_value(TQDB_FILE, "none", buf, sizeof buf, "abcdefgh");
    EXPECT_STREQ(buf, "abcd");
    EXPECT_NE(get_param_value(TQDB_FILE, "company", buf, 0, ""), 0);
    EXPECT_NE(get_param_value(TQDB_FILE, "company", nullptr, 4, ""), 0);
}

TEST(TqdbParams, AddCreatesOnlyMissingKeys) {
    test_root root;
    EXPECT_NE(check_param_key(TQDB_FILE, "decode"), 0);
    EXPECT_EQ(add_param_value(TQDB_FILE, "decode", "1"), 0);
    EXPECT_EQ(check_param_key(TQDB_FILE, "decode"), 0);
    // A second add leaves the stored value alone and says so.
    EXPECT_NE(add_param_value(TQDB_FILE, "decode", "2"), 0);
    EXPECT_EQ(param_text("decode"), "1");
    EXPECT_EQ(set_param_value(TQDB_FILE, "decode", "3"), 0);
    EXPECT_EQ(param_text("decode"), "3");
    // Setting a key nobody created stores it.
    EXPECT_EQ(set_param_int(TQDB_FILE, "local_auth_enable", 1), 0);
    EXPECT_EQ(get_param_int(TQDB_FILE, "local_auth_enable", 0), 1);
}

TEST(TqdbParams, NullArgumentsFail) {
    test_root root;
    EXPECT_EQ(get_param_int(TQDB_FILE, nullptr, 5), 5);
    EXPECT_NE(set_param_int(TQDB_FILE, nullptr, 1), 0);
    EXPECT_NE(set_param_value(TQDB_FILE, "k", nullptr), 0);
    EXPECT_NE(check_param_key(TQDB_FILE, nullptr), 0);
    EXPECT_EQ(get_param_int(nullptr, "max_cameras", 5), 5);
    EXPECT_NE(set_param_int("relative/path.db", "k", 1), 0);
}

TEST(TqdbParams, ValuesSurviveReopening) {
    test_root root;
    ASSERT_EQ(set_param_value(TQDB_FILE, "model", "NVR-64"), 0);
    tqdb_close_all();
    EXPECT_EQ(param_text("model"), "NVR-64");
}

}  // namespace
