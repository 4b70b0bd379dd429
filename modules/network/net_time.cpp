// System time: the clock settings (time zone, daylight saving, NTP) kept in
// the time record, and the manual time, which the core daemon sets.
#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/field_map.h"
#include "modules/common/record_page.h"
#include "modules/network/net_services.h"
#include "modules/network/network.h"
#include "platform/msg_network.h"
#include "platform/tqdb/rec_services.h"

#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

// The page offers the synchronisation interval as an index into this list;
// the record keeps the minutes.
constexpr int32_t sync_minutes[] = {60, 120, 300, 600, 1440, 2880, 7200, 14400, 43200};
constexpr int sync_index_default = 4;  // daily

int32_t sync_minutes_of(int index) {
    bool known = index >= 0 && index < static_cast<int>(std::size(sync_minutes));
    return sync_minutes[known ? index : sync_index_default];
}

int sync_index_of(int32_t minutes) {
    for (size_t i = 0; i < std::size(sync_minutes); ++i)
        if (sync_minutes[i] == minutes) return static_cast<int>(i);
    return sync_index_default;
}

using tr = time_record;
const field time_fields[] = {
    FM_INT(tr, "ntpEnable", ntp_enable).range(0, 1).required(),
    FM_INT(tr, "dstEnable", dst_enable).range(0, 1).required(),
    FM_TEXT(tr, "timeZone", time_zone).required(),
    FM_TEXT(tr, "timeZoneName", time_zone_name).required(),
    FM_TEXT(tr, "ntpServer", ntp_server),
    FM_INT(tr, "syncEnable", sync_enable).required(),
    FM_INT(tr, "syncInterval", sync_interval).required(),  // the index, in requests and replies
    FM_INT(tr, "syncPc", sync_pc).required(),
};

// The failover mode in which the clock follows the main recorder.
constexpr int failover_follows_main = 2;

// The manual time goes to the core only when the clock is set by hand.
const char* manual_time_used(json_object* req) {
    if (req_int_or(req, "ntpEnable", 0) != 0 || req_int_or(req, "failoverMode", 0) == failover_follows_main)
        return nullptr;
    return req_str(req, "manualTime");
}

// The core daemon puts the manual time into a command line: only what the
// page's date and time form holds may pass.
bool manual_time_ok(json_object* req) {
    const char* text = manual_time_used(req);
    for (const char* p = text ? text : ""; *p; ++p)
        if (!std::strchr("0123456789 -:/", *p)) return false;
    return true;
}

// The index the request gave becomes minutes.
bool sync_interval_stored(json_object*, void* rec) {
    auto* time = static_cast<time_record*>(rec);
    time->sync_interval = sync_minutes_of(time->sync_interval);
    return true;
}

// 1701's payload: the manual time between double quotes (both kept, the
// text cut to fit), or 32 zero bytes when there is none to set.
void manual_time_payload(json_object* req, char (&out)[32]) {
    std::memset(out, 0, sizeof out);
    const char* text = manual_time_used(req);
    if (!text) return;
    char cut[sizeof out - 2];
    copy_text(cut, sizeof cut, text);
    std::snprintf(out, sizeof out, "\"%s\"", cut);
}

// "OK" is written before the core sets the clock, which may take minutes;
// when it does not confirm, that is logged, and the reply stays the one
// written.
void time_stored(request& rq, const void*, int) {
    char payload[32];
    manual_time_payload(rq.json, payload);
    cgi_reply(REPLY_TEXT, "OK");
    core_query(network_reply, msg_time_set, sizeof payload, payload, -1);
    if (!core_reply_finished())
        cgi_debug_log("net_time.cpp", __LINE__, __func__, "the core did not confirm the time setting");
    oplog_send(225, 900);
}

}  // namespace

const record_page time_page = {
    .table = tqdb_tbl_time,
    .fields = time_fields,
    .options = FM_ZERO_ABSENT,
    .check = manual_time_ok,
    .adjust = sync_interval_stored,
    .answer = time_stored,
};

int write_time_set(const core_answer&) {
    core_notify(network_reply, msg_time_applied, 0, nullptr);
    return 1;
}

void net_time_show(request& rq) {
    time_record rec;
    if (load_time(TQDB_FILE, &rec) < 0) return rq.fail();
    rec.sync_interval = sync_index_of(rec.sync_interval);
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    json_ref obj(json_object_new_object());
    json_object* o = obj.get();
    struct {
        const char* key;
        int value;
        const char* form;
    } const parts[] = {
        {"dateYear", local.tm_year + 1900, "%.4d"}, {"dateMon", local.tm_mon + 1, "%.2d"},
        {"dateDay", local.tm_mday, "%.2d"},         {"dateHour", local.tm_hour, "%.2d"},
        {"dateMin", local.tm_min, "%.2d"},          {"dateSec", local.tm_sec, "%.2d"},
    };
    for (const auto& part : parts) {
        std::snprintf(text, sizeof text, part.form, part.value);
        jadd_str(o, part.key, text);
    }
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    jadd_str(o, "serverTime", text);
    fields_to_json(o, &rec, time_fields);
    cgi_reply_json(o);
}
