// The system module's request table (one row a code, in code order) and its
// reply table (one row an answer identifier).
#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/system/device_settings.h"
#include "modules/system/logs.h"
#include "modules/system/maintenance.h"
#include "modules/system/service.h"
#include "modules/system/system.h"
#include "platform/msg_device.h"
#include "platform/msg_log.h"
#include "platform/msg_maintenance.h"
#include "platform/msg_system.h"
#include "platform/msg_system_service.h"
#include "platform/tqdb/rec_system.h"

namespace {

// clang-format off
const request_entry table[] = {
    {"/1000", user_login, IN_TEXT, OUT_TEXT,
     "log in: check the password hash and hand the user's rights and a session id to the browser",
     "{userName, md5} as text", "3485 (when logged in)",
     "{type} (-1 refused, -2 may not log in), or {type, userName, permission, rights..., remotePermisson, "
     "..., sessionId, failoverMode, sameChannel, hardwareVersion, softwareVersion, model} as text/plain"},
    {"/1001", language_list_store, IN_TEXT, OUT_TEXT,
     "replace the interface's language list", "the new contents of languages.json", "-", "OK"},
    {"/1002", log_search_page, IN_JSON, OUT_JSON_ERR,
     "one page of a log search, types named in the page's language",
     "{language, mainType (1..64), subTypeArr (first > 9), startTime, endTime (Y-m-d H:M:S), curPageNum, chnMask?, searchNoChn?}",
     "3495 -> 8495", "{count, num, curPageNum, log: [{no, mainTypeValue, mainType, subTypeValue, subType, pts, ptc, parameterValue, parameter, remote, chanNo, disk, size, detail, detail2, ip, user}]}, or ERROR"},
    {"/1003", log_export_csv, IN_JSON, OUT_JSON_ERR,
     "export a log search as a CSV download",
     "{language, mainType, subTypeArr (operation log: three group values), startTime, endTime (Y-m-dTH:M:S), curPageNum, ch?, na?}",
     "3494 -> 8494", "<type>_log_<mac>_<time>.csv: Number, Time, Main, Sub, Parameter, User, Ip, Channel, Log information"},
    {"/1004", maint_restart, IN_TEXT, OUT_TEXT,
     "restart the recorder", "-", "3485, 1703", "OK"},
    {"/1005", maint_core_check, IN_TEXT, OUT_TEXT,
     "is the core daemon up (and channel 0's unset motion intervals set to 20)", "-", "-", "OK or NO OK"},
    {"/1006", maint_factory_reset, IN_JSON, OUT_JSON_ERR,
     "factory reset, then restart", "{keepIp?, keepUser?}", "3311, 3410, 3485, 1703",
     "OK (written first); not JSON: {status:\"CGI ERROR\"}"},
    {"/1007", profile_export, IN_TEXT, OUT_TEXT,
     "export the configuration profile to /tmp", "-", "3485", "OK filename=<name>\\r\\n, OK or CGI ERROR"},
    {"/1008", profile_import, IN_TEXT, OUT_TEXT,
     "import the uploaded configuration profile", "upload (file)", "3485", "OK or CGI ERROR"},
    {"/1009", device_info_show, IN_TEXT, OUT_JSON_ERR,
     "the device information", "-", "3400 -> 8400",
     "{hostName, deviceName, deviceId, product, hwver, software, oemversion, sn, prefix, pluginVersion, mpluginVersion, macAddress, tqddns, uptime, sncode, resource: {...}, tqfsDbup, transProtocol, streamInfo, oemonlineupdate, company, isSupportTalk}"},
    {"/1010", fw_upgrade_upload, IN_UPLOAD_UNREAD, OUT_TEXT,
     "upgrade from the uploaded image; restart on success", "temp & <query> (reset: keep nothing)",
     "3485, 1713 -> 6713, then 3485, 1703", "OK, or the result (0: no answer)"},
    {"/1011", fw_image_gone, IN_TEXT, OUT_TEXT,
     "is the recorder image gone", "-", "-", "OK (gone) or Error"},
    {"/1012", device_name_store, IN_JSON, OUT_TEXT,
     "store the host name and the device number", "{hostName, deviceId (1..255)}", "1705, 1702", "OK"},
    {"/1013", profile_download, IN_TEXT, OUT_TEXT,
     "download the exported profile (and remove it)", "-", "-", "the file, or nothing"},
    {"/1014", device_log_cleared, IN_TEXT, OUT_TEXT,
     "note in the operation log that the log was cleared", "-", "3485", "OK"},
    {"/1015", log_type_catalogue, IN_JSON, OUT_JSON_ERR,
     "the log's main and sub types, named in a language", "{lan}", "-",
     "{mainType: [{key, name}], subType: [[{key, name}], ...]}"},
    {"/1016", page_get<retention_page>, IN_TEXT, OUT_JSON,
     "the log and snapshot retention", "-", "-", "{logRetention, photoRetention}"},
    {"/1017", page_set<retention_page>, IN_JSON, OUT_TEXT,
     "store the retention and tell the core", "{logRetention?, photoRetention?} (-1, 0, 1, 2, 4 .. 12)", "2102",
     "OK"},
    {"/1018", session_check, IN_TEXT, OUT_TEXT,
     "check a session with the core; home page or, with guest cookies, the login page",
     "the session text (255 characters)", "3504 -> 8504", "a redirect to home.html or index.html"},
    {"/1019", upload_discard, IN_UPLOAD_TEMP, OUT_TEXT,
     "take an upload and drop it", "upload (file)", "-", "nothing"},
    {"/1020", device_info_show, IN_TEXT, OUT_JSON_ERR,
     "the device information", "-", "3400 -> 8400", "as /1009"},
    {"/1021", log_entry_write, IN_JSON, OUT_TEXT,
     "write a log entry", "{mainTypeValue, subTypeValue, pts, parameterValue, remote, chanNo, size, ip, user, detail2}",
     "3488 -> 8488", "the core's answer as text, or N/A"},
    {"/1022", log_export_running, IN_TEXT, OUT_TEXT,
     "is an export running", "-", "-", "OK or NO"},
    {"/1023", device_dbup_clear, IN_TEXT, OUT_TEXT,
     "clear the database upgrade flag", "-", "-", "OK"},
    {"/1024", permission_flag_clear, IN_TEXT, OUT_TEXT,
     "clear the permission-update flag", "-", "-", "OK"},
    {"/1030", page_get<upnp_page>, IN_TEXT, OUT_JSON,
     "the UPnP port mapping", "-", "-",
     "{enable, type, external_http_port, http_status, external_rtsp_port, rtsp_status, http_port, rtsp_port}"},
    {"/1031", upnp_change, IN_JSON, OUT_TEXT,
     "hand a changed UPnP mapping to the core (not stored)", "{enable?, type?, external_http_port?, external_rtsp_port?}",
     "3720", "OK"},
    {"/1032", page_get<auto_restart_page>, IN_TEXT, OUT_JSON,
     "the automatic restart", "-", "-", "{enable, wday, hour, minutes, seconds}"},
    {"/1033", page_set<auto_restart_page>, IN_JSON, OUT_TEXT,
     "store the automatic restart and tell the core", "{enable?, wday?, hour?, minutes?, seconds?}", "1718", "OK"},
    {"/1034", fw_prepare, IN_TEXT, OUT_JSON,
     "tell the core an upgrade is coming", "-", "1721", "{res: 0} after 500 ms"},
    {"/6070", users_list, IN_TEXT, OUT_JSON,
     "the user accounts in use with their rights", "-", "-",
     "[{id, enable, name, password, type, permission, localLiveView..localShutdown, localliveview, "
     "localplayback, remoteLiveView..remoteShutdown, remoteliveview, remoteplayback, remotePermission}]"},
    {"/6071", user_add, IN_TEXT, OUT_TEXT,
     "add a user account (names are unique, at most 100 accounts)",
     "{type 0..3, permission >= -1, remotePermission >= -1, name?, password? (32), "
     "localLiveView..localShutdown, localliveview, localplayback, remoteLiveView..remoteShutdown, "
     "remoteliveview, remoteplayback?} as text", "3505, 3485", "id=<id>, FAILED_FULL or SAMEUSER"},
    {"/6072", user_change, IN_JSON, OUT_TEXT,
     "change a user account in use: name, password, type and rights",
     "{id 0..99, name?, password? (32), type?, rights?}", "3505", "OK or SAMEUSER"},
    {"/6073", user_remove, IN_JSON, OUT_TEXT,
     "remove a user account (its row kept, every field zero)", "{id 0..99, type 0..3}", "3505, 3485", "OK"},
    {"/6074", factory_users_list, IN_TEXT, OUT_JSON,
     "the factory accounts, on devices that have them", "-", "-",
     "[{id, enable, name, password, type, permission, remotePermission}], or nothing"},
    {"/6075", device_probe, IN_TEXT, OUT_TEXT,
     "ask the core for its device probe value", "-", "3265 -> 8265", "the value, or {status:\"CGI ERROR\"}"},
    {"/6076", device_probe_clear, IN_TEXT, OUT_TEXT,
     "tell the core to clear its device probe", "-", "3267", "OK"},
    {"/6077", users_reload, IN_TEXT, OUT_TEXT,
     "have the core reload the user accounts", "-", "3505", "OK"},
    {"/6080", display_show, IN_TEXT, OUT_JSON,
     "the display outputs and general settings", "-", "-",
     "{displayMode, hdmihotplug, mainResolution, hdmiAudioOn, homologous, curControl, subEnable, subResolution, audioOutputOn, audioVolume, deviceId, hostname, wizardEnable}"},
    {"/6081", display_store, IN_JSON, OUT_TEXT,
     "store the display outputs and general settings and tell the core",
     "{mainResolution, subResolution, hostname, audioOutputOn?, hdmiAudioOn?, audioVolume? (0..100 by 10), audioStereo?, subEnable?, homologous?, isHomologousChanged?, deviceId? (0..256), wizardEnable?, displayMode?, hdmihotplug?, streamInfo?}",
     "1023?, 1705, 1702, 1001, 1001, 1015 (a resolution changed), 1002, 3485, 1703 (homologous changed)",
     "OK, or SUB while another client controls the display"},
    {"/6082", cam_image_present, IN_UPLOAD_DIRECT, OUT_TEXT,
     "is the camera image there", "temp & <query>", "-", "OK (there) or Error"},
    {"/6083", cam_upgrade_start, IN_JSON, OUT_JSON_ERR,
     "upgrade cameras from the camera image", "{chnid, reset}", "3350 -> 8350", "{chnid, status} or CGI ERROR"},
    {"/6084", cam_image_drop, IN_TEXT, OUT_TEXT,
     "remove the camera image", "-", "3351", "OK"},
    {"/6085", image_download, IN_JSON, OUT_JSON_ERR,
     "let the core fetch an image (type 0 recorder, 1 camera)", "{type, url}", "1716 -> 6716",
     "{res} or CGI ERROR"},
    {"/6086", image_state, IN_JSON, OUT_JSON_ERR,
     "type 0: remove the recorder image; type 1: the fetch state", "{type}", "type 1: 1717 -> 6717",
     "{res} or CGI ERROR"},
    {"/6087", upgrade_info_show, IN_TEXT, OUT_JSON,
     "the upgrade information", "-", "1715 -> 6715", "{state, fileSize, softversion, url, description}"},
    {"/6088", fw_upgrade_downloaded, IN_TEXT, OUT_JSON,
     "upgrade from the fetched image; restart on success", "-", "1721, 3485, 1713 -> 6713, then 3485, 1703",
     "{res} (0 success)"},
    {"/6089", cam_upgrade_check, IN_JSON, OUT_JSON_ERR,
     "the upgrade information of the cameras of a channel text", "{ch}", "3365 -> 8365",
     "{check: [64 x {state, fileSize, softversion, url, description}]}"},
    {"/6300", access_filter_show, IN_TEXT, OUT_JSON,
     "the access filter", "-", "-", "{filterEnable, filterType, filterList: [{address_type, address}]}"},
    {"/6301", access_filter_store, IN_JSON, OUT_TEXT,
     "store the access filter and tell the core",
     "{filterEnable?, filterType?, filterList?: [{address_type, address}] (at most 100)}", "1722", "OK"},
    {"/6310", diagnostic_collect, IN_TEXT, OUT_TEXT,
     "have the core collect a diagnostic package", "-", "3528 -> 8528",
     "OK/<URL-encoded path>\\r\\n, or Failed"},
    {"/6311", diagnostic_download, IN_TEXT, OUT_TEXT,
     "download the diagnostic package, then remove it", "/tmp/<name>, URL-encoded", "-",
     "the file as a download"},
    {"/6320", audio_list, IN_TEXT, OUT_JSON,
     "the alarm sound files", "-", "4012 -> 9012", "{audioFileList: [{id, enable, name?}], status: 0}"},
    {"/6321", audio_upload, IN_TEXT, OUT_TEXT,
     "give an uploaded WAV file its encoded name", "upload: the WAV file", "-",
     "CGI OK status:[0], data:[<encoded name>] or CGI ERROR status:[-1], data:[...]"},
    {"/6322", audio_add, IN_JSON, OUT_JSON_ERR,
     "hand an uploaded sound file to the core under a name", "{uploadName, name}", "4013 -> 9013, 3485",
     "{status}"},
    {"/6323", audio_remove, IN_JSON, OUT_JSON_ERR,
     "remove sound files", "{idMask} (bits 0..9)", "4014 -> 9014, 3485", "{status}"},
    {"/6324", audio_rename, IN_JSON, OUT_JSON_ERR,
     "rename a sound file", "{id, name}", "4015 -> 9015, 3485", "{status}"},
    {"/6325", audio_by_id, IN_JSON, OUT_JSON_ERR,
     "ask the core about one sound file", "{id}", "4016 -> 9016", "{status}"},
    {"/dw.cgi", factory_download, IN_TEXT, OUT_TEXT,
     "downloads are not offered here", "-", "-", "NG download"},
    {"/ipc", camera_addresses, IN_JSON, OUT_TEXT,
     "consecutive camera addresses for the channels", "{startip, chnNum, chnFre}", "-", "OK"},
    {"/json", language_section, IN_TEXT, OUT_TEXT,
     "one page's texts from a language file", "lang=<language>&page=<page>[&sub=<part>]", "-",
     "{...}, or ERROR PAGE. / ERROR LANG."},
    {"/oem", oem_pack_install, IN_UPLOAD_TEMP, OUT_TEXT,
     "install a vendor customisation pack", "upload: the pack; query aes=<32-character key>", "-",
     "OK or ERROR"},
    {"/vb.htm", factory_commands, IN_TEXT, OUT_TEXT,
     "factory commands", "name=value&... or a bare command", "4000 (setlang)", "one reply per command"},
};
// clang-format on

const reply_row replies[] = {
    {msg_session_check_reply, sizeof(int32_t), reply_short::wait, write_session_verdict},
    {msg_upgrade_start_reply, sizeof(int32_t), reply_short::fail, write_upgrade_result, reply_kind::result},
    {msg_upgrade_info_reply, sizeof(upgrade_info), reply_short::fail, write_upgrade_info},
    {msg_image_download_reply, sizeof(int32_t), reply_short::fail, write_res},
    {msg_image_state_reply, sizeof(int32_t), reply_short::fail, write_res},
    {msg_cam_upgrade_reply, sizeof(cam_upgrade_state), reply_short::fail, write_cam_upgrade},
    {msg_cam_upgrade_check_reply, sizeof(upgrade_check_record), reply_short::fail, write_upgrade_check},
    {msg_diagnostic_collect_reply, 0, reply_short::fail, write_diagnostic_ready},
    {msg_audio_list_reply, sizeof(alarm_audio_file_record), reply_short::wait, write_audio_list},
    {msg_audio_add_reply, sizeof(int32_t), reply_short::wait, write_audio_status},
    {msg_audio_remove_reply, sizeof(int32_t), reply_short::wait, write_audio_status},
    {msg_audio_rename_reply, sizeof(int32_t), reply_short::wait, write_audio_status},
    {msg_audio_by_id_reply, sizeof(int32_t), reply_short::wait, write_audio_status},
    {msg_device_probe_reply, sizeof(int32_t), reply_short::fail, write_device_probe},
    {msg_device_info_reply, sizeof(device_info), reply_short::fail, write_device_info},
    {msg_log_entry_reply, 0, reply_short::empty, write_log_entry},
    {msg_log_export_reply, sizeof(log_export_ready), reply_short::fail, write_log_export},
    {msg_log_search_reply, sizeof(log_page), reply_short::empty, write_log_page},
};

// Messages whose answers take longer than the usual 40 s, in wait rounds of
// 40 ms.
const core_wait waits[] = {
    {3365, 3000},   // /6089 upgrade check
    {3401, 3000},   // device information (no code sends it)
    {1713, 6000},   // /1010, /6088 reset
    {1716, 6000},   // /6085 firmware download
    {3402, 6000},   // device information (no code sends it)
    {3528, 6000},   // /6310 diagnostic package
    {3350, 15000},  // /6083 camera upgrade
    {3494, 15000},  // /1003 log export
    {3495, 15000},  // /1002 log search
};

}  // namespace

CORE_REPLY_CALLBACK(system_reply, replies)

WEBREQ_MODULE(10, table)
CORE_WAITS(waits)
