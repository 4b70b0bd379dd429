// The plate action tables and the plate lists of TQDB_ANPR_FILE.
//
// A list entry is a record keyed by its plate text: the file keeps that key
// in an indexed column, so a lookup or delete by plate does not scan. The
// batch calls run in one transaction each, so a replace or a delete of many
// plates is stored whole or not at all.
#include <cstring>
#include <vector>

#include "platform/tqdb/rec_anpr.h"

// clang-format off
const tqdb_table tqdb_tbl_anpr_event[anpr_modes] = {
    {"anpr_event_any", sizeof(event_action_record), tqdb_key_kind::int_at, offsetof(event_action_record, chnid), 0, 0, nullptr, 0, nullptr},
    {"anpr_event0",    sizeof(event_action_record), tqdb_key_kind::int_at, offsetof(event_action_record, chnid), 0, 0, nullptr, 0, nullptr},
    {"anpr_event1",    sizeof(event_action_record), tqdb_key_kind::int_at, offsetof(event_action_record, chnid), 0, 0, nullptr, 0, nullptr},
    {"anpr_event2",    sizeof(event_action_record), tqdb_key_kind::int_at, offsetof(event_action_record, chnid), 0, 0, nullptr, 0, nullptr},
};
const tqdb_table tqdb_tbl_anpr_list = {"anpr_list", sizeof(anpr_list_entry), tqdb_key_kind::text_at, offsetof(anpr_list_entry, plate), sizeof(anpr_list_entry::plate), 0, nullptr, 0, nullptr};
// clang-format on

namespace {

bool has_plate(const anpr_list_entry& e) { return e.plate[0] != '\0'; }

// Deletes the stored entry of plate inside the caller's transaction; a plate
// not stored is no failure (the generic delete reports it as one, so it is
// looked up first). 0, or -1 when the store failed.
int drop_plate(const char* path, const char* plate) {
    anpr_list_entry stored;
    if (tqdb_read_text(path, tqdb_tbl_anpr_list, &stored, plate) != 0) return 0;
    return tqdb_delete_text(path, tqdb_tbl_anpr_list, plate) == 0 ? 0 : -1;
}

// Deletes every stored entry inside the caller's transaction.
int drop_all(const char* path) {
    const int stored = tqdb_count(path, tqdb_tbl_anpr_list);
    if (stored < 0) return -1;
    if (stored == 0) return 0;
    std::vector<anpr_list_entry> rows(static_cast<size_t>(stored));
    int count = 0;
    if (tqdb_read_all(path, tqdb_tbl_anpr_list, rows.data(), stored, &count) != 0) return -1;
    for (int i = 0; i < count; ++i)
        if (tqdb_delete_text(path, tqdb_tbl_anpr_list, rows[i].plate) != 0) return -1;
    return 0;
}

}  // namespace

int write_anpr_list(const char* path, const anpr_list_entry* entry) {
    if (!entry || !has_plate(*entry)) return -1;
    return tqdb_write(path, tqdb_tbl_anpr_list, entry);
}

int update_anpr_list(const char* path, const anpr_list_entry* entry) {
    if (!entry || !has_plate(*entry)) return -1;
    return tqdb_atomic(path, [&] {
        anpr_list_entry stored;
        if (tqdb_read_text(path, tqdb_tbl_anpr_list, &stored, entry->plate) != 0) return 1;
        return tqdb_write(path, tqdb_tbl_anpr_list, entry) == 0 ? 0 : -1;
    });
}

int delete_anpr_list(const char* path, const anpr_list_entry* entry) {
    if (!entry || !has_plate(*entry)) return -1;
    return tqdb_atomic(path, [&] { return drop_plate(path, entry->plate); });
}

int delete_anpr_lists(const char* path, const anpr_list_entry* entries, int count) {
    if (!entries || count < 0) return -1;
    return tqdb_atomic(path, [&] {
        for (int i = 0; i < count; ++i)
            if (has_plate(entries[i]) && drop_plate(path, entries[i].plate) != 0) return -1;
        return 0;
    });
}

int write_anpr_list_replace_batch(const char* path, const anpr_list_entry* entries, int count) {
    if (!entries || count < 0) return -1;
    return tqdb_atomic(path, [&] {
        if (drop_all(path) != 0) return -1;
        for (int i = 0; i < count; ++i)
            if (has_plate(entries[i]) && tqdb_write(path, tqdb_tbl_anpr_list, &entries[i]) != 0) return -1;
        return 0;
    });
}

int read_anpr_list_plate(const char* path, anpr_list_entry* out, const char* plate) {
    if (!out || !plate || !*plate) return -1;
    return tqdb_read_text(path, tqdb_tbl_anpr_list, out, plate);
}
