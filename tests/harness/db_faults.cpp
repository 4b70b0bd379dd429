#include "tests/harness/db_faults.h"

#include <sqlite3.h>

#include <chrono>
#include <future>
#include <stdexcept>

namespace {

// The stores of every record and blob live in these two tables of a file.
const char* const store_tables[] = {"records", "blobs"};

void exec_sql(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(db, 10000);
        rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    }
    std::string error = db ? sqlite3_errmsg(db) : "no memory";
    sqlite3_close(db);
    if (rc != SQLITE_OK) throw std::runtime_error(file + ": " + error);
}

std::string quoted_list(std::initializer_list<std::string> names) {
    std::string list;
    for (const std::string& name : names) {
        std::string q = "'";
        for (char c : name) q += c == '\'' ? std::string("''") : std::string(1, c);
        list += (list.empty() ? "" : ",") + q + "'";
    }
    return list;
}

}  // namespace

refused_writes::refused_writes(const test_root& root, std::initializer_list<std::string> stores, const char* db)
    : file_(root.file(db)) {
    // The file and its schema exist once the library has opened it.
    get_param_int(db, "max_cameras", 0);
    const std::string list = quoted_list(stores);
    std::string sql;
    for (const char* table : store_tables) {
        for (const char* op : {"INSERT", "UPDATE", "DELETE"}) {
            const char* row = std::string(op) == "DELETE" ? "OLD" : "NEW";
            sql += std::string("CREATE TRIGGER IF NOT EXISTS refuse_") + table + "_" + op + " BEFORE " + op +
                   " ON " + table + " WHEN " + row + ".store IN (" + list +
                   ") BEGIN SELECT RAISE(ABORT, 'writes refused'); END;";
        }
    }
    exec_sql(file_, sql);
}

refused_writes::~refused_writes() {
    std::string sql;
    for (const char* table : store_tables)
        for (const char* op : {"INSERT", "UPDATE", "DELETE"})
            sql += std::string("DROP TRIGGER IF EXISTS refuse_") + table + "_" + op + ";";
    try {
        exec_sql(file_, sql);
    } catch (const std::exception&) {
        // The root is going away with the test; nothing to restore.
    }
}

held_change::held_change(std::function<int()> change, int hold_ms, const char* db) {
    std::promise<void> made;
    std::future<void> made_future = made.get_future();
    thread_ = std::thread([this, change = std::move(change), hold_ms, db, made = std::move(made)]() mutable {
        bool signalled = false;
        int rc = tqdb_atomic(db, [&] {
            int result = change();
            made.set_value();
            signalled = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(hold_ms));
            return result;
        });
        if (!signalled) made.set_value();
        result_ = rc;
    });
    made_future.wait();
}

held_change::~held_change() {
    if (thread_.joinable()) thread_.join();
}

int held_change::result() {
    if (thread_.joinable()) thread_.join();
    return result_;
}
