// The system module's request table (one row a code, in code order) and its
// reply table (one row an answer identifier).
#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/system/system.h"
#include "platform/msg_system.h"

namespace {

// clang-format off
const request_entry table[] = {
    {"/1000", user_login, IN_TEXT, OUT_TEXT},
    {"/1018", session_check, IN_TEXT, OUT_TEXT},
    {"/1024", permission_flag_clear, IN_TEXT, OUT_TEXT},
    {"/6070", users_list, IN_TEXT, OUT_JSON},
    {"/6071", user_add, IN_TEXT, OUT_TEXT},
    {"/6072", user_change, IN_JSON, OUT_TEXT},
    {"/6073", user_remove, IN_JSON, OUT_TEXT},
    {"/6074", factory_users_list, IN_TEXT, OUT_JSON},
    {"/6077", users_reload, IN_TEXT, OUT_TEXT},
};
// clang-format on

const reply_row replies[] = {
    {msg_session_check_reply, sizeof(int32_t), reply_short::wait, write_session_verdict},
};

// Messages whose answers take longer than the usual 40 s, in wait rounds of
// 40 ms.
const core_wait waits[] = {
    {3365, 3000},   // /6089 upgrade check
    {3401, 3000},   // device information (no code sends it)
    {1713, 6000},   // /1010, /6088 reset
    {1716, 6000},   // /6085 firmware download
    {3402, 6000},   // device information (no code sends it)
    {3528, 6000},   // /6310 diagnostic package
    {3350, 15000},  // /6083 camera upgrade
    {3494, 15000},  // /1003 log export
    {3495, 15000},  // /1002 log search
};

}  // namespace

CORE_REPLY_CALLBACK(system_reply, replies)

WEBREQ_MODULE(10, table)
CORE_WAITS(waits)
