#include "tests/harness/refused_writes.h"

#include <sqlite3.h>

#include <atomic>
#include <vector>

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

refused_writes::refused_writes(const test_root& root, write_target target)
    : file_(root.file(TQDB_FILE)), prefix_("test_refuse_" + std::to_string(next_id++)) {
    // The file and its schema exist from here on.
    if (target.table)
        tqdb_count(TQDB_FILE, *target.table);
    else if (target.param)
        get_param_int(TQDB_FILE, target.param, 0);
    else
        return;
    // (table, column, value) of the refused rows.
    struct rows {
        const char* table;
        const char* column;
        std::string value;
    };
    std::vector<rows> refused;
    if (target.table) {
        refused.push_back({"records", "store", target.table->name});
        refused.push_back({"blobs", "store", target.table->name});
    } else {
        refused.push_back({"params", "key", target.param});
    }
    std::string sql = "BEGIN;";
    for (const rows& r : refused) {
        for (const char* event : {"INSERT", "UPDATE", "DELETE"}) {
            const char* row = std::string(event) == "DELETE" ? "OLD" : "NEW";
            sql += "CREATE TRIGGER " + prefix_ + "_" + std::to_string(count_++) + " BEFORE " + event +
                   " ON " + r.table + " WHEN " + row + "." + r.column + " = " + literal(r.value) +
                   " BEGIN SELECT RAISE(ABORT, 'writes refused by the test'); END;";
        }
    }
    armed_ = run(file_, sql + "COMMIT;");
}

refused_writes::~refused_writes() {
    std::string sql;
    for (int i = 0; i < count_; ++i)
        sql += "DROP TRIGGER IF EXISTS " + prefix_ + "_" + std::to_string(i) + ";";
    run(file_, sql);
}
