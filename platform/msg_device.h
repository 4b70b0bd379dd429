// Messages of the general settings pages (device name, information,
// display, retention, UPnP, automatic restart) and the device information
// record.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int32_t msg_display_resolution = 1001;  // 8: {output (0 main, 1 second), resolution}
inline constexpr int32_t msg_display_audio = 1002;       // 12: {HDMI audio, audio output, volume}
inline constexpr int32_t msg_display_reset = 1015;       // no payload: the outputs take their resolutions
inline constexpr int32_t msg_display_sub_enable = 1023;  // 4: the second output on its own
inline constexpr int32_t msg_device_number = 1705;       // 4: the device number
inline constexpr int32_t msg_auto_restart = 1718;        // 128: auto_restart_record
inline constexpr int32_t msg_retention = 2102;           // 8: disk_maintenance_record
inline constexpr int32_t msg_device_probe = 3265;        // no payload; answer 8265 {int}
inline constexpr int32_t msg_device_probe_clear = 3267;  // no payload
inline constexpr int32_t msg_device_info = 3400;         // no payload; answer 8400 (device_info)
inline constexpr int32_t msg_upnp_changed = 3720;        // 152: upnp_record

inline constexpr int32_t msg_device_probe_reply = 8265;
inline constexpr int32_t msg_device_info_reply = 8400;

struct display_resolution_notice {
    int32_t output;
    int32_t resolution;
};
static_assert(sizeof(display_resolution_notice) == 8);

struct display_audio_notice {
    int32_t hdmi_audio;
    int32_t audio_output;
    int32_t audio_volume;
};
static_assert(sizeof(display_audio_notice) == 12);

struct device_info {
    int32_t device_no;
    int32_t max_cameras;
    uint8_t reserved0[8];
    int32_t sensors;  // alarm inputs
    int32_t alarm_outputs;
    uint8_t reserved1[4];
    int32_t audio_outputs;
    int32_t displays;
    uint8_t reserved2[8];
    int32_t rs485_ports;
    uint8_t reserved3[4];
    int32_t network_ports;
    uint8_t reserved4[4];
    int32_t oem_version;
    uint8_t reserved5[4];
    int32_t maker_ddns;
    char serial[65];
    char prefix[16];
    char device_name[32];
    char software[32];
    char hardware[192];
    char mac[43];
    int32_t talk;
    uint8_t reserved6[128];
} __attribute__((packed, aligned(4)));
static_assert(sizeof(device_info) == 584);
static_assert(offsetof(device_info, max_cameras) == 4);
static_assert(offsetof(device_info, sensors) == 16);
static_assert(offsetof(device_info, alarm_outputs) == 20);
static_assert(offsetof(device_info, audio_outputs) == 28);
static_assert(offsetof(device_info, displays) == 32);
static_assert(offsetof(device_info, rs485_ports) == 44);
static_assert(offsetof(device_info, network_ports) == 52);
static_assert(offsetof(device_info, oem_version) == 60);
static_assert(offsetof(device_info, maker_ddns) == 68);
static_assert(offsetof(device_info, serial) == 72);
static_assert(offsetof(device_info, prefix) == 137);
static_assert(offsetof(device_info, device_name) == 153);
static_assert(offsetof(device_info, software) == 185);
static_assert(offsetof(device_info, hardware) == 217);
static_assert(offsetof(device_info, mac) == 409);
static_assert(offsetof(device_info, talk) == 452);
