// The stream settings of a camera: capabilities and current values, the
// settings of one channel or of many, and the extra stream of fisheye
// cameras.
#include "modules/camera/streams.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "front/json_req.h"
#include "front/reply.h"
#include "modules/common/channels.h"
#include "modules/common/field_map.h"
#include "platform/tqdb/rec_camera.h"

namespace {

// ---- capabilities -------------------------------------------------------------------

// The members of the capabilities before "main" and "sub": the answer's
// words, the channel's stored name and connection fields between them.
struct caps_view {
    int32_t state;
    int32_t id;
    char name[64];
    int32_t sub_enable;
    int32_t audio_enable;
    int32_t video_type_enable;
    int32_t main_video_type;
    int32_t sub_video_type;
    int32_t ipc_type;
    int32_t sync_time;
    int32_t protocol;  // the IPC model's
    int32_t manage_port;
    int32_t physical_port;
    int32_t poe_channel;
    char mac_addr[32];
    int32_t transmit_protocol;
    char ddns[64];
    int32_t sub_stream;
    int32_t smart_support;
    int32_t smart;
    int32_t smart_level;
    int32_t sub_smart;
    int32_t sub_smart_level;
};
static_assert(sizeof(caps_view) == 240);

using cv = caps_view;
const field caps_fields[] = {
    FM_INT(cv, "stateCode", state),
    FM_INT(cv, "id", id),
    FM_TEXT(cv, "name", name),
    FM_INT(cv, "subEnable", sub_enable),
    FM_INT(cv, "audioEnable", audio_enable),
    FM_INT(cv, "videoTypeEnable", video_type_enable),
    FM_INT(cv, "mainVideoType", main_video_type),
    FM_INT(cv, "subVideoType", sub_video_type),
    FM_INT(cv, "ipc_type", ipc_type),
    FM_INT(cv, "syncTime", sync_time),
    FM_INT(cv, "protocol", protocol),
    FM_INT(cv, "managePort", manage_port),
    FM_INT(cv, "physicalport", physical_port),
    FM_INT(cv, "poechannel", poe_channel),
    FM_TEXT(cv, "mac_addr", mac_addr),
    FM_INT(cv, "transmitProtocol", transmit_protocol),
    FM_TEXT(cv, "ddns", ddns),
    FM_INT(cv, "subStream", sub_stream),
    FM_INT(cv, "SupportSmartStream", smart_support),
    FM_INT(cv, "SmartStream", smart),
    FM_INT(cv, "SmartStreamLevel", smart_level),
    FM_INT(cv, "SubSmartStream", sub_smart),
    FM_INT(cv, "SubSmartStreamLevel", sub_smart_level),
};

using sb = stream_caps_block;
const field block_fields[] = {
    FM_INT(sb, "framerateMax", framerate_max), FM_INT(sb, "framerateMin", framerate_min),
    FM_INT(sb, "bitrateMax", bitrate_max),     FM_INT(sb, "bitrateMin", bitrate_min),
    FM_INT(sb, "framerate", framerate),        FM_INT(sb, "bitrate", bitrate),
    FM_INT(sb, "iframeinterval", iframe_interval),
};

// The resolutions offered: the list ends at the first pair holding a zero,
// and at 24 pairs.
int resolution_count(const stream_caps_block& b) {
    int n = 0;
    while (n < stream_resolutions && b.res[n][0] != 0 && b.res[n][1] != 0) ++n;
    return n;
}

json_object* block_json(const stream_caps_block& b) {
    const int count = resolution_count(b);
    int cur = -1;
    json_object* list = json_object_new_array();
    for (int i = 0; i < count; ++i) {
        if (cur < 0 && b.res[i][0] == b.cur_width && b.res[i][1] == b.cur_height) cur = i;
        char name[32];
        std::snprintf(name, sizeof name, "%d*%d", b.res[i][0], b.res[i][1]);
        json_object* item = json_object_new_object();
        jadd_int(item, "width", b.res[i][0]);
        jadd_int(item, "height", b.res[i][1]);
        jadd_str(item, "name", name);
        json_object_array_add(list, item);
    }
    json_object* obj = json_object_new_object();
    jadd_int(obj, "curRes", cur < 0 ? 0 : cur);
    json_object_object_add(obj, "res", list);
    fields_to_json(obj, &b, block_fields);
    return obj;
}

caps_view view_of(const stream_caps& caps) {
    caps_view v;
    std::memset(&v, 0, sizeof v);
    v.state = caps.state;
    v.id = caps.channel;
    v.sub_enable = caps.sub_enable;
    v.audio_enable = caps.audio_enable;
    v.video_type_enable = caps.video_type_enable;
    v.main_video_type = caps.main.video_type;
    v.sub_video_type = caps.sub.video_type;
    v.ipc_type = caps.ipc_type;
    v.sub_stream = caps.sub_stream;
    v.smart_support = caps.smart_stream_support;
    v.smart = caps.smart_stream;
    v.smart_level = caps.smart_stream_level;
    v.sub_smart = caps.sub_smart_stream;
    v.sub_smart_level = caps.sub_smart_stream_level;
    // A channel the recorder does not have keeps its stored fields empty.
    if (!chn_ok(caps.channel)) return v;
    camera_record cam;
    osd_record osd;
    ipc_model_record model;
    load_camera(TQDB_FILE, &cam, caps.channel);
    load_osd(TQDB_FILE, &osd, caps.channel);
    load_ipc_model(TQDB_FILE, &model, cam.protocol);
    static_assert(sizeof v.name == sizeof osd.cam_name && sizeof v.mac_addr == sizeof cam.mac_addr &&
                  sizeof v.ddns == sizeof cam.ddns);
    std::memcpy(v.name, osd.cam_name, sizeof v.name);
    v.sync_time = cam.sync_time;
    v.protocol = model.protocol;
    v.manage_port = cam.manage_port;
    v.physical_port = cam.physical_port;
    v.poe_channel = cam.poe_channel;
    std::memcpy(v.mac_addr, cam.mac_addr, sizeof v.mac_addr);
    v.transmit_protocol = cam.transmit_protocol;
    std::memcpy(v.ddns, cam.ddns, sizeof v.ddns);
    return v;
}

// ---- settings -------------------------------------------------------------------------

using ss = stream_settings;

// One channel: the keys of the one-channel page.
const field one_fields[] = {
    FM_INT(ss, "videoTypeEnable", video_type_enable),
    FM_INT(ss, "subEnable", sub_enable).required(),
    FM_INT(ss, "fisheyeType", fisheye_type),
    FM_INT(ss, "mainVideoType", main_video_type),
    FM_INT(ss, "mainResWidth", main_width).range(0, INT32_MAX).required(),
    FM_INT(ss, "mainResHeight", main_height).range(0, INT32_MAX).required(),
    FM_INT(ss, "mainFramerate", main_framerate).range(0, INT32_MAX).required(),
    FM_INT(ss, "mainBitrate", main_bitrate).range(0, INT32_MAX).required(),
    FM_INT(ss, "IframeInterval", main_iframe_interval),
    FM_INT(ss, "bitrateControl", main_bitrate_control),
    FM_INT(ss, "SmartStream", main_smart_stream),
    FM_INT(ss, "SmartStreamLevel", main_smart_stream_level),
    FM_INT(ss, "recordtype", record_type),
    FM_INT(ss, "etframerate", event_framerate),
    FM_INT(ss, "etIframeinterval", event_iframe_interval),
    FM_INT(ss, "etbitrate", event_bitrate),
    FM_INT(ss, "subVideoType", sub_video_type),
    FM_INT(ss, "subResWidth", sub_width),
    FM_INT(ss, "subResHeight", sub_height),
    FM_INT(ss, "subFramerate", sub_framerate),
    FM_INT(ss, "subBitrate", sub_bitrate),
    FM_INT(ss, "subIframeInterval", sub_iframe_interval),
    FM_INT(ss, "SubBitrateControl", sub_bitrate_control),
    FM_INT(ss, "SubSmartStream", sub_smart_stream),
    FM_INT(ss, "SubSmartStreamLevel", sub_smart_stream_level),
};

// Many channels: the keys of the copy page; the rest stays as the camera has it.
const field many_fields[] = {
    FM_INT(ss, "transmitProtocol", transmit_protocol),
    FM_INT(ss, "syncTime", sync_time),
    FM_INT(ss, "subEnable", sub_enable),
    FM_INT(ss, "mainVideoType", main_video_type),
    FM_INT(ss, "mainResWidth", main_width),
    FM_INT(ss, "mainResHeight", main_height),
    FM_INT(ss, "mainFramerate", main_framerate),
    FM_INT(ss, "mainBitrate", main_bitrate),
    FM_INT(ss, "IframeInterval", main_iframe_interval),
    FM_INT(ss, "mainBitrateControl", main_bitrate_control),
    FM_INT(ss, "subVideoType", sub_video_type),
    FM_INT(ss, "subResWidth", sub_width),
    FM_INT(ss, "subResHeight", sub_height),
    FM_INT(ss, "subFramerate", sub_framerate),
    FM_INT(ss, "subBitrate", sub_bitrate),
    FM_INT(ss, "subIframeInterval", sub_iframe_interval),
    FM_INT(ss, "subBitrateControl", sub_bitrate_control),
};

// Every int32 setting leaves the camera's value unchanged (-1) unless a
// page's key sets it; the two zero words stay zero. A key the request
// leaves out changes nothing either.
void leave_unchanged(json_object* req, stream_settings& p, std::span<const field> map) {
    int32_t* words = reinterpret_cast<int32_t*>(reinterpret_cast<char*>(&p) + sizeof p.chans);
    const size_t count = (sizeof p - sizeof p.chans) / sizeof(int32_t);
    for (size_t i = 0; i < count; ++i) {
        const size_t at = sizeof p.chans + i * sizeof(int32_t);
        if (at == offsetof(ss, zero0) || at == offsetof(ss, zero1)) continue;
        const field* f = nullptr;
        for (const field& row : map)
            if (row.offset == at) f = &row;
        if (!f || !req_member(req, f->key)) words[i] = -1;
    }
}

bool one_finish(json_object* req, stream_settings& p) {
    int chn = -1;
    if (!req_ints_in_range(req, {{"id", 0, 63}, {"audioEnable", 0, 1}}) || !req_int(req, "id", &chn))
        return false;
    leave_unchanged(req, p, one_fields);
    std::memset(p.chans, '0', channel_limit);
    p.chans[chn] = '1';
    return true;
}

bool many_finish(json_object* req, stream_settings& p) {
    leave_unchanged(req, p, many_fields);
    // The copy page always switches video types on and uses no fisheye type.
    p.video_type_enable = 1;
    p.fisheye_type = 0;
    std::memset(p.chans, '0', channel_limit);
    json_object* chans = req_array(req, "chans");
    const size_t n = chans ? json_object_array_length(chans) : 0;
    for (size_t i = 0; i < n && i < channel_limit; ++i)
        if (json_object_get_int64(json_object_array_get_idx(chans, i)) != 0) p.chans[i] = '1';
    return true;
}

// ---- extra stream ----------------------------------------------------------------------

using eq = stream_extra_query;
const field extra_query_fields[] = {
    FM_INT(eq, "chnid", channel).range(0, 63).required(),
    FM_INT(eq, "fisheyeType", fisheye_type),
};

using ex = stream_extra;
const field extra_fields[] = {
    FM_INT(ex, "chnid", channel).range(0, 63).required(),
    FM_INT(ex, "enable", enable),
    FM_INT(ex, "framerate", framerate),
    FM_INT(ex, "bitrate", bitrate),
    FM_INT(ex, "iframeinterval", iframe_interval),
};

}  // namespace

