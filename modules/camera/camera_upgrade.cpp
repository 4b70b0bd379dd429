// Camera firmware upgrade: the recorder starts a job for a set of channels,
// reports each channel's status and stops the job; the core daemon fetches
// the image (for a URL) and upgrades the cameras.
//
// The channel sets "chnid" and "reset" are 64-bit masks. They are read as
// 64-bit integers: any 32-bit value reads as it always has (-1, widened with
// its sign, is every channel), and channels 32..63 can be chosen one by one.
#include "modules/camera/camera_upgrade.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/camera/camera.h"
#include "platform/msg_camera_upgrade.h"

namespace {

constexpr size_t progress_text_max = 2047;

// A channel mask member; 0 when absent.
uint64_t mask_member(json_object* req, const char* key) {
    json_object* v = req_member(req, key);
    if (!v) return 0;
    int64_t value = json_object_get_int64(v);
    // Values past INT64_MAX (channel 63 alone, written unsigned) read whole.
    return value < 0 ? static_cast<uint64_t>(value) : json_object_get_uint64(v);
}

}  // namespace

void cam_fw_upload(request& rq) {
    cam_fw_upload_start s;
    std::memset(&s, 0, sizeof s);
    s.channels = mask_member(rq.json, "chnid");
    s.keep = ~mask_member(rq.json, "reset");
    s.file_size = req_int_or(rq.json, "fileSize", 0);
    core_query(camera_reply, msg_cam_fw_upload, sizeof s, &s, REPLY_JSON);
}

void cam_fw_progress(request&) { core_query(camera_reply, msg_cam_fw_progress, 0, nullptr, REPLY_TEXT); }

void cam_fw_url(request& rq) {
    cam_fw_url_start s;
    std::memset(&s, 0, sizeof s);
    s.channels = mask_member(rq.json, "chnid");
    s.reset = mask_member(rq.json, "reset");
    req_text(rq.json, "url", s.url, sizeof s.url);
    copy_text(s.target, sizeof s.target, CAMERA_IMAGE_PATH);
    core_query(camera_reply, msg_cam_fw_url, sizeof s, &s, REPLY_JSON);
}

void cam_fw_stop(request& rq) {
    int32_t stop = req_int_or(rq.json, "stop", 0);
    core_notify(camera_reply, msg_cam_fw_stop, sizeof stop, &stop);
}

// "chnid=<mask>" and a "status<n>=<status>" line for each channel of the
// mask, at most 2047 characters in all.
int write_fw_progress_text(const core_answer& answer) {
    cam_fw_job_state p = answer.rec<cam_fw_job_state>();
    char line[64];
    std::snprintf(line, sizeof line, "chnid=%lld\r\n", static_cast<long long>(p.channels));
    std::string text = line;
    for (int n = 0; n < 64; ++n) {
        if (!((p.channels >> n) & 1)) continue;
        std::snprintf(line, sizeof line, "status%d=%d\r\n", n, p.status[n]);
        text += line;
    }
    if (text.size() > progress_text_max) text.resize(progress_text_max);
    cgi_reply(REPLY_TEXT, text.c_str());
    return 1;
}

// {"chnid": the mask's low 32 bits, "status": [the status of each channel of
// the mask, in channel order]}.
int write_fw_url_started(const core_answer& answer) {
    cam_fw_job_state p = answer.rec<cam_fw_job_state>();
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), "chnid", static_cast<int32_t>(static_cast<uint32_t>(p.channels)));
    json_object* list = json_object_new_array();
    json_object_object_add(obj.get(), "status", list);
    for (int n = 0; n < 64; ++n)
        if ((p.channels >> n) & 1) json_object_array_add(list, json_object_new_int(p.status[n]));
    cgi_reply_json(obj.get());
    return 1;
}
