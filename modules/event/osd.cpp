// On-screen display and privacy masks of a channel. The recorder's overlay
// lives in the database; the camera's overlays and masks are read and set
// through the core daemon, which talks to the camera.
#include "modules/event/osd.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/common/field_map.h"
#include "modules/event/event.h"
#include "platform/tqdb/rec_camera.h"
#include "platform/tqdb/rec_camera_mask.h"

namespace {

void ignore_replies(void*, const void*, const void*) {}

// ---- the recorder's overlay ------------------------------------------------

using od = osd_record;
const field osd_fields[] = {
    FM_INT(od, "camId", cam_id).range(0, 63).required(),
    FM_TEXT(od, "camName", cam_name).required(),
    FM_INT(od, "showName", show_name).range(0, 1).required(),
    FM_INT(od, "showDate", show_date).range(0, 1).required(),
    FM_INT(od, "showWeek", show_week).range(0, 1).required(),
    FM_INT(od, "dateFormat", date_format).range(0, 3).required(),
    FM_INT(od, "timeFormat", time_format).range(0, 1).required(),
};

// The positions are doubles, which a field map does not carry; "alpha" comes
// after them.
struct osd_position {
    const char* key;
    size_t offset;
};
const osd_position osd_positions[] = {
    {"datePosX", offsetof(od, date_pos_x)},
    {"datePosY", offsetof(od, date_pos_y)},
    {"namePosX", offsetof(od, name_pos_x)},
    {"namePosY", offsetof(od, name_pos_y)},
};

bool osd_extend(json_object* reply, const void* rec) {
    const auto* osd = static_cast<const osd_record*>(rec);
    for (const auto& p : osd_positions) {
        double v;
        std::memcpy(&v, static_cast<const char*>(rec) + p.offset, sizeof v);
        json_object_object_add(reply, p.key, json_object_new_double(v));
    }
    jadd_int(reply, "alpha", osd->alpha);
    return true;
}

// Positions and "alpha" present and not negative.
bool osd_check(json_object* req) {
    for (const auto& p : osd_positions) {
        double v;
        if (!req_double(req, p.key, &v) || !(v >= 0)) return false;
    }
    int alpha;
    return req_int(req, "alpha", &alpha) && alpha >= 0;
}

bool osd_apply(json_object* req, void* rec) {
    for (const auto& p : osd_positions) {
        double v = 0;
        req_double(req, p.key, &v);
        std::memcpy(static_cast<char*>(rec) + p.offset, &v, sizeof v);
    }
    req_int(req, "alpha", &static_cast<osd_record*>(rec)->alpha);
    return true;
}

// The core daemon redraws the channel's overlay.
void osd_redrawn(request&, const void*, int key) {
    osd_redraw notice = {key, 1, 0};
    core_notify(ignore_replies, msg_osd_redraw, sizeof notice, &notice);
    cgi_reply(REPLY_TEXT, "OK");
}

// The name page keeps a shorter name than the full page.
const field osd_name_fields[] = {
    FM_INT(od, "camId", cam_id).range(0, 63).required(),
    FM_TEXT(od, "camName", cam_name).chars(31).required(),
};

// ---- the camera's overlays ------------------------------------------------------

using co = cam_osd_record;
const field cam_osd_fields[] = {
    FM_INT(co, "ch", ch).range(0, 63).required().in_only(),
    FM_INT(co, "enable_text", enable_text).required(),
    FM_TEXT(co, "text_name", text_name).required(),
    FM_INT(co, "textpos", textpos).required(),
    FM_INT(co, "enable_date", enable_date).required(),
    FM_INT(co, "datepos", datepos).required(),
    FM_INT(co, "dateformat", dateformat).required(),
    FM_INT(co, "enable_text_sub", enable_text_sub),
    FM_TEXT(co, "text_name_sub", text_name_sub),
    FM_INT(co, "textpos_sub", textpos_sub),
    FM_INT(co, "enable_date_sub", enable_date_sub),
    FM_INT(co, "datepos_sub", datepos_sub),
    FM_INT(co, "dateformat_sub", dateformat_sub),
    FM_INT(co, "type", type).in_only(),
};

const verdict cam_osd_verdicts[] = {{0, "OK"}, {-1, "NO_SUPPORT"}};

// ---- privacy masks ------------------------------------------------------------

using pa = privacy_mask_area;
const field stored_area_fields[] = {
    FM_INT(pa, "area_id", area_id),       FM_INT(pa, "enable", enable),
    FM_INT(pa, "start_x", start_x),       FM_INT(pa, "start_y", start_y),
    FM_INT(pa, "area_width", area_width), FM_INT(pa, "area_height", area_height),
    FM_INT(pa, "width", width),           FM_INT(pa, "height", height),
    FM_INT(pa, "fill_color", fill_color),
};
using pm = privacy_mask_record;
const field stored_mask_fields[] = {
    FM_INT(pm, "id", id),
    FM_RECORDS(pm, "area", areas, stored_area_fields),
};

using ca = cam_mask_area;
const field cam_area_fields[] = {
    FM_INT(ca, "area_id", area_id),
    FM_INT(ca, "enable", enable),
    FM_INT(ca, "start_x", start_x),
    FM_INT(ca, "start_y", start_y),
    FM_INT(ca, "area_width", area_width),
    FM_INT(ca, "area_height", area_height),
    FM_INT(ca, "fill_color", fill_color),
    FM_INT(ca, "ratio", ratio),
    FM_TEXT(ca, "name", name),
};

using cm = cam_mask_record;
// A set's members; "areaMaskEnable" is the record's area switch.
const field mask_set_fields[] = {
    FM_INT(cm, "enable", enable),
    FM_INT(cm, "cgiSdkFlag", cgi_sdk_flag),
    FM_INT(cm, "num", num),
    FM_INT(cm, "areaMaskEnable", area_enable),
    FM_INT(cm, "mosaicSupport", mosaic_support),
    FM_INT(cm, "mosaicNum", mosaic_num),
};
// An answer's members before "area", in the page's order.
const field mask_get_fields[] = {
    FM_INT(cm, "id", id),
    FM_INT(cm, "num", num),
    FM_INT(cm, "maxPtzZoomRatio", max_ptz_zoom_ratio),
    FM_INT(cm, "areaEnable", area_enable),
    FM_INT(cm, "enable", enable),
    FM_TEXT(cm, "sdkversion", sdkversion),
    FM_INT(cm, "cgiSdkFlag", cgi_sdk_flag),
    FM_TEXT(cm, "colorList", color_list),
    FM_INT(cm, "mosaicSupport", mosaic_support),
    FM_INT(cm, "mosaicNum", mosaic_num),
};

// The browser draws masks on a canvas of this size.
constexpr int canvas_width = 460;
constexpr int canvas_height = 260;

// The areas in use: rectangles and mosaics, each count taken as at least 0,
// their sum (in 64 bits, so that no sum wraps) at most the table's.
int areas_in_use(int32_t num, int32_t mosaic_num) {
    int64_t sum = int64_t{std::max(num, 0)} + std::max(mosaic_num, 0);
    return static_cast<int>(std::min<int64_t>(sum, cam_mask_areas));
}

json_object* cam_area_json(const cam_mask_area& a) {
    json_object* o = json_object_new_object();
    jadd_int(o, "area_id", a.area_id);
    jadd_int(o, "enable", a.enable);
    jadd_int(o, "start_x", a.start_x);
    jadd_int(o, "start_y", a.start_y);
    jadd_int(o, "area_width", a.area_width);
    jadd_int(o, "area_height", a.area_height);
    jadd_int(o, "width", canvas_width);
    jadd_int(o, "height", canvas_height);
    jadd_int(o, "fill_color", a.fill_color);
    jadd_int(o, "left", a.start_x);
    jadd_int(o, "top", a.start_y);
    jadd_int(o, "right", a.area_width);
    jadd_int(o, "bottom", a.area_height);
    jadd_int(o, "ratio", a.ratio);
    jadd_field(o, "name", a.name, sizeof a.name);
    return o;
}

}  // namespace

