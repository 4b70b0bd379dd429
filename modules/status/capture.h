// Packet capture for diagnosis (capture.cpp): tcpdump on one interface into
// a ring of two files in a directory, stopped by hand or by the watchdog,
// downloaded as one tar archive.
#pragma once

#include <string_view>

#include "front/dispatchreq.h"

void capture_start(request& rq);     // /8005
void capture_stop(request& rq);      // /8006
void capture_download(request& rq);  // /8007

// The checks every request text passes before it names a program argument
// or a path (true: acceptable).
// A directory for capture files: absolute, [A-Za-z0-9._/-] only, no ".."
// component, at most 127 characters, an existing directory.
bool capture_dir_ok(std::string_view dir);
// A capture name as capture_start makes it: "rvpcap-" and 14 digits.
bool capture_name_ok(std::string_view name);
