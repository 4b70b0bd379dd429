// Typed calls of the camera alarm stores. Each keeps one table per contact
// index (0 and 1), keyed by channel, so that the record's own (chnid,
// alarm_id) names its row.
#include "platform/tqdb/rec_alarm.h"

#include <cstring>

namespace {

bool channel_ok(int chn) { return chn >= 0 && chn < alarm_channels; }

// Reads the table of index into names[chn][index] by each row's own channel.
template <typename Name>
int read_names(const char* path, const tqdb_table (&tables)[cam_alarm_count],
               Name (*names)[cam_alarm_count]) {
    if (!names) return -1;
    for (int index = 0; index < cam_alarm_count; ++index) {
        Name rows[alarm_channels];
        std::memset(rows, 0, sizeof rows);
        int count = 0;
        if (tqdb_read_all(path, tables[index], rows, alarm_channels, &count) != 0) return -1;
        for (int i = 0; i < count; ++i)
            if (channel_ok(rows[i].chnid)) names[rows[i].chnid][index] = rows[i];
    }
    return 0;
}

template <typename Rec>
int read_indexed(const char* path, const tqdb_table (&tables)[cam_alarm_count], Rec* rec, int chn,
                 int index) {
    if (!rec || !channel_ok(chn) || !cam_alarm_ok(index)) return -1;
    return tqdb_read(path, tables[index], rec, chn);
}

template <typename Rec>
int write_indexed(const char* path, const tqdb_table (&tables)[cam_alarm_count], const Rec* rec) {
    if (!rec || !channel_ok(rec->chnid) || !cam_alarm_ok(rec->alarm_id)) return -1;
    return tqdb_write(path, tables[rec->alarm_id], rec);
}

}  // namespace

int read_alarm_chnIn_event(const char* path, alarm_chn_in_record* rec, int chn, int index) {
    return read_indexed(path, tqdb_tbl_alarm_chn_in, rec, chn, index);
}

int write_alarm_chnIn_event(const char* path, const alarm_chn_in_record* rec) {
    return write_indexed(path, tqdb_tbl_alarm_chn_in, rec);
}

int copy_alarm_chnIn_events(const char* path, const alarm_chn_in_record* rec, uint64_t mask) {
    if (!rec || !cam_alarm_ok(rec->alarm_id)) return -1;
    return tqdb_copy(path, tqdb_tbl_alarm_chn_in[rec->alarm_id], rec, mask);
}

int read_alarm_chnIn_event_name(const char* path, alarm_chn_in_name* rec, int chn, int index) {
    return read_indexed(path, tqdb_tbl_alarm_chn_in_name, rec, chn, index);
}

int write_alarm_chnIn_event_name(const char* path, const alarm_chn_in_name* rec) {
    return write_indexed(path, tqdb_tbl_alarm_chn_in_name, rec);
}

int read_alarm_chnOut_event_name(const char* path, alarm_chn_out_name* rec, int chn, int index) {
    return read_indexed(path, tqdb_tbl_alarm_chn_out_name, rec, chn, index);
}

int write_alarm_chnOut_event_name(const char* path, const alarm_chn_out_name* rec) {
    return write_indexed(path, tqdb_tbl_alarm_chn_out_name, rec);
}

int read_alarm_chnIn_event_names(const char* path, alarm_chn_in_name (*names)[cam_alarm_count]) {
    return read_names(path, tqdb_tbl_alarm_chn_in_name, names);
}

int read_alarm_chnOut_event_names(const char* path, alarm_chn_out_name (*names)[cam_alarm_count]) {
    return read_names(path, tqdb_tbl_alarm_chn_out_name, names);
}

int copy_alarm_chnOut_delay(const char* path, int index, int32_t delay_time, uint64_t mask) {
    if (!cam_alarm_ok(index)) return -1;
    return copy_table_column_int(path, tqdb_tbl_alarm_chn_out_name[index].name, "delay_time",
                                 delay_time, mask, "chnid");
}
