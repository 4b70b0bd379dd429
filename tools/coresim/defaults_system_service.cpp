// Default replies of the system module's service pages: the diagnostic
// package (a real file in the root's /tmp that the download then streams)
// and the alarm sound list (two files, "door.wav" in slot 0 and
// "siren.wav" in slot 3).
#include <cstdio>
#include <cstring>
#include <fstream>

#include "platform/msg_system_service.h"
#include "platform/textcode.h"
#include "platform/tqdb/rec_system.h"
#include "tools/coresim/coresim.h"

namespace {

const char diagnostic_path[] = "/tmp/diagnostic.txt";

// Writes the package and names it (result 0).
void diagnostic(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    std::ofstream file(req.root + diagnostic_path, std::ios::trunc);
    file << "diagnostic package\n"
         << "cameras: 4 connected\n"
         << "disks: 1, 4000 GB, normal\n"
         << "network: eth0 up 1000 Mb/s, eth1 down\n";
    file.close();
    uint8_t reply[diagnostic_name_at + diagnostic_name_width] = {};
    const int32_t result = file ? 0 : -1;
    std::memcpy(reply + offsetof(diagnostic_reply_head, result), &result, sizeof result);
    std::memcpy(reply + diagnostic_name_at, diagnostic_path, sizeof diagnostic_path);
    coresim::add_message(out, msg_diagnostic_collect_reply, reply, sizeof reply);
}

void audio_list(const coresim::request_view&, std::vector<coresim::out_msg>& out) {
    alarm_audio_file_record slots[alarm_audio_file_slots];
    std::memset(slots, 0, sizeof slots);
    for (int i = 0; i < alarm_audio_file_slots; ++i) slots[i].id = i;
    const struct {
        int slot;
        const char* name;
    } files[] = {{0, "door.wav"}, {3, "siren.wav"}};
    for (const auto& f : files) {
        slots[f.slot].enable = 1;
        base64EncodeUrl(reinterpret_cast<const unsigned char*>(f.name), static_cast<int>(std::strlen(f.name)),
                        slots[f.slot].name, sizeof slots[f.slot].name);
    }
    coresim::add_message(out, msg_audio_list_reply, slots, sizeof slots);
}

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer)
    {msg_set_language, 4, -1},           // factory command: the language number
    {msg_access_filter_changed, 0, -1},  // the access filter was stored
    {msg_diagnostic_collect, sizeof(diagnostic_request), diagnostic_name_at + diagnostic_name_width, -1,
     diagnostic},
    {msg_audio_list, 0, sizeof(alarm_audio_file_record), -1, audio_list},
    {msg_audio_add, sizeof(audio_name_request), 4},          // result 0: taken
    {msg_audio_remove, 4, 4},                                // result 0: removed
    {msg_audio_rename, sizeof(alarm_audio_file_record), 4},  // result 0: renamed
    {msg_audio_by_id, 4, 4},                                 // result 0
};

}  // namespace

CORESIM_DEFAULTS("system service", rows);
