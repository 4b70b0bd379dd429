// Core-daemon answers of the status pages (interfaces, traffic, camera
// streams, event state, storage totals, feature support, online users),
// shared by the status module and the simulated core. Every answer is an
// array of these records; the count is the payload size over the record size.
#pragma once

#include <cstddef>
#include <cstdint>

// Every request has no payload; every answer is an array of the records below.
inline constexpr int32_t msg_status_users = 1719;      // answer 6719: status_user
inline constexpr int32_t msg_status_support = 3263;    // answer 8263: status_support
inline constexpr int32_t msg_status_cameras = 3300;    // answer 8300: status_camera
inline constexpr int32_t msg_status_netifs = 3301;     // answer 8301: status_netif
inline constexpr int32_t msg_status_traffic = 3302;    // answer 8302: status_traffic
inline constexpr int32_t msg_status_events = 3305;     // answer 8305: status_events
inline constexpr int32_t msg_status_storage = 3306;    // answer 8306: status_storage

inline constexpr int32_t msg_status_users_reply = 6719;
inline constexpr int32_t msg_status_support_reply = 8263;
inline constexpr int32_t msg_status_cameras_reply = 8300;
inline constexpr int32_t msg_status_netifs_reply = 8301;
inline constexpr int32_t msg_status_traffic_reply = 8302;
inline constexpr int32_t msg_status_events_reply = 8305;
inline constexpr int32_t msg_status_storage_reply = 8306;

// One network interface (answer 8301).
struct status_netif {
    char ifname[12];
    int32_t id;
    int32_t state;
    int32_t speed_mode;
    int32_t duplex;
    int32_t enable;
    int32_t dhcp_enable;
    char ip_addr[24];
    char mac[24];
    char primary_dns[24];
    char second_dns[24];
    char gateway[24];
    char netmask[24];
    int32_t mtu;
    uint8_t ip6mode;
    char ip6address[64];
    uint8_t pad[3];
    int32_t ip6prefix;
    char ip6gateway[64];
};
static_assert(sizeof(status_netif) == 320);
static_assert(offsetof(status_netif, id) == 12);
static_assert(offsetof(status_netif, state) == 16);
static_assert(offsetof(status_netif, speed_mode) == 20);
static_assert(offsetof(status_netif, duplex) == 24);
static_assert(offsetof(status_netif, enable) == 28);
static_assert(offsetof(status_netif, dhcp_enable) == 32);
static_assert(offsetof(status_netif, ip_addr) == 36);
static_assert(offsetof(status_netif, mac) == 60);
static_assert(offsetof(status_netif, primary_dns) == 84);
static_assert(offsetof(status_netif, second_dns) == 108);
static_assert(offsetof(status_netif, gateway) == 132);
static_assert(offsetof(status_netif, netmask) == 156);
static_assert(offsetof(status_netif, mtu) == 180);
static_assert(offsetof(status_netif, ip6mode) == 184);
static_assert(offsetof(status_netif, ip6address) == 185);
static_assert(offsetof(status_netif, ip6prefix) == 252);
static_assert(offsetof(status_netif, ip6gateway) == 256);

// Traffic of one interface (answer 8302).
struct status_traffic {
    char ifname[12];
    int32_t rx_speed;
    int32_t tx_speed;
    int32_t id;
};
static_assert(sizeof(status_traffic) == 24);
static_assert(offsetof(status_traffic, rx_speed) == 12);
static_assert(offsetof(status_traffic, tx_speed) == 16);
static_assert(offsetof(status_traffic, id) == 20);

// Storage totals (answer 8306).
struct status_storage {
    int32_t total;
    int32_t free;
    int32_t used;
};
static_assert(sizeof(status_storage) == 12);
static_assert(offsetof(status_storage, free) == 4);
static_assert(offsetof(status_storage, used) == 8);

struct status_stream {
    int32_t width;
    int32_t height;
    int32_t framerate;
    int32_t bitrate;
    int32_t connection;
    int32_t connect_status;
};
static_assert(sizeof(status_stream) == 24);

// Stream state of one camera (answer 8300, records in ascending camera order).
struct status_camera {
    status_stream main;
    status_stream sub;
    int32_t record_on;
    int32_t alarm_on;
    int32_t camera_id;
    uint8_t unused[4];
};
static_assert(sizeof(status_camera) == 64);
static_assert(offsetof(status_camera, sub) == 24);
static_assert(offsetof(status_camera, record_on) == 48);
static_assert(offsetof(status_camera, alarm_on) == 52);
static_assert(offsetof(status_camera, camera_id) == 56);

// Event state of the recorder (answer 8305): 166 words. A 64-bit mask is two
// words, low word first, bit n for camera n.
struct status_events {
    uint32_t video_loss[2];
    uint32_t motion[2];
    uint32_t alarm_out_state;  // bit n for recorder output n
    uint32_t alarm_in_state;   // bit n for recorder input n
    uint32_t entrance[2];
    uint32_t exiting[2];
    uint32_t advanced_motion[2];
    uint32_t tampering[2];
    uint32_t line_crossing[2];
    uint32_t loitering[2];
    uint32_t human_detection[2];
    uint32_t object_left_removed[2];
    uint32_t counts[64][2];          // per camera: "in", "out"
    uint32_t cam_alarm_in_state[2][2];   // per camera input 0, 1: a mask
    uint32_t cam_alarm_out_state[2][2];
    uint32_t cam_alarm_in_type[2][2];
    uint32_t cam_alarm_out_type[2][2];
};
static_assert(sizeof(status_events) == 664);
static_assert(offsetof(status_events, alarm_out_state) == 4 * 4);
static_assert(offsetof(status_events, alarm_in_state) == 5 * 4);
static_assert(offsetof(status_events, entrance) == 6 * 4);
static_assert(offsetof(status_events, object_left_removed) == 20 * 4);
static_assert(offsetof(status_events, counts) == 22 * 4);
static_assert(offsetof(status_events, cam_alarm_in_state) == 150 * 4);
static_assert(offsetof(status_events, cam_alarm_out_state) == 154 * 4);
static_assert(offsetof(status_events, cam_alarm_in_type) == 158 * 4);
static_assert(offsetof(status_events, cam_alarm_out_type) == 162 * 4);

// Support of a feature on one channel (answer 8263: 64 records).
struct status_support {
    int32_t word0;
    int32_t supported;  // 1 = yes
    int32_t type;       // 1 or 2; anything else counts as 0
    int32_t rest[8];
};
static_assert(sizeof(status_support) == 44);
static_assert(offsetof(status_support, supported) == 4);
static_assert(offsetof(status_support, type) == 8);

inline constexpr int status_support_channels = 64;

// A user logged in (answer 6719).
struct status_user {
    char user_name[64];
    int32_t user_level;
    char ipaddr[64];
    char login_time[20];
};
static_assert(sizeof(status_user) == 152);
static_assert(offsetof(status_user, user_level) == 64);
static_assert(offsetof(status_user, ipaddr) == 68);
static_assert(offsetof(status_user, login_time) == 132);
