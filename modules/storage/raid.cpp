// RAID arrays: build and remove arrays, mark hot-spare disks, add a disk to
// an array. The core daemon does the work and answers with one result.
#include <cstring>

#include "front/bare_number.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/field_map.h"
#include "modules/storage/storage.h"
#include "platform/msg_storage.h"

namespace {

// "/6104": arrays 10..15; "enable" must be there; counts not negative. An
// absent member is 0.
const field build_fields[] = {
    FM_INT(raid_request, "id", id).range(10, 15).required(),
    FM_INT(raid_request, "enable", enable).required(),
    FM_INT(raid_request, "level", level).range(0, INT32_MAX),
    FM_INT(raid_request, "sata_cnt", sata_cnt).range(0, INT32_MAX),
};

}  // namespace

int write_ok_error(const core_answer& answer) {
    cgi_reply(REPLY_TEXT, answer.count > 0 && answer.rec<int32_t>() == 0 ? "OK" : "Error");
    return 1;
}

void raid_build(request& rq) {
    int sata_port = req_int_or(rq.json, "sata_port", 0);
    if (!fields_valid(rq.json, build_fields) || sata_port < 0) return rq.refuse("id, enable or a count");
    raid_request msg{};
    fields_from_json(rq.json, &msg, build_fields);
    // Members from the bit mask, lowest port first.
    int members = 0;
    for (int n = 0; n < 16; ++n)
        if (sata_port & (1 << n)) msg.ports[members++] = n;
    storage_query(msg_raid_build, &msg, sizeof msg, REPLY_TEXT);
}

void raid_remove(request& rq) {
    int id;
    if (!parse_bare_int(rq.text, &id) || id < 10 || id > 16) return rq.refuse("id");
    raid_request msg{};
    msg.id = id;
    storage_query(msg_raid_remove, &msg, sizeof msg, REPLY_TEXT);
}

void raid_hot_spare(request& rq) {
    int32_t port = req_int_or(rq.json, "port", 0);
    bool on = req_int_or(rq.json, "hotflag", 0) != 0;
    storage_query(on ? msg_hot_spare_on : msg_hot_spare_off, &port, sizeof port, REPLY_TEXT);
}

void raid_add_disk(request& rq) {
    int32_t msg[2] = {req_int_or(rq.json, "diskport", 0), req_int_or(rq.json, "raidport", 0)};
    storage_query(msg_raid_add_disk, msg, sizeof msg, REPLY_TEXT);
}
