// The log page. The core daemon keeps the log and runs the searches; here
// the browser's search becomes a log_search, and the daemon's pages become
// JSON (one page) or a CSV download (the whole export, streamed from the
// file the daemon wrote, one record at a time), with the log types named in
// the browser's language.
#include "modules/system/logs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/system/system.h"
#include "platform/msg_log.h"
#include "platform/nvr_env.h"
#include "platform/tqdb/tqdb.h"
#include "platform/tqfs.h"
#include "platform/tqnet.h"
#include "platform/trans.h"

namespace {

constexpr const char* export_dir = "/tmp/log";
constexpr const char* export_marker = "/tmp/log/log_web";

// What the reply writers need of the request (one request per process).
char kept_language[32] = "";
int kept_page = 0;
int kept_main_type = 0;

// An open catalogue for the life of a writer.
struct trans_scope {
    explicit trans_scope(const char* lang) { trans_init(lang); }
    ~trans_scope() { trans_deinit(); }
    trans_scope(const trans_scope&) = delete;
    trans_scope& operator=(const trans_scope&) = delete;
};

std::string trans_name(int64_t number) {
    char buf[128];
    trans_get_value(number, buf, sizeof buf);
    return buf;
}

// An address as the page shows it: an IPv4-mapped address without its
// "::ffff:", any other without a zone ("%eth0").
std::string shown_address(const char* field, size_t width) {
    std::string ip(field, strnlen(field, width));
    if (ip.compare(0, 7, "::ffff:") == 0 && ip.find('.') != std::string::npos) return ip.substr(7);
    size_t zone = ip.find('%');
    return zone == std::string::npos ? ip : ip.substr(0, zone);
}

std::string local_time_text(time_t t) {
    struct tm tm {};
    localtime_r(&t, &tm);
    char buf[80];
    std::snprintf(buf, sizeof buf, "%4d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

// "%Y-%m-%d %H:%M:%S" (or with 'T') as local time; false when it does not
// read as a time.
bool read_time(json_object* req, const char* key, const char* format, int32_t* out) {
    const char* text = req_str(req, key);
    if (!text) return false;
    struct tm tm {};
    const char* end = strptime(text, format, &tm);
    if (!end) return false;
    tm.tm_isdst = -1;
    *out = static_cast<int32_t>(mktime(&tm));
    return true;
}

json_object* sub_type_array(json_object* req) {
    json_object* arr = req_array(req, "subTypeArr");
    if (!arr || json_object_array_length(arr) == 0) return nullptr;
    return arr;
}

// Both searches need these members; a search for no sub type is none.
bool search_request_ok(json_object* req) {
    int main_type;
    json_object* subs = sub_type_array(req);
    return req_str(req, "language") && req_int(req, "mainType", &main_type) && main_type >= 1 &&
           main_type <= 64 && subs && json_object_get_int64(json_object_array_get_idx(subs, 0)) > 9 &&
           req_member(req, "startTime") && req_member(req, "endTime") && req_member(req, "curPageNum");
}

// The common part of both searches: times, main type, sub types.
bool fill_search(json_object* req, const char* time_format, log_search& s) {
    if (!read_time(req, "startTime", time_format, &s.start_time) ||
        !read_time(req, "endTime", time_format, &s.end_time))
        return false;
    s.main_type = req_int_or(req, "mainType", 0);
    json_object* subs = sub_type_array(req);
    size_t n = json_object_array_length(subs);
    if (n > log_search_sub_types) n = log_search_sub_types;
    for (size_t i = 0; i < n; ++i) s.sub_types[i] = json_object_get_int64(json_object_array_get_idx(subs, i));
    s.sub_type_count = static_cast<int32_t>(n);
    return true;
}

void keep_language(json_object* req) {
    copy_text(kept_language, sizeof kept_language, req_str(req, "language"), 31);
}

// The 512 detail bytes as 128 integers, most significant byte first.
json_object* detail_words(const uint8_t* detail) {
    json_object* arr = json_object_new_array();
    for (int i = 0; i < 128; ++i) {
        const uint8_t* b = detail + 4 * i;
        uint32_t v = (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | b[3];
        json_object_array_add(arr, json_object_new_int(static_cast<int32_t>(v)));
    }
    return arr;
}

json_object* page_entry(const oplog_record& r, int no) {
    json_object* o = json_object_new_object();
    jadd_int(o, "no", no);
    jadd_int(o, "mainTypeValue", r.main_type);
    jadd_str(o, "mainType", trans_name(log_main_index(r.main_type)).c_str());
    jadd_int(o, "subTypeValue", r.sub_type);
    jadd_str(o, "subType", trans_name(r.sub_type).c_str());
    jadd_int(o, "pts", r.pts);
    jadd_str(o, "ptc", local_time_text(r.pts).c_str());
    jadd_int(o, "parameterValue", r.parameter_type);
    jadd_str(o, "parameter", trans_name(r.parameter_type).c_str());
    jadd_int(o, "remote", r.remote);
    jadd_int(o, "chanNo", r.chan_no);
    jadd_int(o, "disk", log_channo_is_disk(r.main_type, r.sub_type));
    jadd_int(o, "size", r.detail_size);
    jadd_field(o, "detail", reinterpret_cast<const char*>(r.detail), sizeof r.detail);
    json_object_object_add(o, "detail2", detail_words(r.detail));
    jadd_str(o, "ip", shown_address(r.ip, sizeof r.ip).c_str());
    jadd_field(o, "user", r.user, sizeof r.user);
    return o;
}

// A CSV text field: between double quotes, inner quotes doubled.
void put_quoted(FILE* out, const char* text) {
    std::fputc('"', out);
    for (const char* p = text; *p; ++p) {
        if (*p == '"') std::fputc('"', out);
        std::fputc(*p, out);
    }
    std::fputs("\",", out);
}

void put_csv_row(FILE* out, int number, const oplog_record& r, const char* text) {
    std::string param = trans_name(r.parameter_type);
    std::fprintf(out, "%d,%s,%s,%s,%s,", number, local_time_text(r.pts).c_str(),
                 trans_name(log_main_index(r.main_type)).c_str(), trans_name(r.sub_type).c_str(),
                 param.empty() ? "N/A" : param.c_str());
    // One column each, as the header row names them.
    std::fwrite(r.user, 1, strnlen(r.user, sizeof r.user), out);
    std::fprintf(out, ",%s,%d,", shown_address(r.ip, sizeof r.ip).c_str(), r.chan_no);
    put_quoted(out, *text ? text : "N/A");
    std::fputs("\r\n", out);
    std::fflush(out);
}

const char* export_type_name(int index) {
    static const char* const names[] = {"All",         "All",       "Event", "Operation",
                                        "Information", "Exception", "Debug"};
    return index >= 0 && index < 7 ? names[index] : "All";
}

// The rows of the export file; stops at the first short read.
void stream_export_file(const std::string& path) {
    FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) return;
    int32_t count = 0;
    if (std::fread(&count, sizeof count, 1, in) == 1) {
        oplog_record rec;
        auto text = std::make_unique<char[]>(log_export_text + 1);
        for (int32_t i = 0; i < count; ++i) {
            if (std::fread(&rec, sizeof rec, 1, in) != 1) break;
            if (std::fread(text.get(), log_export_text, 1, in) != 1) break;
            text[log_export_text] = '\0';
            put_csv_row(stdout, i + 1, rec, text.get());
        }
    }
    std::fclose(in);
}

// The sub types the catalogue lists after 10, in order, by main type.
struct sub_type_run {
    int32_t main_type, first, last;
};
const sub_type_run sub_type_runs[] = {
    {2, 11, 36},   {2, 38, 41},   {2, 37, 37},    {2, 42, 42},    {4, 101, 143},
    {4, 200, 225}, {8, 500, 519}, {32, 400, 411}, {64, 600, 603},
};
static_assert(sizeof(sub_type_run) == 12);

// Sub types inside the runs that the catalogue leaves out; 15 and 16 only
// the vendor type 90 has.
bool sub_type_listed(int n, bool oem_90) {
    if (n == 31 || n == 32 || n == 408 || (n >= 507 && n <= 510)) return false;
    return oem_90 || (n != 15 && n != 16);
}

}  // namespace

int log_main_index(int main_type) {
    static const int bits[] = {1, 2, 4, 8, 32, 64};
    for (int i = 0; i < 6; ++i)
        if (bits[i] == main_type) return i + 1;
    return -1;
}

int log_operation_groups(const int64_t groups[3], int64_t* out) {
    static const int bases[3] = {101, 131, 200};
    int n = 0;
    for (int g = 0; g < 3; ++g) {
        uint64_t bits = static_cast<uint64_t>(groups[g] - 10);
        for (int i = 0; i < 30; ++i)
            if ((bits >> i) & 1) out[n++] = bases[g] + i;
    }
    return n;
}

void log_search_page(request& rq) {
    if (!search_request_ok(rq.json)) return rq.refuse("a search member is missing or out of range");
    log_search s{};
    if (!fill_search(rq.json, "%Y-%m-%d %H:%M:%S", s)) return rq.refuse("a time does not read");
    keep_language(rq.json);
    s.page = kept_page = req_int_or(rq.json, "curPageNum", 0);
    if (const char* mask = req_str(rq.json, "chnMask"))
        for (int n = 0; n < 64 && mask[n]; ++n)
            if (mask[n] == '1') s.channels |= uint64_t{1} << n;
    s.no_channel = req_int_or(rq.json, "searchNoChn", 0);
    core_query(system_reply, msg_log_search, sizeof s, &s, REPLY_JSON);
}

int write_log_page(const core_answer& answer) {
    if (answer.count == 0) {
        cgi_reply(REPLY_JSON, "ERROR");
        return 1;
    }
    int32_t head[2];
    std::memcpy(head, answer.bytes(), sizeof head);
    int on_page = head[1] < 0 ? 0 : (head[1] > log_page_records ? log_page_records : head[1]);
    trans_scope names(kept_language);
    json_object* page = json_object_new_object();
    jadd_int(page, "count", head[0]);
    jadd_int(page, "num", head[1]);
    jadd_int(page, "curPageNum", kept_page);
    json_object* list = json_object_new_array();
    for (int i = 0; i < on_page; ++i) {
        oplog_record r;
        std::memcpy(&r, answer.bytes() + offsetof(log_page, records) + i * sizeof r, sizeof r);
        json_object_array_add(list, page_entry(r, i));
    }
    json_object_object_add(page, "log", list);
    cgi_reply_json(page);
    json_object_put(page);
    return 1;
}

void log_export_csv(request& rq) {
    if (!search_request_ok(rq.json)) return rq.refuse("a search member is missing or out of range");
    log_search s{};
    if (!fill_search(rq.json, "%Y-%m-%dT%H:%M:%S", s)) return rq.refuse("a time does not read");
    keep_language(rq.json);
    kept_main_type = s.main_type;
    s.page = 1;
    if (const char* ch = req_str(rq.json, "ch")) {
        char digits[65];
        copy_text(digits, sizeof digits, ch, 64);
        s.channels = std::strtoull(digits, nullptr, 10);
    }
    s.no_channel = req_int_or(rq.json, "na", 0);
    if (s.main_type == 4 && s.sub_types[0] != 10) {
        json_object* subs = sub_type_array(rq.json);
        int64_t groups[3] = {0, 0, 0};
        for (size_t g = 0; g < 3 && g < json_object_array_length(subs); ++g)
            groups[g] = json_object_get_int64(json_object_array_get_idx(subs, g));
        std::memset(s.sub_types, 0, sizeof s.sub_types);
        s.sub_type_count = log_operation_groups(groups, s.sub_types);
    }
    // The marker tells "/1022" that an export runs; its folder may be missing.
    const std::string marker = nvr_path(export_marker);
    mkdir(nvr_path(export_dir).c_str(), 0755);
    if (FILE* f = std::fopen(marker.c_str(), "w")) std::fclose(f);
    core_query(system_reply, msg_log_export, sizeof s, &s, REPLY_JSON);
    unlink(marker.c_str());
}

int write_log_export(const core_answer& answer) {
    auto ready = answer.rec<log_export_ready>();
    const std::string path(ready.path, strnlen(ready.path, sizeof ready.path));
    char mac[64] = "";
    read_mac_conf(mac, sizeof mac);
    time_t now = time(nullptr);
    struct tm tm {};
    localtime_r(&now, &tm);
    char name[160];
    std::snprintf(name, sizeof name, "%s_log_%s_%4d%02d%02d%02d%02d%02d.csv",
                  export_type_name(log_main_index(kept_main_type)), mac, tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    // A MAC text never adds a folder to the file name.
    for (char* p = name; *p; ++p)
        if (*p == '/') *p = '_';
    cgi_download_header(name);
    for (const char* col :
         {"Number", "Time", "Main", "Sub", "Parameter", "User", "Ip", "Channel", "Log information"})
        std::printf("%s,", col);
    std::fputs("\r\n", stdout);
    std::fflush(stdout);
    trans_scope names(kept_language);
    if (!path.empty() && path[0] == '/') {
        const std::string file = nvr_path(path.c_str());
        stream_export_file(file);
        unlink(file.c_str());
    }
    return 1;
}

void log_type_catalogue(request& rq) {
    char lan[16];
    copy_text(lan, sizeof lan, req_str(rq.json, "lan") ? req_str(rq.json, "lan") : "", 15);
    trans_scope names(lan);
    const bool oem_90 = get_param_int(TQDB_FILE, "oem_type", 0) == 90;
    json_object* mains = json_object_new_array();
    json_object* subs = json_object_new_array();
    auto entry = [](int64_t key, int64_t name_of) {
        json_object* o = json_object_new_object();
        jadd_int(o, "key", key);
        jadd_str(o, "name", trans_name(name_of).c_str());
        return o;
    };
    for (int main_type = 0; main_type <= 64; ++main_type) {
        int index = log_main_index(main_type);
        if (index < 0) continue;
        json_object_array_add(mains, entry(main_type, index));
        json_object* list = json_object_new_array();
        json_object_array_add(list, entry(10, 10));
        for (const sub_type_run& run : sub_type_runs)
            if (run.main_type == main_type)
                for (int n = run.first; n <= run.last; ++n)
                    if (sub_type_listed(n, oem_90)) json_object_array_add(list, entry(n, n));
        json_object_array_add(subs, list);
    }
    json_object* reply = json_object_new_object();
    json_object_object_add(reply, "mainType", mains);
    json_object_object_add(reply, "subType", subs);
    cgi_reply_json(reply);
    json_object_put(reply);
}

void log_entry_write(request& rq) {
    oplog_record r;
    std::memset(&r, 0, sizeof r);
    json_object* req = rq.json;
    r.main_type = req_int_or(req, "mainTypeValue", 0);
    int64_t sub = 0;
    req_int64(req, "subTypeValue", &sub);
    r.sub_type = sub;
    r.pts = req_int_or(req, "pts", 0);
    r.parameter_type = req_int_or(req, "parameterValue", 0);
    r.remote = req_int_or(req, "remote", 0);
    r.chan_no = req_int_or(req, "chanNo", 0);
    r.detail_size = req_int_or(req, "size", 0);
    req_text(req, "ip", r.ip, sizeof r.ip);
    req_text(req, "user", r.user, sizeof r.user);
    if (json_object* words = req_array(req, "detail2")) {
        size_t n = json_object_array_length(words);
        for (size_t i = 0; i < 128 && i < n; ++i) {
            uint32_t v = static_cast<uint32_t>(json_object_get_int64(json_object_array_get_idx(words, i)));
            uint8_t* b = r.detail + 4 * i;
            b[0] = static_cast<uint8_t>(v >> 24);
            b[1] = static_cast<uint8_t>(v >> 16);
            b[2] = static_cast<uint8_t>(v >> 8);
            b[3] = static_cast<uint8_t>(v);
        }
    }
    core_query(system_reply, msg_log_entry, sizeof r, &r, REPLY_TEXT);
}

int write_log_entry(const core_answer& answer) {
    if (answer.size == 0) {
        cgi_reply(REPLY_TEXT, "N/A");
        return 1;
    }
    std::string text(answer.bytes(), strnlen(answer.bytes(), answer.size));
    cgi_reply(REPLY_TEXT, text.c_str());
    return 1;
}

void log_export_running(request&) {
    cgi_reply(REPLY_TEXT, access(nvr_path(export_marker).c_str(), F_OK) == 0 ? "OK" : "NO");
}
