#include "modules/common/channels.h"

#include "front/bare_number.h"
#include "front/dispatchreq.h"
#include "front/json_req.h"
#include "modules/common/relay.h"
#include "modules/common/sched_json.h"
#include "platform/tqdb/tqdb.h"

bool req_channel(json_object* req, const char* key, int* chn, int limit) {
    return req_int(req, key, chn) && chn_ok(*chn, limit);
}

int text_channel(const char* text, int limit) {
    int chn = -1;
    return parse_bare_int(text, &chn) && chn_ok(chn, limit) ? chn : -1;
}

uint64_t listed_mask(json_object* req, const char* array_member, const char* count_member, int limit) {
    uint64_t mask = channel_mask_from_json(req, array_member, count_member);
    return limit >= 64 ? mask : mask & ((uint64_t{1} << limit) - 1);
}

int mask_channels(uint64_t mask, int32_t* list) {
    int count = 0;
    for (int ch = 0; ch < 64; ++ch)
        if (mask >> ch & 1) list[count++] = ch;
    return count;
}

void channel_query(request& rq, const char* key, reply_callback cb, int32_t msg_id, int limit) {
    int chn = -1;
    if (!req_channel(rq.json, key, &chn, limit)) return rq.refuse(key);
    int32_t payload = chn;
    relay_query(rq, cb, msg_id, &payload, sizeof payload);
}

int max_channels() {
    int n = get_param_int(TQDB_FILE, "max_cameras", 32);
    return n < 1 ? 1 : n > 64 ? 64 : n;
}
