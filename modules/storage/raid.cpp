// RAID arrays: build and remove arrays, mark hot-spare disks, add a disk to
// an array. The core daemon does the work and answers with one result.
#include <cstring>

#include "front/bare_number.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/storage/storage.h"
#include "platform/msg_storage.h"

void raid_build(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req) return;
    raid_request msg;
    std::memset(&msg, 0, sizeof msg);
    msg.id = req_int_or(req, "id", 0);
    msg.level = req_int_or(req, "level", 0);
    msg.sata_cnt = req_int_or(req, "sata_cnt", 0);
    int sata_port = req_int_or(req, "sata_port", 0);
    if (msg.id < 10 || msg.id > 15 || !req_int(req, "enable", &msg.enable) || sata_port < 0 ||
        msg.sata_cnt < 0 || msg.level < 0)
        return;
    // Members from the bit mask, lowest port first.
    int members = 0;
    for (int n = 0; n < 16; ++n)
        if (sata_port & (1 << n)) msg.ports[members++] = n;
    storage_query(3420, &msg, sizeof msg, REPLY_TEXT);
}

void raid_remove(request& rq) {
    char* text = rq.text;
    int id;
    if (!parse_bare_int(text, &id) || id < 10 || id > 16) return;
    raid_request msg;
    std::memset(&msg, 0, sizeof msg);
    msg.id = id;
    storage_query(3421, &msg, sizeof msg, REPLY_TEXT);
}

void raid_hot_spare(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req) return;
    int32_t port = req_int_or(req, "port", 0);
    storage_query(req_int_or(req, "hotflag", 0) != 0 ? 3423 : 3424, &port, sizeof port, REPLY_TEXT);
}

void raid_add_disk(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req) return;
    int32_t msg[2] = {req_int_or(req, "diskport", 0), req_int_or(req, "raidport", 0)};
    storage_query(3425, msg, sizeof msg, REPLY_TEXT);
}
