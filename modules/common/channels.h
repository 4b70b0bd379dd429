// Channels in requests: one family of checks for every module.
//
// Channels are 0..63 inside the system (shown as 1..64). Some pages own
// fewer keys (alarm inputs 0..15, the cameras offered): every helper takes
// the number of keys, 64 unless said.
#pragma once

#include <json-c/json.h>

#include <cstdint>

#include "front/core_link.h"

struct request;

inline constexpr int channel_limit = 64;

inline bool chn_ok(int chn, int limit = channel_limit) { return chn >= 0 && chn < limit; }

// "key" present and a channel 0..limit-1; *chn gets the member's value.
bool req_channel(json_object* req, const char* key, int* chn, int limit = channel_limit);
// The channel of a bare channel text (one decimal number); -1 for any other
// text or a channel outside 0..limit-1.
int text_channel(const char* text, int limit = channel_limit);
// The mask of the channels a request lists (the first count_member elements
// of array_member), those below limit.
uint64_t listed_mask(json_object* req, const char* array_member, const char* count_member,
                     int limit = channel_limit);
// The channels of a mask, ascending, into list (64 entries); their count.
int mask_channels(uint64_t mask, int32_t* list);

// The query of one channel: sends the request's member key, a channel
// 0..limit-1, as an int32 payload and waits for the answer (core_query),
// whose failure reply takes the row's reply form. A request without such a
// member is refused.
void channel_query(request& rq, const char* key, reply_callback cb, int32_t msg_id, int limit = channel_limit);

// The number of channels offered ("max_cameras", default 32), kept to 1..64
// so that it can bound a loop, an index or a channel range.
int max_channels();
