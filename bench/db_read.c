/* The least a CGI that answers from the configuration database can cost: a
 * static program that opens the database and reads one setting, through the
 * same SQLite library as webreq. The HTTP bench prints it beside webreq's
 * reads, against the same hello-world baseline. */
#include <sqlite3.h>
#include <stdio.h>
#include <stdlib.h>

int main(void) {
    const char* root = getenv("NVR_ROOT");
    char path[4096];
    snprintf(path, sizeof path, "%s/mnt/nand/app/tqdb.db", root ? root : "");
    sqlite3* db = NULL;
    if (sqlite3_open_v2(path, &db, SQLITE_OPEN_READWRITE, NULL) != SQLITE_OK) return 1;
    sqlite3_stmt* s = NULL;
    fputs("Content-type: text/plain\r\n\r\n", stdout);
    if (sqlite3_prepare_v2(db, "SELECT value FROM params LIMIT 1", -1, &s, NULL) == SQLITE_OK &&
        sqlite3_step(s) == SQLITE_ROW)
        fputs((const char*)sqlite3_column_text(s, 0), stdout);
    sqlite3_finalize(s);
    sqlite3_close(db);
    return 0;
}
