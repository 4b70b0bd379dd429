// Event action lists (PTZ actions, white-light actions), stored as one blob
// per owner: the list's used entries, back to back.
#include "platform/tqdb/rec_action.h"

#include <cstring>

namespace {

// Blob stores. White-light tables are named by the caller; their stores get a
// prefix so that no table name can reach the PTZ stores.
const char ptz_store[] = "ptz_params";
const char peoplecnt_ptz_store[] = "peoplecnt_ptz_params";
const char peoplecnt_wled_store[] = "peoplecnt_wled_params";
const char wled_prefix[] = "wled:";
constexpr size_t wled_name_max = 63;

int64_t ptz_key(int kind, int channel) {
    return static_cast<int64_t>(static_cast<uint64_t>(static_cast<uint32_t>(kind)) << 32 |
                                static_cast<uint32_t>(channel));
}

bool owner_ok(int channel) { return channel >= 0; }

// The store name of a white-light table, or false for an empty or too long name.
bool wled_store(const char* name, char (&out)[sizeof wled_prefix + wled_name_max]) {
    if (!name || !*name || strnlen(name, wled_name_max + 1) > wled_name_max) return false;
    std::memcpy(out, wled_prefix, sizeof wled_prefix - 1);
    std::strcpy(out + sizeof wled_prefix - 1, name);
    return true;
}

// An entry is used when anything but its owner field (the first word) is set.
template <typename Entry>
bool used(const Entry& e) {
    const auto* p = reinterpret_cast<const unsigned char*>(&e);
    for (size_t i = sizeof(int32_t); i < sizeof(Entry); ++i)
        if (p[i]) return true;
    return false;
}

// Number of entries up to the last used one.
template <typename Entry>
int used_len(const Entry* list) {
    int n = action_list_len;
    while (n > 0 && !used(list[n - 1])) --n;
    return n;
}

template <typename Entry>
int read_list(const char* path, const char* store, int64_t key, Entry* list, int* count_out) {
    if (count_out) *count_out = 0;
    if (!list) return -1;
    size_t len = 0;
    int rc = tqdb_blob_read(path, store, key, list, sizeof(Entry) * action_list_len, &len);
    if (rc != 0) return rc;
    size_t n = len / sizeof(Entry);
    if (count_out) *count_out = static_cast<int>(n < action_list_len ? n : action_list_len);
    return 0;
}

template <typename Entry>
int write_list(const char* path, const char* store, int64_t key, const Entry* list) {
    if (!list) return -1;
    return tqdb_blob_write(path, store, key, list, sizeof(Entry) * used_len(list));
}

void set_owner(ptz_action& e, int ch) { e.event_channel = ch; }
void set_owner(led_entry& e, int ch) { e.owner = ch; }

// Stores list under (store, key_of(ch)) for every channel of mask, each copy
// with ch as the owner of its entries, in one transaction.
template <typename Entry>
struct copy_job {
    const char* path;
    const char* store;
    const Entry* list;
    uint64_t mask;
    int64_t (*key_of)(int extra, int ch);
    int extra;

    static int run(void* ctx) {
        auto* job = static_cast<copy_job*>(ctx);
        Entry copy[action_list_len];
        int n = used_len(job->list);
        std::memcpy(copy, job->list, sizeof(Entry) * n);
        for (int ch = 0; ch < 64; ++ch) {
            if (!(job->mask >> ch & 1)) continue;
            for (int i = 0; i < n; ++i) set_owner(copy[i], ch);
            if (tqdb_blob_write(job->path, job->store, job->key_of(job->extra, ch), copy,
                                sizeof(Entry) * n) != 0)
                return -1;
        }
        return 0;
    }
};

template <typename Entry>
int copy_list(const char* path, const char* store, const Entry* list, uint64_t mask,
              int64_t (*key_of)(int, int), int extra) {
    if (!list || !store) return -1;
    copy_job<Entry> job{path, store, list, mask, key_of, extra};
    return tqdb_transaction(path, copy_job<Entry>::run, &job);
}

// ---- single PTZ entries ----------------------------------------------------

struct ptz_edit {
    enum op_kind { add, remove, replace } op;
    const ptz_action* entry;
    int match;  // acto_ptz_channel to find

    static int run(void* ctx, void* buf, size_t* len) {
        auto* job = static_cast<ptz_edit*>(ctx);
        auto* list = static_cast<ptz_action*>(buf);
        int n = static_cast<int>(*len / sizeof(ptz_action));
        int at = -1;
        for (int i = 0; i < n; ++i)
            if (list[i].acto_ptz_channel == job->match) {
                at = i;
                break;
            }
        switch (job->op) {
        case add:
            if (at < 0) {
                if (n >= action_list_len) return -1;  // full
                at = n++;
            }
            list[at] = *job->entry;
            break;
        case replace:
            if (at < 0) return -1;
            list[at] = *job->entry;
            break;
        case remove:
            if (at < 0) return -1;
            std::memmove(&list[at], &list[at + 1], sizeof(ptz_action) * (n - at - 1));
            --n;
            break;
        }
        *len = sizeof(ptz_action) * n;
        return 0;
    }
};

int edit_ptz(const char* path, const char* store, int64_t key, ptz_edit job) {
    return tqdb_blob_edit(path, store, key, sizeof(ptz_action) * action_list_len, ptz_edit::run, &job);
}

int64_t ptz_key_of(int kind, int ch) { return ptz_key(kind, ch); }
int64_t channel_key_of(int, int ch) { return ch; }

}  // namespace

