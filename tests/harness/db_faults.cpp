#include "tests/harness/db_faults.h"

#include "platform/nvr_env.h"

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <stdexcept>

namespace {

std::atomic<int> next_trigger{0};

std::string literal(const std::string& text) {
    std::string q = "'";
    for (char c : text) q += c == '\'' ? std::string("''") : std::string(1, c);
    return q + "'";
}

bool run_sql(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    bool ok = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
    if (ok) {
        sqlite3_busy_timeout(db, 10000);
        ok = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    sqlite3_close(db);
    return ok;
}

// (table, condition on the row) of the rows a target names.
struct refused_rows {
    const char* table;
    std::string condition;  // over the row as "R"
};

std::vector<refused_rows> rows_of(const std::string& target) {
    if (target == "params") return {{"params", ""}};
    if (target.rfind("params:", 0) == 0) return {{"params", "R.key = " + literal(target.substr(7))}};
    return {{"records", "R.store = " + literal(target)}, {"blobs", "R.store = " + literal(target)}};
}

}  // namespace

refused_writes::refused_writes(std::vector<std::string> targets, const char* db) : file_(nvr_path(db)) {
    // The file and its schema exist once the library has opened it.
    get_param_int(db, "max_cameras", 0);
    std::string sql = "BEGIN;";
    for (const std::string& target : targets) {
        for (const refused_rows& r : rows_of(target)) {
            for (const char* event : {"INSERT", "UPDATE", "DELETE"}) {
                std::string row = std::string(event) == "DELETE" ? "OLD" : "NEW";
                std::string when;
                if (!r.condition.empty()) {
                    when = r.condition;
                    when.replace(0, 1, row);
                    when = " WHEN " + when;
                }
                std::string name = "test_refuse_" + std::to_string(getpid()) + "_" + std::to_string(next_trigger++);
                sql += "CREATE TRIGGER " + name + " BEFORE " + event + " ON " + r.table + when +
                       " BEGIN SELECT RAISE(ABORT, 'writes refused by the test'); END;";
                triggers_.push_back(name);
            }
        }
    }
    armed_ = run_sql(file_, sql + "COMMIT;");
}

refused_writes::~refused_writes() {
    std::string sql;
    for (const std::string& name : triggers_) sql += "DROP TRIGGER IF EXISTS " + name + ";";
    run_sql(file_, sql);  // a root that is going away needs nothing restored
}

std::vector<uint8_t> stored_rows(const tqdb_table& table) {
    int rows = tqdb_count(TQDB_FILE, table);
    std::vector<uint8_t> bytes(static_cast<size_t>(rows > 0 ? rows : 0) * table.rec_size);
    int count = 0;
    if (rows > 0 && tqdb_read_all(TQDB_FILE, table, bytes.data(), rows, &count) != 0) count = 0;
    bytes.resize(static_cast<size_t>(count) * table.rec_size);
    return bytes;
}

held_change::held_change(const std::function<int()>& change, int hold_ms, const char* db) {
    int fds[2];
    if (pipe(fds) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork");
    if (pid_ == 0) {
        close(fds[0]);
        int rc = tqdb_atomic(db, [&] {
            int result = change();
            char made = 1;
            if (write(fds[1], &made, 1) != 1) return -1;
            usleep(static_cast<useconds_t>(hold_ms) * 1000);
            return result;
        });
        _exit(rc == 0 ? 0 : 1);
    }
    close(fds[1]);
    // One byte once the change is made; none when the child ended first.
    char made = 0;
    while (read(fds[0], &made, 1) < 0 && errno == EINTR) {
    }
    close(fds[0]);
}

held_change::~held_change() { result(); }

int held_change::result() {
    if (pid_ > 0) {
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        result_ = WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
        pid_ = -1;
    }
    return result_;
}
