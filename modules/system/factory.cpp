// The factory commands of production and service ("/vb.htm"), the refused
// download ("/dw.cgi") and camera addresses in bulk ("/ipc").
//
// A "/vb.htm" request is a bare command ("softversion") or a list of
// name=value pairs joined by '&'. The commands run in order and each writes
// a reply of its own (with its own header), so a list gets several replies;
// an unknown name answers "ERROR" and ends the list.
#include <arpa/inet.h>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/system/service.h"
#include "modules/system/system.h"
#include "platform/msg_system_service.h"
#include "platform/nvr_env.h"
#include "platform/tqdb/rec_camera.h"
#include "platform/tqdb/tqdb.h"

namespace {

constexpr size_t command_text_max = 255;
constexpr size_t command_part_max = 63;  // characters of a name or a value

// ---- the commands ---------------------------------------------------------------

struct factory_command {
    const char* name;
    void (*run)(request& rq, const char* value, const char* key);
    const char* key = nullptr;  // the parameter a store command writes
};

void set_language(request&, const char* value, const char*) {
    const int32_t language = std::atoi(value);
    core_notify(system_reply, msg_set_language, sizeof language, &language);
    cgi_reply(REPLY_TEXT, "OK");
}

void nothing(request&, const char*, const char*) {}

// Stores the value under the command's parameter key.
void store_param(request& rq, const char* value, const char* key) {
    const int rc = check_param_key(TQDB_FILE, key) != 0 ? add_param_value(TQDB_FILE, key, value)
                                                        : set_param_value(TQDB_FILE, key, value);
    if (rc != 0) return rq.fail();
    cgi_reply(REPLY_TEXT, "OK");
}

// Runs a fixed program on paths of the system with its output kept out of
// the reply; the result is not needed (a missing backup is no failure).
void run_quiet(std::initializer_list<std::string> words) {
    std::vector<const char*> argv;
    for (const std::string& w : words) argv.push_back(w.c_str());
    argv.push_back(nullptr);
    cgi_exec_output(argv.data(), nullptr);
}

// Removes what "rm dir/*" removes: every entry but dot files and
// directories.
void remove_plain_entries(const std::string& dir) {
    DIR* d = opendir(dir.c_str());
    if (!d) return;
    while (const dirent* e = readdir(d)) {
        if (e->d_name[0] == '.') continue;
        const std::string path = dir + "/" + e->d_name;
        struct stat st;
        if (lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) unlink(path.c_str());
    }
    closedir(d);
}

// The factory look back, the vendor pack gone, and the markers that make
// the system erase its addresses, users and everything else at the next
// start.
void oem_clean(request& rq, const char*, const char*) {
    const std::string nand2 = nvr_path("/mnt/nand2"), bin = nvr_path("/opt/app/bin"),
                      www = nvr_path("/opt/app/www");
    run_quiet({"cp", nand2 + "/logo.jpg_bk", bin + "/logo.jpg"});
    run_quiet({"cp", nand2 + "/gui.rcc_bk", bin + "/gui.rcc"});
    remove_plain_entries(nand2);
    run_quiet({"tar", "-zxvf", www + "/web.tar.gz", "-C", www + "/"});
    touch_file("/mnt/nand/app/eraseip");
    touch_file("/mnt/nand/app/eraseuser");
    // Without the vendor type stored, no erase-all marker: the system would
    // otherwise start from scratch still branded.
    if (set_param_int(TQDB_FILE, "oem_type", 0) != 0) return rq.fail();
    touch_file("/mnt/nand/app/eraseall");
    sync();
    cgi_reply(REPLY_TEXT, "OK");
}

void software_version(request&, const char*, const char*) {
    char version[256];
    get_param_value(TQDB_FILE, "software_version", version, sizeof version, "7x.7.0.9");
    cgi_reply(REPLY_TEXT, version);
}

void show_chip_info(request& rq, const char* value, const char*) { chip_info_show(rq, value); }
void update_chip_info(request& rq, const char* value, const char*) { chip_info_update(rq, value); }
void update_chip_model(request& rq, const char* value, const char*) { chip_model_update(rq, value); }

// clang-format off
const factory_command commands[] = {
    {"setlang", set_language},
    {"setdefault", nothing},
    {"decode", store_param, "decode"},
    {"hotplug", store_param, "hdmihotplug"},
    {"oemclean", oem_clean},
    {"paratest", show_chip_info},
    {"chipupdate", update_chip_info},
    {"modelupdate", update_chip_model},
    {"softversion", software_version},
};
// clang-format on

// Texts that are a command on their own, run with the value "1". The empty
// slots match an empty request, which then names no command ("ERROR"), as
// "velto" and "debug" do.
const char* const bare_commands[] = {"oemclean", "velto", "debug", "softversion", "", "", "", "", "", ""};

const factory_command* find_command(const std::string& name) {
    for (const factory_command& c : commands)
        if (name == c.name) return &c;
    return nullptr;
}

struct command_call {
    std::string name, value;
};

// The pairs of a list: as many as the text holds '=' characters, each name
// running to '=' and each value to '&' or the end. False for a text without
// '=' or with a name or value of 64 characters or more.
bool parse_pairs(const std::string& text, std::vector<command_call>& calls) {
    size_t count = 0;
    for (char c : text) count += c == '=';
    if (count == 0) return false;
    size_t at = 0;
    for (size_t i = 0; i < count; ++i) {
        command_call call;
        size_t end = std::min(text.find('=', at), text.size());
        call.name = text.substr(at, end - at);
        at = end < text.size() ? end + 1 : end;
        end = std::min(text.find('&', at), text.size());
        call.value = text.substr(at, end - at);
        at = end < text.size() ? end + 1 : end;
        if (call.name.size() > command_part_max || call.value.size() > command_part_max) return false;
        calls.push_back(std::move(call));
    }
    return true;
}

}  // namespace

