// The configuration database engine on SQLite.
//
// Each database file has three tables whatever the number of record types:
//   params  (key TEXT, value TEXT)                      the parameters
//   records (store TEXT, key INTEGER, tkey TEXT, data)  fixed-size records
//   blobs   (store TEXT, key INTEGER, data)             per-owner lists
// so that a process pays for parsing a three-table schema on its first query,
// not for one table per record type. Text-keyed stores keep the text key in
// tkey and number their rows in key in insertion order.
//
// Connections are cached per file and process, with their statements prepared
// once; a CGI process opens a file, checks one header word and is ready.
// Writes run in BEGIN IMMEDIATE transactions with a busy timeout, over a WAL
// journal, so that the web processes and the daemon share the files without
// "database is locked" failures: a write either waits its turn or, past the
// timeout, fails. Readers never wait for a writer.
//
// Nearly every user is a process that lives for one request, so a write
// empties the log again as soon as it has committed (a truncating
// checkpoint that waits for nobody; when another process is reading, a later
// write does it). A process that finds no other connection open rebuilds the
// log's index from the whole log, and a log left behind by such processes is
// never reset: it grew with every write (12 MB after 3000 stores, reads
// three times slower). Measured against a rollback journal truncated at each
// commit: reads and stores cost the same, but with a rollback journal
// readers and writers wait for each other, and under many concurrent
// writers some calls ran past the busy timeout.
//
// PRAGMA user_version holds the fingerprint of the schema and, for the main
// database, of the catalogue. A file whose word differs (a new file, or a
// catalogue that gained tables) is brought up to date inside BEGIN IMMEDIATE
// after checking the word again, so processes that open a new file at once
// create the schema and the factory rows once.
//
// Only the main and plate databases are created on first access. Any other
// file (the factory account file in particular) must exist already: a read of
// a missing one fails instead of leaving an empty database behind.
#include "platform/tqdb/tqdb.h"

#include "platform/nvr_env.h"

#include <pthread.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// How long a call waits for other processes' transactions before it fails.
// Not divided by the time divisor: many short transactions of other
// processes take real time however a test scales its own waits.
constexpr int busy_timeout_default_ms = 10000;
// The log is also folded back into the file (without emptying it) once it
// holds this many pages, should the checkpoints after each write keep
// finding readers.
constexpr int wal_checkpoint_pages = 64;
// How long the checkpoint after setting a new file up waits for readers.
constexpr int setup_checkpoint_wait_ms = 1000;
// Schema word of files that get no factory rows; the main file's word is the
// catalogue fingerprint, which never equals it.
constexpr int schema_version = 1;

const char* const schema_sql =
    "CREATE TABLE IF NOT EXISTS params(key TEXT PRIMARY KEY, value TEXT NOT NULL) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS records(store TEXT NOT NULL, key INTEGER NOT NULL, tkey TEXT,"
    " data BLOB NOT NULL, PRIMARY KEY(store, key)) WITHOUT ROWID;"
    "CREATE UNIQUE INDEX IF NOT EXISTS records_tkey ON records(store, tkey) WHERE tkey IS NOT NULL;"
    "CREATE TABLE IF NOT EXISTS blobs(store TEXT NOT NULL, key INTEGER NOT NULL,"
    " data BLOB NOT NULL, PRIMARY KEY(store, key)) WITHOUT ROWID;";

enum stmt_id {
    s_begin,
    s_commit,
    s_rollback,
    s_param_get,
    s_param_set,
    s_param_add,
    s_rec_get,
    s_rec_get_text,
    s_rec_put,
    s_rec_seed,
    s_rec_update_text,
    s_rec_insert_text,
    s_rec_del,
    s_rec_del_text,
    s_rec_all,
    s_rec_count,
    s_rec_channels,
    s_blob_get,
    s_blob_put,
    s_blob_del,
    s_count
};

