// Download of a recording as an AVI file (/4013), the download marker
// (/4019) and the cancel (/4027). The frames arrive as the answer 6173 and
// go to the writer of remote_backup.h.
#pragma once

#include "front/core_link.h"
#include "front/dispatchreq.h"

namespace playback {

void download_recording(request& rq);  // /4013
void download_check(request& rq);      // /4019
void download_cancel(request& rq);     // /4027
// 6173: the frame pieces of the download (a feed row: the wait goes on
// until a marker ends it).
int take_download_pieces(const core_answer& answer);

// The download's file name, "<mask>DDD<start>-<end>_<id>.avi": the mask
// 1 << id printed as a signed 64-bit number, each time as year, month, day,
// hour, minute, second and epoch seconds joined by '_'. Returns the length
// (as snprintf).
int download_name(char* out, size_t size, int id, const struct tm& start, int64_t start_s, const struct tm& end,
                  int64_t end_s);

}  // namespace playback