const relay<stream_settings> stream_set_one_relay = {msg_stream_set, camera_reply, one_fields, 0, one_finish};
const relay<stream_settings> stream_set_many_relay = {msg_stream_set, camera_reply, many_fields, 0, many_finish};
const relay<stream_extra_query> stream_extra_get_relay = {msg_stream_extra_get, camera_reply, extra_query_fields};
const relay<stream_extra_set> stream_extra_set_relay = {msg_stream_extra_set, camera_reply, extra_fields};

void stream_caps_get(request& rq) { channel_query(rq, "chnid", camera_reply, msg_stream_caps); }

int write_stream_caps(const core_answer& answer) {
    auto caps = std::make_unique<stream_caps>(answer.rec<stream_caps>());
    json_ref reply(json_object_new_object());
    if (caps->state != 0) {
        jadd_int(reply.get(), "stateCode", caps->state);
    } else {
        const caps_view v = view_of(*caps);
        fields_to_json(reply.get(), &v, caps_fields);
        json_object_object_add(reply.get(), "main", block_json(caps->main));
        json_object_object_add(reply.get(), "sub", block_json(caps->sub));
    }
    cgi_reply_json(reply.get());
    return 1;
}

// The channels whose settings were taken: character n is '1' for bit n.
int write_stream_set_result(const core_answer& answer) {
    const uint64_t mask = answer.rec<uint64_t>();
    char text[channel_limit + 1];
    for (int n = 0; n < channel_limit; ++n) text[n] = (mask >> n) & 1 ? '1' : '0';
    text[channel_limit] = '\0';
    json_ref reply(json_object_new_object());
    jadd_str(reply.get(), "res", text);
    cgi_reply_json(reply.get());
    return 1;
}

// The answer's type word is not shown.
int write_stream_extra(const core_answer& answer) { return reply_answer(answer, extra_fields); }
