// User accounts: the user table of the configuration database and the
// read-only factory account table of "/mnt/nand2/oem.db".
//
// The user table always holds the 100 rows 0..99. A row whose enabled flag
// is 0 is a free slot (a removed user keeps its identifier and has every other
// field zero); add_user takes the lowest free slot.
#pragma once

#include "platform/tqdb/tqdb.h"

#include <cstddef>
#include <cstdint>

#define USER_MAX_COUNT 100
#define USER_RIGHT_COUNT 10
#define USER_CHANNEL_TEXT 65  // 64 characters '0'/'1' and the terminator

struct user_record {
    int32_t id;                                 // 0
    int32_t enable;                             // 4
    char name[64];                              // 8
    char password[36];                          // 72: MD5 of the password, 32 hex digits
    int32_t type;                               // 108: 0..3, 0 administrator
    char local_liveview[USER_CHANNEL_TEXT];     // 112
    char local_playback[USER_CHANNEL_TEXT];     // 177
    char remote_liveview[USER_CHANNEL_TEXT];    // 242
    char remote_playback[USER_CHANNEL_TEXT];    // 307
    char reserved0[33];                         // 372
    char extra_text[19];                        // 405: set to "0" by an add
    int32_t local_rights[USER_RIGHT_COUNT];     // 424
    int32_t remote_rights[USER_RIGHT_COUNT];    // 464
    int32_t permission;                         // 504
    int32_t remote_permission;                  // 508
    uint32_t masks[4];                          // 512: the four channel texts, channels 0..31
};
static_assert(sizeof(user_record) == 528);
static_assert(offsetof(user_record, enable) == 4);
static_assert(offsetof(user_record, name) == 8);
static_assert(offsetof(user_record, password) == 72);
static_assert(offsetof(user_record, type) == 108);
static_assert(offsetof(user_record, local_liveview) == 112);
static_assert(offsetof(user_record, local_playback) == 177);
static_assert(offsetof(user_record, remote_liveview) == 242);
static_assert(offsetof(user_record, remote_playback) == 307);
static_assert(offsetof(user_record, extra_text) == 405);
static_assert(offsetof(user_record, local_rights) == 424);
static_assert(offsetof(user_record, remote_rights) == 464);
static_assert(offsetof(user_record, permission) == 504);
static_assert(offsetof(user_record, remote_permission) == 508);
static_assert(offsetof(user_record, masks) == 512);

// Factory account (same size as the user record, its own layout).
struct oem_user_record {
    int32_t id;                 // 0
    int32_t enable;             // 4
    char name[64];              // 8
    char password[36];          // 72
    int32_t type;               // 108
    int32_t permission;         // 112
    int32_t remote_permission;  // 116
    uint8_t reserved[408];      // 120
};
static_assert(sizeof(oem_user_record) == 528);
static_assert(offsetof(oem_user_record, name) == 8);
static_assert(offsetof(oem_user_record, password) == 72);
static_assert(offsetof(oem_user_record, type) == 108);
static_assert(offsetof(oem_user_record, permission) == 112);
static_assert(offsetof(oem_user_record, remote_permission) == 116);

// The factory administrator of a new database.
#define USER_FACTORY_NAME "admin"
#define USER_FACTORY_PASSWORD "123456"

// Factory row of the user table: the administrator in row 0, free slots
// elsewhere.
void user_factory_row(void* rec, int key);

extern const tqdb_table tqdb_tbl_user;
extern const tqdb_table tqdb_tbl_user_oem;

// read_user(path, rec, id), write_user(path, rec), delete_user(path, id),
// read_users(path, arr, count), write_users(path, arr, count).
TQDB_KEYED(user, user_record, tqdb_tbl_user)
TQDB_ALL(users, user_record, tqdb_tbl_user, USER_MAX_COUNT)
// read_users_oem(TQDB_OEM_FILE, arr, count).
TQDB_ALL(users_oem, oem_user_record, tqdb_tbl_user_oem, USER_MAX_COUNT)

// Reads the enabled user whose name equals name (compared over the stored
// width, so name is taken up to 63 characters). 0 when found; otherwise
// non-zero and rec untouched. An empty name names no one.
int read_user_by_name(const char* path, user_record* rec, const char* name);
// Number of enabled users.
int read_user_count(const char* path);
// Stores rec (its enabled flag set by the caller) in the lowest free slot and
// sets rec->id to that slot, in one transaction. 0 on success, -1 when all
// 100 slots are taken or the write failed. A caller that checks the count and
// the name first holds the CGI lock file around the whole sequence.
int add_user(const char* path, user_record* rec);