void factory_commands(request& rq) {
    std::vector<command_call> calls;
    for (const char* bare : bare_commands)
        if (std::strcmp(rq.text, bare) == 0) {
            calls.push_back({bare, "1"});
            break;
        }
    if (calls.empty()) {
        std::string text(rq.text);
        if (text.size() > command_text_max) text.resize(command_text_max);
        if (!parse_pairs(text, calls)) {
            cgi_reply(REPLY_TEXT, "PARAM ERROR");
            return;
        }
    }
    for (const command_call& call : calls) {
        const factory_command* command = find_command(call.name);
        if (!command) {
            cgi_reply(REPLY_TEXT, "ERROR");
            return;
        }
        command->run(rq, call.value.c_str(), command->key);
    }
}

void factory_download(request&) { cgi_reply(REPLY_TEXT, "NG download"); }

void camera_addresses(request& rq) {
    char start_text[32];
    req_text(rq.json, "startip", start_text, sizeof start_text, 31);
    const int64_t addresses = req_int_or(rq.json, "chnNum", 0);
    const int64_t per_address = req_int_or(rq.json, "chnFre", 0);
    in_addr start;
    // Not a dotted IPv4 address: nothing to count up from, nothing written.
    if (inet_pton(AF_INET, start_text, &start) != 1) {
        cgi_reply(REPLY_TEXT, "OK");
        return;
    }
    const uint32_t base = ntohl(start.s_addr);
    const int limit = max_channels();
    struct camera_ip {
        int chn;
        char text[16];
    };
    std::vector<camera_ip> writes;
    // Every address takes at least one channel, so the channels bound both
    // loops.
    for (int64_t i = 0; per_address > 0 && i < addresses && static_cast<int>(writes.size()) < limit; ++i) {
        const uint32_t addr = (base & 0xffffff00u) | ((base + static_cast<uint32_t>(i)) & 0xffu);
        for (int64_t j = 0; j < per_address && static_cast<int>(writes.size()) < limit; ++j) {
            camera_ip w{static_cast<int>(writes.size()), {}};
            std::snprintf(w.text, sizeof w.text, "%u.%u.%u.%u", addr >> 24, (addr >> 16) & 0xff,
                          (addr >> 8) & 0xff, addr & 0xff);
            writes.push_back(w);
        }
    }
    const int rc = tqdb_atomic(TQDB_FILE, [&] {
        for (const camera_ip& w : writes)
            if (write_camera_ip(TQDB_FILE, w.chn, w.text) != 0) return -1;
        return 0;
    });
    if (rc != 0) return rq.fail();
    cgi_reply(REPLY_TEXT, "OK");
}
