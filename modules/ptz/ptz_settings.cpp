// Stored PTZ settings: the serial port and the speeds of each channel's PTZ
// camera. Each is a record page over its table; the serial port is also
// stored for a list of channels at once, in one transaction.
#include <algorithm>
#include <vector>

#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/channels.h"
#include "modules/common/field_map.h"
#include "modules/common/record_page.h"
#include "modules/ptz/ptz.h"
#include "platform/msg_ptz.h"
#include "platform/tqdb/rec_ptz.h"
#include "platform/tqdb/tqdb.h"

namespace {

using pp = ptz_port_record;
// A store must give every setting within its range.
const field port_fields[] = {
    FM_INT(pp, "camId", cam_id).out_only(),
    FM_INT(pp, "connectType", connect_type).range(0, 1).required(),
    FM_INT(pp, "baudRate", baud_rate).range(0, INT32_MAX).required(),
    FM_INT(pp, "dataBits", data_bits).range(5, 8).required(),
    FM_INT(pp, "stopBits", stop_bits).range(0, INT32_MAX).required(),
    FM_INT(pp, "parityType", parity_type).range(0, 2).required(),
    FM_INT(pp, "protocol", protocol).range(0, 13).required(),
    FM_INT(pp, "address", address).range(0, INT32_MAX).required(),
};

using sp = ptz_speed_record;
// A speed the request leaves out keeps its stored value.
const field speed_fields[] = {
    FM_INT(sp, "pan_speed", pan_speed),
    FM_INT(sp, "tilt_speed", tilt_speed),
    FM_INT(sp, "zoom_speed", zoom_speed),
    FM_INT(sp, "foucs_speed", focus_speed),  // the page's own spelling
};

// The first "cnt" elements of "chnid" that are channels, in their order.
std::vector<int32_t> listed_channels(json_object* req) {
    std::vector<int32_t> channels;
    json_object* list = req_array(req, "chnid");
    if (!list) return channels;
    int count = std::min(req_int_or(req, "cnt", 0), static_cast<int>(json_object_array_length(list)));
    for (int i = 0; i < count; ++i) {
        json_object* item = json_object_array_get_idx(list, i);
        if (json_object_is_type(item, json_type_int) && chn_ok(json_object_get_int(item)))
            channels.push_back(json_object_get_int(item));
    }
    return channels;
}

}  // namespace

const record_page ptz_port_page = {
    .table = tqdb_tbl_ptz_port,
    .fields = port_fields,
    .key_member = "chnid",
};

const record_page ptz_speed_page = {
    .table = tqdb_tbl_ptz_speed,
    .fields = speed_fields,
    .key_member = "camId",
    .oplog_sub = ptz_log_sub_type,
    .oplog_param = ptz_log_setting,
};

void ptz_port_set(request& rq) {
    json_object* req = rq.json;
    if (!req_member(req, "cnt") || !req_member(req, "chnid") || !fields_valid(req, port_fields))
        return rq.refuse("cnt, chnid or serial settings");
    const std::vector<int32_t> channels = listed_channels(req);
    int rc = tqdb_atomic(TQDB_FILE, [&] {
        for (int32_t chn : channels) {
            int rc = edit_ptz_port(TQDB_FILE, chn,
                                   [&](ptz_port_record& port) { fields_from_json(req, &port, port_fields); });
            if (rc != 0) return rc;
        }
        return 0;
    });
    if (rc != 0) return rq.fail();
    for (int32_t chn : channels) {
        core_notify(ptz_reply, msg_ptz_port, sizeof chn, &chn);
        ptz_log(ptz_log_setting, chn);
    }
    cgi_reply(REPLY_TEXT, "OK");
}
