// Camera firmware upgrade (camera_upgrade.cpp): start a job from the
// uploaded camera image or from a URL, report its progress, stop it. The
// core daemon does the transfer to the cameras. Rows in camera_table.cpp.
#pragma once

#include "front/core_link.h"
#include "front/dispatchreq.h"

void cam_fw_upload(request& rq);    // "/2078" start from the uploaded image (3385)
void cam_fw_progress(request& rq);  // "/2079" progress (3386), plain text
void cam_fw_url(request& rq);       // "/2080" start from a URL (3379)
void cam_fw_stop(request& rq);      // "/2081" stop (3390), no reply

int write_fw_progress_text(const core_answer& answer);  // answer 8386
int write_fw_url_started(const core_answer& answer);    // answer 8379
