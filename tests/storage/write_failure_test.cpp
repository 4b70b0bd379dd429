// What every storage request that stores something does when the store
// fails: the plain "CGI ERROR", nothing sent to the core daemon (no request,
// no notice, no log entry), and the stored disks and parameters as before.
#include "tests/harness/db_faults.h"
#include "tests/storage/storage_fixture.h"

namespace {

using StorageWrites = StorageFixture;
using xcase::text_failure;

TEST_F(StorageWrites, AChangeThatCannotBeStoredAnswersTheFailureAndSendsNothing) {
    struct row {
        int line;
        const char* refused;
        const char* code;
        const char* text;
        std::string reply_after;  // once the store takes writes again
    } rows[] = {
        {__LINE__, "disk", "/6101", "{\"portId\": 5, \"property\": 0, \"group\": 2}", text_reply("OK")},
        {__LINE__, "params", "/6109", "1", text_reply("OK")},
        {__LINE__, "disk", "/6201",
         "{\"num\": 2, \"port\": [9, 10], \"address\": [\"10.0.0.1\", \"10.0.0.2\"]}", text_reply("OK")},
        {__LINE__, "disk", "/6203", "{\"port\": 9, \"address\": \"10.0.0.3\"}", text_reply("OK")},
        // Any disk but an array or a network disk: its record is reset
        // before the core is asked to remove it.
        {__LINE__, "disk", "/6207", "{\"port\": 5, \"hddType\": 0}", text_reply("OK")},
    };
    for (const auto& r : rows) {
        fresh_case();
        configure(5, 0, "sata", "", "");
        configure(9, disk_type_nas, "nas-9", "10.0.0.9", "/nine");
        set_param_int(TQDB_FILE, "raidmode", 0);
        std::vector<uint8_t> disks = stored_rows(tqdb_tbl_disk);
        {
            refused_writes refused(r.refused);
            EXPECT_EQ(cgi_post_json(root, r.code, r.text).out, text_failure()) << "row at line " << r.line;
        }
        EXPECT_TRUE(sent().empty()) << "row at line " << r.line << ": " << ids_text(sent());
        EXPECT_TRUE(stored_rows(tqdb_tbl_disk) == disks) << "row at line " << r.line;
        EXPECT_EQ(get_param_int(TQDB_FILE, "raidmode", -1), 0) << "row at line " << r.line;
        EXPECT_EQ(cgi_post_json(root, r.code, r.text).out, r.reply_after) << "row at line " << r.line;
    }
}

}  // namespace
