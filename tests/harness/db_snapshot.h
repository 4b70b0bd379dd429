// What a database file holds, as one comparable text: the test of a request
// that must not have stored anything compares it before and after.
#pragma once

#include <sqlite3.h>

#include <string>

#include "platform/tqdb/tqdb.h"
#include "tests/harness/cgi_harness.h"

// Every record and every list of the file (store, key and bytes, in order),
// the parameters included. Empty when the file cannot be read.
inline std::string db_snapshot(const test_root& root, const char* db = TQDB_FILE) {
    // The file and its schema exist once the library has opened it.
    get_param_int(db, "max_cameras", 0);
    sqlite3* handle = nullptr;
    std::string out;
    if (sqlite3_open_v2(root.file(db).c_str(), &handle, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(handle, 10000);
        for (const char* sql : {"SELECT store, key, data FROM records ORDER BY store, key",
                                "SELECT store, key, data FROM blobs ORDER BY store, key",
                                "SELECT key, 0, value FROM params ORDER BY key"}) {
            sqlite3_stmt* s = nullptr;
            if (sqlite3_prepare_v2(handle, sql, -1, &s, nullptr) != SQLITE_OK) {
                out.clear();
                break;
            }
            while (sqlite3_step(s) == SQLITE_ROW) {
                out += reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
                out += '/' + std::to_string(sqlite3_column_int64(s, 1)) + '=';
                const void* data = sqlite3_column_blob(s, 2);
                out.append(static_cast<const char*>(data ? data : ""), sqlite3_column_bytes(s, 2));
                out += '\n';
            }
            sqlite3_finalize(s);
        }
    }
    sqlite3_close(handle);
    return out;
}
