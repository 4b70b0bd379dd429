// The PTZ tour tables, stored as one blob per channel.
#include "platform/tqdb/rec_ptz.h"

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
