#include "tests/harness/refused_writes.h"

#include <sqlite3.h>

#include <atomic>

namespace {

std::atomic<int> next_id{0};

// A text as an SQL literal.
std::string literal(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

bool run(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    bool ok = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
    if (ok) {
        sqlite3_busy_timeout(db, 10000);
        ok = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    sqlite3_close(db);
    return ok;
}

}  // namespace

refused_writes::refused_writes(const test_root& root, const tqdb_table& table)
    : file_(root.file(TQDB_FILE)), prefix_("test_refuse_" + std::to_string(next_id++)) {
    tqdb_count(TQDB_FILE, table);  // the file and its schema exist from here on
    std::string sql;
    for (const char* store : {"records", "blobs"}) {
        const std::string when_new = " WHEN NEW.store = " + literal(table.name);
        const std::string when_old = " WHEN OLD.store = " + literal(table.name);
        for (const char* event : {"INSERT", "UPDATE", "DELETE"}) {
            sql += "CREATE TRIGGER " + prefix_ + "_" + std::to_string(count_++) + " BEFORE " + event + " ON " +
                   store + (std::string(event) == "DELETE" ? when_old : when_new) +
                   " BEGIN SELECT RAISE(ABORT, 'writes refused by the test'); END;";
        }
    }
    armed_ = arm(sql);
}

refused_writes::refused_writes(const test_root& root, param_key param)
    : file_(root.file(TQDB_FILE)), prefix_("test_refuse_" + std::to_string(next_id++)) {
    get_param_int(TQDB_FILE, param.key, 0);  // the file and its schema exist from here on
    std::string sql;
    for (const char* event : {"INSERT", "UPDATE", "DELETE"}) {
        const char* row = std::string(event) == "DELETE" ? "OLD" : "NEW";
        sql += "CREATE TRIGGER " + prefix_ + "_" + std::to_string(count_++) + " BEFORE " + event +
               " ON params WHEN " + row + ".key = " + literal(param.key) +
               " BEGIN SELECT RAISE(ABORT, 'writes refused by the test'); END;";
    }
    armed_ = arm(sql);
}

bool refused_writes::arm(const std::string& sql) { return run(file_, "BEGIN;" + sql + "COMMIT;"); }

refused_writes::~refused_writes() {
    std::string sql;
    for (int i = 0; i < count_; ++i) sql += "DROP TRIGGER IF EXISTS " + prefix_ + "_" + std::to_string(i) + ";";
    run(file_, sql);
}
