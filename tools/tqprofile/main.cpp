// tqprofile: export and import of the configuration profile.
//
//   tqprofile -e DIR    writes the whole configuration (every parameter,
//                       record and list of the configuration database; not
//                       the factory account database) to one profile file in
//                       DIR and its path to /tmp/.export_down_file
//   tqprofile -i FILE   checks FILE (a profile at all, its format version,
//                       its checksums) and replaces the configuration with
//                       it in one transaction
//
// Paths are the device's paths (the root prefix of NVR_ROOT goes in front).
// Exit status 0 on success only; a file that is not a whole profile of a
// known version changes nothing. Format: profile.h.
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "platform/nvr_env.h"
#include "platform/tqdb/tqdb.h"
#include "tools/tqprofile/profile.h"

namespace {

// Where the export leaves the path of its file (for the download request).
#define EXPORT_PATH_DIR "/tmp"
#define EXPORT_PATH_NAME ".export_down_file"
#define EXPORT_PATH_FILE EXPORT_PATH_DIR "/" EXPORT_PATH_NAME

constexpr int busy_timeout_ms = 10000;
constexpr const char* name_prefix = "config_";
constexpr const char* name_suffix = ".profile";

int fail(const char* what, const std::string& detail = "") {
    std::fprintf(stderr, "tqprofile: %s%s%s\n", what, detail.empty() ? "" : ": ", detail.c_str());
    return 1;
}

// ---- the database ---------------------------------------------------------------

class database {
public:
    // The main configuration database, made with its factory contents first
    // when there is none yet.
    database() {
        check_param_key(TQDB_FILE, "max_cameras");
        tqdb_close_all();
        if (sqlite3_open_v2(nvr_path(TQDB_FILE).c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
            sqlite3_close_v2(db_);
            db_ = nullptr;
            return;
        }
        sqlite3_busy_timeout(db_, busy_timeout_ms);
    }
    ~database() { sqlite3_close_v2(db_); }
    database(const database&) = delete;
    database& operator=(const database&) = delete;

    explicit operator bool() const { return db_ != nullptr; }
    const char* error() const { return db_ ? sqlite3_errmsg(db_) : "cannot open the database"; }
    bool exec(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

    // Runs sql, calling row(stmt) for each row; false on an error.
    template <typename Fn>
    bool each(const char* sql, Fn&& row) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &s, nullptr) != SQLITE_OK) return false;
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) row(s);
        sqlite3_finalize(s);
        return rc == SQLITE_DONE;
    }

    // Inserts one entry.
    bool insert(const profile::entry& e) {
        static const char* const sql[] = {
            "",
            "INSERT INTO params(key, value) VALUES(?1, ?4)",
            "INSERT INTO records(store, key, tkey, data) VALUES(?1, ?2, ?3, ?4)",
            "INSERT INTO blobs(store, key, data) VALUES(?1, ?2, ?4)",
        };
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db_, sql[static_cast<int>(e.kind)], -1, &s, nullptr) != SQLITE_OK)
            return false;
        sqlite3_bind_text(s, 1, e.name.data(), static_cast<int>(e.name.size()), SQLITE_STATIC);
        if (e.kind == profile::entry_kind::param) {
            sqlite3_bind_text(s, 4, e.data.data(), static_cast<int>(e.data.size()), SQLITE_STATIC);
        } else {
            sqlite3_bind_int64(s, 2, e.key);
            if (e.kind == profile::entry_kind::record && e.has_text_key)
                sqlite3_bind_text(s, 3, e.text_key.data(), static_cast<int>(e.text_key.size()),
                                  SQLITE_STATIC);
            sqlite3_bind_blob64(s, 4, e.data.data(), e.data.size(), SQLITE_STATIC);
        }
        bool ok = sqlite3_step(s) == SQLITE_DONE;
        sqlite3_finalize(s);
        return ok;
    }

private:
    sqlite3* db_ = nullptr;
};

std::string column_bytes(sqlite3_stmt* s, int i) {
    const void* p = sqlite3_column_blob(s, i);
    int len = sqlite3_column_bytes(s, i);
    return p && len > 0 ? std::string(static_cast<const char*>(p), static_cast<size_t>(len)) : std::string();
}

// Everything the database holds, read in one transaction.
bool read_all(database& db, std::vector<profile::entry>& out) {
    using profile::entry_kind;
    if (!db.exec("BEGIN")) return false;
    bool ok = db.each("SELECT key, value FROM params ORDER BY key", [&](sqlite3_stmt* s) {
        out.push_back({entry_kind::param, column_bytes(s, 0), 0, false, "", column_bytes(s, 1)});
    });
    ok =
        ok && db.each("SELECT store, key, tkey, data FROM records ORDER BY store, key", [&](sqlite3_stmt* s) {
            bool has_text_key = sqlite3_column_type(s, 2) != SQLITE_NULL;
            out.push_back({entry_kind::record, column_bytes(s, 0), sqlite3_column_int64(s, 1), has_text_key,
                           column_bytes(s, 2), column_bytes(s, 3)});
        });
    ok = ok && db.each("SELECT store, key, data FROM blobs ORDER BY store, key", [&](sqlite3_stmt* s) {
        out.push_back({entry_kind::list, column_bytes(s, 0), sqlite3_column_int64(s, 1), false, "",
                       column_bytes(s, 2)});
    });
    db.exec(ok ? "COMMIT" : "ROLLBACK");
    return ok;
}

