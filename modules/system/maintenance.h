// Maintenance requests of the system module (maintenance.cpp): restart,
// factory reset, configuration profile export and import, the recorder's
// firmware upgrade and the camera image that the recorder keeps for its
// cameras. Rows in system_table.cpp.
#pragma once

#include "front/core_link.h"
#include "front/dispatchreq.h"

void maint_restart(request& rq);          // /1004 restart sequence
void maint_core_check(request& rq);       // /1005 is the core up; repairs channel 0's motion intervals
void maint_factory_reset(request& rq);    // /1006 3311, 3410, restart
void profile_export(request& rq);         // /1007 tqprofile -e
void profile_import(request& rq);         // /1008 tqprofile -i on this request's upload
void fw_upgrade_upload(request& rq);      // /1010 1713 with the reset flag of the query
void fw_image_gone(request& rq);          // /1011 is the recorder image gone
void profile_download(request& rq);       // /1013 the exported profile as a download
void upload_discard(request& rq);         // /1019 the upload is only removed
void fw_prepare(request& rq);             // /1034 1721
void cam_image_present(request& rq);      // /6082 is the camera image there
void cam_upgrade_start(request& rq);      // /6083 3350
void cam_image_drop(request& rq);         // /6084 remove the camera image, 3351
void image_download(request& rq);         // /6085 1716
void image_state(request& rq);            // /6086 remove the recorder image, or 1717
void upgrade_info_show(request& rq);      // /6087 1715
void fw_upgrade_downloaded(request& rq);  // /6088 1721, 1713
void cam_upgrade_check(request& rq);      // /6089 3365

// Writers of the answers.
int write_upgrade_result(const core_answer& answer);  // 6713: the state, no HTTP output
int write_upgrade_info(const core_answer& answer);    // 6715
int write_cam_upgrade(const core_answer& answer);     // 8350
int write_upgrade_check(const core_answer& answer);   // 8365
int write_res(const core_answer& answer);             // 6716, 6717: {"res"}
