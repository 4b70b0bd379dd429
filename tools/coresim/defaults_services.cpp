// Default replies of the time and mail messages: the clock is set at once,
// and the test mail goes out after a moment (result 0). A script answers
// 3409 with a non-zero result to make the test mail fail.
#include "platform/msg_network.h"
#include "tools/coresim/coresim.h"

#include <cstring>

namespace {

void answer_zero(int32_t id, int delay_rounds, std::vector<coresim::out_msg>& out) {
    coresim::out_msg msg;
    msg.id = id;
    msg.payload.assign(4, 0);
    msg.delay_rounds = delay_rounds;
    out.push_back(std::move(msg));
}

void time_set(const coresim::request_view&, std::vector<coresim::out_msg>& out) {
    answer_zero(msg_time_set_reply, 2, out);
}

// About two seconds on the recorder: the mail server is asked for real.
void test_mail(const coresim::request_view&, std::vector<coresim::out_msg>& out) {
    answer_zero(msg_test_mail_reply, 50, out);
}

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer), channel offset, builder
    {msg_time_set, 32, 4, -1, time_set},    // set the clock -> 6701
    {msg_time_applied, 0, -1},              // after 6701
    {msg_test_mail, 32, 4, -1, test_mail},  // test mail -> 8409 result
};

}  // namespace

CORESIM_DEFAULTS("services", rows);
