// Per-owner action lists: PTZ actions and white-light entries.
#include "platform/tqdb/rec_action.h"
#include "tests/harness/cgi_harness.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

ptz_action ptz(int owner, int ptz_chn, int type = 1, int preset = 0) {
    return ptz_action{owner, ptz_chn, 0, type, preset, 0, 0};
}

TEST(TqdbLists, PtzListRoundTripPerKindAndChannel) {
    test_root root;
    ptz_action list[action_list_len] = {};
    list[0] = ptz(4, 2, 1, 7);
    list[1] = ptz(4, 0);             // stored although the PTZ channel is 0
    list[2] = ptz(4, 9, 3);
    ASSERT_EQ(write_ptz_params_all(TQDB_FILE, list, 1, 4), 0);

    ptz_action back[action_list_len];
    std::memset(back, 0x7F, sizeof back);
    int count = -1;
    ASSERT_EQ(read_ptz_params(TQDB_FILE, back, 1, 4, &count), 0);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(std::memcmp(back, list, sizeof(ptz_action) * 3), 0);
    EXPECT_EQ(back[3].event_channel, 0x7F7F7F7F);  // nothing past the count

    // Other kinds and channels are separate lists, missing until written.
    struct miss {
        int kind, channel;
    };
    for (miss m : {miss{2, 4}, miss{1, 5}, miss{20, 4}, miss{1, -1}}) {
        SCOPED_TRACE(std::to_string(m.kind) + "/" + std::to_string(m.channel));
        ptz_action untouched[action_list_len];
        std::memset(untouched, 0x3C, sizeof untouched);
        count = 9;
        EXPECT_NE(read_ptz_params(TQDB_FILE, untouched, m.kind, m.channel, &count), 0);
        EXPECT_EQ(count, 0);
        EXPECT_EQ(untouched[0].event_channel, 0x3C3C3C3C);
    }
    ASSERT_NE(read_peoplecnt_ptz_params(TQDB_FILE, back, 4, &count), 0);

    // Replacing with an empty list leaves an empty, existing list.
    ptz_action none[action_list_len] = {};
    ASSERT_EQ(write_ptz_params_all(TQDB_FILE, none, 1, 4), 0);
    ASSERT_EQ(read_ptz_params(TQDB_FILE, back, 1, 4, &count), 0);
    EXPECT_EQ(count, 0);
}

TEST(TqdbLists, FullListOf64IsKept) {
    test_root root;
    ptz_action list[action_list_len];
    for (int i = 0; i < action_list_len; ++i) list[i] = ptz(3, i + 1, 2, i);
    ASSERT_EQ(write_peoplecnt_ptz_params_ex(TQDB_FILE, list, 3), 0);
    ptz_action back[action_list_len] = {};
    int count = 0;
    ASSERT_EQ(read_peoplecnt_ptz_params(TQDB_FILE, back, 3, &count), 0);
    EXPECT_EQ(count, 64);
    EXPECT_EQ(std::memcmp(back, list, sizeof list), 0);
}

TEST(TqdbLists, CopyPtzListGivesEachChannelItsOwnEntries) {
    test_root root;
    ptz_action list[action_list_len] = {};
    list[0] = ptz(1, 5, 1, 3);
    list[1] = ptz(1, 6, 2);
    const uint64_t mask = (1ull << 0) | (1ull << 40) | (1ull << 63);
    ASSERT_EQ(copy_ptz_params_all(TQDB_FILE, list, 22, mask), 0);
    for (int ch = 0; ch < 64; ++ch) {
        SCOPED_TRACE(ch);
        ptz_action back[action_list_len] = {};
        int count = 0;
        int rc = read_ptz_params(TQDB_FILE, back, 22, ch, &count);
        if (!(mask >> ch & 1)) {
            EXPECT_NE(rc, 0);
            continue;
        }
        ASSERT_EQ(rc, 0);
        ASSERT_EQ(count, 2);
        EXPECT_EQ(back[0].event_channel, ch);
        EXPECT_EQ(back[1].event_channel, ch);
        EXPECT_EQ(back[0].acto_ptz_preset, 3);
        EXPECT_EQ(back[1].acto_ptz_type, 2);
    }
    EXPECT_EQ(list[0].event_channel, 1);  // the caller's list is unchanged
}

