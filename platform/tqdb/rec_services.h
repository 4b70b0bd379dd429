// Records of the network services: push messages, the P2P cloud service and
// the SNMP agent.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/tqdb/tqdb.h"

// The push-message type of one channel (its meaning is the core daemon's and
// the page's). A channel without a row has type 0.
struct push_msg_event_record {
    int32_t channel;  // the key, 0..63
    int32_t value;
};
static_assert(sizeof(push_msg_event_record) == 8);
static_assert(offsetof(push_msg_event_record, channel) == 0);
static_assert(offsetof(push_msg_event_record, value) == 4);

// The recorder's own push event text.
struct push_nvr_event_record {
    char event[65];  // at most 64 characters
    uint8_t pad[3];
};
static_assert(sizeof(push_nvr_event_record) == 68);
static_assert(offsetof(push_nvr_event_record, event) == 0);

// The P2P service's settings, also the payload of messages 3700 and 3701.
// The texts are the core daemon's; the registration with the P2P server
// sends them as they are.
struct p2p_record {
    int32_t enable;
    uint8_t reserved[32];
    char text1[128];
    char text2[128];
    char text3[128];
    char text4[64];
};
static_assert(sizeof(p2p_record) == 484);
static_assert(offsetof(p2p_record, enable) == 0);
static_assert(offsetof(p2p_record, text1) == 36);
static_assert(offsetof(p2p_record, text2) == 164);
static_assert(offsetof(p2p_record, text3) == 292);
static_assert(offsetof(p2p_record, text4) == 420);

// One SNMP v3 user (the read user and the write user). The codes of the
// security level and of the algorithms are the core daemon's.
struct snmp_user {
    char security_name[64];  // texts of at most 63 characters
    int32_t level_security;
    int32_t auth_algorithm;
    char auth_password[64];
    int32_t pri_algorithm;
    char pri_password[64];
};
static_assert(sizeof(snmp_user) == 204);
static_assert(offsetof(snmp_user, level_security) == 64);
static_assert(offsetof(snmp_user, auth_password) == 72);
static_assert(offsetof(snmp_user, pri_algorithm) == 136);
static_assert(offsetof(snmp_user, pri_password) == 140);

// The SNMP agent's settings. The agent is the core daemon's.
struct snmp_record {
    int32_t v1_enable;
    int32_t v2c_enable;
    char write_community[64];  // at most 63 characters
    char read_community[64];
    int32_t v3_enable;
    snmp_user read_user;
    snmp_user write_user;
    int32_t port;  // the agent's UDP port
};
static_assert(sizeof(snmp_record) == 552);
static_assert(offsetof(snmp_record, write_community) == 8);
static_assert(offsetof(snmp_record, read_community) == 72);
static_assert(offsetof(snmp_record, v3_enable) == 136);
static_assert(offsetof(snmp_record, read_user) == 140);
static_assert(offsetof(snmp_record, write_user) == 344);
static_assert(offsetof(snmp_record, port) == 548);

extern const tqdb_table tqdb_tbl_push_msg_event;  // "push_msg_event", keyed by channel, no factory rows
extern const tqdb_table tqdb_tbl_push_nvr_event;  // "push_nvr_event", single row
extern const tqdb_table tqdb_tbl_p2p_info;        // "p2p_info", single row
extern const tqdb_table tqdb_tbl_snmp;            // "snmp", single row

// read_push_msg_events(path, arr, count) (at most 64 rows, channel order),
// write_push_msg_events(path, arr, count) (one transaction)
TQDB_ALL(push_msg_events, push_msg_event_record, tqdb_tbl_push_msg_event, 64)
// read_push_msg_nvr_event(path, rec), write_push_msg_nvr_event(path, rec)
TQDB_SINGLE(push_msg_nvr_event, push_nvr_event_record, tqdb_tbl_push_nvr_event)
// read_p2p_info(path, rec), write_p2p_info(path, rec), edit_p2p_info(path, fn)
TQDB_SINGLE(p2p_info, p2p_record, tqdb_tbl_p2p_info)
// read_snmp(path, rec), write_snmp(path, rec), edit_snmp(path, fn)
TQDB_SINGLE(snmp, snmp_record, tqdb_tbl_snmp)
