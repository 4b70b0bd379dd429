// The camera module's request table: one row a request code, in code order.
#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/camera/camera.h"

namespace {

const request_entry camera_table[] = {
    {"/2000", cam_channel_get},
    {"/2001", cam_channel_list},
    {"/2003", cam_edit},
    {"/2004", cam_add},
    {"/2005", cam_delete},
    {"/2007", cam_channel_list},
    {"/2012", cam_channel_names},
    {"/2013", cam_record_days},
    {"/2017", cam_set_credentials},
    {"/2023", cam_param_get},
    {"/2024", cam_param_set},
    {"/2025", cam_type},
    {"/2026", cam_ui_command},
    {"/2027", cam_chip_code},
    {"/2028", cam_motion_state},
    {"/2029", cam_info_all},
    {"/2031", cam_set_transport},
    {"/2035", cam_event_schedules},
    {"/2036", cam_event_schedules_copy},
    {"/2056", cam_support},
    {"/2057", cam_info_one},
    {"/2058", cam_watermark_get},
    {"/2059", cam_watermark_put},
};

// Messages whose answers take longer than the usual 40 s, in wait rounds of
// 40 ms.
const core_wait waits[] = {
    {3223, 3000},   // /2021 day/night
    {3360, 3000},   // /2053 camera audio
    {3200, 6000},   // /2006 network search
    {3201, 6000},   // /2001 channel list
    {3202, 6000},   // /2014 login test
    {3203, 6000},   // /2010 stream settings
    {3204, 6000},   // /2009 stream capabilities
    {3205, 6000},   // /2011 address change
    {3227, 6000},   // /2015 login test
    {3379, 6000},   // /2080 camera upgrade state
    {3230, 15000},  // /2033 address changes
};

}  // namespace

WEBREQ_MODULE(3, camera_table)
CORE_WAITS(waits)
