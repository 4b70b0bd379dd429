// People-counting groups and their reports, POS terminals and face capture:
// request handlers and the writers of the core daemon's answers to them.
// The stay-limit actions of a group, the alarm actions of a POS terminal
// and the face-event actions of a channel are sources of the event action
// model (modules/common/event_action.h).
#pragma once

#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/common/event_action.h"

// The callback for the answers of these pages (people_count.cpp).
void pcnt_reply(void* ctx, const void* header, const void* payload);

extern const event_source pcnt_group_source;  // per group 0..8, PTZ event type 20
extern const event_source pos_source;         // per terminal 0..15, PTZ kind 21
extern const event_source face_source;        // per channel, PTZ kind 26, notice 3383

// ---- counting groups and reports (people_count.cpp) -----------------------------

void pcnt_groups_get(request& rq);       // "/2066" the nine groups
void pcnt_groups_set(request& rq);       // "/2067" store the groups
void pcnt_camera_url(request& rq);       // "/2068" a camera's counting page
void pcnt_group_event_get(request& rq);  // "/2069" a group's stay-limit actions
void pcnt_group_event_set(request& rq);  // "/2070" store them
void pcnt_group_action1(request& rq);    // "/2071" group action of the core
void pcnt_group_action2(request& rq);    // "/2072" group action of the core
void pcnt_reports_get(request& rq);      // "/2075" the three reports
void pcnt_reports_set(request& rq);      // "/2076" store them

// ---- POS and face capture (pos_face.cpp) ---------------------------------------

void pos_get(request& rq);       // "/2073" the terminals and one's actions
void pos_set(request& rq);       // "/2074" store a terminal
void face_set(request& rq);      // "/2077" face capture and its actions

int write_face_status(const core_answer& answer);  // answer 8381
