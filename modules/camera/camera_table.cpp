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
    {"/2017", cam_set_credentials},
    {"/2031", cam_set_transport},
};

}  // namespace

WEBREQ_MODULE(3, camera_table)
