// The camera module's request table (one row a request code, in code order)
// and its reply table (one row an answer identifier).
#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/camera/camera.h"
#include "modules/camera/camera_side.h"
#include "modules/camera/camera_upgrade.h"
#include "modules/camera/discovery.h"
#include "modules/camera/image.h"
#include "modules/camera/people_count.h"
#include "modules/camera/streams.h"
#include "platform/msg_camera.h"
#include "platform/msg_camera_discovery.h"
#include "platform/msg_camera_upgrade.h"
#include "platform/msg_camera_query.h"
#include "platform/msg_camera_side.h"

namespace {

// clang-format off
// code, handler, what it takes, how it answers; then its reference: summary,
// request form, core messages, reply.
const request_entry camera_table[] = {
    {"/2000", cam_channel_get, IN_JSON, OUT_JSON_ERR,
     "a channel's stored camera connection settings and name", "{chnid 0..63}", "-",
     "{id, name, ipAddr, managePort, protocol, model, userName, password, transmitProtocol, mainRtspPort, "
     "mainSourcePath, subRtspEnable, subRtspPort, subSourcePath, syncTime, mainRtspUrl, subRtspUrl, "
     "physicalport, poechannel, mac_addr, minorid, ddns}"},
    {"/2001", cam_channel_list, IN_TEXT, OUT_JSON,
     "the live channel list the core reports, with the stored names", "-", "3201 -> 8201",
     "{IPC: [{id, enable, name, ipAddr, managePort, camProtocol, vendor, sn, snReal, mac, model, fwVersion, "
     "state, ..., connectState, ddns}], maxIPCNums}"},
    {"/2003", cam_edit, IN_JSON, OUT_TEXT,
     "store an edited camera of a channel and its name; the core reconnects it",
     "{id 0..63, name, enable 0..1, camProtocol 0..7, transmitProtocol 0..2, "
     "ipAddr and managePort >= 0 (but protocol 7), minorid?, enableSubStream?, syncTime?, ddns?, "
     "type? (0 takes the login), userName?, password?, RTSP members? (protocol 1)}", "1203, 3485", "OK"},
    {"/2004", cam_add, IN_JSON, OUT_TEXT,
     "store a camera added to a channel and its name; the core connects it",
     "{id 0..63, name, enable 0..1, camProtocol 0..7, transmitProtocol 0..2, "
     "ipAddr and managePort >= 0 (but protocol 7), minorid?, enableSubStream?, syncTime?, ddns?, userName?, "
     "password?, RTSP members? (protocol 1), poechannel?, physicalport?, mac_addr?, otherPoe?}",
     "1201, 1206, 3485", "OK"},
    {"/2005", cam_delete, IN_JSON, OUT_JSON_ERR,
     "delete a channel's camera: record cleared, name CAMn, privacy masks off", "{chnid 0..63}",
     "1202, 1206, 3485", "OK"},
    {"/2006", relay_request<cam_search_relay>, IN_JSON, OUT_JSON,
     "search the network for cameras of a protocol", "{protocol 0..7}", "3200 -> 8200",
     "{resultString: OK or NO, IPC: [{ipAddr, managePort, protocol, macAddr, vendor, sn, fwVersion, model, "
     "modelId, netmask, dns, gateway, netif, active_status, name, snReal}]}"},
    {"/2007", cam_channel_list, IN_TEXT, OUT_JSON,
     "the live channel list the core reports, with the stored names", "-", "3201 -> 8201",
     "{IPC: [{id, enable, name, ipAddr, ...}], maxIPCNums}"},
    {"/2008", cam_protocol_table, IN_TEXT, OUT_JSON,
     "the camera protocols and the models of each", "-", "-",
     "{protocols: [{id, name, protocolFunction, enable, display_model, "
     "models: [{id, name, alarm_type, default_model}]}]}"},
    {"/2009", stream_caps_get, IN_JSON, OUT_JSON_ERR,
     "the stream capabilities and current stream settings of a channel", "{chnid 0..63}", "3204 -> 8204",
     "{stateCode} when the camera did not answer, else {stateCode, id, name, subEnable, audioEnable, "
     "videoTypeEnable, mainVideoType, subVideoType, ipc_type, syncTime, protocol, managePort, physicalport, "
     "poechannel, mac_addr, transmitProtocol, ddns, subStream, SupportSmartStream, SmartStream, SmartStreamLevel, "
     "SubSmartStream, SubSmartStreamLevel, main, sub: {curRes, res: [{width, height, name}], framerateMax, "
     "framerateMin, bitrateMax, bitrateMin, framerate, bitrate, iframeinterval}}"},
    {"/2010", relay_request<stream_set_one_relay>, IN_JSON, OUT_TEXT,
     "change the stream settings of one channel",
     "{id 0..63, mainResWidth >= 0, mainResHeight >= 0, mainFramerate >= 0, mainBitrate >= 0, subEnable, "
     "audioEnable 0..1, videoTypeEnable?, fisheyeType?, mainVideoType?, IframeInterval?, bitrateControl?, "
     "SmartStream?, SmartStreamLevel?, recordtype?, etframerate?, etIframeinterval?, etbitrate?, subVideoType?, "
     "subResWidth?, subResHeight?, subFramerate?, subBitrate?, subIframeInterval?, SubBitrateControl?, "
     "SubSmartStream?, SubSmartStreamLevel?}", "3203 -> 8203", "{res: 64 characters 0/1, the channels changed}"},
    {"/2011", relay_request<cam_address_relay>, IN_JSON, OUT_JSON,
     "change the network settings of a camera found",
     "{macAddr, oldIpcAddr, newIpcAddr, netmask, gateway, primaryDNS, port 0..65535, username, password, "
     "protocol 0..7, netif?}", "3205 -> 8205",
     "{resultString: OK, NETWORK_ERR, INVALID_USER, UNKNOWN_ERR, PROTO_NOT_SUPPORT or ERROR}"},
    {"/2012", cam_channel_names, IN_TEXT, OUT_JSON,
     "the names of every channel", "-", "-", "{IPC: [{id, name}]}"},
    {"/2013", cam_record_days, IN_JSON, OUT_JSON,
     "the days of a month with recordings on a channel",
     "{chnid 0..63, streamType (1 sub), time (%Y-%m-%d %H:%M:%S)}", "3493 -> 8493", "[31 x 0 or 1]"},
    {"/2014", relay_request<cam_login_relay>, IN_JSON, OUT_TEXT,
     "test a camera login", "{ipAddr, managePort >= 0, userName?, password?, camProtocol 0..7}",
     "3202 -> 8202", "OK, NETWORKERROR, USERERROR, BANDWIDTHERROR or UNKOWNERROR"},
    {"/2015", relay_request<cam_login_web_relay>, IN_JSON, OUT_TEXT,
     "test a camera login on its web port (80 at least)",
     "{ipAddr, managePort >= 0, userName?, password?, camProtocol 0..7}", "3227 -> 8227",
     "OK, NETWORKERROR, USERERROR, BANDWIDTHERROR or UNKOWNERROR"},
    {"/2016", cam_poe_password, IN_TEXT, OUT_TEXT,
     "the default password of PoE cameras", "-", "-", "the password"},
    {"/2017", cam_set_credentials, IN_JSON, OUT_TEXT,
     "store the login of a channel's camera; the core reconnects it",
     "{id 0..63, userName (not empty), password (not empty)}", "1203, 3485", "OK"},
    {"/2018", cam_poe_ports, IN_TEXT, OUT_TEXT,
     "the number of PoE ports", "-", "-", "the number"},
    {"/2019", image_get<msg_image_get>, IN_JSON, OUT_TEXT,
     "the camera's image settings", "{id 0..63}", "3221 -> 8221",
     "{id, smartir, whiteblance, focusmode, antiblurry, wdrenable, wdrlevel, wdrstarthour, wdrstartminute, "
     "wdrstophour, wdrstopminute, regiontype, hlcmode, exclude, exposemode, exposeregion, imageschemode, hlcday, "
     "hlcnight, redgain, bluegain, defogmode, defoglevel, dismode, exposetime, exposegain, wdraflevel, "
     "exposurectrl, hlclevel, enblur, deblur, sdkversion, lensType, reduceVideoStuttering}"},
    {"/2020", relay_request<image_set_relay>, IN_JSON, OUT_TEXT,
     "set the image settings of the listed channels",
     "{channel: [n], the members of /2019 but id, dismode, exposurectrl, sdkversion; aflevel for wdraflevel; "
     "modelType?}", "3280", "OK"},
    {"/2021", image_get<msg_daynight_get>, IN_JSON, OUT_TEXT,
     "the camera's day/night, infrared and lens settings", "{id 0..63}", "3223 -> 8223",
     "{id, colorkiller, modestarthour, modestartminute, modestophour, modestopminute, exposurectrl, lighttype, "
     "mirctrl, localdisplay, ircutaddaytonight, ircutadnighttoday, corridormode, imagerotation, smartIRType, "
     "nearIRLevel, farIRLevel, midIRLevel, lencorrect, smartIrMath, smartIrLimit, chipninterface, "
     "nearSmartirValue, farSmartirValue, midSmartirValue, lenCorrectType, fovadjust, sensortype, productmodel, "
     "softversion, smokeddomecover, smartwhitestrength, dnRefocus, sdkversion, structuretype, "
     "keepCorrectAspectRatio, dayNightSens, nightDaySens, zoomLimit}"},
    {"/2022", relay_request<daynight_set_relay>, IN_JSON, OUT_TEXT,
     "set the camera's day/night, infrared and lens settings",
     "{id 0..63, the settable members of /2021, saveCorridor?, whiteLedLevel? (for smartwhitestrength)}",
     "3224 -> 8224", "OK or ERROR"},
    {"/2023", cam_param_get, IN_JSON, OUT_TEXT,
     "a web parameter of a channel's camera", "{id, pagename?, httpname?, key?}", "3225 -> 8225",
     "{id, pagename, httpname, key, value}"},
    {"/2024", cam_param_set, IN_JSON, OUT_TEXT,
     "set a web parameter of a channel's camera (a rate-control key waits 2 s first)",
     "{id, pagename?, httpname?, key?, value?}", "3226 -> 8226", "OK or ERROR"},
    {"/2025", cam_type, IN_JSON, OUT_TEXT,
     "the type of a camera", "{id}", "2503 -> 7503", "{type}"},
    {"/2026", cam_ui_command, IN_JSON, OUT_TEXT,
     "a command text for the local display", "{cmd}", "4002 -> 9002", "{result}"},
    {"/2027", cam_chip_code, IN_TEXT, OUT_TEXT,
     "the chip code", "-", "4004 -> 9004", "{chip_code}"},
    {"/2028", cam_motion_state, IN_TEXT, OUT_TEXT,
     "the motion state of every channel", "-", "3307 -> 8307", "{Motion: 64 characters 0 or 1}"},
    {"/2029", cam_info_all, IN_TEXT, OUT_JSON,
     "the address, model and firmware of every camera", "-", "2505 -> 7505",
     "{IPC: [up to 64 x {chnid, ipaddr, model, fwversion}]}"},
    {"/2030", relay_request<stream_set_many_relay>, IN_JSON, OUT_JSON,
     "change the stream settings of many channels",
     "{chans: [0/1 per channel], transmitProtocol?, syncTime?, subEnable?, mainVideoType?, mainResWidth?, "
     "mainResHeight?, mainFramerate?, mainBitrate?, IframeInterval?, mainBitrateControl?, subVideoType?, "
     "subResWidth?, subResHeight?, subFramerate?, subBitrate?, subIframeInterval?, subBitrateControl?}",
     "3203 -> 8203", "{res: 64 characters 0/1, the channels changed}"},
    {"/2031", cam_set_transport, IN_JSON, OUT_TEXT,
     "store the transport and time sync of a channel's camera; the core reconnects it",
     "{id 0..63, transmitProtocol?, syncTime?}", "1203, 3485", "OK"},
    {"/2032", cam_address_batch_set, IN_JSON, OUT_TEXT,
     "change the network settings of several cameras; the results come later (/2033)",
     "{cnt, oIPCAddr: [{the members of /2011, channelId, modifynum}]}", "3229 per entry", "OK"},
    {"/2033", cam_address_results_get, IN_TEXT, OUT_JSON,
     "the results of the latest address changes", "-", "3230 -> 8230", "{IPC: [{mac, result}]}"},
    {"/2034", cam_have_ipv6, IN_TEXT, OUT_TEXT,
     "does the recorder have IPv6", "-", "-", "1 or 0"},
    {"/2035", cam_event_schedules, IN_JSON, OUT_JSON,
     "the effective schedules of a channel's motion and smart events (empty slots 00:00-00:00)",
     "{channel 0..63}", "-",
     "{schedule_motion, schedule_region_entrance, schedule_region_exit, schedule_advanced_motion, "
     "schedule_tamper_detection, schedule_line_crossing, schedule_loitering, schedule_human_detection, "
     "schedule_people_counting}"},
    {"/2036", cam_event_schedules_copy, IN_JSON, OUT_TEXT,
     "store the effective schedules of events start..end of a channel (a schedule left out is kept)",
     "{channel 0..63, start, end (0..8), schedule_motion?, schedule_region_entrance?, ...}", "-", "OK"},
    {"/2037", image_get<msg_time_table_get>, IN_JSON, OUT_JSON_ERR,
     "the camera's day/night time table", "{id 0..63}", "3278 -> 8278",
     "{image: [7 x {id, enable, startHour, startMinute, endHour, endMinute, exposureLevel, maxShutter, minShutter, "
     "gainLevel, irCutLatency, irCutState, irLedState, colorMode}]}"},
    {"/2038", relay_request<time_entry_set_relay>, IN_JSON, OUT_JSON_ERR,
     "set one entry of the camera's day/night time table",
     "{channel 0..63, id 0..6, enable?, startHour?, startMinute?, endHour?, endMinute?, exposureLevel?, "
     "minShutter?, maxShutter?, gainLevel?, irCutLatency?, irCutState?, irLedState?, colorMode?}", "3279", "OK"},
    {"/2039", image_get<msg_roi_get>, IN_JSON, OUT_JSON_ERR,
     "the camera's regions of interest", "{id 0..63}", "3271 -> 8271",
     "{enable, sdkversion, area: [16 x {id, enable, left, top, right, bottom}]}"},
    {"/2040", relay_request<roi_set_relay>, IN_JSON, OUT_TEXT,
     "set the regions of interest of the listed channels",
     "{enable?, area: [up to 16 x {enable, left, top, right, bottom}], cnt, chnid: [n]}", "3288", "OK"},
    {"/2041", image_get<msg_image_sched1_get>, IN_JSON, OUT_JSON_ERR,
     "the camera's first image profile schedule", "{id 0..63}", "3273 -> 8273",
     "{schedule: [7 days x 10 {startTime, endTime, actionType}]}"},
    {"/2042", relay_request<image_sched1_set_relay>, IN_JSON, OUT_TEXT,
     "set the first image profile schedule of the listed channels",
     "{channel: [n], schedule: [7 days x 10 [start, end, action]]}", "3281", "OK"},
    {"/2043", image_get<msg_exposure_sched_get>, IN_JSON, OUT_JSON_ERR,
     "the camera's exposure schedule", "{id 0..63}", "3275 -> 8275",
     "{schedule: [7 days x 12 {startTime, endTime, actionType, exposureTime, gainLevel}]}"},
    {"/2044", relay_request<exposure_sched_set_relay>, IN_JSON, OUT_TEXT,
     "set the exposure schedule of the listed channels",
     "{channel: [n], schedule: [7 days x 10 [start, end, action, exposure time, gain level]]}", "3282", "OK"},
    {"/2045", image_get<msg_image_sched3_get>, IN_JSON, OUT_JSON_ERR,
     "the camera's third image profile schedule", "{id 0..63}", "3277 -> 8277",
     "{schedule: [7 days x 12 {startTime, endTime, actionType}]}"},
    {"/2046", relay_request<image_sched3_set_relay>, IN_JSON, OUT_TEXT,
     "set the third image profile schedule of the listed channels",
     "{channel: [n], schedule: [7 days x 10 [start, end, action]]}", "3283", "OK"},
    {"/2047", time_table_copy, IN_JSON, OUT_TEXT,
     "set the day/night time table of the listed channels",
     "{cnt, chnid: [n], image: [up to 7 x {the entry members of /2038}]}", "3279 per channel", "OK"},
    {"/2048", exposure_steps_set, IN_JSON, OUT_JSON_ERR,
     "store the exposure steps of a channel", "{channel 0..63, exposure: [up to 140 x {exposureTime, gainLevel}]}",
     "-", "OK"},
    {"/2049", exposure_steps_get, IN_JSON, OUT_JSON_ERR,
     "the stored exposure steps of a channel", "{channel 0..63}", "-",
     "{exposure: [{exposureTime, gainLevel}]}; none stored: the failure reply"},
    {"/2050", relay_request<roi_area_clear_relay>, IN_JSON, OUT_JSON_ERR,
     "act on one region of interest of a channel", "{chan_id 0..63, area_id 0..16}", "3284", "OK"},
    {"/2051", cam_side_get<msg_cam_motion_get>, IN_JSON, OUT_JSON_ERR,
     "the camera's own motion detection", "{chnid 0..63}", "3358 -> 8358",
     "{chnid, enable, sensitivity, minsize, mintime, adaptability, map_mask, effective}"},
    {"/2052", relay_request<cam_motion_relay>, IN_JSON, OUT_JSON_ERR,
     "set the camera's own motion detection, copied to other channels",
     "{chnid 0..63, enable?, sensitivity?, minsize?, mintime?, adaptability?, map_mask?, effective?, "
     "copyChn?, copyCnt?}",
     "3366 -> 8366", "{res}"},
    {"/2053", relay_request<cam_text_relay>, IN_JSON, OUT_TEXT_ERR,
     "a text the camera gives for a channel, two types and a time",
     "{chnid 0..63, mainType?, subType?, time?}", "3360 -> 8360", "the answer's bytes"},
    {"/2054", cam_side_get<msg_cam_tracking_get>, IN_JSON, OUT_JSON_ERR,
     "the camera's automatic tracking", "{chnid 0..63}", "3294 -> 8294",
     "{chnid, enable, show, sensitivity, time, manual_tracking, zoom_mode, zoom_number, area, "
     "humanVehicleSupport, trackingObject, schedule}"},
    {"/2055", relay_request<cam_tracking_relay>, IN_JSON, OUT_JSON_ERR,
     "set the camera's automatic tracking, copied to other channels",
     "{chnid 0..63, channels?, enable?, show?, sensitivity?, time?, manual_tracking?, zoom_mode?, "
     "zoom_number?, area?, humanVehicleSupport?, trackingObject?, schedule?}", "3375 -> 8375", "{res}"},
    {"/2056", cam_support, IN_JSON, OUT_JSON_ERR,
     "does a channel's camera have PTZ", "{chnid 0..63}", "1262 -> 6262", "{res}"},
    {"/2057", cam_info_one, IN_JSON, OUT_JSON_ERR,
     "the address, model and firmware of a channel's camera", "{chnid 0..63}", "2507 -> 7507",
     "{chnid, ipaddr, model, fwversion}"},
    {"/2058", cam_watermark_get, IN_JSON, OUT_JSON_ERR,
     "the watermark of a channel's camera", "{chnid 0..63}", "1213 -> 6213", "{chnid, enable, watermark}"},
    {"/2059", cam_watermark_put, IN_JSON, OUT_JSON_ERR,
     "set the watermark of a channel's camera and of the channels marked in copy",
     "{chnid 0..63, enable?, watermark?, copy? (64 characters 0 or 1)}", "1216 -> 6216", "{res}"},
    {"/2060", relay_request<stream_extra_get_relay>, IN_JSON, OUT_JSON_ERR,
     "the extra stream of a fisheye camera", "{chnid 0..63, fisheyeType?}", "1217 -> 6217",
     "{chnid, enable, framerate, bitrate, iframeinterval}"},
    {"/2061", relay_request<stream_extra_set_relay>, IN_JSON, OUT_JSON_ERR,
     "set the extra stream of a fisheye camera", "{chnid 0..63, enable?, framerate?, bitrate?, iframeinterval?}",
     "1218 -> 6218", "{res}"},
    {"/2062", night_mode_get, IN_JSON, OUT_JSON_ERR,
     "the camera's night mode", "{chnid 0..63}", "1219 -> 6219", "{chnid, nightMode}"},
    {"/2063", cam_side_get<msg_cam_audio_caps>, IN_JSON, OUT_JSON_ERR,
     "the camera's audio encodings and audio configuration", "{chnid 0..63}", "3371 -> 8371",
     "{res, support, supportMode, supportInputMode, config: {the members of /2064}, "
     "options: [{encodeValue, sampleRateInfo: [{sampleRateValue, bitrateInfo: [n]}]}]}"},
    {"/2064", relay_request<cam_audio_relay>, IN_JSON, OUT_JSON,
     "set the camera's audio, copied to other channels",
     "{chnid 0..63, audioEnable?, audioMode?, denoise?, encoding?, sampleRate?, inputGain?, inputMode?, "
     "audioGainControl?, outputVolume?, audioBitrate?, channels?}", "3372 -> 8372", "OK or ERROR"},
    {"/2065", cam_side_get<msg_cam_audio_support>, IN_JSON, OUT_JSON_ERR,
     "the audio functions of the camera and the recorder", "{chnid 0..63}", "3376 -> 8376",
     "{res, audioSupport, audioSupportMode, audioLineInputSupport, systemSpeakerSupport, "
     "systemManualSpeedSupport}"},
    {"/2066", pcnt_groups_get, IN_JSON, OUT_JSON,
     "the nine people-counting groups, with each group's stay-limit actions when asked", "{action?}", "-",
     "{groups: [{groupid, enable, stays, liveview_auto_reset, auto_day, liveview_font_size, name, "
     "auto_day_time, tri_channels, liveview_green_tips, liveview_red_tips, dialog?}]}"},
    {"/2067", pcnt_groups_set, IN_JSON, OUT_JSON_ERR,
     "store the people-counting groups (element i changes group i)", "{groups: [up to 9 group objects]}",
     "2290 -> 7290", "{res}"},
    {"/2068", pcnt_camera_url, IN_JSON, OUT_JSON_ERR,
     "a camera's people-counting page through the core", "{chnid 0..63, url?}", "3377 -> 8377",
     "{res, chnid, data}; a bad chnid: CGI ERROR as text"},
    {"/2069", pcnt_group_event_get, IN_JSON, OUT_JSON_ERR,
     "the stay-limit actions of a counting group", "{groupid 0..8}", "-",
     "{chnid, triAlarms, interval, email_interval, email_pic_enable, tri_channels_pic, ptz_interval, "
     "alarmout_interval, white_interval, effective, audible, email, ptz, triChnAlarms, white, whiteInfo, "
     "audioId, audioIdMask}"},
    {"/2070", pcnt_group_event_set, IN_JSON, OUT_JSON_ERR,
     "store the stay-limit actions of a counting group",
     "{groupid 0..8, audible?, email?, ptz?, white?, whiteInfo?, triChnAlarms?, triAlarms?, interval?, "
     "audioId?, email_interval?, email_pic_enable?, tri_channels_pic?, ptz_interval?, alarmout_interval?, "
     "white_interval?, ptzParams?}", "2293 -> 7293", "{res}"},
    {"/2071", pcnt_group_action1, IN_JSON, OUT_JSON_ERR,
     "first group action of the core", "{groupid 0..8}", "2291 -> 7291", "{res}"},
    {"/2072", pcnt_group_action2, IN_JSON, OUT_JSON_ERR,
     "second group action of the core", "{groupid 0..8}", "2292 -> 7292", "{res}"},
    {"/2073", pos_get, IN_JSON, OUT_JSON_ERR,
     "the sixteen POS terminals and the alarm actions of one", "{id 0..15}", "-",
     "{pos: [16 terminal objects], action: {effective, audible, interval, audioId, email, ...}}"},
    {"/2074", pos_set, IN_JSON, OUT_JSON_ERR,
     "store a POS terminal and, when given, its alarm actions",
     "{id 0..15, enable?, name?, protocol?, connectionMode?, ip?, ..., port?, action?}", "1421 -> 6421",
     "{res}"},
    {"/2075", pcnt_reports_get, IN_TEXT, OUT_JSON,
     "the three periodic people-counting reports", "-", "-",
     "{report: [{reportType, enable, triChannels, triGroups, stayLengthType, stayLengthValue, backupDay, "
     "backupTime, fileFormat, timeRange, backupTo}], email: 1}"},
    {"/2076", pcnt_reports_set, IN_JSON, OUT_JSON_ERR,
     "store the periodic reports (element i changes report i)", "{report: [up to 3 report objects]}",
     "1423 -> 6423", "{res: 0}"},
    {"/2077", face_set, IN_JSON, OUT_JSON_ERR,
     "send the camera's face capture settings; store the face-event actions when given",
     "{chnId 0..63, enable?, ..., captureModeArray?, shield?, action?}", "3383 (with action), 3381 -> 8381",
     "{status}"},
    {"/2078", cam_fw_upload, IN_JSON, OUT_JSON_ERR,
     "upgrade cameras from the uploaded image", "{chnid, reset, fileSize} (channel masks)", "3385 -> 8385",
     "{res}"},
    {"/2079", cam_fw_progress, IN_UPLOAD_DIRECT, OUT_TEXT,
     "progress of the camera upgrade", "-", "3386 -> 8386", "chnid=<mask>\\r\\n, status<n>=<status>\\r\\n..."},
    {"/2080", cam_fw_url, IN_JSON, OUT_JSON_ERR,
     "upgrade cameras from an image the core fetches", "{chnid, reset, url} (channel masks)", "3379 -> 8379",
     "{chnid, status: [...]}"},
    {"/2081", cam_fw_stop, IN_JSON, OUT_JSON_ERR,
     "stop the camera upgrade", "{stop}", "3390", "nothing"},
};
// clang-format on

// A record size of 0 hands the writer the answer's bytes. An empty answer
// to the channel list or to the camera information is no answer: the wait
// goes on.
const reply_row replies[] = {
    {msg_camera_status_reply, 0, reply_short::wait, write_channel_list},
    {msg_cam_support_reply, sizeof(int32_t), reply_short::fail, write_result},
    {msg_cam_watermark_reply, sizeof(cam_watermark), reply_short::fail, write_watermark},
    {msg_cam_watermark_set_reply, sizeof(int32_t), reply_short::fail, write_result},
    {msg_cam_type_reply, sizeof(int32_t), reply_short::fail, write_camera_type},
    {msg_cam_info_all_reply, 0, reply_short::wait, write_cam_info_all},
    {msg_cam_info_reply, sizeof(cam_info), reply_short::fail, write_cam_info},
    {msg_cam_param_get_reply, sizeof(cam_web_param_reply), reply_short::fail, write_web_param},
    {msg_cam_param_set_reply, sizeof(int32_t), reply_short::fail, write_web_param_result},
    {msg_motion_state_reply, sizeof(uint64_t), reply_short::fail, write_motion_state},
    {msg_record_days_reply, sizeof(record_days_reply), reply_short::fail, write_record_days},
    // The four words before the result text, at least.
    {msg_ui_command_reply, ui_command_result_at, reply_short::fail, write_ui_command_result},
    {msg_chip_code_reply, 0, reply_short::fail, write_chip_code},
    // A search answer without a whole entry found nothing.
    {msg_cam_search_reply, sizeof(cam_found), reply_short::empty, write_cam_search},
    {msg_cam_login_test_reply, sizeof(int32_t), reply_short::fail, write_login_verdict},
    {msg_cam_address_set_reply, sizeof(int32_t), reply_short::fail, write_address_verdict},
    {msg_cam_login_test_web_reply, sizeof(int32_t), reply_short::fail, write_login_verdict},
    {msg_cam_address_results_reply, sizeof(cam_address_results), reply_short::fail, write_address_results},
    {msg_cam_tracking_get_reply, sizeof(cam_tracking), reply_short::fail, write_cam_tracking},
    {msg_cam_motion_get_reply, sizeof(cam_motion), reply_short::fail, write_cam_motion},
    {msg_cam_text_query_reply, 0, reply_short::fail, reply_bytes},
    {msg_cam_motion_set_reply, sizeof(int32_t), reply_short::fail, write_result},
    {msg_cam_audio_caps_reply, sizeof(cam_audio_caps), reply_short::fail, write_cam_audio_caps},
    {msg_cam_audio_set_reply, sizeof(int32_t), reply_short::fail, write_cam_audio_verdict},
    {msg_cam_tracking_set_reply, sizeof(int32_t), reply_short::fail, write_result},
    {msg_cam_audio_support_reply, sizeof(cam_audio_support), reply_short::fail, write_cam_audio_support},
    {msg_cam_fw_upload_reply, sizeof(int32_t), reply_short::fail, write_result},
    {msg_cam_fw_url_reply, sizeof(cam_fw_job_state), reply_short::fail, write_fw_url_started},
    {msg_cam_fw_progress_reply, sizeof(cam_fw_job_state), reply_short::fail, write_fw_progress_text},
    {msg_stream_caps_reply, sizeof(stream_caps), reply_short::fail, write_stream_caps},
    {msg_stream_set_reply, sizeof(uint64_t), reply_short::fail, write_stream_set_result},
    {msg_stream_extra_get_reply, sizeof(stream_extra), reply_short::fail, write_stream_extra},
    {msg_stream_extra_set_reply, sizeof(int32_t), reply_short::fail, write_result},
    {msg_image_reply, sizeof(image_reply), reply_short::fail, write_image},
    {msg_daynight_reply, sizeof(daynight_record), reply_short::fail, write_daynight},
    {msg_daynight_set_reply, sizeof(int32_t), reply_short::fail, write_daynight_verdict},
    {msg_time_table_reply, sizeof(time_table), reply_short::fail, write_time_table},
    {msg_roi_reply, sizeof(roi_reply), reply_short::fail, write_roi},
    {msg_image_sched1_reply, sizeof(image_sched_reply), reply_short::fail, write_image_sched1},
    {msg_exposure_sched_reply, sizeof(exposure_sched_reply), reply_short::fail, write_exposure_sched},
    {msg_image_sched3_reply, sizeof(image_sched_reply), reply_short::fail, write_image_sched3},
    {msg_night_mode_reply, sizeof(night_mode), reply_short::fail, write_night_mode},
};

// Messages whose answers take longer than the usual 40 s, in wait rounds of
// 40 ms.
const core_wait waits[] = {
    {msg_daynight_get, 3000},          // /2021 day/night
    {msg_cam_text_query, 3000},        // /2053 camera text
    {msg_cam_search, 6000},            // /2006 network search
    {msg_camera_status, 6000},         // /2001 channel list
    {msg_cam_login_test, 6000},        // /2014 login test
    {msg_stream_set, 6000},            // /2010, /2030 stream settings
    {msg_stream_caps, 6000},           // /2009 stream capabilities
    {msg_cam_address_set, 6000},       // /2011 address change
    {msg_cam_login_test_web, 6000},    // /2015 login test
    {3379, 6000},                      // /2080 camera upgrade state
    {msg_cam_address_results, 15000},  // /2033 address changes
};

}  // namespace

CORE_REPLY_CALLBACK(camera_reply, replies)

WEBREQ_MODULE(3, camera_table)
CORE_WAITS(waits)
