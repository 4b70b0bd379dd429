#include "tests/harness/db_faults.h"

#include <sqlite3.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
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

std::string quoted_list(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) {
        std::string q = "'";
        for (char c : name) q += c == '\'' ? std::string("''") : std::string(1, c);
        list += (list.empty() ? "" : ",") + q + "'";
    }
    return list;
}

}  // namespace

refused_writes::refused_writes(const test_root& root, const std::vector<std::string>& stores, const char* db)
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