TEST(TqdbLists, SinglePtzEntryEdits) {
    test_root root;
    struct step {
        const char* what;
        int op;  // 0 add, 1 delete, 2 update (old channel in arg)
        ptz_action entry;
        int arg;
        int rc_zero;
        int count_after;
    };
    const step steps[] = {
        {"add to missing list", 0, ptz(2, 5), 0, 1, 1},
        {"add second", 0, ptz(2, 6), 0, 1, 2},
        {"add same ptz channel replaces", 0, ptz(2, 5, 3, 9), 0, 1, 2},
        {"update missing", 2, ptz(2, 8), 7, 0, 2},
        {"update 6 to 8", 2, ptz(2, 8, 2), 6, 1, 2},
        {"delete missing", 1, ptz(2, 6), 0, 0, 2},
        {"delete 5", 1, ptz(2, 5), 0, 1, 1},
        {"negative owner", 0, ptz(-1, 5), 0, 0, 1},
    };
    for (const step& s : steps) {
        SCOPED_TRACE(s.what);
        int rc = s.op == 0   ? write_ptz_params(TQDB_FILE, &s.entry, 13)
                 : s.op == 1 ? delete_ptz_params(TQDB_FILE, &s.entry, 13)
                             : update_ptz_params(TQDB_FILE, &s.entry, 13, s.arg);
        EXPECT_EQ(rc == 0, s.rc_zero == 1);
        ptz_action back[action_list_len] = {};
        int count = -1;
        ASSERT_EQ(read_ptz_params(TQDB_FILE, back, 13, 2, &count), 0);
        EXPECT_EQ(count, s.count_after);
    }
    ptz_action back[action_list_len] = {};
    int count = 0;
    ASSERT_EQ(read_ptz_params(TQDB_FILE, back, 13, 2, &count), 0);
    EXPECT_EQ(back[0].acto_ptz_channel, 8);
    EXPECT_EQ(back[0].acto_ptz_type, 2);

    // A full list takes no new entry but still takes a replacement.
    ptz_action full[action_list_len];
    for (int i = 0; i < action_list_len; ++i) full[i] = ptz(0, i + 1);
    ASSERT_EQ(write_peoplecnt_ptz_params_ex(TQDB_FILE, full, 0), 0);
    ptz_action extra = ptz(0, 100);
    EXPECT_NE(write_peoplecnt_ptz_params(TQDB_FILE, &extra), 0);
    ptz_action again = ptz(0, 64, 3);
    EXPECT_EQ(write_peoplecnt_ptz_params(TQDB_FILE, &again), 0);
    EXPECT_EQ(update_peoplecnt_ptz_params(TQDB_FILE, &extra, 1), 0);
    EXPECT_EQ(delete_peoplecnt_ptz_params(TQDB_FILE, &again), 0);
    ASSERT_EQ(read_peoplecnt_ptz_params(TQDB_FILE, back, 0, &count), 0);
    EXPECT_EQ(count, 63);
    EXPECT_EQ(back[0].acto_ptz_channel, 100);
}

