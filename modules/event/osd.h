// On-screen display and privacy masks (osd.cpp): the recorder's own overlay
// of each channel (stored), the camera's text and date overlays and its
// privacy masks (through the core daemon), the stored masks.
#pragma once

#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/common/record_page.h"
#include "modules/common/relay.h"
#include "platform/msg_event_osd.h"

extern const record_page osd_page;                    // "/6000", "/6001" the recorder's overlay
extern const record_page osd_name_page;               // "/6002" its name only
extern const relay<cam_osd_record> cam_osd_relay;     // "/6996" 3210 -> 8210
extern const relay<mask_area_ref> mask_delete_relay;  // "/6198" 3353 -> 8353

void stored_masks_get(request& rq);  // "/6018"
void cam_masks_set(request& rq);     // "/6019" 2509 to the listed channels
void cam_masks_get(request& rq);     // "/6115" 2502 -> 7502
void cam_mask_state(request& rq);    // "/6116" 2503 -> 7503
void mask_area_clear(request& rq);   // "/6173" 2508
void cam_osd_get(request& rq);       // "/6997" 3211 -> 8211

int write_cam_masks(const core_answer& answer);        // answer 7502
int write_mask_state(const core_answer& answer);       // answer 7503
int write_cam_osd_verdict(const core_answer& answer);  // answer 8210
int write_cam_osd(const core_answer& answer);          // answer 8211
int write_mask_delete(const core_answer& answer);      // answer 8353
