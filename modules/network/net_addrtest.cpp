// Address tests: the core daemon checks whether an address is in use (on
// any interface, or on a named one) and answers 0 when it is free.
#include <cstddef>
#include <cstring>

#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/network/network.h"

namespace {

struct ip_test_request {  // 3005
    char ip[20];
};
static_assert(sizeof(ip_test_request) == 20);

struct dev_ip_test_request {  // 3006
    char dev[16];
    char ip[16];
};
static_assert(sizeof(dev_ip_test_request) == 32);
static_assert(offsetof(dev_ip_test_request, ip) == 16);

// 8005, 8006: one result; any non-zero value is reported as "-1".
void addrtest_callback(void*, const void* header, const void* payload) {
    int id = core_header_id(header);
    if (!payload || (id != 8005 && id != 8006) || core_header_size(header) < 4) return;
    if (!core_reply_claim()) return;
    int32_t result;
    std::memcpy(&result, payload, sizeof result);
    cgi_reply(REPLY_TEXT, result != 0 ? "-1" : "0");
    core_reply_done(1);
}

}  // namespace

void net_test_ip(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req) return;
    ip_test_request msg;
    req_text(req.get(), "ip", msg.ip, sizeof msg.ip);
    core_query(addrtest_callback, 3005, sizeof msg, &msg, REPLY_TEXT);
}

void net_test_dev_ip(request& rq) {
    char* text = rq.text;
    json_ref req = json_parse_object(text);
    if (!req) return;
    dev_ip_test_request msg;
    req_text(req.get(), "dev", msg.dev, sizeof msg.dev);
    req_text(req.get(), "ip", msg.ip, sizeof msg.ip);
    core_query(addrtest_callback, 3006, sizeof msg, &msg, REPLY_TEXT);
}
