// Default replies of the log page and the general settings: a log of a few
// hundred entries over the last three days (NVR_CORESIM_LOG_ENTRIES sets
// another number), which the search pages through and the export writes to
// a file; the device information of an eight-channel recorder.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>

#include "platform/msg_device.h"
#include "platform/msg_log.h"
#include "tools/coresim/coresim.h"

namespace {

constexpr const char* export_file = "/tmp/log/coresim_export.bin";

struct entry_kind {
    int32_t main_type;
    int64_t sub_type;
    int32_t parameter;
    bool channel;  // the entry names a camera channel
    const char* detail;
};
const entry_kind kinds[] = {
    {2, 11, 904, true, "Motion detected"},
    {2, 12, 904, true, "Motion ended"},
    {2, 13, 904, true, "Video signal lost"},
    {2, 17, 906, false, "Alarm input 1 closed"},
    {4, 101, 900, false, "Login from the local console"},
    {4, 103, 900, false, "Login from a \"web\" client"},
    {4, 204, 913, false, "Display settings changed"},
    {4, 200, 900, false, "Restart requested"},
    {8, 500, 908, false, "Disk 1: 3726 GB, 1210 GB used"},
    {8, 501, 902, true, "Recording started"},
    {32, 403, 907, false, "Network cable unplugged"},
    {32, 407, 901, true, "Camera went offline"},
    {64, 600, 900, false, "Core heartbeat"},
};

int log_entries() {
    const char* env = std::getenv("NVR_CORESIM_LOG_ENTRIES");
    int n = env ? std::atoi(env) : 300;
    return n < 0 ? 0 : n;
}

// Entry i, the newest first, one every 15 minutes back from now.
void make_entry(int i, time_t now, oplog_record& r, std::string* text) {
    std::memset(&r, 0, sizeof r);
    const entry_kind& k = kinds[(i * 7) % (sizeof kinds / sizeof kinds[0])];
    r.main_type = k.main_type;
    r.sub_type = k.sub_type;
    r.parameter_type = k.parameter;
    r.pts = static_cast<int32_t>(now - static_cast<time_t>(i) * 900);
    r.remote = i % 3 == 0 ? 1 : 0;
    r.chan_no = k.channel ? 1 + i % 8 : 0;
    std::snprintf(r.ip, sizeof r.ip, "%s", r.remote ? "::ffff:192.168.1.20" : "127.0.0.1");
    std::snprintf(r.user, sizeof r.user, "%s", r.main_type == 4 ? "admin" : "system");
    r.detail_size = static_cast<int32_t>(std::strlen(k.detail));
    std::memcpy(r.detail, k.detail, std::strlen(k.detail));
    if (text) *text = k.detail;
}

bool matches(const log_search& s, const oplog_record& r) {
    if (r.pts < s.start_time || r.pts > s.end_time) return false;
    if (s.main_type != 1 && s.main_type != r.main_type) return false;
    bool any_sub = false, sub_listed = false;
    int n = s.sub_type_count < 0 ? 0 : (s.sub_type_count > 100 ? 100 : s.sub_type_count);
    for (int i = 0; i < n; ++i) {
        if (s.sub_types[i] == 10) any_sub = true;
        if (s.sub_types[i] == r.sub_type) sub_listed = true;
    }
    if (!any_sub && !sub_listed) return false;
    if (r.chan_no > 0 && r.chan_no <= 64 && s.channels != 0 && !((s.channels >> (r.chan_no - 1)) & 1))
        return false;
    return true;
}

void log_search_page(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    auto s = coresim::request_record<log_search>(req);
    auto page = std::make_unique<log_page>();  // 66 KiB: not on the thread's stack
    std::memset(page.get(), 0, sizeof *page);
    const int first = (s.page < 1 ? 0 : s.page - 1) * log_page_records;
    const time_t now = time(nullptr);
    oplog_record r;
    for (int i = 0, total = log_entries(); i < total; ++i) {
        make_entry(i, now, r, nullptr);
        if (!matches(s, r)) continue;
        if (page->total >= first && page->count < log_page_records) page->records[page->count++] = r;
        ++page->total;
    }
    coresim::reply_records(msg_log_search_reply, page.get(), 1, out);
}

// Writes the matches to the export file (count, then record and text each)
// and names it.
void log_export(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    auto s = coresim::request_record<log_search>(req);
    mkdir((req.root + "/tmp").c_str(), 0755);
    mkdir((req.root + "/tmp/log").c_str(), 0755);
    log_export_ready ready{};
    std::snprintf(ready.path, sizeof ready.path, "%s", export_file);
    FILE* f = std::fopen((req.root + export_file).c_str(), "wb");
    if (f) {
        int32_t count = 0;
        std::fwrite(&count, sizeof count, 1, f);
        const time_t now = time(nullptr);
        oplog_record r;
        std::string text;
        auto block = std::make_unique<char[]>(log_export_text);
        for (int i = 0, total = log_entries(); i < total; ++i) {
            make_entry(i, now, r, &text);
            if (!matches(s, r)) continue;
            std::memset(block.get(), 0, log_export_text);
            std::memcpy(block.get(), text.data(), text.size());
            std::fwrite(&r, sizeof r, 1, f);
            std::fwrite(block.get(), log_export_text, 1, f);
            ++count;
        }
        std::fseek(f, 0, SEEK_SET);
        std::fwrite(&count, sizeof count, 1, f);
        std::fclose(f);
    } else {
        ready.result = -1;
    }
    coresim::reply_records(msg_log_export_reply, &ready, 1, out);
}

void log_entry(const coresim::request_view&, std::vector<coresim::out_msg>& out) {
    const char text[] = "OK";
    coresim::add_message(out, msg_log_entry_reply, text, sizeof text);
}

void device_information(const coresim::request_view&, std::vector<coresim::out_msg>& out) {
    device_info info;
    std::memset(&info, 0, sizeof info);
    info.device_no = 255;
    info.max_cameras = 8;
    info.sensors = 4;
    info.alarm_outputs = 1;
    info.audio_outputs = 1;
    info.displays = 2;
    info.rs485_ports = 1;
    info.network_ports = 1;
    info.oem_version = 0;
    std::snprintf(info.serial, sizeof info.serial, "N8A2406150012345");
    std::snprintf(info.prefix, sizeof info.prefix, "N8A");
    std::snprintf(info.device_name, sizeof info.device_name, "NVR-8CH");
    std::snprintf(info.software, sizeof info.software, "V2.4.1.0 build 240615");
    std::snprintf(info.hardware, sizeof info.hardware, "HW-N8-V1.2");
    std::snprintf(info.mac, sizeof info.mac, "00:1a:2b:3c:4d:5e");
    info.talk = 1;
    coresim::reply_records(msg_device_info_reply, &info, 1, out);
}

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer), channel offset, builder
    {msg_device_probe, 0, 4},                           // -> 8265: 0
    {msg_log_entry, 672, 3, -1, log_entry},             // -> 8488 "OK"
    {msg_log_export, 840, 68, -1, log_export},          // -> 8494 the file
    {msg_log_search, 840, 67208, -1, log_search_page},  // -> 8495 one page
    {msg_device_info, 0, 584, -1, device_information},  // -> 8400
};

}  // namespace

CORESIM_DEFAULTS("log", rows);
