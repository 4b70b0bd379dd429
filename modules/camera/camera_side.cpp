// The camera's own motion detection, automatic tracking and audio encoder.
#include "modules/camera/camera_side.h"

#include "front/json_req.h"
#include "modules/common/channels.h"
#include "modules/common/field_map.h"
#include "modules/common/sched_json.h"

namespace {

// ---- motion detection -------------------------------------------------------------

// The answer's members before "effective"; the set reads the same.
using cm = cam_motion;
const field motion_fields[] = {
    FM_INT(cm, "chnid", chnid).range(0, 63).required(),
    FM_INT(cm, "enable", enable),
    FM_INT(cm, "sensitivity", sensitivity),
    FM_INT(cm, "minsize", minsize),
    FM_INT(cm, "mintime", mintime),
    FM_INT(cm, "adaptability", adaptability),
    FM_TEXT(cm, "map_mask", map_mask),
};

// The copy list: the first "copyCnt" channels of "copyChn".
bool motion_finish(json_object* req, cam_motion_set& p) {
    schedule_from_json_by_day(req, "effective", &p.motion.effective);
    p.copy_mask = with_channel(listed_mask(req, "copyChn", "copyCnt"), p.motion.chnid);
    return true;
}

using ct = cam_text_query;
const field text_query_fields[] = {
    FM_INT(ct, "chnid", chnid).range(0, 63).required(),
    FM_INT(ct, "mainType", main_type),
    FM_INT(ct, "subType", sub_type),
    FM_TEXT(ct, "time", time),
};

// ---- automatic tracking ------------------------------------------------------------

// The answer's members before "schedule"; the set reads the same.
using tr = cam_tracking;
const field tracking_fields[] = {
    FM_INT(tr, "chnid", chnid).range(0, 63).required(),
    FM_INT(tr, "enable", enable),
    FM_INT(tr, "show", show),
    FM_INT(tr, "sensitivity", sensitivity),
    FM_INT(tr, "time", time),
    FM_INT(tr, "manual_tracking", manual_tracking),
    FM_INT(tr, "zoom_mode", zoom_mode),
    FM_INT(tr, "zoom_number", zoom_number),
    FM_TEXT(tr, "area", area),
    FM_INT(tr, "humanVehicleSupport", human_vehicle_support),
    FM_INT(tr, "trackingObject", tracking_object),
};

// The copy list: the channel text "channels".
bool tracking_finish(json_object* req, cam_tracking_set& p) {
    schedule_from_json(req, "schedule", &p.tracking.schedule);
    p.copy_mask = with_channel(channel_text_mask(req, "channels"), p.tracking.chnid);
    return true;
}

// ---- audio ---------------------------------------------------------------------------

// The configuration, in the answer's "config" and in the set.
using ac = cam_audio_config;
const field audio_config_fields[] = {
    FM_INT(ac, "chnid", chnid).range(0, 63).required(),
    FM_INT(ac, "audioEnable", audio_enable),
    FM_INT(ac, "audioMode", audio_mode),
    FM_INT(ac, "denoise", denoise),
    FM_INT(ac, "encoding", encoding),
    FM_INT(ac, "sampleRate", sample_rate),
    FM_INT(ac, "inputGain", input_gain),
    FM_INT(ac, "inputMode", input_mode),
    FM_INT(ac, "audioGainControl", audio_gain_control),
    FM_INT(ac, "outputVolume", output_volume),
    FM_INT(ac, "audioBitrate", audio_bitrate),
};

bool audio_finish(json_object* req, cam_audio_set& p) {
    p.copy_mask = with_channel(channel_text_mask(req, "channels"), p.config.chnid);
    return true;
}

using aa = cam_audio_caps;
const field audio_caps_fields[] = {
    FM_INT(aa, "res", res),
    FM_INT(aa, "support", support),
    FM_INT(aa, "supportMode", support_mode),
    FM_INT(aa, "supportInputMode", support_input_mode),
};

using as = cam_audio_support;
const field audio_support_fields[] = {
    FM_INT(as, "res", res),
    FM_INT(as, "audioSupport", audio_support),
    FM_INT(as, "audioSupportMode", audio_support_mode),
    FM_INT(as, "audioLineInputSupport", line_input_support),
    FM_INT(as, "systemSpeakerSupport", speaker_support),
    FM_INT(as, "systemManualSpeedSupport", manual_speed_support),
};

const verdict audio_verdicts[] = {{0, "OK"}};

// The encodings the camera offers, each with its sample rates and their bit
// rates: only the entries in use, however many the counts claim.
json_object* audio_options(const cam_audio_caps& caps) {
    json_object* options = json_object_new_array();
    for (int e = 0; e < in_use(caps.encoding_count, cam_audio_encodings); ++e) {
        const cam_audio_encoding& enc = caps.encodings[e];
        json_object* rates = json_object_new_array();
        for (int r = 0; r < in_use(enc.sample_rate_count, cam_audio_sample_rates); ++r) {
            const cam_audio_sample_rate& rate = enc.sample_rates[r];
            json_object* bitrates = json_object_new_array();
            for (int b = 0; b < in_use(rate.bitrate_count, cam_audio_bitrates); ++b)
                json_object_array_add(bitrates, json_object_new_int(rate.bitrates[b]));
            json_object* item = json_object_new_object();
            jadd_int(item, "sampleRateValue", rate.value);
            json_object_object_add(item, "bitrateInfo", bitrates);
            json_object_array_add(rates, item);
        }
        json_object* item = json_object_new_object();
        jadd_int(item, "encodeValue", enc.value);
        json_object_object_add(item, "sampleRateInfo", rates);
        json_object_array_add(options, item);
    }
    return options;
}

}  // namespace

