// Picture settings of a playback channel (/3000, /3001, /3002) and the
// channel notes that only log an action of the page (/4014, /4015, /4016,
// /4017, /4024).
#include <cmath>

#include "front/bare_number.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/playback/playback.h"
#include "modules/playback/playback_records.h"
#include "platform/tqfs.h"

namespace playback {

namespace {

constexpr int picture_log_sub_type = 217;
constexpr int picture_log_detail = 107;
constexpr int picture_default = 128;

// 0..255 as a percentage, rounded half up (128 gives 50).
int32_t percent(int32_t v) {
    return static_cast<int32_t>(std::floor(static_cast<float>(v) * 100.0f / 255.0f + 0.5f));
}

bool byte_value(json_object* req, const char* key, int32_t* out) {
    return req_int(req, key, out) && *out >= 0 && *out <= 255;
}

// A channel number 0..63 as the whole request text.
bool channel_text(const char* text, int* channel) {
    return parse_bare_int(text, channel) && chn_ok(*channel);
}

}  // namespace

void on_picture(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    int channel = 0;
    if (!req || !req_int(req, "chnid", &channel) || !chn_ok(channel)) return;
    query(3002, static_cast<int32_t>(channel));
}

void on_picture_set(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    picture_req msg{};
    if (!req || !req_int(req, "id", &msg.channel) || !chn_ok(msg.channel) ||
        !byte_value(req.get(), "brightness", &msg.brightness) ||
        !byte_value(req.get(), "contrast", &msg.contrast) ||
        !byte_value(req.get(), "saturation", &msg.saturation))
        return;
    msg.sharpness = req_int_or(req, "Sharpness", 0);
    msg.noise_reduction = req_int_or(req, "NoiseReduction", 0);
    msg.i2ddnr = req_int_or(req, "i2ddnr", 0);
    notify(1205, msg);

    // The log shows the five values as percentages.
    const int32_t detail[5] = {percent(msg.brightness), percent(msg.contrast), percent(msg.saturation),
                               percent(msg.sharpness), percent(msg.noise_reduction)};
    oplog_record rec;
    oplog_record_init(&rec);
    rec.sub_type = picture_log_sub_type;
    rec.parameter_type = 900;
    rec.chan_no = msg.channel + 1;
    tqfs_log_pack_detail(&rec, picture_log_detail, detail, sizeof detail);
    oplog_send_record(&rec);
    cgi_reply(REPLY_TEXT, "OK");
}

void on_picture_default(request& rq) {
    char* text = rq.text;
    int channel = 0;
    if (!channel_text(text, &channel)) return;
    const int v = picture_default;
    notify(1205, picture_req{channel, v, v, v, v, v, 0});
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), "ChannelId", channel);
    jadd_int(obj.get(), "Brightness", v);
    jadd_int(obj.get(), "Contrast", v);
    jadd_int(obj.get(), "Saturation", v);
    jadd_int(obj.get(), "Sharpness", v);
    jadd_int(obj.get(), "NoiseReduction", v);
    cgi_reply_json(obj.get());
}

// Sub type 0: nothing is logged.
template <int64_t sub_type>
void on_channel_note(request& rq) {
    char* text = rq.text;
    int channel = 0;
    if (!channel_text(text, &channel)) return;
    if (sub_type != 0) oplog_send(sub_type, 900, channel + 1);
    cgi_reply(REPLY_TEXT, "OK");
}
template void on_channel_note<0>(request&);
template void on_channel_note<205>(request&);
template void on_channel_note<208>(request&);
template void on_channel_note<218>(request&);

}  // namespace playback
