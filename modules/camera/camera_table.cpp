// The camera module's request table (one row a request code, in code order)
// and its reply table (one row an answer identifier).
#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/camera/camera.h"
#include "modules/camera/camera_upgrade.h"
#include "platform/msg_camera.h"
#include "platform/msg_camera_upgrade.h"
#include "platform/msg_camera_query.h"

namespace {

// clang-format off
const request_entry camera_table[] = {
    {"/2000", cam_channel_get, IN_JSON, OUT_JSON_ERR},
    {"/2001", cam_channel_list, IN_TEXT, OUT_JSON},
    {"/2003", cam_edit, IN_JSON, OUT_TEXT},
    {"/2004", cam_add, IN_JSON, OUT_TEXT},
    {"/2005", cam_delete, IN_JSON, OUT_JSON_ERR},
    {"/2007", cam_channel_list, IN_TEXT, OUT_JSON},
    {"/2012", cam_channel_names, IN_TEXT, OUT_JSON},
    {"/2013", cam_record_days, IN_JSON, OUT_JSON},
    {"/2017", cam_set_credentials, IN_JSON, OUT_TEXT},
    {"/2023", cam_param_get, IN_JSON, OUT_TEXT},
    {"/2024", cam_param_set, IN_JSON, OUT_TEXT},
    {"/2025", cam_type, IN_JSON, OUT_TEXT},
    {"/2026", cam_ui_command, IN_JSON, OUT_TEXT},
    {"/2027", cam_chip_code, IN_TEXT, OUT_TEXT},
    {"/2028", cam_motion_state, IN_TEXT, OUT_TEXT},
    {"/2029", cam_info_all, IN_TEXT, OUT_JSON},
    {"/2031", cam_set_transport, IN_JSON, OUT_TEXT},
    {"/2035", cam_event_schedules, IN_JSON, OUT_JSON},
    {"/2036", cam_event_schedules_copy, IN_JSON, OUT_TEXT},
    {"/2056", cam_support, IN_JSON, OUT_JSON_ERR},
    {"/2057", cam_info_one, IN_JSON, OUT_JSON_ERR},
    {"/2058", cam_watermark_get, IN_JSON, OUT_JSON_ERR},
    {"/2059", cam_watermark_put, IN_JSON, OUT_JSON_ERR},
    {"/2078", cam_fw_upload, IN_JSON, OUT_JSON_ERR,
     "upgrade cameras from the uploaded image", "{chnid, reset, fileSize} (channel masks)", "3385 -> 8385",
     "{res}"},
    {"/2079", cam_fw_progress, IN_UPLOAD_DIRECT, OUT_TEXT,
     "progress of the camera upgrade", "-", "3386 -> 8386", "chnid=<mask>\\r\\n, status<n>=<status>\\r\\n..."},
    {"/2080", cam_fw_url, IN_JSON, OUT_JSON_ERR,
     "upgrade cameras from an image the core fetches", "{chnid, reset, url} (channel masks)", "3379 -> 8379",
     "{chnid, status: [...]}"},
    {"/2081", cam_fw_stop, IN_JSON, OUT_JSON_ERR,
     "stop the camera upgrade", "{stop}", "3390", "nothing"},
};
// clang-format on

// A record size of 0 hands the writer the answer's bytes. An empty answer
// to the channel list or to the camera information is no answer: the wait
// goes on.
const reply_row replies[] = {
    {msg_camera_status_reply, 0, reply_short::wait, write_channel_list},
    {msg_cam_support_reply, sizeof(int32_t), reply_short::fail, write_result},
    {msg_cam_watermark_reply, sizeof(cam_watermark), reply_short::fail, write_watermark},
    {msg_cam_watermark_set_reply, sizeof(int32_t), reply_short::fail, write_result},
    {msg_cam_type_reply, sizeof(int32_t), reply_short::fail, write_camera_type},
    {msg_cam_info_all_reply, 0, reply_short::wait, write_cam_info_all},
    {msg_cam_info_reply, sizeof(cam_info), reply_short::fail, write_cam_info},
    {msg_cam_param_get_reply, sizeof(cam_web_param_reply), reply_short::fail, write_web_param},
    {msg_cam_param_set_reply, sizeof(int32_t), reply_short::fail, write_web_param_result},
    {msg_motion_state_reply, sizeof(uint64_t), reply_short::fail, write_motion_state},
    {msg_record_days_reply, sizeof(record_days_reply), reply_short::fail, write_record_days},
    // The four words before the result text, at least.
    {msg_ui_command_reply, ui_command_result_at, reply_short::fail, write_ui_command_result},
    {msg_chip_code_reply, 0, reply_short::fail, write_chip_code},
    {msg_cam_fw_upload_reply, sizeof(int32_t), reply_short::fail, write_result},
    {msg_cam_fw_url_reply, sizeof(cam_fw_job_state), reply_short::fail, write_fw_url_started},
    {msg_cam_fw_progress_reply, sizeof(cam_fw_job_state), reply_short::fail, write_fw_progress_text},
};

// Messages whose answers take longer than the usual 40 s, in wait rounds of
// 40 ms.
const core_wait waits[] = {
    {3223, 3000},               // /2021 day/night
    {3360, 3000},               // /2053 camera audio
    {3200, 6000},               // /2006 network search
    {msg_camera_status, 6000},  // /2001 channel list
    {3202, 6000},               // /2014 login test
    {3203, 6000},               // /2010 stream settings
    {3204, 6000},               // /2009 stream capabilities
    {3205, 6000},               // /2011 address change
    {3227, 6000},               // /2015 login test
    {3379, 6000},               // /2080 camera upgrade state
    {3230, 15000},              // /2033 address changes
};

}  // namespace

CORE_REPLY_CALLBACK(camera_reply, replies)

WEBREQ_MODULE(3, camera_table)
CORE_WAITS(waits)
