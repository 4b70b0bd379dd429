// Event action lists: the PTZ actions and the white-light actions that an
// event of a channel triggers. A list holds up to 64 entries and is stored per
// owner (event kind and event channel, or white-light table name and event
// channel). Read calls fill up to 64 entries and give the stored entry count;
// a list never written reads as missing (non-zero, count 0, list untouched).
// Writers store the list up to its last used entry (trailing entries that
// are zero apart from the owner field are not stored).
#pragma once

#include "platform/tqdb/tqdb.h"

#include <cstddef>
#include <cstdint>

inline constexpr int action_list_len = 64;

struct ptz_action {
    int32_t event_channel;    // channel whose event triggers the action
    int32_t acto_ptz_channel; // PTZ camera channel; entries <= 0 are not shown
    int32_t reserved;         // left zero
    int32_t acto_ptz_type;    // 1 preset, 2 patrol, 3 pattern
    int32_t acto_ptz_preset;
    int32_t acto_ptz_patrol;
    int32_t acto_ptz_pattern;
};
static_assert(sizeof(ptz_action) == 28);
static_assert(offsetof(ptz_action, event_channel) == 0);
static_assert(offsetof(ptz_action, acto_ptz_channel) == 4);
static_assert(offsetof(ptz_action, reserved) == 8);
static_assert(offsetof(ptz_action, acto_ptz_type) == 12);
static_assert(offsetof(ptz_action, acto_ptz_preset) == 16);
static_assert(offsetof(ptz_action, acto_ptz_patrol) == 20);
static_assert(offsetof(ptz_action, acto_ptz_pattern) == 24);

struct led_entry {
    int32_t owner;            // event channel owning the entry
    int32_t chnid;            // channel whose white light acts
    int32_t mode;
    int32_t time;
};
static_assert(sizeof(led_entry) == 16);
static_assert(offsetof(led_entry, owner) == 0);
static_assert(offsetof(led_entry, chnid) == 4);
static_assert(offsetof(led_entry, mode) == 8);
static_assert(offsetof(led_entry, time) == 12);

// ---- PTZ action lists, per (kind, event channel); kind 20 has its own store

int read_ptz_params(const char* path, ptz_action* list, int kind, int channel, int* count_out);
// Replaces the list of (kind, channel) with list (64 entries).
int write_ptz_params_all(const char* path, const ptz_action* list, int kind, int channel);
// Stores list (64 entries) as the list of (kind, ch) for every channel ch
// whose bit is set in mask; each copy carries ch as its entries' event channel.
int copy_ptz_params_all(const char* path, const ptz_action* list, int kind, uint64_t mask);
// Single entries of the list of (kind, entry->event_channel), matched on
// acto_ptz_channel. write_ adds the entry (replacing one with the same PTZ
// channel; non-zero when the list is full); delete_ removes it (non-zero when
// absent); update_ replaces the entry whose PTZ channel is old_ptz_channel
// (non-zero when absent).
int write_ptz_params(const char* path, const ptz_action* entry, int kind);
int delete_ptz_params(const char* path, const ptz_action* entry, int kind);
int update_ptz_params(const char* path, const ptz_action* entry, int kind, int old_ptz_channel);

int read_peoplecnt_ptz_params(const char* path, ptz_action* list, int channel, int* count_out);
int write_peoplecnt_ptz_params_ex(const char* path, const ptz_action* list, int channel);
int write_peoplecnt_ptz_params(const char* path, const ptz_action* entry);
int delete_peoplecnt_ptz_params(const char* path, const ptz_action* entry);
int update_peoplecnt_ptz_params(const char* path, const ptz_action* entry, int old_ptz_channel);

// ---- white-light lists, per (table name, event channel) --------------------
// name: the white-light table ("motion_white_led_params", ...), at most 63
// characters; a longer or empty name fails.

int read_whiteled_params(const char* path, led_entry* list, const char* name, int channel,
                         int* count_out);
int write_whiteled_params_all(const char* path, const led_entry* list, const char* name,
                              int channel);
// Stores list (64 entries) under name for every channel ch whose bit is set
// in mask; each copy carries ch as its entries' owner.
int copy_whiteled_params(const char* path, const char* name, const led_entry* list,
                         uint64_t mask);

// The people-counting white-light list of a channel.
int read_peoplecnt_wled_params(const char* path, led_entry* list, int channel, int* count_out);
int write_peoplecnt_wled_params_all(const char* path, const led_entry* list, int channel);
