// Address tests: the core daemon checks whether an address is in use (on
// any interface, or on a named one) and answers 0 when it is free.
#include "front/core_link.h"
#include "front/json_req.h"
#include "modules/network/network.h"
#include "platform/msg_network.h"

// Any non-zero result is reported as "-1".
int write_addr_test(const core_answer& answer) {
    cgi_reply(REPLY_TEXT, answer.rec<int32_t>() != 0 ? "-1" : "0");
    return 1;
}

void net_test_ip(request& rq) {
    ip_test_request msg;
    req_text(rq.json, "ip", msg.ip, sizeof msg.ip);
    core_query(network_reply, msg_ip_test, sizeof msg, &msg, REPLY_TEXT);
}

void net_test_dev_ip(request& rq) {
    dev_ip_test_request msg;
    req_text(rq.json, "dev", msg.dev, sizeof msg.dev);
    req_text(rq.json, "ip", msg.ip, sizeof msg.ip);
    core_query(network_reply, msg_dev_ip_test, sizeof msg, &msg, REPLY_TEXT);
}