const char* const stmt_sql[s_count] = {
    "BEGIN IMMEDIATE",
    "COMMIT",
    "ROLLBACK",
    "SELECT value FROM params WHERE key = ?1",
    "INSERT INTO params(key, value) VALUES(?1, ?2)"
    " ON CONFLICT(key) DO UPDATE SET value = excluded.value",
    "INSERT OR IGNORE INTO params(key, value) VALUES(?1, ?2)",
    "SELECT data FROM records WHERE store = ?1 AND key = ?2",
    "SELECT data FROM records WHERE store = ?1 AND tkey = ?2",
    "INSERT INTO records(store, key, data) VALUES(?1, ?2, ?3)"
    " ON CONFLICT(store, key) DO UPDATE SET data = excluded.data",
    "INSERT OR IGNORE INTO records(store, key, tkey, data) VALUES(?1, ?2, ?3, ?4)",
    "UPDATE records SET data = ?3 WHERE store = ?1 AND tkey = ?2",
    "INSERT INTO records(store, key, tkey, data) VALUES(?1,"
    " (SELECT coalesce(max(key) + 1, 0) FROM records WHERE store = ?1), ?2, ?3)",
    "DELETE FROM records WHERE store = ?1 AND key = ?2",
    "DELETE FROM records WHERE store = ?1 AND tkey = ?2",
    "SELECT data FROM records WHERE store = ?1 ORDER BY key LIMIT ?2",
    "SELECT count(*) FROM records WHERE store = ?1",
    "SELECT key, data FROM records WHERE store = ?1 AND key BETWEEN 0 AND 63",
    "SELECT data FROM blobs WHERE store = ?1 AND key = ?2",
    "INSERT INTO blobs(store, key, data) VALUES(?1, ?2, ?3)"
    " ON CONFLICT(store, key) DO UPDATE SET data = excluded.data",
    "DELETE FROM blobs WHERE store = ?1 AND key = ?2",
};

struct connection {
    std::string file;  // full path, root prefix included
    sqlite3* db = nullptr;
    sqlite3_stmt* stmts[s_count] = {};

    ~connection() {
        for (sqlite3_stmt* s : stmts) sqlite3_finalize(s);
        sqlite3_close_v2(db);
    }
};

// One lock serialises every call of the process: the web program's socket
// thread reads records from its reply callbacks while the main thread may be
// in a call, and connections and statements are shared. It is recursive so
// that calls made inside tqdb_transaction take it again, and a plain pthread
// mutex so that a forked child can re-initialise it (the lock taken before
// fork belongs to a thread that does not exist in the child).
pthread_mutex_t g_mutex = PTHREAD_RECURSIVE_MUTEX_INITIALIZER_NP;
std::vector<std::unique_ptr<connection>>* g_conns = nullptr;

struct db_lock {
    db_lock() { pthread_mutex_lock(&g_mutex); }
    ~db_lock() { pthread_mutex_unlock(&g_mutex); }
    db_lock(const db_lock&) = delete;
    db_lock& operator=(const db_lock&) = delete;
};

// A forked child must not use its parent's connections: it forgets them
// (without closing, which would touch the parent's locks) and opens its own.
// The lock is held across fork so no call is half done in the child.
void atfork_prepare() { pthread_mutex_lock(&g_mutex); }
void atfork_parent() { pthread_mutex_unlock(&g_mutex); }
void atfork_child() {
    g_conns = nullptr;  // leaked on purpose
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&g_mutex, &attr);
    pthread_mutexattr_destroy(&attr);
}

std::vector<std::unique_ptr<connection>>& conns() {
    if (!g_conns) {
        static bool registered = false;
        if (!registered) {
            pthread_atfork(atfork_prepare, atfork_parent, atfork_child);
            registered = true;
        }
        g_conns = new std::vector<std::unique_ptr<connection>>();
    }
    return *g_conns;
}

// ---- catalogue fingerprint ------------------------------------------------

uint32_t fnv(uint32_t h, const void* data, size_t len) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < len; ++i) h = (h ^ p[i]) * 16777619u;
    return h;
}
uint32_t fnv_str(uint32_t h, const char* s) { return fnv(h, s, std::strlen(s) + 1); }

int catalogue_fingerprint() {
    static const int value = [] {
        uint32_t h = 2166136261u;
        for (int i = 0; i < tqdb_table_count; ++i) {
            const tqdb_table& t = *tqdb_tables[i];
            h = fnv_str(h, t.name);
            uint32_t words[] = {t.rec_size, static_cast<uint32_t>(t.key_kind), t.key_off,
                                t.key_len, static_cast<uint32_t>(t.factory_rows)};
            h = fnv(h, words, sizeof words);
        }
        for (int i = 0; i < tqdb_param_default_count; ++i) {
            h = fnv_str(h, tqdb_param_defaults[i].key);
            h = fnv_str(h, tqdb_param_defaults[i].value);
        }
        // Positive and never the plain schema word.
        return static_cast<int>((h & 0x3fffffffu) | 0x40000000u);
    }();
    return value;
}

// ---- statements -------------------------------------------------------------

// A prepared statement in use: bound, stepped, and reset on scope exit.
class stmt {
public:
    stmt(connection* c, stmt_id id) {
        if (!c) return;
        sqlite3_stmt*& slot = c->stmts[id];
        if (!slot &&
            sqlite3_prepare_v3(c->db, stmt_sql[id], -1, SQLITE_PREPARE_PERSISTENT, &slot, nullptr) !=
                SQLITE_OK) {
            sqlite3_finalize(slot);
            slot = nullptr;
        }
        s_ = slot;
    }
    ~stmt() {
        if (s_) {
            sqlite3_reset(s_);
            sqlite3_clear_bindings(s_);
        }
    }
    stmt(const stmt&) = delete;
    stmt& operator=(const stmt&) = delete;

