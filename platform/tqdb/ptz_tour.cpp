// The PTZ tour tables, stored as one blob per channel.
#include "platform/tqdb/rec_ptz.h"

#include <cstring>

namespace {

const char tour_store[] = "ptz_tour";

bool channel_ok(int chn) { return chn >= 0 && chn < 64; }

}  // namespace

int read_ptz_tour(const char* path, ptz_tour_table* table, int chn) {
    if (!table || !channel_ok(chn)) return -1;
    return tqdb_blob_read(path, tour_store, chn, table, sizeof *table);
}

int write_ptz_tour(const char* path, const ptz_tour_table* table, int chn) {
    if (!table || !channel_ok(chn)) return -1;
    return tqdb_blob_write(path, tour_store, chn, table, sizeof *table);
}

int edit_ptz_tour_fn(const char* path, int chn, int (*change)(void* ctx, ptz_tour_table* table), void* ctx) {
    if (!change || !channel_ok(chn)) return -1;
    struct edit {
        int (*change)(void*, ptz_tour_table*);
        void* ctx;
    } e{change, ctx};
    return tqdb_blob_edit(
        path, tour_store, chn, sizeof(ptz_tour_table),
        [](void* ctx, void* buf, size_t* len) -> int {
            // The blob buffer need not be aligned for the table: the change
            // works on a copy.
            auto* e = static_cast<edit*>(ctx);
            ptz_tour_table table;
            std::memcpy(&table, buf, sizeof table);
            int rc = e->change(e->ctx, &table);
            if (rc != 0) return rc;
            std::memcpy(buf, &table, sizeof table);
            *len = sizeof table;
            return 0;
        },
        &e);
}
