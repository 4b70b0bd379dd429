// Picture settings of a playback channel (/3000, /3001, /3002) and the
// channel notes that only log an action of the page (/4014, /4015, /4016,
// /4017, /4024).
#include <cmath>

#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/common/field_map.h"
#include "modules/playback/playback.h"
#include "platform/msg_playback.h"
#include "platform/tqfs.h"

namespace playback {

namespace {

constexpr int picture_log_detail = 107;
constexpr int32_t picture_default = 128;

// The picture values under the names the settings page uses both ways: the
// request's record (1205) and the core's answer (8002) hold them at the
// same places.
using pq = picture_req;
const field picture_fields[] = {
    FM_INT(pq, "brightness", brightness).range(0, 255).required(),
    FM_INT(pq, "contrast", contrast).range(0, 255).required(),
    FM_INT(pq, "saturation", saturation).range(0, 255).required(),
    FM_INT(pq, "Sharpness", sharpness),
    FM_INT(pq, "NoiseReduction", noise_reduction),
    FM_INT(pq, "i2ddnr", i2ddnr),
};
static_assert(offsetof(picture_rec, brightness) == offsetof(picture_req, brightness));
static_assert(offsetof(picture_rec, contrast) == offsetof(picture_req, contrast));
static_assert(offsetof(picture_rec, saturation) == offsetof(picture_req, saturation));
static_assert(offsetof(picture_rec, sharpness) == offsetof(picture_req, sharpness));
static_assert(offsetof(picture_rec, noise_reduction) == offsetof(picture_req, noise_reduction));
static_assert(offsetof(picture_rec, i2ddnr) == offsetof(picture_req, i2ddnr));
// A refused answer leaves out the last one.
const std::span<const field> refused_picture_fields = field_span(picture_fields).first(5);

const field picture_channel_field[] = {
    FM_INT(pq, "id", channel).range(0, channel_limit - 1).required(),
};

// The defaults as /3002 answers them.
const field default_fields[] = {
    FM_INT(pq, "ChannelId", channel),
    FM_INT(pq, "Brightness", brightness),
    FM_INT(pq, "Contrast", contrast),
    FM_INT(pq, "Saturation", saturation),
    FM_INT(pq, "Sharpness", sharpness),
    FM_INT(pq, "NoiseReduction", noise_reduction),
};

// 0..255 as a percentage, rounded half up (128 gives 50).
int32_t percent(int32_t v) {
    return static_cast<int32_t>(std::floor(static_cast<float>(v) * 100.0f / 255.0f + 0.5f));
}

// The log entry of a change: the five values as percentages.
void log_picture_change(const picture_req& msg) {
    const int32_t detail[5] = {percent(msg.brightness), percent(msg.contrast), percent(msg.saturation),
                               percent(msg.sharpness), percent(msg.noise_reduction)};
    oplog_record rec;
    oplog_record_init(&rec);
    rec.sub_type = log_picture;
    rec.parameter_type = log_parameter;
    rec.chan_no = msg.channel + 1;
    tqfs_log_pack_detail(&rec, picture_log_detail, detail, sizeof detail);
    oplog_send_record(&rec);
}

}  // namespace

void show_picture(request& rq) {
    int channel = 0;
    if (!req_channel(rq.json, "chnid", &channel)) return rq.refuse("chnid");
    query(msg_picture, static_cast<int32_t>(channel));
}

void set_picture(request& rq) {
    if (!fields_valid(rq.json, picture_channel_field) || !fields_valid(rq.json, picture_fields))
        return rq.refuse("id and picture values 0..255");
    picture_req msg{};
    fields_from_json(rq.json, &msg, picture_channel_field);
    fields_from_json(rq.json, &msg, picture_fields);
    notify(msg_picture_set, msg);
    log_picture_change(msg);
    cgi_reply(REPLY_TEXT, "OK");
}

void reset_picture(request& rq) {
    const int channel = text_channel(rq.text);
    if (channel < 0) return rq.refuse("channel");
    const int32_t v = picture_default;
    const picture_req msg{channel, v, v, v, v, v, 0};
    notify(msg_picture_set, msg);
    cgi_reply_json(json_ref(fields_object(&msg, default_fields)).get());
}

// Sub type 0: nothing is logged.
template <int64_t sub_type>
void note_channel(request& rq) {
    const int channel = text_channel(rq.text);
    if (channel < 0) return rq.refuse("channel");
    if (sub_type != 0) oplog_send(sub_type, log_parameter, channel + 1);
    cgi_reply(REPLY_TEXT, "OK");
}
template void note_channel<0>(request&);
template void note_channel<205>(request&);
template void note_channel<log_view_stream>(request&);
template void note_channel<218>(request&);

int write_picture(const core_answer& answer) {
    const picture_rec r = answer.rec<picture_rec>();
    json_ref obj = status_object(r.status < 0 ? "ERROR" : "OK");
    fields_to_json(obj.get(), &r, r.status < 0 ? refused_picture_fields : field_span(picture_fields));
    return reply_json(obj);
}

}  // namespace playback