// ---- relays ----------------------------------------------------------------------------

const relay<cam_motion_set> cam_motion_relay = {msg_cam_motion_set, camera_reply, motion_fields,
                                                offsetof(cam_motion_set, motion), motion_finish};
const relay<cam_text_query> cam_text_relay = {msg_cam_text_query, camera_reply, text_query_fields};
const relay<cam_tracking_set> cam_tracking_relay = {msg_cam_tracking_set, camera_reply, tracking_fields,
                                                    offsetof(cam_tracking_set, tracking), tracking_finish};
const relay<cam_audio_set> cam_audio_relay = {msg_cam_audio_set, camera_reply, audio_config_fields,
                                              offsetof(cam_audio_set, config), audio_finish};

// ---- writers ----------------------------------------------------------------------------

int write_cam_motion(const core_answer& answer) {
    const cam_motion motion = answer.rec<cam_motion>();
    json_ref reply(fields_object(&motion, motion_fields));
    json_object_object_add(reply.get(), "effective", schedule_to_json_by_day(motion.effective));
    cgi_reply_json(reply.get());
    return 1;
}

int write_cam_tracking(const core_answer& answer) {
    const cam_tracking tracking = answer.rec<cam_tracking>();
    json_ref reply(fields_object(&tracking, tracking_fields));
    json_object_object_add(reply.get(), "schedule", schedule_to_json(tracking.schedule));
    cgi_reply_json(reply.get());
    return 1;
}

int write_cam_audio_caps(const core_answer& answer) {
    const cam_audio_caps caps = answer.rec<cam_audio_caps>();
    json_ref reply(fields_object(&caps, audio_caps_fields));
    json_object_object_add(reply.get(), "config", fields_object(&caps.config, audio_config_fields));
    json_object_object_add(reply.get(), "options", audio_options(caps));
    cgi_reply_json(reply.get());
    return 1;
}

int write_cam_audio_verdict(const core_answer& answer) {
    return reply_verdict(answer, audio_verdicts, "ERROR");
}
int write_cam_audio_support(const core_answer& answer) { return reply_answer(answer, audio_support_fields); }
