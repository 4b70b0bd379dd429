// The configuration database library.
//
// Every call takes the database path first ("/mnt/nand/app/tqdb.db" and so
// on, the device's own path; the library puts the root prefix in front).
// Results: 0 success, non-zero failure. A read that finds no row returns
// non-zero and leaves the caller's buffer untouched.
//
// Storage: one SQLite file per database path with a small fixed schema (a
// key/value table for the parameters, one table of records keyed by
// (store name, key) holding each record as its fixed bytes, one table of
// per-owner lists). The main and plate databases are created on first access
// in a directory that exists (the main one with the factory parameters and
// rows of tables.cpp); every other file, the factory account file included,
// must exist already: calls on a missing one fail and create nothing
// (tqdb_create makes one on purpose). A missing directory fails the call.
//
// Several processes may use a file at once; calls never fail because another
// process holds the file for a moment: they wait up to tqdb_busy_timeout_ms()
// (10 s). A file held longer, a full disk, or a file that cannot be written
// fails the call: a write that returns 0 is stored, one that does not has
// changed nothing. Within a process the calls are thread-safe.
//
// Two switches that only tests set in a process's environment:
// NVR_DB_REFUSE_WRITES=1 makes its writes fail as on a read-only file while
// its reads work (a file without its schema cannot be opened then), and
// NVR_DB_BUSY_MS shortens the busy timeout (milliseconds, at most 10000).
//
// Typed calls (read_camera, write_camera, read_cameras, ...) are thin
// functions over the generic engine below, produced from the table
// descriptors in tables.cpp with the TQDB_* macros at the end of this file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#define TQDB_FILE "/mnt/nand/app/tqdb.db"
#define TQDB_ANPR_FILE "/mnt/nand/app/anpr.db"
#define TQDB_OEM_FILE "/mnt/nand2/oem.db"

// ---- parameters ---------------------------------------------------------

// Values are stored as text. The stored number (leading decimal digits of
// the text, clamped to int), or def when the key is missing or its text does
// not start with a number.
int get_param_int(const char* path, const char* key, int def);
// Copies the stored text (or def) into buf, cut to size - 1 and terminated.
// 0 when the key was found, non-zero when def was used.
int get_param_value(const char* path, const char* key, char* buf, int size, const char* def);
// Store under the key (created when missing).
int set_param_int(const char* path, const char* key, int value);
int set_param_value(const char* path, const char* key, const char* value);
// Non-zero when the key is missing.
int check_param_key(const char* path, const char* key);
// Creates the key; non-zero (the stored value kept) when it exists.
int add_param_value(const char* path, const char* key, const char* value);

// ---- table descriptors --------------------------------------------------

enum class tqdb_key_kind : uint8_t {
    single,  // one row only, no key
    int_at,  // 32-bit integer key at key_off in the record
    text_at, // NUL-terminated text key at key_off, key_len bytes wide
};

// An integer column that copy_table_column_int may address by name.
struct tqdb_column {
    const char* name;
    uint32_t offset;
};

struct tqdb_table {
    const char* name;         // store name, unique in the database
    uint32_t rec_size;        // bytes of one record
    tqdb_key_kind key_kind;
    uint32_t key_off;         // offset of the key field
    uint32_t key_len;         // width of a text key
    int32_t factory_rows;     // rows created with the schema (keys 0..n-1), 0 for none
    const tqdb_column* columns;
    uint32_t column_count;
    // Fills the factory record of key (already zero-filled, key field set).
    void (*factory_row)(void* rec, int key);
};

// ---- generic engine -----------------------------------------------------

int tqdb_read(const char* path, const tqdb_table& t, void* rec, int64_t key);
int tqdb_read_text(const char* path, const tqdb_table& t, void* rec, const char* key);
// Writes the row named by the record's own key field.
int tqdb_write(const char* path, const tqdb_table& t, const void* rec);
int tqdb_delete(const char* path, const tqdb_table& t, int64_t key);
// Reads up to capacity rows in key order into arr; *count gets the number read.
int tqdb_read_all(const char* path, const tqdb_table& t, void* arr, int capacity, int* count);
// Writes count rows (each named by its own key field) in one transaction.
int tqdb_write_all(const char* path, const tqdb_table& t, const void* arr, int count);
// Writes arr[i] (each named by its own key field) for every i < capacity whose
// bit is set in mask, in one transaction.
int tqdb_write_masked(const char* path, const tqdb_table& t, const void* arr, int capacity,
                      uint64_t mask);
