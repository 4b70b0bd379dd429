// Typed calls of the record tables that are more than a descriptor lookup.
#include "platform/tqdb/rec_camera.h"
#include "platform/tqdb/rec_record.h"

#include <cstdio>
#include <cstring>

int write_camera_ip(const char* path, int chn, const char* ip_text) {
    char field[sizeof camera_record::ip_addr] = {};
    std::snprintf(field, sizeof field, "%s", ip_text ? ip_text : "");
    return tqdb_update_field(path, tqdb_tbl_camera, chn, offsetof(camera_record, ip_addr), field,
                             sizeof field);
}

int read_osd_name(const char* path, int chn, char* buf, int size) {
    if (!buf || size <= 0) return -1;
    osd_record osd{};
    if (read_osd(path, &osd, chn) != 0) return -1;
    std::snprintf(buf, static_cast<size_t>(size), "%.*s", static_cast<int>(sizeof osd.cam_name),
                  osd.cam_name);
    return 0;
}

int read_records_by_channel(const char* path, record_row rows[64]) {
    record_row stored[64] = {};
    int count = 0;
    int rc = read_records(path, stored, &count);
    if (rc != 0) count = 0;
    std::memset(rows, 0, 64 * sizeof(record_row));
    for (int ch = 0; ch < 64; ++ch) rows[ch].id = ch;
    for (int i = 0; i < count && i < 64; ++i)
        if (stored[i].id >= 0 && stored[i].id < 64) rows[stored[i].id] = stored[i];
    return rc;
}
