#include "tests/harness/db_refusal.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "platform/nvr_env.h"
#include "platform/tqdb/tqdb.h"

namespace {

// Runs sql on the main database file of the current root.
void exec_on_db(const std::string& sql) {
    // The file and its schema exist once any call has opened it.
    get_param_int(TQDB_FILE, "max_cameras", 0);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(nvr_path(TQDB_FILE).c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    sqlite3_busy_timeout(db, 10000);
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error), SQLITE_OK)
        << (error ? error : "") << sql;
    sqlite3_free(error);
    sqlite3_close(db);
}

std::string quoted(const std::string& text) {
    std::string q = "'";
    for (char c : text) q += c == '\'' ? std::string("''") : std::string(1, c);
    return q + "'";
}

}  // namespace

db_refusal::db_refusal(std::vector<std::string> stores) {
    static int serial = 0;
    std::string sql;
    for (const std::string& store : stores) {
        bool params = store == "params";
        const char* when_new = params ? "" : " WHEN NEW.store = ";
        const char* when_old = params ? "" : " WHEN OLD.store = ";
        std::string match = params ? "" : quoted(store);
        const char* table = params ? "params" : "records";
        const struct {
            const char* event;
            const char* when;
        } events[] = {{"INSERT", when_new}, {"UPDATE", when_old}, {"DELETE", when_old}};
        for (const auto& e : events) {
            std::string name = "refuse_" + std::to_string(++serial);
            sql += "CREATE TRIGGER " + name + " BEFORE " + e.event + " ON " + table + e.when + match +
                   " BEGIN SELECT RAISE(ABORT, 'writes refused'); END;";
            triggers_.push_back(name);
        }
    }
    exec_on_db(sql);
}

db_refusal::~db_refusal() {
    std::string sql;
    for (const std::string& name : triggers_) sql += "DROP TRIGGER IF EXISTS " + name + ";";
    exec_on_db(sql);
}

std::vector<uint8_t> stored_rows(const tqdb_table& table) {
    int rows = tqdb_count(TQDB_FILE, table);
    std::vector<uint8_t> bytes(static_cast<size_t>(rows > 0 ? rows : 0) * table.rec_size);
    int count = 0;
    EXPECT_EQ(tqdb_read_all(TQDB_FILE, table, bytes.data(), rows, &count), 0) << table.name;
    bytes.resize(static_cast<size_t>(count) * table.rec_size);
    return bytes;
}
