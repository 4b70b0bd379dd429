// What every setting of the module does when its change cannot be stored:
// the code's failure reply, no notice, no log entry, and nothing half
// written (a change over several stores is undone as a whole).
#include "platform/tqdb/rec_camera.h"
#include "platform/tqdb/rec_holiday.h"
#include "platform/tqdb/rec_record.h"
#include "platform/tqdb/rec_schedule.h"
#include "tests/harness/db_faults.h"
#include "tests/harness/exchange_case.h"

namespace {

using ScheduleWrites = xcase::exchange_case;
using xcase::json_failure;
using xcase::text_failure;

const std::string week = [] {
    std::string days =
        "{\"wholedayEnable\": 1, \"wholedayActionType\": 3, \"plans\": [[\"01:00\", \"02:00\", 1]]}";
    for (int d = 1; d < 8; ++d) days += ", {}";
    return "[" + days + "]";
}();

TEST_F(ScheduleWrites, AChangeThatCannotBeStoredAnswersTheFailureAndTellsNobody) {
    // Cameras 0 and 2 could take ANR and another stream, so /6045 writes
    // the camera store after the record rows. Each row changes channels of
    // its own: the one before it went through in the end.
    for (int chn : {0, 2}) {
        auto cam = read_back<camera_record>(tqdb_tbl_camera, chn);
        cam.enable = 1;
        ASSERT_EQ(write_camera(TQDB_FILE, &cam), 0);
    }
    auto settings = [](int chn) {
        return "{\"cnt\": 1, \"chnid\": [" + std::to_string(chn) +
               "], \"camAnr\": 1, \"postRecordOn\": 1, \"postRecordDuration\": 90, \"recordStreamType\": 2}";
    };
    struct row {
        int line;
        std::vector<std::string> refused;
        const char* code;
        std::string body;
        std::string reply;
    } rows[] = {
        {__LINE__,
         {"holiday"},
         "/6031",
         "{\"id\": 3, \"enable\": 1, \"type\": 0, \"name\": \"x\"}",
         text_failure()},
        {__LINE__,
         {"record_schedule"},
         "/6041",
         "{\"cnt\": 2, \"chnid\": [4, 5], \"recordplanmode\": 2, \"schedule\": " + week + "}",
         text_failure()},
        // The schedules are copied, then the modes fail: the copies go too.
        {__LINE__,
         {"record"},
         "/6041",
         "{\"cnt\": 2, \"chnid\": [6, 7], \"recordplanmode\": 2, \"schedule\": " + week + "}",
         text_failure()},
        {__LINE__,
         {"record"},
         "/6043",
         "{\"records\": [{\"id\": 0, \"mode\": 2}, {\"id\": 1, \"mode\": 1}]}",
         text_failure()},
        {__LINE__, {"record"}, "/6045", settings(0), json_failure()},
        // The rows are written, then the cameras fail: the rows go too.
        {__LINE__, {"camera"}, "/6045", settings(2), json_failure()},
    };
    const tqdb_table* stores[] = {&tqdb_tbl_holiday, &tqdb_tbl_record, &tqdb_tbl_record_schedule,
                                  &tqdb_tbl_camera};
    for (const auto& r : rows) {
        fresh_case();
        std::vector<std::vector<uint8_t>> before;
        for (const tqdb_table* t : stores) before.push_back(stored_rows(*t));
        {
            refused_writes refused(r.refused);
            EXPECT_EQ(post(r.code, r.body).out, r.reply) << "row at line " << r.line;
        }
        EXPECT_TRUE(sent().empty()) << "row at line " << r.line << ": " << ids_text(sent());
        for (size_t i = 0; i < std::size(stores); ++i)
            EXPECT_TRUE(stored_rows(*stores[i]) == before[i])
                << stores[i]->name << ", row at line " << r.line;
        // Once the store takes writes again the same request goes through.
        EXPECT_NE(post(r.code, r.body).out, r.reply) << "row at line " << r.line;
    }
}

}  // namespace