// ---- PTZ action lists -------------------------------------------------------

int read_ptz_params(const char* path, ptz_action* list, int kind, int channel, int* count_out) {
    if (!owner_ok(channel)) {
        if (count_out) *count_out = 0;
        return -1;
    }
    return read_list(path, ptz_store, ptz_key(kind, channel), list, count_out);
}

int write_ptz_params_all(const char* path, const ptz_action* list, int kind, int channel) {
    if (!owner_ok(channel)) return -1;
    return write_list(path, ptz_store, ptz_key(kind, channel), list);
}

int copy_ptz_params_all(const char* path, const ptz_action* list, int kind, uint64_t mask) {
    return copy_list(path, ptz_store, list, mask, ptz_key_of, kind);
}

int write_ptz_params(const char* path, const ptz_action* entry, int kind) {
    if (!entry || !owner_ok(entry->event_channel)) return -1;
    return edit_ptz(path, ptz_store, ptz_key(kind, entry->event_channel),
                    {ptz_edit::add, entry, entry->acto_ptz_channel});
}

int delete_ptz_params(const char* path, const ptz_action* entry, int kind) {
    if (!entry || !owner_ok(entry->event_channel)) return -1;
    return edit_ptz(path, ptz_store, ptz_key(kind, entry->event_channel),
                    {ptz_edit::remove, entry, entry->acto_ptz_channel});
}

int update_ptz_params(const char* path, const ptz_action* entry, int kind, int old_ptz_channel) {
    if (!entry || !owner_ok(entry->event_channel)) return -1;
    return edit_ptz(path, ptz_store, ptz_key(kind, entry->event_channel),
                    {ptz_edit::replace, entry, old_ptz_channel});
}

int read_peoplecnt_ptz_params(const char* path, ptz_action* list, int channel, int* count_out) {
    if (!owner_ok(channel)) {
        if (count_out) *count_out = 0;
        return -1;
    }
    return read_list(path, peoplecnt_ptz_store, channel, list, count_out);
}

int write_peoplecnt_ptz_params_ex(const char* path, const ptz_action* list, int channel) {
    if (!owner_ok(channel)) return -1;
    return write_list(path, peoplecnt_ptz_store, channel, list);
}

int write_peoplecnt_ptz_params(const char* path, const ptz_action* entry) {
    if (!entry || !owner_ok(entry->event_channel)) return -1;
    return edit_ptz(path, peoplecnt_ptz_store, entry->event_channel,
                    {ptz_edit::add, entry, entry->acto_ptz_channel});
}

int delete_peoplecnt_ptz_params(const char* path, const ptz_action* entry) {
    if (!entry || !owner_ok(entry->event_channel)) return -1;
    return edit_ptz(path, peoplecnt_ptz_store, entry->event_channel,
                    {ptz_edit::remove, entry, entry->acto_ptz_channel});
}

int update_peoplecnt_ptz_params(const char* path, const ptz_action* entry, int old_ptz_channel) {
    if (!entry || !owner_ok(entry->event_channel)) return -1;
    return edit_ptz(path, peoplecnt_ptz_store, entry->event_channel,
                    {ptz_edit::replace, entry, old_ptz_channel});
}

// ---- white-light lists ------------------------------------------------------

int read_whiteled_params(const char* path, led_entry* list, const char* name, int channel,
                         int* count_out) {
    char store[sizeof wled_prefix + wled_name_max];
    if (!wled_store(name, store) || !owner_ok(channel)) {
        if (count_out) *count_out = 0;
        return -1;
    }
    return read_list(path, store, channel, list, count_out);
}

int write_whiteled_params_all(const char* path, const led_entry* list, const char* name,
                              int channel) {
    char store[sizeof wled_prefix + wled_name_max];
    if (!wled_store(name, store) || !owner_ok(channel)) return -1;
    return write_list(path, store, channel, list);
}

int copy_whiteled_params(const char* path, const char* name, const led_entry* list, uint64_t mask) {
    char store[sizeof wled_prefix + wled_name_max];
    if (!wled_store(name, store)) return -1;
    return copy_list(path, store, list, mask, channel_key_of, 0);
}

int read_peoplecnt_wled_params(const char* path, led_entry* list, int channel, int* count_out) {
    if (!owner_ok(channel)) {
        if (count_out) *count_out = 0;
        return -1;
    }
    return read_list(path, peoplecnt_wled_store, channel, list, count_out);
}

int write_peoplecnt_wled_params_all(const char* path, const led_entry* list, int channel) {
    if (!owner_ok(channel)) return -1;
    return write_list(path, peoplecnt_wled_store, channel, list);
}