    explicit operator bool() const { return s_ != nullptr; }
    stmt& text(int i, const char* v) {
        if (s_) sqlite3_bind_text(s_, i, v, -1, SQLITE_STATIC);
        return *this;
    }
    stmt& text(int i, const char* v, int len) {
        if (s_) sqlite3_bind_text(s_, i, v, len, SQLITE_STATIC);
        return *this;
    }
    stmt& i64(int i, int64_t v) {
        if (s_) sqlite3_bind_int64(s_, i, v);
        return *this;
    }
    stmt& blob(int i, const void* v, size_t len) {
        if (s_) sqlite3_bind_blob64(s_, i, v, len, SQLITE_STATIC);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error.
    int step() { return s_ ? sqlite3_step(s_) : SQLITE_ERROR; }
    // Runs a statement that returns no rows.
    bool run() { return step() == SQLITE_DONE; }

    const void* col_blob(int i, size_t* len) {
        const void* p = sqlite3_column_blob(s_, i);
        *len = static_cast<size_t>(sqlite3_column_bytes(s_, i));
        return p;
    }
    const char* col_text(int i) {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s_, i));
        return p ? p : "";
    }
    int64_t col_i64(int i) { return sqlite3_column_int64(s_, i); }

private:
    sqlite3_stmt* s_ = nullptr;
};

