// Regional people counting: the camera's regions and thresholds (through the
// core daemon) and the recorder's reaction per (channel, region), four
// sources of the event action model.
#pragma once

#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/common/event_action.h"

// Region r of a camera: PTZ kind 22 + r, white-light list of its own.
extern const event_source regional_sources[4];

void regional_get(request& rq);  // "/6096" regions, thresholds and actions
void regional_set(request& rq);  // "/6097" store them
