// The recorder's alarm inputs: the list, and the basic pages that set name,
// type, enable and the triggered channels and outputs.
//
// Every change reads the input's stored record first and writes it back with
// its id set, so fields a page does not carry (the actions of the full page)
// stay as they were, and no id outside 0..15 reaches the table.
#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/alarm/alarm.h"
#include "platform/tqdb/rec_alarm.h"

#include <cstring>

namespace {

constexpr int msg_alarm_in_changed = 1404;  // 4 bytes: input id

void input_json(json_object* o, const alarm_in_record& in) {
    jadd_int(o, "id", in.id);
    jadd_int(o, "enable", in.enable);
    jadd_field(o, "name", in.name, sizeof in.name);
    jadd_int(o, "type", in.type);
    jadd_field(o, "triChannels", in.tri_channels, sizeof in.tri_channels);
    jadd_int(o, "triAlarms", in.tri_alarms);
}

// The stored record of input id, zeros when it has none; its id set.
alarm_in_record input(int id) {
    alarm_in_record rec;
    std::memset(&rec, 0, sizeof rec);
    read_alarm_in(TQDB_FILE, &rec, id);
    rec.id = id;
    return rec;
}

uint32_t channels_mask(const char* text, size_t width) {
    uint32_t mask = 0;
    for (size_t p = 0; p < width && p < 32 && text[p]; ++p)
        if (text[p] == '1') mask |= 1u << p;
    return mask;
}

// The check of the basic pages: "id" 0..15, "enable" 0..2, "type" 0 or 1,
// "triChannels" present; "triAlarms" and "interval" not negative.
bool basic_ok(json_object* alarm) {
    int id, enable, type, value;
    if (!req_int(alarm, "id", &id) || !alarm_in_ok(id)) return false;
    if (!req_int(alarm, "enable", &enable) || enable < 0 || enable > 2) return false;
    if (!req_int(alarm, "type", &type) || (type != 0 && type != 1)) return false;
    if (!req_member(alarm, "triChannels")) return false;
    for (const char* key : {"triAlarms", "interval"})
        if (req_int(alarm, key, &value) && value < 0) return false;
    return true;
}

// Name, type, the triggered channels (and their mask), outputs and interval
// of the page, each when present.
void apply_basic(json_object* alarm, alarm_in_record& rec) {
    if (req_member(alarm, "name")) req_text(alarm, "name", rec.name, sizeof rec.name);
    req_int(alarm, "type", &rec.type);
    if (req_member(alarm, "triChannels")) {
        req_text(alarm, "triChannels", rec.tri_channels, sizeof rec.tri_channels);
        rec.tri_channels_mask = channels_mask(rec.tri_channels, sizeof rec.tri_channels);
    }
    req_int(alarm, "triAlarms", &rec.tri_alarms);
    req_int(alarm, "interval", &rec.interval);
}

// Stores the input, tells the core and logs the change.
void input_changed(const alarm_in_record& rec) {
    write_alarm_in(TQDB_FILE, &rec);
    alarm_notify(msg_alarm_in_changed, rec.id);
    alarm_oplog(oplog_param_alarm_in, rec.id);
    cgi_reply(REPLY_TEXT, "OK");
}

}  // namespace

void alarm_in_list(char*) {
    alarm_in_record rows[alarm_in_count];
    std::memset(rows, 0, sizeof rows);
    for (int id = 0; id < alarm_in_count; ++id) rows[id].id = id;
    read_alarm_rows(TQDB_FILE, tqdb_tbl_alarm_in, rows);
    json_ref list(json_object_new_array());
    for (const alarm_in_record& in : rows) {
        json_object* o = json_object_new_object();
        input_json(o, in);
        json_object_array_add(list.get(), o);
    }
    cgi_reply_json(list.get());
}

// {"alarm": {"camId", "name", "type", "enable"}}; an input outside 0..15 is
// refused without a reply.
void alarm_in_state_set(char* text) {
    json_ref req = json_parse_object(text);
    json_object* alarm = req_member(req, "alarm");
    int id;
    if (!alarm || !req_int(alarm, "camId", &id) || !alarm_in_ok(id)) return;
    alarm_in_record rec = input(id);
    if (req_member(alarm, "name")) req_text(alarm, "name", rec.name, sizeof rec.name);
    req_int(alarm, "type", &rec.type);
    req_int(alarm, "enable", &rec.enable);
    input_changed(rec);
}

// {"alarm": {...}} of the basic page without schedule: "enable" is checked
// but not stored.
void alarm_in_basic_set(char* text) {
    json_ref req = json_parse_object(text);
    json_object* alarm = req_member(req, "alarm");
    if (!alarm || !basic_ok(alarm)) return;
    alarm_in_record rec = input(req_int_or(alarm, "id", 0));
    apply_basic(alarm, rec);
    input_changed(rec);
}