// Copies src to every channel whose bit is set in mask (bit 0 = channel 0),
// each copy keeping its own channel as key.
int tqdb_copy(const char* path, const tqdb_table& t, const void* src, uint64_t mask);
int tqdb_delete_text(const char* path, const tqdb_table& t, const char* key);
// Overwrites len bytes at offset of the row of key, the rest of the row as
// stored, in one transaction. Non-zero when the row is missing.
int tqdb_update_field(const char* path, const tqdb_table& t, int64_t key, uint32_t offset,
                      const void* data, uint32_t len);
// Number of rows stored.
int tqdb_count(const char* path, const tqdb_table& t);

// Blobs of any size keyed by (store, int key): for lists stored per owner
// (PTZ actions of an event, white-light rows of an event channel). A read
// copies at most size bytes; *len_out (when given) gets the stored length.
// A missing blob: non-zero, buf untouched, *len_out 0.
int tqdb_blob_read(const char* path, const char* store, int64_t key, void* buf, size_t size,
                   size_t* len_out = nullptr);
int tqdb_blob_write(const char* path, const char* store, int64_t key, const void* buf, size_t size);
int tqdb_blob_delete(const char* path, const char* store, int64_t key);
// Read-modify-write of one blob under the write lock: edit gets a buffer of
// cap bytes holding the stored blob (zero-filled after it), *len = stored
// length (0 when missing); it returns 0 to store *len bytes of the buffer,
// anything else to leave the blob as it was (that value is returned).
int tqdb_blob_edit(const char* path, const char* store, int64_t key, size_t cap,
                   int (*edit)(void* ctx, void* buf, size_t* len), void* ctx);

// ---- record edits -------------------------------------------------------
//
// The read-modify-write of one record, as one call: no caller zero-fills a
// record and sets its key by hand, and no edit can lose another process's
// write between its read and its write.

// Reads the record of key (int-keyed or single tables) into rec. Where none
// is stored rec is zeros with its key field set to key, so that a write of
// it lands on its own row. 0 when a stored record was read, 1 when there was
// none, -1 when the file could not be read (rec as for none).
int tqdb_load(const char* path, const tqdb_table& t, void* rec, int64_t key);
// Edits the record of key in one write transaction: loads it as tqdb_load
// does, calls change(ctx, rec, stored) (stored 1 when a record was read) and,
// when change returns 0, writes it back under key. Returns change's non-zero
// result (nothing written), -1 when the file could not be read or written,
// else 0.
int tqdb_edit(const char* path, const tqdb_table& t, int64_t key,
              int (*change)(void* ctx, void* rec, int stored), void* ctx);

// Sets the named integer column in every row of table whose key column value
// has its bit set in mask.
int copy_table_column_int(const char* path, const char* table, const char* column, int value,
                          uint64_t mask, const char* key_column);

// Runs fn(ctx) in one write transaction of the file: every call fn makes on
// the same path joins it. Commits when fn returns 0; otherwise rolls back and
// returns fn's result. Other threads of the process wait meanwhile.
int tqdb_transaction(const char* path, int (*fn)(void* ctx), void* ctx);

// C++ forms of the calls that take a function: fn may be a lambda.
//   tqdb_atomic(path, [&] { ...; return rc; })   // 0 commits
//   tqdb_edit_as<camera_record>(path, table, chn, [&](camera_record& cam) { ... })
// An edit's function may return void (always write), bool (write when true;
// false gives 1, nothing written) or int (0 writes; other values returned).
template <typename Fn>
int tqdb_atomic(const char* path, Fn&& fn) {
    using F = std::remove_reference_t<Fn>;
    return tqdb_transaction(
        path, [](void* ctx) -> int { return (*static_cast<F*>(ctx))(); }, &fn);
}

// fn(void* rec, int stored) -> int, for callers that know the record only
// by its table.
template <typename Fn>
int tqdb_edit_fn(const char* path, const tqdb_table& t, int64_t key, Fn&& fn) {
    using F = std::remove_reference_t<Fn>;
    return tqdb_edit(
        path, t, key, [](void* ctx, void* rec, int stored) -> int { return (*static_cast<F*>(ctx))(rec, stored); },
        &fn);
}

