// The camera module's request table: one row a request code, in code order.
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

}  // namespace

WEBREQ_MODULE(3, camera_table)