const record_page osd_page = {
    .table = tqdb_tbl_osd,
    .fields = osd_fields,
    .key_member = "camId",
    .check = osd_check,
    .adjust = osd_apply,
    .answer = osd_redrawn,
    .extend = osd_extend,
};

const record_page osd_name_page = {
    .table = tqdb_tbl_osd,
    .fields = osd_name_fields,
    .key_member = "camId",
};

const relay<cam_osd_record> cam_osd_relay = {msg_cam_osd_set, event_reply, cam_osd_fields};

using mr = mask_area_ref;
const field mask_ref_fields[] = {
    FM_INT(mr, "chnid", channel).range(0, 63).required(),
    FM_INT(mr, "maskid", area).required(),
};
const relay<mask_area_ref> mask_delete_relay = {msg_mask_delete, event_reply, mask_ref_fields};

void stored_masks_get(request& rq) {
    auto masks = std::make_unique<privacy_mask_record[]>(64);
    int count = 0;
    if (read_privacy_masks(TQDB_FILE, masks.get(), &count) != 0) return rq.fail();
    json_ref reply(fields_array(masks.get(), sizeof(privacy_mask_record),
                                static_cast<size_t>(in_use(count, 64)), stored_mask_fields));
    cgi_reply_json(reply.get());
}

void cam_masks_set(request& rq) {
    json_object* areas = req_array(rq.json, "area");
    json_object* channels = req_array(rq.json, "chnid");
    int cnt;
    if (!req_int(rq.json, "cnt", &cnt) || !areas || !channels) return rq.refuse("cnt, area and chnid");
    auto msg = std::make_unique<cam_mask_set>();
    std::memset(msg->channels, '0', channel_limit);
    uint64_t mask = listed_mask(rq.json, "chnid", "cnt");
    for (int n = 0; n < channel_limit; ++n)
        if (mask >> n & 1) msg->channels[n] = '1';
    cam_mask_record& rec = msg->masks;
    fields_from_json(rq.json, &rec, mask_set_fields);
    rec.num = std::max(rec.num, 0);
    rec.mosaic_num = std::max(rec.mosaic_num, 0);
    int del;
    if (req_int(rq.json, "delMask", &del)) rec.delete_mask = static_cast<uint64_t>(int64_t{del});
    const int used = areas_in_use(rec.num, rec.mosaic_num);
    const int given = static_cast<int>(json_object_array_length(areas));
    for (int i = 0; i < used && i < given; ++i)
        fields_from_json(json_object_array_get_idx(areas, i), &rec.areas[i], cam_area_fields);
    core_notify(ignore_replies, msg_mask_set, sizeof *msg, msg.get());
    cgi_reply(REPLY_TEXT, "OK");
}