template <typename Rec, typename Fn>
int tqdb_edit_as(const char* path, const tqdb_table& t, int64_t key, Fn&& fn) {
    return tqdb_edit(
        path, t, key,
        [](void* ctx, void* rec, int) -> int {
            using F = std::remove_reference_t<Fn>;
            F& fn = *static_cast<F*>(ctx);
            using result = decltype(fn(*static_cast<Rec*>(rec)));
            if constexpr (std::is_void_v<result>) {
                fn(*static_cast<Rec*>(rec));
                return 0;
            } else if constexpr (std::is_same_v<result, bool>) {
                return fn(*static_cast<Rec*>(rec)) ? 0 : 1;
            } else {
                return fn(*static_cast<Rec*>(rec));
            }
        },
        &fn);
}

// Closes the cached connections (tests that remove a root call it).
void tqdb_close_all();

// How long a call waits for other processes' transactions: 10 s, or what
// NVR_DB_BUSY_MS says.
int tqdb_busy_timeout_ms();

// Creates the database file at path with the schema when it does not exist
// (the files that are never created on first access, such as the factory
// account file, are made this way by the tools that own them).
int tqdb_create(const char* path);

// ---- the catalogue (tables.cpp) ------------------------------------------

// Every table of the system; copy_table_column_int finds tables here, and the
// factory rows of the main database come from it.
extern const tqdb_table* const tqdb_tables[];
extern const int tqdb_table_count;
// The table named name, or null.
const tqdb_table* tqdb_find_table(const char* name);

// Parameters present in a new main database.
struct tqdb_param_default {
    const char* key;
    const char* value;
};
extern const tqdb_param_default tqdb_param_defaults[];
extern const int tqdb_param_default_count;

// ---- typed calls --------------------------------------------------------
// TQDB_KEYED(name, type, table): read_<name>(path, rec, key),
//   write_<name>(path, rec), delete_<name>(path, key), load_<name>(path,
//   rec, key), edit_<name>(path, key, fn)
// TQDB_ALL(names, type, table, capacity): read_<names>(path, arr, count),
//   write_<names>(path, arr, count)
// TQDB_SINGLE(name, type, table): read_<name>(path, rec), write_<name>(path,
//   rec), load_<name>(path, rec), edit_<name>(path, fn)
#define TQDB_KEYED(name, type, table)                                                  \
    inline int read_##name(const char* path, type* rec, int key) {                     \
        return tqdb_read(path, table, rec, key);                                       \
    }                                                                                  \
    inline int write_##name(const char* path, const type* rec) {                       \
        return tqdb_write(path, table, rec);                                           \
    }                                                                                  \
    inline int delete_##name(const char* path, int key) { return tqdb_delete(path, table, key); } \
    inline int load_##name(const char* path, type* rec, int key) {                     \
        return tqdb_load(path, table, rec, key);                                       \
    }                                                                                  \
    template <typename Fn>                                                             \
    int edit_##name(const char* path, int key, Fn&& fn) {                              \
        return tqdb_edit_as<type>(path, table, key, static_cast<Fn&&>(fn));            \
    }

#define TQDB_ALL(names, type, table, capacity)                                         \
    inline int read_##names(const char* path, type* arr, int* count) {                 \
        return tqdb_read_all(path, table, arr, capacity, count);                       \
    }                                                                                  \
    inline int write_##names(const char* path, const type* arr, int count) {           \
        return tqdb_write_all(path, table, arr, count);                                \
    }

#define TQDB_COPY(names, type, table)                                                  \
    inline int copy_##names(const char* path, const type* src, uint64_t mask) {        \
        return tqdb_copy(path, table, src, mask);                                      \
    }

#define TQDB_SINGLE(name, type, table)                                                 \
    inline int read_##name(const char* path, type* rec) { return tqdb_read(path, table, rec, 0); } \
    inline int write_##name(const char* path, const type* rec) {                       \
        return tqdb_write(path, table, rec);                                           \
    }                                                                                  \
    inline int load_##name(const char* path, type* rec) { return tqdb_load(path, table, rec, 0); } \
    template <typename Fn>                                                             \
    int edit_##name(const char* path, Fn&& fn) {                                       \
        return tqdb_edit_as<type>(path, table, 0, static_cast<Fn&&>(fn));              \
    }
