// Holidays: the list and the setting of one, end to end through webreq.
#include "platform/tqdb/rec_holiday.h"
#include "tests/harness/db_faults.h"
#include "tests/harness/exchange_case.h"

namespace {

using Holidays = xcase::exchange_case;
using xcase::oplog;

TEST_F(Holidays, SettingOneHolidayStoresEveryKeyAndListsItInKeyOrder) {
    std::string long_name(300, 'h');
    cgi_result res = post("/6031",
                          "{\"id\": 5, \"name\": \"" + long_name + "\", \"enable\": 1, \"type\": 2, "
                          "\"startYear\": 2026, \"startMon\": 12, \"startMDay\": 24, \"startMWeek\": 4, "
                          "\"startWDay\": 3, \"endYear\": 2027, \"endMon\": 1, \"endMDay\": 2, "
                          "\"endMWeek\": 1, \"endWDay\": 6}");
    EXPECT_EQ(res.out, text_reply("OK"));

    holiday_record rec;
    ASSERT_EQ(load_holiday(TQDB_FILE, &rec, 5), 0);
    EXPECT_EQ(std::string(rec.name), std::string(255, 'h'));
    EXPECT_EQ(rec.end_wday, 6);
    expect_sent({{1401, {}}, {3485, oplog(204, 920, 6)}}, __LINE__);

    res = cgi_get(root, "/6030");
    std::string listed = "{ \"id\": 5, \"enable\": 1, \"name\": \"" + std::string(255, 'h') +
                         "\", \"type\": 2, \"startYear\": 2026, \"startMon\": 12, \"startMDay\": 24, "
                         "\"startMWeek\": 4, \"startWDay\": 3, \"endYear\": 2027, \"endMon\": 1, "
                         "\"endMDay\": 2, \"endMWeek\": 1, \"endWDay\": 6 }";
    std::string empty0 = "{ \"id\": 0, \"enable\": 0, \"name\": \"\", \"type\": 0, \"startYear\": 0, "
                         "\"startMon\": 0, \"startMDay\": 0, \"startMWeek\": 0, \"startWDay\": 0, "
                         "\"endYear\": 0, \"endMon\": 0, \"endMDay\": 0, \"endMWeek\": 0, \"endWDay\": 0 }";
    ASSERT_EQ(res.out.rfind(json_reply("{ \"holidays\": [ " + empty0 + ", "), 0), 0u) << res.out;
    EXPECT_NE(res.out.find(", " + listed + ", "), std::string::npos);
    json_ref obj = json_body(res);
    json_object* list = req_array(obj, "holidays");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(json_object_array_length(list), 32u);
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(req_int_or(json_object_array_get_idx(list, i), "id", -1), i);
}

TEST_F(Holidays, AMissingNumberIsStoredAsZeroAndANameNeverCarriesOver) {
    holiday_record old{};
    old.id = 31;
    std::strcpy(old.name, "old");
    old.start_year = 1999;
    ASSERT_EQ(write_holiday(TQDB_FILE, &old), 0);

    EXPECT_EQ(post("/6031", "{\"id\": 31, \"enable\": 0, \"type\": 0}").out, text_reply("OK"));
    holiday_record rec;
    ASSERT_EQ(load_holiday(TQDB_FILE, &rec, 31), 0);
    EXPECT_STREQ(rec.name, "");
    EXPECT_EQ(rec.start_year, 0);
    EXPECT_EQ(oplog_of(sent(2).at(1)).chan_no, 32);
}

TEST_F(Holidays, InvalidHolidaysGetNoReplyAndChangeNothing) {
    std::vector<uint8_t> before = stored_rows(tqdb_tbl_holiday);
    ASSERT_EQ(before.size(), HOLIDAY_COUNT * sizeof(holiday_record));
    const char* bodies[] = {
        "{\"id\": 32, \"enable\": 1, \"type\": 0}",
        "{\"id\": -1, \"enable\": 1, \"type\": 0}",
        "{\"enable\": 1, \"type\": 0}",
        "{\"id\": 0, \"enable\": 2, \"type\": 0}",
        "{\"id\": 0, \"type\": 0}",
        "{\"id\": 0, \"enable\": 1}",
        "{\"id\": 0, \"enable\": 1, \"type\": -1}",
        "{\"id\": 4294967296, \"enable\": 1, \"type\": 0}",
        "id=0&enable=1",
        "[0, 1, 0]",
        "",
    };
    for (const char* body : bodies) EXPECT_EQ(post("/6031", body).out, "") << body;
    EXPECT_EQ(stored_rows(tqdb_tbl_holiday), before);
    EXPECT_TRUE(sent().empty());
}

}  // namespace