void cam_masks_get(request& rq) { channel_query(rq, "id", event_reply, msg_mask_get); }
void cam_mask_state(request& rq) { channel_query(rq, "id", event_reply, msg_mask_state); }
void cam_osd_get(request& rq) { channel_query(rq, "id", event_reply, msg_cam_osd_get); }

void mask_area_clear(request& rq) {
    mask_area_ref ref;
    // The stored table holds 24 areas, and the page counts one past them.
    if (!req_channel(rq.json, "chan_id", &ref.channel) || !req_int(rq.json, "area_id", &ref.area) ||
        ref.area < 0 || ref.area > 24)
        return rq.refuse("chan_id 0..63, area_id 0..24");
    core_notify(ignore_replies, msg_mask_area_clear, sizeof ref, &ref);
    cgi_reply(REPLY_TEXT, "OK");
}

int write_cam_masks(const core_answer& answer) {
    json_ref reply(json_object_new_array());
    for (uint32_t i = 0; i < answer.count; ++i) {
        auto rec = std::make_unique<cam_mask_record>(answer.rec<cam_mask_record>(i));
        json_object* o = fields_object(rec.get(), mask_get_fields);
        json_object* areas = json_object_new_array();
        const int used = areas_in_use(rec->num, rec->mosaic_num);
        for (int a = 0; a < used; ++a) json_object_array_add(areas, cam_area_json(rec->areas[a]));
        json_object_object_add(o, "area", areas);
        json_object_array_add(reply.get(), o);
    }
    cgi_reply_json(reply.get());
    return 1;
}

int write_mask_state(const core_answer& answer) { return reply_int_member("result", answer); }
int write_mask_delete(const core_answer& answer) { return reply_int_member("res", answer); }
int write_cam_osd_verdict(const core_answer& answer) {
    return reply_verdict(answer, cam_osd_verdicts, "ERROR");
}

int write_cam_osd(const core_answer& answer) {
    auto rec = std::make_unique<cam_osd_record>(answer.rec<cam_osd_record>());
    json_ref reply(json_object_new_object());
    if (rec->ch >= 0) fields_to_json(reply.get(), rec.get(), cam_osd_fields);
    jadd_int(reply.get(), "disconnect", rec->ch >= 0 ? 1 : 0);
    cgi_reply_json(reply.get());
    return 1;
}
