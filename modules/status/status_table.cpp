// The request table of the status module (one row a code, in code order) and
// its reply table (one row an answer identifier). The packet-capture codes
// of the same range live with the capture handlers.
#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/status/capture.h"
#include "modules/status/status.h"
#include "platform/msg_status.h"

namespace {

// "/8004" is a code the page calls that answers nothing at all.
void status_silent(request&) {}

// clang-format off
const request_entry table[] = {
    {"/8000", status_page<msg_status_netifs>, IN_TEXT, OUT_JSON,
     "the network interfaces the core reports", "-", "3301 -> 8301",
     "{netif: [{ifname, id, state, speedMode, duplex, enable, dhcpEnable, ipAddr, MAC, primaryDNS, "
     "secondDNS, gateway, netmask, mtu, ip6mode, ip6address, ip6prefix, ip6gateway}]}"},
    {"/8001", status_page<msg_status_traffic>, IN_TEXT, OUT_JSON,
     "the traffic of each network interface", "-", "3302 -> 8302",
     "{netif: [{id, ifname, RxSpeed, TxSpeed}]}"},
    {"/8002", status_page<msg_status_cameras>, IN_TEXT, OUT_JSON,
     "the streams of every channel's camera, with names and addresses", "-", "3300 -> 8300",
     "{IPC: [{id, name, enable, ipAddr, recordOn, alarmOn, main, sub: {res: {width, height}, framerate, "
     "bitrate, connection, connectStatus}}] (-- for a camera not listed)}"},
    {"/8003", status_page<msg_status_events>, IN_TEXT, OUT_JSON,
     "the event and alarm state of every channel and of the recorder's inputs and outputs", "-",
     "3305 -> 8305",
     "{cameras: [{id, name, ipAddr, videolossOn, motionOn, ioOn, smart event flags, in, out, "
     "AlarmInName0..1, ..., AlarmOutState0..1}], alarmIn: [{id, name, type, state}], alarmOut: [{id, name, "
     "type, duration, state}]}"},
    {"/8004", status_silent, IN_TEXT, OUT_TEXT,
     "a code the page calls that answers nothing", "-", "-", "nothing"},
    {"/8005", capture_start, IN_JSON, OUT_JSON,
     "stop earlier captures, delete their files and capture an interface's traffic with its watchdog",
     "{nic (interface, 1..7 of [A-Za-z0-9._-]), ip? (address or host name), port? (1..65535), "
     "mntPath (existing absolute directory)}",
     "-", "{dirPath, fileName}"},
    {"/8006", capture_stop, IN_TEXT, OUT_TEXT,
     "stop the capture", "-", "-", "OK"},
    {"/8007", capture_download, IN_TEXT, OUT_TEXT,
     "archive a capture's files, send the archive and delete them",
     "dirPath/fileName as /8005 answered", "-", "the file packet.tar (or CGI ERROR)"},
    {"/8008", status_page<msg_status_storage>, IN_TEXT, OUT_JSON,
     "the storage totals", "-", "3306 -> 8306", "{total, free, used}"},
    {"/8009", status_page<msg_status_support>, IN_TEXT, OUT_JSON,
     "which channels support smart analytics, and of which type", "-", "3263 -> 8263",
     "{support: 64 characters 0/1, type: 64 characters 0/1/2}"},
    {"/8010", status_disk_groups, IN_TEXT, OUT_JSON,
     "the disk groups: the channels each group records and each disk's group", "-", "-",
     "{channel: [16 texts], disk: [36 x group + 1, 0 none], max_chan, group_enable}"},
    {"/8011", status_page<msg_status_users>, IN_TEXT, OUT_JSON,
     "the users logged in", "-", "1719 -> 6719", "[{userName, userLevel, ipaddr, loginTime}]"},
};
// clang-format on

// Lists may be empty; the fixed records must come whole. The support answer
// is read record by record as far as it goes, but must not be empty.
const reply_row replies[] = {
    {msg_status_users_reply, sizeof(status_user), reply_short::empty, status_write_users},
    {msg_status_support_reply, 0, reply_short::wait, status_write_support},
    {msg_status_cameras_reply, sizeof(status_camera), reply_short::empty, status_write_cameras},
    {msg_status_netifs_reply, sizeof(status_netif), reply_short::empty, status_write_netifs},
    {msg_status_traffic_reply, sizeof(status_traffic), reply_short::empty, status_write_traffic},
    {msg_status_events_reply, sizeof(status_events), reply_short::wait, status_write_events},
    {msg_status_storage_reply, sizeof(status_storage), reply_short::wait, status_write_storage},
};

// Messages whose answers take longer than the usual 40 s, in wait rounds of
// 40 ms.
const core_wait waits[] = {
    {msg_status_support, 3000},  // /8009 feature support
};

}  // namespace

CORE_REPLY_CALLBACK(status_reply, replies)

WEBREQ_MODULE(7, table)
CORE_WAITS(waits)