TEST(TqdbLists, WhiteLightListsPerNameAndChannel) {
    test_root root;
    led_entry list[action_list_len] = {};
    list[0] = {7, 1, 2, 30};
    list[1] = {7, 0, 0, 0};  // an empty entry between used ones is kept
    list[2] = {7, 3, 1, 10};
    ASSERT_EQ(write_whiteled_params_all(TQDB_FILE, list, "motion_white_led_params", 7), 0);

    led_entry back[action_list_len] = {};
    int count = 0;
    ASSERT_EQ(read_whiteled_params(TQDB_FILE, back, "motion_white_led_params", 7, &count), 0);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(std::memcmp(back, list, sizeof(led_entry) * 3), 0);

    const std::string name63(63, 'n'), name64(64, 'n');
    struct miss {
        const char* name;
        int channel;
    };
    const miss misses[] = {
        {"video_loss_white_led_params", 7},  // another table
        {"motion_white_led_params", 8},      // another owner
        {"", 7},
        {nullptr, 7},
        {name64.c_str(), 7},
        {"motion_white_led_params", -1},
    };
    for (const miss& m : misses) {
        SCOPED_TRACE(m.name ? m.name : "(null)");
        led_entry untouched[action_list_len];
        std::memset(untouched, 0x42, sizeof untouched);
        count = 5;
        EXPECT_NE(read_whiteled_params(TQDB_FILE, untouched, m.name, m.channel, &count), 0);
        EXPECT_EQ(count, 0);
        EXPECT_EQ(untouched[0].owner, 0x42424242);
    }
    EXPECT_NE(write_whiteled_params_all(TQDB_FILE, list, name64.c_str(), 7), 0);
    ASSERT_EQ(write_whiteled_params_all(TQDB_FILE, list, name63.c_str(), 7), 0);
    ASSERT_EQ(read_whiteled_params(TQDB_FILE, back, name63.c_str(), 7, &count), 0);
    EXPECT_EQ(count, 3);

    // A white-light table named like an internal store stays apart from it.
    ASSERT_EQ(write_whiteled_params_all(TQDB_FILE, list, "peoplecnt_wled_params", 7), 0);
    EXPECT_NE(read_peoplecnt_wled_params(TQDB_FILE, back, 7, &count), 0);
    ASSERT_EQ(write_peoplecnt_wled_params_all(TQDB_FILE, list, 7), 0);
    ASSERT_EQ(read_peoplecnt_wled_params(TQDB_FILE, back, 7, &count), 0);
    EXPECT_EQ(count, 3);
}

TEST(TqdbLists, CopyWhiteLightListToMaskedOwners) {
    test_root root;
    led_entry list[action_list_len] = {};
    list[0] = {2, 4, 1, 15};
    ASSERT_EQ(write_whiteled_params_all(TQDB_FILE, list, "alarm_in_white_led_params", 9), 0);
    const uint64_t mask = (1ull << 1) | (1ull << 62);
    ASSERT_EQ(copy_whiteled_params(TQDB_FILE, "alarm_in_white_led_params", list, mask), 0);
    for (int ch : {1, 62}) {
        led_entry back[action_list_len] = {};
        int count = 0;
        ASSERT_EQ(read_whiteled_params(TQDB_FILE, back, "alarm_in_white_led_params", ch, &count), 0);
        ASSERT_EQ(count, 1);
        EXPECT_EQ(back[0].owner, ch);
        EXPECT_EQ(back[0].chnid, 4);
        EXPECT_EQ(back[0].time, 15);
    }
    led_entry back[action_list_len] = {};
    int count = 0;
    EXPECT_NE(read_whiteled_params(TQDB_FILE, back, "alarm_in_white_led_params", 2, &count), 0);
    ASSERT_EQ(read_whiteled_params(TQDB_FILE, back, "alarm_in_white_led_params", 9, &count), 0);
    EXPECT_EQ(back[0].owner, 2);  // the source row as written
    EXPECT_NE(copy_whiteled_params(TQDB_FILE, "", list, mask), 0);
}

TEST(TqdbLists, BlobReadReportsStoredLength) {
    test_root root;
    const char data[] = "0123456789";
    ASSERT_EQ(tqdb_blob_write(TQDB_FILE, "raw", -5, data, 10), 0);
    char small[4] = {};
    size_t len = 0;
    ASSERT_EQ(tqdb_blob_read(TQDB_FILE, "raw", -5, small, sizeof small, &len), 0);
    EXPECT_EQ(len, 10u);
    EXPECT_EQ(std::string(small, 4), "0123");
    ASSERT_EQ(tqdb_blob_delete(TQDB_FILE, "raw", -5), 0);
    EXPECT_NE(tqdb_blob_read(TQDB_FILE, "raw", -5, small, sizeof small, &len), 0);
    EXPECT_EQ(len, 0u);
    EXPECT_NE(tqdb_blob_delete(TQDB_FILE, "raw", -5), 0);
}

}  // namespace