// Folds the log back into the file and empties it, waiting for nobody: a
// process that reads meanwhile leaves it to a later write.
void empty_log(connection* c) {
    sqlite3_busy_timeout(c->db, 0);
    sqlite3_wal_checkpoint_v2(c->db, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
    sqlite3_busy_timeout(c->db, tqdb_busy_timeout_ms());
}

// A write transaction: BEGIN IMMEDIATE, rolled back unless committed. Inside
// a transaction already open on the connection (tqdb_transaction) it joins it:
// the outer transaction commits or rolls back.
class write_txn {
public:
    explicit write_txn(connection* c) : c_(c) {
        if (c && !sqlite3_get_autocommit(c->db))
            ok_ = joined_ = true;
        else
            ok_ = c && stmt(c, s_begin).run();
    }
    ~write_txn() {
        if (ok_ && !done_ && !joined_) stmt(c_, s_rollback).run();
    }
    write_txn(const write_txn&) = delete;
    write_txn& operator=(const write_txn&) = delete;
    explicit operator bool() const { return ok_; }
    // 0 when committed. empty: fold the log back and empty it afterwards.
    int commit(bool empty = true) {
        if (!ok_ || done_) return -1;
        if (joined_) return 0;
        done_ = stmt(c_, s_commit).run();
        if (!done_) return -1;
        if (empty) empty_log(c_);
        return 0;
    }

private:
    connection* c_;
    bool ok_ = false;
    bool joined_ = false;
    bool done_ = false;
};

bool exec(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

int user_version(sqlite3* db, int* out) {
    sqlite3_stmt* s = nullptr;
    int rc = sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &s, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) *out = sqlite3_column_int(s, 0);
    sqlite3_finalize(s);
    return rc == SQLITE_ROW ? 0 : -1;
}

// ---- files ------------------------------------------------------------------

enum class file_kind { main, plain, existing_only };

file_kind kind_of(const char* device_path) {
    if (std::strcmp(device_path, TQDB_FILE) == 0) return file_kind::main;
    if (std::strcmp(device_path, TQDB_ANPR_FILE) == 0) return file_kind::plain;
    return file_kind::existing_only;
}

int fill_factory(connection* c) {
    for (int i = 0; i < tqdb_param_default_count; ++i) {
        if (!stmt(c, s_param_add).text(1, tqdb_param_defaults[i].key).text(2, tqdb_param_defaults[i].value).run())
            return -1;
    }
    std::vector<unsigned char> rec;
    for (int i = 0; i < tqdb_table_count; ++i) {
        const tqdb_table& t = *tqdb_tables[i];
        for (int key = 0; key < t.factory_rows; ++key) {
            rec.assign(t.rec_size, 0);
            if (t.key_kind == tqdb_key_kind::int_at && t.key_off + 4 <= t.rec_size) {
                int32_t k = key;
                std::memcpy(rec.data() + t.key_off, &k, 4);
            }
            if (t.factory_row) t.factory_row(rec.data(), key);
            stmt s(c, s_rec_seed);
            s.text(1, t.name).i64(2, t.key_kind == tqdb_key_kind::single ? 0 : key);
            if (t.key_kind == tqdb_key_kind::text_at) {
                const char* text = reinterpret_cast<const char*>(rec.data() + t.key_off);
                s.text(3, text, static_cast<int>(strnlen(text, t.key_len)));
            }
            if (!s.blob(4, rec.data(), rec.size()).run()) return -1;
        }
    }
    return 0;
}

// Brings the file's schema (and, for the main file, its factory rows) up to
// the word `want`.
int ensure_schema(connection* c, bool seed) {
    const int want = seed ? catalogue_fingerprint() : schema_version;
    int have = 0;
    if (user_version(c->db, &have) != 0) return -1;
    if (have == want) return 0;

    // WAL mode is kept in the file; switching needs a moment alone with it.
    for (int tries = 0; tries < 100; ++tries) {
        if (exec(c->db, "PRAGMA journal_mode=WAL")) break;
        usleep(10000);
    }
    write_txn txn(c);
    if (!txn) return -1;
    if (user_version(c->db, &have) != 0) return -1;
    // Not the checkpoint that waits for nobody while the file is being set
    // up: other processes may be opening it this moment.
    if (have == want) return txn.commit(false);
    if (!exec(c->db, schema_sql)) return -1;
    if (seed && fill_factory(c) != 0) return -1;
    char sql[48];
    std::snprintf(sql, sizeof sql, "PRAGMA user_version=%d", want);
    if (!exec(c->db, sql)) return -1;
    if (txn.commit(false) != 0) return -1;
    // Start with an empty log, waiting for the others as any write does:
    // a file set up with its factory rows leaves a large log, whose room
    // later writes would reuse however full the disk is. The wait is short:
    // the checkpoint holds the write lock meanwhile, and processes busy with
    // the new file would otherwise queue behind it; a later write empties
    // the log when this one could not.
    sqlite3_busy_timeout(c->db, std::min(setup_checkpoint_wait_ms, tqdb_busy_timeout_ms()));
    sqlite3_wal_checkpoint_v2(c->db, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
    sqlite3_busy_timeout(c->db, tqdb_busy_timeout_ms());
    return 0;
}

std::unique_ptr<connection> open_file(const char* device_path, const std::string& file, bool force_create) {
    file_kind kind = kind_of(device_path);
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
    if (force_create || kind != file_kind::existing_only) flags |= SQLITE_OPEN_CREATE;
    auto c = std::make_unique<connection>();
    c->file = file;
    if (sqlite3_open_v2(file.c_str(), &c->db, flags, nullptr) != SQLITE_OK) return nullptr;
    sqlite3_busy_timeout(c->db, tqdb_busy_timeout_ms());
    sqlite3_wal_autocheckpoint(c->db, wal_checkpoint_pages);
    // The test switch of a database that refuses every change: SQLite itself
    // then fails each write as it would on a read-only file.
    const char* refuse = std::getenv("NVR_DB_REFUSE_WRITES");
    if (refuse && *refuse && std::strcmp(refuse, "0") != 0 && !exec(c->db, "PRAGMA query_only=1"))
        return nullptr;
    // A file that must exist is used as it is: never given a schema here.
    if (kind == file_kind::existing_only && !force_create) return c;
    if (ensure_schema(c.get(), kind == file_kind::main) != 0) return nullptr;
    return c;
}

// The cached connection of a device path, opened on first use. Call with
// the database lock held.
connection* open_db(const char* device_path, bool force_create = false) {
    if (!device_path || device_path[0] != '/') return nullptr;
    char file[PATH_MAX];
    if (nvr_path_buf(file, sizeof file, device_path) < 0) return nullptr;
    auto& list = conns();
    for (auto& c : list)
        if (c->file == file) return c.get();
    std::unique_ptr<connection> c = open_file(device_path, file, force_create);
    if (!c) return nullptr;
    list.push_back(std::move(c));
    return list.back().get();
}

// ---- record helpers ----------------------------------------------------------

int32_t int_key(const tqdb_table& t, const void* rec) {
    if (t.key_kind != tqdb_key_kind::int_at) return 0;
    int32_t k;
    std::memcpy(&k, static_cast<const unsigned char*>(rec) + t.key_off, 4);
    return k;
}

// The text key of a record and its length (0 when empty).
const char* text_key(const tqdb_table& t, const void* rec, int* len) {
    const char* p = static_cast<const char*>(rec) + t.key_off;
    *len = static_cast<int>(strnlen(p, t.key_len));
    return p;
}

bool table_ok(const tqdb_table& t) {
    if (!t.name || t.rec_size == 0) return false;
    if (t.key_kind == tqdb_key_kind::int_at) return t.key_off + 4 <= t.rec_size;
    if (t.key_kind == tqdb_key_kind::text_at) return t.key_len > 0 && t.key_off + t.key_len <= t.rec_size;
    return true;
}

// Copies a stored record into rec; bytes the stored row lacks (a record that
// grew since it was written) read as zero.
void copy_out(const tqdb_table& t, void* rec, const void* data, size_t len) {
    size_t n = len < t.rec_size ? len : t.rec_size;
    if (n) std::memcpy(rec, data, n);
    if (n < t.rec_size) std::memset(static_cast<unsigned char*>(rec) + n, 0, t.rec_size - n);
}

int read_one(stmt& s, const tqdb_table& t, void* rec) {
    if (s.step() != SQLITE_ROW) return -1;
    size_t len = 0;
    const void* data = s.col_blob(0, &len);
    copy_out(t, rec, data, len);
    return 0;
}

// Writes one record inside an open transaction.
int put_record(connection* c, const tqdb_table& t, const void* rec) {
    if (t.key_kind == tqdb_key_kind::text_at) {
        int len = 0;
        const char* key = text_key(t, rec, &len);
        if (len == 0) return -1;
        if (!stmt(c, s_rec_update_text).text(1, t.name).text(2, key, len).blob(3, rec, t.rec_size).run())
            return -1;
        if (sqlite3_changes(c->db) > 0) return 0;
        return stmt(c, s_rec_insert_text).text(1, t.name).text(2, key, len).blob(3, rec, t.rec_size).run() ? 0 : -1;
    }
    return stmt(c, s_rec_put).text(1, t.name).i64(2, int_key(t, rec)).blob(3, rec, t.rec_size).run() ? 0 : -1;
}

}  // namespace

// ---- parameters ---------------------------------------------------------------

namespace {
// Looks the key up; calls fn(text) when found. 0 when found.
template <typename Fn>
int param_lookup(const char* path, const char* key, Fn fn) {
    if (!key) return -1;
    db_lock lk;
    connection* c = open_db(path);
    stmt s(c, s_param_get);
    if (!s || s.text(1, key).step() != SQLITE_ROW) return -1;
    fn(s.col_text(0));
    return 0;
}

int param_store(const char* path, const char* key, const char* value, stmt_id id) {
    if (!key || !value) return -1;
    db_lock lk;
    connection* c = open_db(path);
    write_txn txn(c);
    if (!txn) return -1;
    if (!stmt(c, id).text(1, key).text(2, value).run()) return -1;
    if (id == s_param_add && sqlite3_changes(c->db) == 0) return -1;  // already there
    return txn.commit();
}
}  // namespace

int get_param_int(const char* path, const char* key, int def) {
    int value = def;
    param_lookup(path, key, [&](const char* text) {
        errno = 0;
        char* end = nullptr;
        // 64-bit on every target: with a 32-bit long, an out-of-range
        // negative text would come back as LONG_MIN with ERANGE.
        long long v = std::strtoll(text, &end, 10);
        if (end == text) return;  // not a number: the default
        if (v > INT_MAX) v = INT_MAX;
        if (v < INT_MIN) v = INT_MIN;
        value = static_cast<int>(v);
    });
    return value;
}

int get_param_value(const char* path, const char* key, char* buf, int size, const char* def) {
    if (!buf || size <= 0) return -1;
    int rc = param_lookup(path, key, [&](const char* text) { std::snprintf(buf, size, "%s", text); });
    if (rc != 0) std::snprintf(buf, size, "%s", def ? def : "");
    return rc;
}

int set_param_int(const char* path, const char* key, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    return param_store(path, key, text, s_param_set);
}

int set_param_value(const char* path, const char* key, const char* value) {
    return param_store(path, key, value, s_param_set);
}

int check_param_key(const char* path, const char* key) {
    return param_lookup(path, key, [](const char*) {}) == 0 ? 0 : 1;
}

int add_param_value(const char* path, const char* key, const char* value) {
    return param_store(path, key, value, s_param_add);
}

// ---- records ------------------------------------------------------------------

int tqdb_read(const char* path, const tqdb_table& t, void* rec, int64_t key) {
    if (!rec || !table_ok(t)) return -1;
    if (t.key_kind == tqdb_key_kind::single) key = 0;
    db_lock lk;
    stmt s(open_db(path), s_rec_get);
    if (!s) return -1;
    s.text(1, t.name).i64(2, key);
    return read_one(s, t, rec);
}

namespace {
// Zeros with the key field set: the record of a key that has no row.
void blank_record(const tqdb_table& t, void* rec, int64_t key) {
    std::memset(rec, 0, t.rec_size);
    if (t.key_kind == tqdb_key_kind::int_at) {
        int32_t k = static_cast<int32_t>(key);
        std::memcpy(static_cast<unsigned char*>(rec) + t.key_off, &k, sizeof k);
    }
}

// tqdb_load on an open connection.
int load_record(connection* c, const tqdb_table& t, void* rec, int64_t key) {
    blank_record(t, rec, key);
    stmt s(c, s_rec_get);
    if (!s) return -1;
    int rc = s.text(1, t.name).i64(2, key).step();
    if (rc == SQLITE_DONE) return 1;
    if (rc != SQLITE_ROW) return -1;
    size_t len = 0;
    const void* data = s.col_blob(0, &len);
    copy_out(t, rec, data, len);
    // The key field names the row asked for, whatever the stored bytes say.
    if (t.key_kind == tqdb_key_kind::int_at) {
        int32_t k = static_cast<int32_t>(key);
        std::memcpy(static_cast<unsigned char*>(rec) + t.key_off, &k, sizeof k);
    }
    return 0;
}
}  // namespace

int tqdb_load(const char* path, const tqdb_table& t, void* rec, int64_t key) {
    if (!rec || !table_ok(t) || t.key_kind == tqdb_key_kind::text_at) return -1;
    if (t.key_kind == tqdb_key_kind::single) key = 0;
    db_lock lk;
    connection* c = open_db(path);
    if (!c) {
        blank_record(t, rec, key);
        return -1;
    }
    return load_record(c, t, rec, key);
}

int tqdb_edit(const char* path, const tqdb_table& t, int64_t key,
              int (*change)(void* ctx, void* rec, int stored), void* ctx) {
    if (!change || !table_ok(t) || t.key_kind == tqdb_key_kind::text_at) return -1;
    if (t.key_kind == tqdb_key_kind::single) key = 0;
    db_lock lk;
    connection* c = open_db(path);
    write_txn txn(c);
    if (!txn) return -1;
    std::vector<unsigned char> rec(t.rec_size);
    int loaded = load_record(c, t, rec.data(), key);
    if (loaded < 0) return -1;
    int rc = change(ctx, rec.data(), loaded == 0);
    if (rc != 0) return rc;
    if (t.key_kind == tqdb_key_kind::int_at) {
        int32_t k = static_cast<int32_t>(key);
        std::memcpy(rec.data() + t.key_off, &k, sizeof k);
    }
    if (put_record(c, t, rec.data()) != 0) return -1;
    return txn.commit();
}

int tqdb_read_text(const char* path, const tqdb_table& t, void* rec, const char* key) {
    if (!rec || !key || !*key || !table_ok(t) || t.key_kind != tqdb_key_kind::text_at) return -1;
    db_lock lk;
    stmt s(open_db(path), s_rec_get_text);
    if (!s) return -1;
    s.text(1, t.name).text(2, key, static_cast<int>(strnlen(key, t.key_len)));
    return read_one(s, t, rec);
}

int tqdb_write(const char* path, const tqdb_table& t, const void* rec) {
    if (!rec || !table_ok(t)) return -1;
    db_lock lk;
    connection* c = open_db(path);
    write_txn txn(c);
    if (!txn || put_record(c, t, rec) != 0) return -1;
    return txn.commit();
}

namespace {
int delete_row(const char* path, const tqdb_table& t, stmt_id id, int64_t key, const char* text) {
    db_lock lk;
    connection* c = open_db(path);
    write_txn txn(c);
    if (!txn) return -1;
    stmt s(c, id);
    s.text(1, t.name);
    if (text)
        s.text(2, text, static_cast<int>(strnlen(text, t.key_len)));
    else
        s.i64(2, key);
    if (!s.run() || sqlite3_changes(c->db) == 0) return -1;  // no such row
    return txn.commit();
}
}  // namespace

int tqdb_delete(const char* path, const tqdb_table& t, int64_t key) {
    if (!table_ok(t)) return -1;
    return delete_row(path, t, s_rec_del, t.key_kind == tqdb_key_kind::single ? 0 : key, nullptr);
}

int tqdb_delete_text(const char* path, const tqdb_table& t, const char* key) {
    if (!key || !*key || !table_ok(t) || t.key_kind != tqdb_key_kind::text_at) return -1;
    return delete_row(path, t, s_rec_del_text, 0, key);
}

int tqdb_read_all(const char* path, const tqdb_table& t, void* arr, int capacity, int* count) {
    if (!arr || capacity < 0 || !table_ok(t)) return -1;
    db_lock lk;
    stmt s(open_db(path), s_rec_all);
    if (!s) return -1;
    s.text(1, t.name).i64(2, capacity);
    int n = 0;
    int rc;
    auto* out = static_cast<unsigned char*>(arr);
    while ((rc = s.step()) == SQLITE_ROW) {
        size_t len = 0;
        const void* data = s.col_blob(0, &len);
        copy_out(t, out + static_cast<size_t>(n) * t.rec_size, data, len);
        ++n;
    }
    if (count) *count = n;
    return rc == SQLITE_DONE ? 0 : -1;
}

int tqdb_write_all(const char* path, const tqdb_table& t, const void* arr, int count) {
    if (!arr || count < 0 || !table_ok(t)) return -1;
    db_lock lk;
    connection* c = open_db(path);
    write_txn txn(c);
    if (!txn) return -1;
    const auto* in = static_cast<const unsigned char*>(arr);
    for (int i = 0; i < count; ++i)
        if (put_record(c, t, in + static_cast<size_t>(i) * t.rec_size) != 0) return -1;
    return txn.commit();
}

int tqdb_write_masked(const char* path, const tqdb_table& t, const void* arr, int capacity,
                      uint64_t mask) {
    if (!arr || capacity < 0 || !table_ok(t)) return -1;
    db_lock lk;
    connection* c = open_db(path);
    write_txn txn(c);
    if (!txn) return -1;
    const auto* in = static_cast<const unsigned char*>(arr);
    for (int i = 0; i < capacity && i < 64; ++i) {
        if (!(mask >> i & 1)) continue;
        if (put_record(c, t, in + static_cast<size_t>(i) * t.rec_size) != 0) return -1;
    }
    return txn.commit();
}

int tqdb_copy(const char* path, const tqdb_table& t, const void* src, uint64_t mask) {
    if (!src || !table_ok(t) || t.key_kind != tqdb_key_kind::int_at) return -1;
    std::vector<unsigned char> rec(static_cast<const unsigned char*>(src),
                                   static_cast<const unsigned char*>(src) + t.rec_size);
    db_lock lk;
    connection* c = open_db(path);
    write_txn txn(c);
    if (!txn) return -1;
    for (int32_t chn = 0; chn < 64; ++chn) {
        if (!(mask >> chn & 1)) continue;
        std::memcpy(rec.data() + t.key_off, &chn, 4);
        if (put_record(c, t, rec.data()) != 0) return -1;
    }
    return txn.commit();
}

int tqdb_update_field(const char* path, const tqdb_table& t, int64_t key, uint32_t offset,
                      const void* data, uint32_t len) {
    if (!data || !table_ok(t) || t.key_kind == tqdb_key_kind::text_at || offset > t.rec_size ||
        len > t.rec_size - offset)
        return -1;
    if (t.key_kind == tqdb_key_kind::single) key = 0;
    db_lock lk;
    connection* c = open_db(path);
    write_txn txn(c);
    if (!txn) return -1;
    std::vector<unsigned char> rec(t.rec_size, 0);
    {
        stmt s(c, s_rec_get);
        s.text(1, t.name).i64(2, key);
        if (read_one(s, t, rec.data()) != 0) return -1;
    }
    std::memcpy(rec.data() + offset, data, len);
    if (put_record(c, t, rec.data()) != 0) return -1;
    return txn.commit();
}

int tqdb_count(const char* path, const tqdb_table& t) {
    if (!table_ok(t)) return -1;
    db_lock lk;
    stmt s(open_db(path), s_rec_count);
    if (!s || s.text(1, t.name).step() != SQLITE_ROW) return -1;
    return static_cast<int>(s.col_i64(0));
}

int copy_table_column_int(const char* path, const char* table, const char* column, int value,
                          uint64_t mask, const char* key_column) {
    const tqdb_table* t = tqdb_find_table(table);
    if (!t || !column || !key_column || !table_ok(*t) || t->key_kind != tqdb_key_kind::int_at)
        return -1;
    const tqdb_column* col = nullptr;
    const tqdb_column* key_col = nullptr;
    for (uint32_t i = 0; i < t->column_count; ++i) {
        if (std::strcmp(t->columns[i].name, column) == 0) col = &t->columns[i];
        if (std::strcmp(t->columns[i].name, key_column) == 0) key_col = &t->columns[i];
    }
    // Rows are selected by their key, so the key column must be the key field,
    // and the key itself is not a column to overwrite.
    if (!col || !key_col || key_col->offset != t->key_off || col->offset == t->key_off ||
        col->offset + 4 > t->rec_size)
        return -1;

    db_lock lk;
    connection* c = open_db(path);
    write_txn txn(c);
    if (!txn) return -1;
    std::vector<std::vector<unsigned char>> rows;
    {
        stmt s(c, s_rec_channels);
        s.text(1, t->name);
        int rc;
        while ((rc = s.step()) == SQLITE_ROW) {
            int64_t key = s.col_i64(0);
            if (!(mask >> key & 1)) continue;
            size_t len = 0;
            const auto* data = static_cast<const unsigned char*>(s.col_blob(1, &len));
            std::vector<unsigned char> rec(t->rec_size, 0);
            std::memcpy(rec.data(), data, len < t->rec_size ? len : t->rec_size);
            int32_t v = value;
            std::memcpy(rec.data() + col->offset, &v, 4);
            rows.push_back(std::move(rec));
        }
        if (rc != SQLITE_DONE) return -1;
    }
    for (const auto& rec : rows)
        if (put_record(c, *t, rec.data()) != 0) return -1;
    return txn.commit();
}

// ---- blobs --------------------------------------------------------------------

int tqdb_blob_read(const char* path, const char* store, int64_t key, void* buf, size_t size,
                   size_t* len_out) {
    if (len_out) *len_out = 0;
    if (!store || (!buf && size)) return -1;
    db_lock lk;
    stmt s(open_db(path), s_blob_get);
    if (!s || s.text(1, store).i64(2, key).step() != SQLITE_ROW) return -1;
    size_t len = 0;
    const void* data = s.col_blob(0, &len);
    if (len) std::memcpy(buf, data, len < size ? len : size);
    if (len_out) *len_out = len;
    return 0;
}

int tqdb_blob_write(const char* path, const char* store, int64_t key, const void* buf, size_t size) {
    if (!store || (!buf && size)) return -1;
    static const unsigned char empty = 0;
    db_lock lk;
    connection* c = open_db(path);
    write_txn txn(c);
    if (!txn) return -1;
    if (!stmt(c, s_blob_put).text(1, store).i64(2, key).blob(3, size ? buf : &empty, size).run())
        return -1;
    return txn.commit();
}

int tqdb_blob_delete(const char* path, const char* store, int64_t key) {
    if (!store) return -1;
    db_lock lk;
    connection* c = open_db(path);
    write_txn txn(c);
    if (!txn) return -1;
    if (!stmt(c, s_blob_del).text(1, store).i64(2, key).run() || sqlite3_changes(c->db) == 0) return -1;
    return txn.commit();
}

int tqdb_blob_edit(const char* path, const char* store, int64_t key, size_t cap,
                   int (*edit)(void* ctx, void* buf, size_t* len), void* ctx) {
    if (!store || !edit) return -1;
    db_lock lk;
    connection* c = open_db(path);
    write_txn txn(c);
    if (!txn) return -1;
    std::vector<unsigned char> buf(cap, 0);
    size_t len = 0;
    {
        stmt s(c, s_blob_get);
        int rc = s.text(1, store).i64(2, key).step();
        if (rc == SQLITE_ROW) {
            size_t stored = 0;
            const void* data = s.col_blob(0, &stored);
            len = stored < cap ? stored : cap;
            if (len) std::memcpy(buf.data(), data, len);
        } else if (rc != SQLITE_DONE) {
            return -1;
        }
    }
    int rc = edit(ctx, buf.data(), &len);
    if (rc != 0) return rc;
    if (len > cap) return -1;
    static const unsigned char empty = 0;
    if (!stmt(c, s_blob_put).text(1, store).i64(2, key).blob(3, len ? buf.data() : &empty, len).run())
        return -1;
    return txn.commit();
}

int tqdb_transaction(const char* path, int (*fn)(void* ctx), void* ctx) {
    if (!fn) return -1;
    db_lock lk;
    connection* c = open_db(path);
    write_txn txn(c);
    if (!txn) return -1;
    int rc = fn(ctx);
    if (rc != 0) return rc;
    return txn.commit();
}

// ---- files --------------------------------------------------------------------

int tqdb_busy_timeout_ms() {
    const char* text = std::getenv("NVR_DB_BUSY_MS");
    long value = text && *text ? std::strtol(text, nullptr, 10) : 0;
    return value > 0 && value <= busy_timeout_default_ms ? static_cast<int>(value) : busy_timeout_default_ms;
}

void tqdb_close_all() {
    db_lock lk;
    if (g_conns) g_conns->clear();
}

int tqdb_create(const char* path) {
    db_lock lk;
    if (!path) return -1;
    char file[PATH_MAX];
    if (nvr_path_buf(file, sizeof file, path) < 0) return -1;
    // A cached connection to a file that must exist was opened without the
    // schema; drop it so the file is set up now.
    auto& list = conns();
    for (auto it = list.begin(); it != list.end(); ++it) {
        if ((*it)->file == file) {
            list.erase(it);
            break;
        }
    }
    std::unique_ptr<connection> c = open_file(path, file, true);
    if (!c) return -1;
    list.push_back(std::move(c));
    return 0;
}
