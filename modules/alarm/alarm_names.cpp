// The name lists of the alarm contacts: the recorder's inputs or outputs and
// the two inputs or outputs of every camera channel.
#include <cstring>

#include "front/json_req.h"
#include "modules/alarm/alarm.h"
#include "platform/tqdb/rec_alarm.h"

namespace {

json_object* text_json(const char* field, size_t width) {
    return json_object_new_string_len(field, static_cast<int>(strnlen(field, width)));
}

// The names of the recorder's contacts of a table, in id order.
template <typename Rec, int Count>
json_object* recorder_names(const tqdb_table& table) {
    Rec rows[Count];
    read_alarm_rows(TQDB_FILE, table, rows);
    json_object* list = json_object_new_array();
    for (const Rec& r : rows) json_object_array_add(list, text_json(r.name, sizeof r.name));
    return list;
}

template <typename Name>
json_object* camera_names(int (*read)(const char*, Name (*)[cam_alarm_count])) {
    Name names[alarm_channels][cam_alarm_count];
    std::memset(names, 0, sizeof names);
    read(TQDB_FILE, names);
    json_object* list = json_object_new_array();
    for (const auto& chn : names) {
        json_object* pair = json_object_new_array();
        for (const Name& n : chn) json_object_array_add(pair, text_json(n.alarm_name, sizeof n.alarm_name));
        json_object_array_add(list, pair);
    }
    return list;
}

void names_reply(json_object* nvr, json_object* camera) {
    json_ref obj(json_object_new_object());
    json_object_object_add(obj.get(), "nvr", nvr);
    json_object_object_add(obj.get(), "camera", camera);
    cgi_reply_json(obj.get());
}

}  // namespace

void alarm_out_names(request&) {
    names_reply(recorder_names<alarm_out_record, alarm_out_count>(tqdb_tbl_alarm_out),
                camera_names(read_alarm_chnOut_event_names));
}

void alarm_in_names(request&) {
    names_reply(recorder_names<alarm_in_record, alarm_in_count>(tqdb_tbl_alarm_in),
                camera_names(read_alarm_chnIn_event_names));
}