// Replaces everything with entries in one transaction. The schema word is
// cleared with it, so that the next process that opens the file adds the
// factory rows of any table the profile lacks (one of an older version).
bool replace_all(database& db, const std::vector<profile::entry>& entries) {
    if (!db.exec("BEGIN IMMEDIATE")) return false;
    bool ok = db.exec("DELETE FROM params; DELETE FROM records; DELETE FROM blobs;");
    for (size_t i = 0; ok && i < entries.size(); ++i) ok = db.insert(entries[i]);
    ok = ok && db.exec("PRAGMA user_version = 0");
    ok = ok && db.exec("COMMIT");
    if (!ok) db.exec("ROLLBACK");
    return ok;
}

// ---- files ----------------------------------------------------------------------------

bool read_file(const std::string& device_path, std::string& out) {
    int fd = open(nvr_path(device_path.c_str()).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
              static_cast<uint64_t>(st.st_size) <= profile::max_file_size;
    char buf[65536];
    while (ok) {
        ssize_t got = read(fd, buf, sizeof buf);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) ok = false;
        if (got <= 0) break;
        out.append(buf, static_cast<size_t>(got));
        ok = out.size() <= profile::max_file_size;
    }
    close(fd);
    return ok;
}

// Writes a file in dir under a temporary name and then renames it, so that
// nobody ever sees half of it.
bool write_file_atomic(const std::string& dir, const std::string& name, const std::string& data) {
    std::string full_dir = nvr_path(dir.c_str());
    std::string tmp = full_dir + "/.tqprofile.XXXXXX";
    int fd = mkostemp(tmp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    bool ok = done == data.size() && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && std::rename(tmp.c_str(), (full_dir + "/" + name).c_str()) == 0;
    if (!ok) unlink(tmp.c_str());
    return ok;
}

bool is_export_name(const std::string& name) {
    return name.size() > std::strlen(name_prefix) + std::strlen(name_suffix) &&
           name.find('/') == std::string::npos && name.rfind(name_prefix, 0) == 0 &&
           name.ends_with(name_suffix);
}

// An earlier export in dir that nobody downloaded is removed, so that
// repeated exports do not fill the memory-backed /tmp.
void remove_previous_export(const std::string& dir) {
    std::string previous;
    if (!read_file(EXPORT_PATH_FILE, previous)) return;
    size_t slash = previous.rfind('/');
    if (slash == std::string::npos || previous.substr(0, slash) != dir) return;
    if (!is_export_name(previous.substr(slash + 1))) return;
    struct stat st;
    std::string full = nvr_path(previous.c_str());
    if (lstat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode)) unlink(full.c_str());
}

// ---- the two commands ------------------------------------------------------------------

int export_to(std::string dir) {
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    if (dir.empty() || dir[0] != '/') return fail("the export directory must be an absolute path", dir);
    database db;
    if (!db) return fail("cannot open the database", db.error());
    std::vector<profile::entry> entries;
    if (!read_all(db, entries)) return fail("cannot read the database", db.error());

    time_t now = std::time(nullptr);
    struct tm tm_local;
    localtime_r(&now, &tm_local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d_%H%M%S", &tm_local);
    const std::string name = std::string(name_prefix) + stamp + name_suffix;
    const std::string path = (dir == "/" ? "" : dir) + "/" + name;

    remove_previous_export(dir == "/" ? "" : dir);
    if (!write_file_atomic(dir, name, profile::encode(entries)))
        return fail("cannot write the profile", path);
    if (!write_file_atomic(EXPORT_PATH_DIR, EXPORT_PATH_NAME, path)) {
        unlink(nvr_path(path.c_str()).c_str());
        return fail("cannot write " EXPORT_PATH_FILE);
    }
    return 0;
}

int import_from(const std::string& file) {
    std::string bytes;
    if (!read_file(file, bytes)) return fail("cannot read", file);
    std::vector<profile::entry> entries;
    if (std::string why = profile::decode(bytes, entries); !why.empty())
        return fail("refused", file + ": " + why);
    database db;
    if (!db) return fail("cannot open the database", db.error());
    if (!replace_all(db, entries)) return fail("cannot store the profile", db.error());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "-e") == 0) return export_to(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "-i") == 0) return import_from(argv[2]);
    std::fprintf(stderr, "usage: tqprofile -e DIR | -i FILE\n");
    return 2;
}
