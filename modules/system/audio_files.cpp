// The alarm sound files: up to ten WAV files that alarms can play. The core
// daemon owns the list; a file reaches it as an upload that is renamed in
// /tmp to the URL-safe Base64 of its name (the name may be any text, the
// file name then is plain), which the daemon then takes.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "front/cgi_env.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/field_map.h"
#include "modules/system/service.h"
#include "modules/system/system.h"
#include "platform/msg_system_service.h"
#include "platform/nvr_env.h"
#include "platform/textcode.h"
#include "platform/tqdb/rec_system.h"

namespace {

constexpr size_t upload_name_max = 127;
constexpr uint32_t audio_id_bits = (1u << alarm_audio_file_slots) - 1;
constexpr int64_t oplog_sub_audio = 204;
constexpr int oplog_param_audio = 925;

using encoded_name = char[sizeof(alarm_audio_file_record::name)];

// The URL-safe Base64 of a name into a 128-byte field; false when it does
// not fit.
bool encode_name(const char* name, encoded_name& out) {
    return base64EncodeUrl(reinterpret_cast<const unsigned char*>(name), static_cast<int>(std::strlen(name)),
                           out, sizeof out) >= 0;
}

bool regular_file(const std::string& device_path) {
    struct stat st;
    return lstat(nvr_path(device_path.c_str()).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Sends a waiting request about the list; {"status": n} comes from the
// answer. A request the daemon answered goes to the operation log when log
// is set.
void audio_query(int32_t msg_id, const void* payload, int len, bool log) {
    if (core_query(system_reply, msg_id, len, payload, REPLY_JSON) != 0 && log)
        oplog_send(oplog_sub_audio, oplog_param_audio);
}

using ar = alarm_audio_file_record;
const field audio_fields[] = {
    FM_INT(ar, "id", id),
    FM_INT(ar, "enable", enable),
};

}  // namespace

void audio_list(request&) { core_query(system_reply, msg_audio_list, 0, nullptr, REPLY_JSON); }

int write_audio_list(const core_answer& answer) {
    json_ref reply(json_object_new_object());
    json_object* list = json_object_new_array();
    for (uint32_t i = 0; i < answer.count; ++i) {
        const auto entry = answer.rec<alarm_audio_file_record>(i);
        if (!entry.enable) continue;
        json_object* item = fields_object(&entry, audio_fields);
        char name[sizeof entry.name + 1] = {};
        std::memcpy(name, entry.name, sizeof entry.name);
        unsigned char decoded[sizeof entry.name + 1];
        const int len = base64DecodeUrl(name, decoded, sizeof entry.name);
        if (len >= 0) {
            decoded[len] = '\0';
            jadd_str(item, "name", reinterpret_cast<const char*>(decoded));
        }
        json_object_array_add(list, item);
    }
    json_object_object_add(reply.get(), "audioFileList", list);
    jadd_int(reply.get(), "status", 0);
    cgi_reply_json(reply.get());
    return 1;
}

int write_audio_status(const core_answer& answer) { return reply_int_member("status", answer); }

void audio_upload(request&) {
    // The file this request uploaded ("/tmp/" and its name), never a path
    // the text names.
    const std::string upload = cgi_upload_path();
    encoded_name encoded = {};
    int result = -1;
    if (upload.compare(0, 5, "/tmp/") == 0 && regular_file(upload)) {
        const bool wav = upload.find(".wav") != std::string::npos || upload.find(".WAV") != std::string::npos;
        if (!wav) {
            unlink(nvr_path(upload.c_str()).c_str());
            cgi_debug_log(__FILE__, __LINE__, "", "not a WAV file: %s", upload.c_str());
        } else if (encode_name(upload.c_str() + 5, encoded)) {
            // Exactly the uploaded file is renamed; on failure only that
            // file goes.
            const std::string target = nvr_path(("/tmp/" + std::string(encoded)).c_str());
            result = std::rename(nvr_path(upload.c_str()).c_str(), target.c_str()) == 0 ? 0 : -1;
            if (result != 0) unlink(nvr_path(upload.c_str()).c_str());
        }
    }
    cgi_reply_result(result, encoded);
}

void audio_add(request& rq) {
    char upload_name[upload_name_max + 1];
    req_text(rq.json, "uploadName", upload_name, sizeof upload_name);
    const char* name = req_str(rq.json, "name");
    const std::string uploaded = tmp_file_of(upload_name);
    audio_name_request msg{};
    if (uploaded.empty() || !regular_file(uploaded) || !name || !encode_name(name, msg.name))
        return rq.fail();
    const std::string target = "/tmp/" + std::string(msg.name);
    if (std::rename(nvr_path(uploaded.c_str()).c_str(), nvr_path(target.c_str()).c_str()) != 0)
        return rq.fail();
    audio_query(msg_audio_add, &msg, sizeof msg, true);
}

void audio_remove(request& rq) {
    int64_t mask = 0;
    if (!req_int64(rq.json, "idMask", &mask) || (static_cast<uint64_t>(mask) & audio_id_bits) == 0)
        return rq.fail();
    const int32_t payload = static_cast<int32_t>(mask);
    audio_query(msg_audio_remove, &payload, sizeof payload, true);
}

void audio_rename(request& rq) {
    alarm_audio_file_record entry{};
    const char* name = req_str(rq.json, "name");
    if (!req_int(rq.json, "id", &entry.id) || !name || !encode_name(name, entry.name)) return rq.fail();
    entry.enable = 1;
    audio_query(msg_audio_rename, &entry, sizeof entry, true);
}

void audio_by_id(request& rq) {
    int32_t id = 0;
    if (!req_int(rq.json, "id", &id)) return rq.fail();
    audio_query(msg_audio_by_id, &id, sizeof id, false);
}
