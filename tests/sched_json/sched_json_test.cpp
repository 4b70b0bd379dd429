// The schedule, channel-set, white-light and PTZ action JSON helpers.
#include "front/json_req.h"
#include "modules/common/sched_json.h"
#include "platform/tqdb/rec_action.h"
#include "tests/harness/cgi_harness.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::string text_of(json_object* obj) {
    json_ref owner(obj);
    return json_object_to_json_string_ext(obj, JSON_C_TO_STRING_PLAIN);
}

// A schedule whose every byte is 0x5A, so that what a helper zeroes shows.
week_schedule dirty_schedule() {
    week_schedule s;
    std::memset(&s, 0x5A, sizeof s);
    return s;
}

bool bytes_equal(const week_schedule& a, const week_schedule& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// A full request schedule: day d slot s is ["d.s-start", "d.s-end", 10 d + s].
std::string full_request_schedule() {
    std::string days;
    for (int d = 0; d < 8; ++d) {
        std::string slots;
        for (int s = 0; s < 12; ++s) {
            std::string tag = std::to_string(d) + "." + std::to_string(s);
            slots += (s ? "," : "") + ("[\"" + tag + "-start\",\"" + tag + "-end\"," +
                                       std::to_string(10 * d + s) + "]");
        }
        days += (d ? "," : "") + ("[" + slots + "]");
    }
    return "[" + days + "]";
}

TEST(ScheduleJson, AFullRequestScheduleReadsBackInTheObjectForm) {
    json_ref req = json_parse_object(("{\"effective\": " + full_request_schedule() + "}").c_str());
    week_schedule s = dirty_schedule();
    ASSERT_EQ(schedule_from_json(req.get(), "effective", &s), 0);
    for (int d = 0; d < 8; ++d) {
        for (int slot = 0; slot < 12; ++slot) {
            std::string tag = std::to_string(d) + "." + std::to_string(slot);
            EXPECT_EQ(std::string(s.days[d].slots[slot].start_time), tag + "-start");
            EXPECT_EQ(std::string(s.days[d].slots[slot].end_time), tag + "-end");
            EXPECT_EQ(s.days[d].slots[slot].action_type, 10 * d + slot);
        }
        // The slots the JSON form does not carry and the day words are zeroed.
        for (int slot = 12; slot < SCHED_SLOTS_PER_DAY; ++slot) {
            EXPECT_EQ(s.days[d].slots[slot].start_time[0], 0);
            EXPECT_EQ(s.days[d].slots[slot].action_type, 0);
        }
        EXPECT_EQ(s.days[d].day_flag, 0);
        EXPECT_EQ(s.days[d].day_action_type, 0);
    }

    json_ref out(schedule_to_json(s));
    ASSERT_EQ(json_object_array_length(out.get()), 8u);
    for (int d = 0; d < 8; ++d) {
        json_object* day = json_object_array_get_idx(out.get(), d);
        ASSERT_EQ(json_object_array_length(day), 12u);
        for (int slot = 0; slot < 12; ++slot) {
            std::string tag = std::to_string(d) + "." + std::to_string(slot);
            EXPECT_EQ(json_object_to_json_string_ext(json_object_array_get_idx(day, slot),
                                                     JSON_C_TO_STRING_PLAIN),
                      "{\"startTime\":\"" + tag + "-start\",\"endTime\":\"" + tag +
                          "-end\",\"actionType\":" + std::to_string(10 * d + slot) + "}");
        }
    }
}

TEST(ScheduleJson, RequestsThatGiveNoScheduleLeaveTheRecordUntouched) {
    struct row {
        int line;
        const char* body;  // null: no parsed request at all
    } rows[] = {
        {__LINE__, nullptr},
        {__LINE__, "{}"},
        {__LINE__, "{\"other\": []}"},
        {__LINE__, "{\"effective\": null}"},
        {__LINE__, "{\"effective\": 5}"},
        {__LINE__, "{\"effective\": \"[[]]\"}"},
        {__LINE__, "{\"effective\": {\"0\": []}}"},
    };
    for (const row& r : rows) {
        json_ref req = r.body ? json_parse_object(r.body) : nullptr;
        for (auto* reader : {schedule_from_json, schedule_from_json_by_day}) {
            week_schedule s = dirty_schedule();
            EXPECT_EQ(reader(req.get(), "effective", &s), -1) << "row at line " << r.line;
            EXPECT_TRUE(bytes_equal(s, dirty_schedule())) << "row at line " << r.line;
        }
    }
    json_ref req = json_parse_object("{\"effective\": []}");
    EXPECT_EQ(schedule_from_json(req.get(), "effective", nullptr), -1);
}

TEST(ScheduleJson, ShortOrMistypedArraysGiveEmptySlotsAndExtrasAreIgnored) {
    struct expect_slot {
        int day, slot;
        const char* start;
        const char* end;
        int action;
    };
    struct row {
        int line;
        std::string schedule;
        std::vector<expect_slot> slots;  // every other slot of days 0..7 is empty
    } rows[] = {
        {__LINE__, "[]", {}},
        {__LINE__, "[[[\"08:00\", \"09:00\", 1]]]", {{0, 0, "08:00", "09:00", 1}}},
        {__LINE__, "[[], [[\"a\", \"b\", 2], [\"c\", \"d\", 3]]]", {{1, 0, "a", "b", 2}, {1, 1, "c", "d", 3}}},
        // A slot with fewer than three items keeps what it has.
        {__LINE__, "[[[\"a\"], [\"b\", \"c\"], []]]", {{0, 0, "a", "", 0}, {0, 1, "b", "c", 0}}},
        // Days and slots that are not arrays are empty; the next ones still count.
        {__LINE__, "[\"x\", 7, null, {\"a\": 1}, [5, \"y\", [\"e\", \"f\", 4]]]", {{4, 2, "e", "f", 4}}},
        // Texts must be strings; the action is any integer-valued item.
        {__LINE__, "[[[1, null, \"3\"], [[\"a\"], {\"b\": 1}, 2.0], [\"a\", \"b\", 2.5], [\"a\", \"b\", \"x\"], [\"a\", \"b\", true]]]",
         {{0, 0, "", "", 3}, {0, 1, "", "", 2}, {0, 2, "a", "b", 0}, {0, 3, "a", "b", 0}, {0, 4, "a", "b", 0}}},
        // A 40-character text keeps its first 31 characters.
        {__LINE__, "[[[\"0123456789012345678901234567890123456789\", \"e\", 1]]]",
         {{0, 0, "0123456789012345678901234567890", "e", 1}}},
        // A ninth day and a thirteenth slot are ignored.
        {__LINE__,
         "[[[\"s0\",\"e0\",0],[\"s1\",\"e1\",1],[\"s2\",\"e2\",2],[\"s3\",\"e3\",3],[\"s4\",\"e4\",4],[\"s5\",\"e5\",5],"
         "[\"s6\",\"e6\",6],[\"s7\",\"e7\",7],[\"s8\",\"e8\",8],[\"s9\",\"e9\",9],[\"s10\",\"e10\",10],"
         "[\"s11\",\"e11\",11],[\"s12\",\"e12\",12]],[],[],[],[],[],[],[],[[\"x\",\"y\",9]]]",
         {{0, 0, "s0", "e0", 0}, {0, 1, "s1", "e1", 1}, {0, 2, "s2", "e2", 2}, {0, 3, "s3", "e3", 3},
          {0, 4, "s4", "e4", 4}, {0, 5, "s5", "e5", 5}, {0, 6, "s6", "e6", 6}, {0, 7, "s7", "e7", 7},
          {0, 8, "s8", "e8", 8}, {0, 9, "s9", "e9", 9}, {0, 10, "s10", "e10", 10}, {0, 11, "s11", "e11", 11}}},
    };
    for (const row& r : rows) {
        json_ref req = json_parse_object(("{\"plan\": " + r.schedule + "}").c_str());
        ASSERT_TRUE(req) << "row at line " << r.line;
        week_schedule s = dirty_schedule();
        ASSERT_EQ(schedule_from_json(req.get(), "plan", &s), 0) << "row at line " << r.line;
        week_schedule want;
        std::memset(&want, 0, sizeof want);
        for (const expect_slot& e : r.slots) {
            sched_slot& slot = want.days[e.day].slots[e.slot];
            std::strcpy(slot.start_time, e.start);
            std::strcpy(slot.end_time, e.end);
            slot.action_type = e.action;
        }
        for (int d = 0; d < 8; ++d)
            for (int slot = 0; slot < SCHED_SLOTS_PER_DAY; ++slot)
                EXPECT_EQ(std::memcmp(&s.days[d].slots[slot], &want.days[d].slots[slot], sizeof(sched_slot)), 0)
                    << "row at line " << r.line << ": day " << d << " slot " << slot << " holds \""
                    << std::string(s.days[d].slots[slot].start_time, 31) << "\"";
        EXPECT_TRUE(bytes_equal(s, want)) << "row at line " << r.line;
    }
}

TEST(ScheduleJson, TheByDayFormsUseTheDayFlag) {
    json_ref req = json_parse_object("{\"plan\": [[[\"a\", \"b\", 1]], [[\"c\", \"d\", 2]]]}");
    week_schedule s = dirty_schedule();
    ASSERT_EQ(schedule_from_json_by_day(req.get(), "plan", &s), 0);
    for (int d = 0; d < 8; ++d) {
        EXPECT_EQ(s.days[d].day_flag, 1) << "day " << d;
        EXPECT_EQ(s.days[d].day_action_type, 0) << "day " << d;
    }
    EXPECT_STREQ(s.days[1].slots[0].start_time, "c");

    s.days[0].day_flag = 0;
    const std::string empty_slot = "{\"startTime\":\"\",\"endTime\":\"\",\"actionType\":0}";
    std::string empty_day = "[" + empty_slot;
    for (int i = 1; i < 12; ++i) empty_day += "," + empty_slot;
    empty_day += "]";
    std::string day1 = "[{\"startTime\":\"c\",\"endTime\":\"d\",\"actionType\":2}";
    for (int i = 1; i < 12; ++i) day1 += "," + empty_slot;
    day1 += "]";
    std::string by_day = text_of(schedule_to_json_by_day(s));
    EXPECT_EQ(by_day, "[" + empty_day + "," + day1 + "," + empty_day + "," + empty_day + "," + empty_day +
                          "," + empty_day + "," + empty_day + "," + empty_day + "]");
    // The plain form ignores the flag.
    json_ref plain(schedule_to_json(s));
    EXPECT_EQ(json_object_get_string(json_object_object_get(
                  json_object_array_get_idx(json_object_array_get_idx(plain.get(), 0), 0), "startTime")),
              std::string("a"));
}

TEST(ScheduleJson, StoredTextsWithoutTerminatorAreCutAtTheFieldWidth) {
    week_schedule s;
    std::memset(&s, 0, sizeof s);
    std::memset(s.days[0].slots[0].start_time, 'x', 32);
    std::memset(s.days[0].slots[0].end_time, 'y', 32);
    s.days[0].slots[0].action_type = 9;
    json_ref out(schedule_to_json(s));
    json_object* slot = json_object_array_get_idx(json_object_array_get_idx(out.get(), 0), 0);
    EXPECT_EQ(json_object_get_string(json_object_object_get(slot, "startTime")), std::string(32, 'x'));
    EXPECT_EQ(json_object_get_string(json_object_object_get(slot, "endTime")), std::string(32, 'y'));
}

TEST(ChannelMaskJson, ListedChannelsWithinTheCountSetTheirBits) {
    struct row {
        int line;
        const char* body;
        uint64_t mask;
    } rows[] = {
        {__LINE__, "{\"copyCnt\": 3, \"copyChn\": [0, 63, 64]}", 1ULL | 1ULL << 63},
        {__LINE__, "{\"copyCnt\": 1, \"copyChn\": [5, 6]}", 1ULL << 5},
        {__LINE__, "{\"copyCnt\": 9, \"copyChn\": [2, 3]}", 1ULL << 2 | 1ULL << 3},
        {__LINE__, "{\"copyCnt\": 0, \"copyChn\": [2]}", 0},
        {__LINE__, "{\"copyCnt\": -4, \"copyChn\": [2]}", 0},
        {__LINE__, "{\"copyChn\": [2]}", 0},
        {__LINE__, "{\"copyCnt\": 2}", 0},
        {__LINE__, "{\"copyCnt\": 2, \"copyChn\": 7}", 0},
        {__LINE__, "{\"copyCnt\": \"2\", \"copyChn\": [1, 4]}", 1ULL << 1 | 1ULL << 4},
        {__LINE__, "{\"copyCnt\": \"two\", \"copyChn\": [1, 4]}", 0},
        // Items that are not channel numbers are skipped; the rest still count.
        {__LINE__, "{\"copyCnt\": 9, \"copyChn\": [-1, \"7\", 3.0, 3.5, null, [1], {}, \"x\", 9]}",
         1ULL << 7 | 1ULL << 3 | 1ULL << 9},
        {__LINE__, "{\"copyCnt\": 1, \"copyChn\": [4294967296]}", 0},
    };
    for (const row& r : rows) {
        json_ref req = json_parse_object(r.body);
        ASSERT_TRUE(req) << "row at line " << r.line;
        EXPECT_EQ(channel_mask_from_json(req.get(), "copyChn", "copyCnt"), r.mask) << "row at line " << r.line;
    }
    EXPECT_EQ(channel_mask_from_json(nullptr, "copyChn", "copyCnt"), 0u);
}

TEST(ChannelPairJson, PairsGoOutAsTwoStringsAndComeInElementByElement) {
    char first[CHANNEL_TEXT_SIZE] = "0101";
    char second[CHANNEL_TEXT_SIZE];
    std::memset(second, '1', sizeof second);  // no terminator: cut at the field
    EXPECT_EQ(text_of(channel_pair_to_json(first, second)), "[\"0101\",\"" + std::string(65, '1') + "\"]");
    EXPECT_EQ(text_of(channel_pair_to_json(nullptr, "1")), "[\"\",\"1\"]");

    const std::string long_text(70, '1');
    struct row {
        int line;
        std::string body;
        int result;
        const char* first;
        const char* second;
    } rows[] = {
        {__LINE__, "{\"triChnAlarms\": [\"1100\", \"0011\"]}", 0, "1100", "0011"},
        {__LINE__, "{\"triChnAlarms\": [\"" + long_text + "\", \"\"]}", 0, "1111111111111111111111111111111111111111111111111111111111111111", ""},
        {__LINE__, "{\"triChnAlarms\": [\"1\"]}", 0, "1", "old-2"},
        {__LINE__, "{\"triChnAlarms\": [5, null]}", 0, "old-1", "old-2"},
        {__LINE__, "{\"triChnAlarms\": []}", 0, "old-1", "old-2"},
        {__LINE__, "{\"triChnAlarms\": \"11\"}", -1, "old-1", "old-2"},
        {__LINE__, "{}", -1, "old-1", "old-2"},
    };
    for (const row& r : rows) {
        json_ref req = json_parse_object(r.body.c_str());
        char pair[2][CHANNEL_TEXT_SIZE] = {"old-1", "old-2"};
        EXPECT_EQ(channel_pair_from_json(req.get(), "triChnAlarms", pair), r.result) << "row at line " << r.line;
        EXPECT_STREQ(pair[0], r.first) << "row at line " << r.line;
        EXPECT_STREQ(pair[1], r.second) << "row at line " << r.line;
    }
}

TEST(LedListJson, BothElementFormsAreReadUpToSixtyFourRows) {
    std::string seventy;
    for (int i = 0; i < 70; ++i) seventy += (i ? "," : "") + ("[" + std::to_string(i) + ",1,2]");
    struct row {
        int line;
        std::string list;
        std::vector<led_entry> want;  // without owner; the rest must be zero
    } rows[] = {
        {__LINE__, "[{\"chnid\": 3, \"mode\": 1, \"time\": 30}, {\"chnid\": 5, \"time\": 10}]", {{0, 3, 1, 30}, {0, 5, 0, 10}}},
        {__LINE__, "[[3, 1, 30], [5, 2]]", {{0, 3, 1, 30}, {0, 5, 2, 0}}},
        {__LINE__, "[[3, 1, 30], {\"chnid\": 4, \"mode\": \"2\", \"time\": 5}]", {{0, 3, 1, 30}, {0, 4, 2, 5}}},
        // The list ends at the first element that is no row.
        {__LINE__, "[[3, 1, 30], 5, [4, 1, 1]]", {{0, 3, 1, 30}}},
        {__LINE__, "[null, [4, 1, 1]]", {}},
        {__LINE__, "[]", {}},
        {__LINE__, "[" + seventy + "]", {}},
    };
    for (row& r : rows) {
        if (r.want.empty() && r.list.size() > 100)
            for (int i = 0; i < 64; ++i) r.want.push_back({0, i, 1, 2});
        json_ref req = json_parse_object(("{\"whiteInfo\": " + r.list + "}").c_str());
        ASSERT_TRUE(req) << "row at line " << r.line;
        led_entry rows_out[action_list_len + 1];
        std::memset(rows_out, 0x77, sizeof rows_out);
        ASSERT_EQ(led_list_from_json(9, rows_out, req.get(), "whiteInfo"), 0) << "row at line " << r.line;
        for (int i = 0; i < action_list_len; ++i) {
            led_entry want = {0, 0, 0, 0};
            if (i < static_cast<int>(r.want.size())) {
                want = r.want[i];
                want.owner = 9;
            }
            EXPECT_EQ(std::memcmp(&rows_out[i], &want, sizeof want), 0)
                << "row at line " << r.line << ", entry " << i << ": " << rows_out[i].owner << " "
                << rows_out[i].chnid << " " << rows_out[i].mode << " " << rows_out[i].time;
        }
        EXPECT_EQ(rows_out[action_list_len].owner, 0x77777777) << "row at line " << r.line;
    }

    for (const char* body : {"{}", "{\"whiteInfo\": {\"chnid\": 1}}", "{\"whiteInfo\": \"chnid\"}"}) {
        json_ref req = json_parse_object(body);
        led_entry rows_out[action_list_len];
        std::memset(rows_out, 0x77, sizeof rows_out);
        EXPECT_EQ(led_list_from_json(9, rows_out, req.get(), "whiteInfo"), -1) << body;
        EXPECT_EQ(rows_out[0].owner, 0x77777777) << body;
    }
    EXPECT_EQ(led_list_from_json(9, nullptr, nullptr, "whiteInfo"), -1);
}

TEST(LedListJson, StoredListsAreListedUpToTheirRowCount) {
    test_root root;
    led_entry rows[action_list_len];
    std::memset(rows, 0, sizeof rows);
    rows[0] = {2, 7, 1, 30};
    rows[1] = {2, 0, 0, 0};  // a zero row inside the list still counts
    rows[2] = {2, 9, 2, 60};
    ASSERT_EQ(write_whiteled_params_all(TQDB_FILE, rows, "motion_white_led_params", 2), 0);
    EXPECT_EQ(text_of(led_list_to_json("motion_white_led_params", 2)),
              "[{\"chnid\":7,\"mode\":1,\"time\":30},{\"chnid\":0,\"mode\":0,\"time\":0},"
              "{\"chnid\":9,\"mode\":2,\"time\":60}]");
    EXPECT_EQ(text_of(led_list_to_json("motion_white_led_params", 3)), "[]");
    EXPECT_EQ(text_of(led_list_to_json("alarm_in_white_led_params", 2)), "[]");

    ASSERT_EQ(write_peoplecnt_wled_params_all(TQDB_FILE, rows, 4), 0);
    EXPECT_EQ(text_of(led_list_to_json_peoplecnt(4)),
              "[{\"chnid\":7,\"mode\":1,\"time\":30},{\"chnid\":0,\"mode\":0,\"time\":0},"
              "{\"chnid\":9,\"mode\":2,\"time\":60}]");
    EXPECT_EQ(text_of(led_list_to_json_peoplecnt(2)), "[]");
}

TEST(PtzActionsJson, ListsAreStoredWholeAndListedWithoutEmptyTargets) {
    test_root root;
    struct row {
        int line;
        int type;
        const char* list;
        int stored_rows;  // rows the store reports afterwards
        const char* listed;
    } rows[] = {
        {__LINE__, 1,
         "[{\"acto_ptz_channel\": 2, \"acto_ptz_type\": 1, \"acto_ptz_preset\": 4, \"acto_ptz_patrol\": 0, \"acto_ptz_pattern\": 6},"
         " {\"acto_ptz_channel\": 0, \"acto_ptz_type\": 1, \"acto_ptz_preset\": 9},"
         " {\"acto_ptz_channel\": 5, \"acto_ptz_type\": 2, \"acto_ptz_patrol\": 3}]",
         3,
         "[{\"acto_ptz_channel\":2,\"acto_ptz_type\":1,\"acto_ptz_preset\":4,\"acto_ptz_patrol\":0},"
         "{\"acto_ptz_channel\":5,\"acto_ptz_type\":2,\"acto_ptz_preset\":0,\"acto_ptz_patrol\":3}]"},
        {__LINE__, PTZ_EVENT_PEOPLECNT, "[{\"acto_ptz_channel\": 8, \"acto_ptz_type\": 3, \"acto_ptz_pattern\": 1}]", 1,
         "[{\"acto_ptz_channel\":8,\"acto_ptz_type\":3,\"acto_ptz_preset\":0,\"acto_ptz_patrol\":0}]"},
        // Elements that are not objects are rows with every member 0.
        {__LINE__, 2, "[7, {\"acto_ptz_channel\": \"3\"}]", 2,
         "[{\"acto_ptz_channel\":3,\"acto_ptz_type\":0,\"acto_ptz_preset\":0,\"acto_ptz_patrol\":0}]"},
        {__LINE__, 2, "[]", 0, "[]"},
    };
    for (const row& r : rows) {
        json_ref arr(json_tokener_parse(r.list));
        ASSERT_TRUE(arr) << "row at line " << r.line;
        EXPECT_EQ(ptz_actions_from_json(6, r.type, arr.get()), 1) << "row at line " << r.line;
        ptz_action stored[action_list_len];
        std::memset(stored, 0, sizeof stored);
        int count = -1;
        if (r.type == PTZ_EVENT_PEOPLECNT)
            read_peoplecnt_ptz_params(TQDB_FILE, stored, 6, &count);
        else
            read_ptz_params(TQDB_FILE, stored, r.type, 6, &count);
        EXPECT_EQ(count, r.stored_rows) << "row at line " << r.line;
        for (int i = 0; i < r.stored_rows; ++i) EXPECT_EQ(stored[i].event_channel, 6) << "row at line " << r.line;
        EXPECT_EQ(text_of(ptz_actions_to_json(r.type, 6)), r.listed) << "row at line " << r.line;
        EXPECT_EQ(text_of(ptz_actions_to_json(r.type, 7)), "[]") << "row at line " << r.line;
    }
    // The people-counting store and kind 20 of the event store are apart.
    ptz_action other[action_list_len];
    int count = 0;
    EXPECT_NE(read_ptz_params(TQDB_FILE, other, PTZ_EVENT_PEOPLECNT, 6, &count), 0);
    // The first row of the first case kept its pattern although it is not listed.
    ASSERT_EQ(read_ptz_params(TQDB_FILE, other, 1, 6, &count), 0);
    EXPECT_EQ(other[0].acto_ptz_pattern, 6);
    EXPECT_EQ(other[1].acto_ptz_preset, 9);
}

TEST(PtzActionsJson, SeventyElementsStoreSixtyFourAndANonArrayStoresNothing) {
    test_root root;
    std::string list = "[";
    for (int i = 0; i < 70; ++i) list += (i ? "," : "") + ("{\"acto_ptz_channel\": " + std::to_string(i + 1) + "}");
    list += "]";
    json_ref arr(json_tokener_parse(list.c_str()));
    ASSERT_EQ(ptz_actions_from_json(3, 5, arr.get()), 1);
    ptz_action stored[action_list_len];
    int count = 0;
    ASSERT_EQ(read_ptz_params(TQDB_FILE, stored, 5, 3, &count), 0);
    EXPECT_EQ(count, 64);
    EXPECT_EQ(stored[63].acto_ptz_channel, 64);
    EXPECT_EQ(json_object_array_length(json_ref(ptz_actions_to_json(5, 3)).get()), 64u);

    json_ref not_list(json_tokener_parse("{\"acto_ptz_channel\": 1}"));
    EXPECT_EQ(ptz_actions_from_json(3, 5, not_list.get()), 0);
    EXPECT_EQ(ptz_actions_from_json(3, 5, nullptr), 0);
    ASSERT_EQ(read_ptz_params(TQDB_FILE, stored, 5, 3, &count), 0);
    EXPECT_EQ(count, 64);
}

}  // namespace
