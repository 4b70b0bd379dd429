// The network service settings: system time, the PPPoE, dynamic-DNS and
// e-mail accounts (one record each for the whole recorder), the push
// messages, the P2P cloud service and the SNMP agent.
#pragma once

#include "platform/tqdb/tqdb.h"

#include <cstddef>
#include <cstdint>

// System time. sync_interval holds minutes (60..43200), not the page's index.
struct time_record {
    int32_t ntp_enable;
    int32_t dst_enable;
    char time_zone[32];       // at most 31 characters
    char time_zone_name[32];  // at most 31 characters
    char ntp_server[64];      // at most 63 characters
    int32_t sync_enable;
    int32_t sync_interval;
    int32_t sync_pc;
};
static_assert(sizeof(time_record) == 148);
static_assert(offsetof(time_record, ntp_enable) == 0);
static_assert(offsetof(time_record, dst_enable) == 4);
static_assert(offsetof(time_record, time_zone) == 8);
static_assert(offsetof(time_record, time_zone_name) == 40);
static_assert(offsetof(time_record, ntp_server) == 72);
static_assert(offsetof(time_record, sync_enable) == 136);
static_assert(offsetof(time_record, sync_interval) == 140);
static_assert(offsetof(time_record, sync_pc) == 144);

// The PPPoE dial-up account. The password is kept as given: the core daemon
// dials with it.
struct pppoe_record {
    int32_t enable;
    int32_t auto_connect;
    char user_name[64];
    char password[64];
};
static_assert(sizeof(pppoe_record) == 136);
static_assert(offsetof(pppoe_record, auto_connect) == 4);
static_assert(offsetof(pppoe_record, user_name) == 8);
static_assert(offsetof(pppoe_record, password) == 72);

// The dynamic-DNS account, with the ports the service announces.
struct ddns_record {
    int32_t enable;
    char domain[64];
    char user_name[32];
    char password[32];
    char host_name[128];
    char free_dns_hash[128];
    char ddns_url[128];
    int32_t update_freq;
    int32_t http_port;
    int32_t rtsp_port;
};
static_assert(sizeof(ddns_record) == 528);
static_assert(offsetof(ddns_record, domain) == 4);
static_assert(offsetof(ddns_record, user_name) == 68);
static_assert(offsetof(ddns_record, password) == 100);
static_assert(offsetof(ddns_record, host_name) == 132);
static_assert(offsetof(ddns_record, free_dns_hash) == 260);
static_assert(offsetof(ddns_record, ddns_url) == 388);
static_assert(offsetof(ddns_record, update_freq) == 516);
static_assert(offsetof(ddns_record, http_port) == 520);
static_assert(offsetof(ddns_record, rtsp_port) == 524);

// One receiver of the recorder's mail.
struct email_receiver {
    char addr[128];
    char name[64];
};
static_assert(sizeof(email_receiver) == 192);
static_assert(offsetof(email_receiver, name) == 128);

inline constexpr int email_receiver_count = 3;

// The SMTP account the recorder sends its mail through. The host-name
// settings of the mail live in the port record.
struct email_record {
    int32_t enable;
    char user_name[64];
    char password[64];
    char smtp_server[64];
    int32_t smtp_port;
    char sender_addr[128];
    char sender_name[64];
    int32_t enable_tls;     // 0..2
    int32_t enable_attach;  // 0 or 1
    int32_t capture_interval;
    email_receiver receivers[email_receiver_count];
};
static_assert(sizeof(email_record) == 980);
static_assert(offsetof(email_record, user_name) == 4);
static_assert(offsetof(email_record, password) == 68);
static_assert(offsetof(email_record, smtp_server) == 132);
static_assert(offsetof(email_record, smtp_port) == 196);
static_assert(offsetof(email_record, sender_addr) == 200);
static_assert(offsetof(email_record, sender_name) == 328);
static_assert(offsetof(email_record, enable_tls) == 392);
static_assert(offsetof(email_record, enable_attach) == 396);
static_assert(offsetof(email_record, capture_interval) == 400);
static_assert(offsetof(email_record, receivers) == 404);

extern const tqdb_table tqdb_tbl_time;   // "time", single row
extern const tqdb_table tqdb_tbl_pppoe;  // "pppoe", single row
extern const tqdb_table tqdb_tbl_ddns;   // "ddns", single row
extern const tqdb_table tqdb_tbl_email;  // "email", single row

// read_time(path, rec), write_time(path, rec), ...
TQDB_SINGLE(time, time_record, tqdb_tbl_time)
TQDB_SINGLE(pppoe, pppoe_record, tqdb_tbl_pppoe)
TQDB_SINGLE(ddns, ddns_record, tqdb_tbl_ddns)
TQDB_SINGLE(email, email_record, tqdb_tbl_email)
// ---- push messages, the P2P cloud service and the SNMP agent ----------------------

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
