// Licence plate recognition: the recorder's actions per plate list (the
// event action model, one source per list mode), the camera's recognition
// settings and plate-format filters (through the core daemon), and the
// plate lists of their own database file.
#pragma once

#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/common/relay.h"
#include "platform/msg_anpr.h"

void anpr_actions_get(request& rq);   // "/6179" {chnid, mode}
void anpr_actions_set(request& rq);   // "/6180" {chnid, mode, dialog, enable}
void anpr_settings_get(request& rq);  // "/6181" 3289 -> 8289
void anpr_settings_set(request& rq);  // "/6182" dialog (mode -1), 1208, 3290 -> 8290
void anpr_plates_delete(request& rq);   // "/6183"
void anpr_plates_replace(request& rq);  // "/6184"
void anpr_plates_change(request& rq);   // "/6185"
void anpr_format_get(request& rq);  // "/6190" 1207 -> 6207
extern const relay<anpr_format> anpr_format_relay;  // "/6191" 1208 -> 6208

int write_anpr_settings(const core_answer& answer);  // answer 8289
int write_anpr_format(const core_answer& answer);    // answer 6207
