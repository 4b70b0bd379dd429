// Name lookup, count and slot allocation of the user table, over the generic
// engine: the table is keyed by identifier, and at 100 rows of 528 bytes a
// scan is cheaper than a second index.
#include "platform/md5.h"
#include "platform/tqdb/rec_user.h"

#include <cstring>
#include <memory>

namespace {

// Every row of the table in identifier order; count -1 when the read failed.
struct user_rows {
    std::unique_ptr<user_record[]> rows{new user_record[USER_MAX_COUNT]()};
    int count = -1;

    explicit user_rows(const char* path) {
        if (read_users(path, rows.get(), &count) != 0) count = -1;
        if (count > USER_MAX_COUNT) count = USER_MAX_COUNT;
    }
    const user_record* begin() const { return rows.get(); }
    const user_record* end() const { return rows.get() + (count > 0 ? count : 0); }
};

}  // namespace

void user_factory_row(void* out, int key) {
    auto* rec = static_cast<user_record*>(out);
    rec->id = key;
    if (key != 0) return;  // a free slot
    rec->enable = 1;
    std::strncpy(rec->name, USER_FACTORY_NAME, sizeof rec->name - 1);
    md5_hex(USER_FACTORY_PASSWORD, std::strlen(USER_FACTORY_PASSWORD), rec->password);
    rec->type = 0;
    for (char* text : {rec->local_liveview, rec->local_playback, rec->remote_liveview,
                       rec->remote_playback})
        std::memset(text, '1', USER_CHANNEL_TEXT - 1);
    std::strcpy(rec->extra_text, "0");
    for (int i = 0; i < USER_RIGHT_COUNT; ++i) rec->local_rights[i] = rec->remote_rights[i] = 1;
    rec->permission = -1;
    rec->remote_permission = -1;
    for (uint32_t& mask : rec->masks) mask = 0xffffffffu;
}

int read_user_by_name(const char* path, user_record* rec, const char* name) {
    if (!rec || !name || !*name) return -1;
    char key[sizeof rec->name] = {};
    std::strncpy(key, name, sizeof key - 1);
    for (const user_record& row : user_rows(path)) {
        if (row.enable && std::strncmp(row.name, key, sizeof key) == 0) {
            *rec = row;
            return 0;
        }
    }
    return -1;
}

int read_user_count(const char* path) {
    int enabled = 0;
    for (const user_record& row : user_rows(path)) enabled += row.enable != 0;
    return enabled;
}

namespace {

struct add_job {
    const char* path;
    user_record* rec;
};

// Finds the lowest free slot and stores the record there; runs inside one
// write transaction, so two adders never pick the same slot.
int add_in_transaction(void* ctx) {
    auto* job = static_cast<add_job*>(ctx);
    bool taken[USER_MAX_COUNT] = {};
    for (const user_record& row : user_rows(job->path))
        if (row.id >= 0 && row.id < USER_MAX_COUNT && row.enable) taken[row.id] = true;
    for (int id = 0; id < USER_MAX_COUNT; ++id) {
        if (taken[id]) continue;
        user_record copy = *job->rec;
        copy.id = id;
        if (write_user(job->path, &copy) != 0) return -1;
        job->rec->id = id;
        return 0;
    }
    return -1;
}

}  // namespace

int add_user(const char* path, user_record* rec) {
    if (!rec) return -1;
    user_record work = *rec;
    add_job job{path, &work};
    if (tqdb_transaction(path, add_in_transaction, &job) != 0) return -1;
    rec->id = work.id;
    return 0;
}
