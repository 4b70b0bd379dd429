// The playback module's request codes, one row a code.
#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/playback/playback.h"

namespace {

using namespace playback;

const request_entry table[] = {
    {"/3000", on_picture},               // picture settings of a playback channel
    {"/3001", on_picture_set},           // set them
    {"/3002", on_picture_default},       // reset them to the defaults
    {"/3003", on_session_reset},         // 1113 for a list of sessions
    {"/3004", on_query<4011>},           // busy state
    {"/4000", on_search},                // search a channel's recordings
    {"/4001", on_open},                  // open a session of a channel
    {"/4002", on_play_time},             // current play time of a session
    {"/4003", on_stop},                  // stop (and close) sessions
    {"/4004", on_session_list<1165>},    // 1165 for a list of sessions
    {"/4005", on_direction},             // play direction
    {"/4006", on_session_list<1170>},    // 1170 for a list of sessions
    {"/4007", on_speeds},                // a speed per session
    {"/4008", on_channel_speed},         // one speed for listed channels
    {"/4009", on_jump},                  // jump sessions to a time
    {"/4010", on_stream_addr},           // playback stream address
    {"/4011", on_stream_notice},         // 1901 for a channel's stream
    {"/4012", on_stream_reset},          // 1902
    {"/4014", on_channel_note<205>},     // logged action on a channel
    {"/4015", on_channel_note<0>},       // channel check only
    {"/4016", on_channel_note<0>},       // channel check only
    {"/4017", on_channel_note<218>},     // logged action on a channel
    {"/4018", on_query<3503>},           // stream addresses of every channel
    {"/4020", on_open_masks},            // open sessions by channel masks
    {"/4021", on_query<3506>},           // external ports
    {"/4022", on_session_speed},         // one speed for listed sessions
    {"/4023", on_page},                  // next page of a search
    {"/4024", on_channel_note<208>},     // logged action on a channel
    {"/4025", on_transcode},             // transcode the playback stream
    {"/4026", on_transcode_state},       // transcoding state
};

// Messages whose answers take longer than the usual 40 s, in wait rounds of
// 40 ms.
const core_wait waits[] = {
    {1153, 3000},  // /4002 play time
    {1171, 3000},  // /4009 jump
    {3102, 3000},  // play time (no code sends it)
    {3104, 3000},  // jump time (no code sends it)
};

}  // namespace

WEBREQ_MODULE(9, table)
CORE_WAITS(waits)
