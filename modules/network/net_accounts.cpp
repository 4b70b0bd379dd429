// The accounts of the recorder's network services: PPPoE dial-up, dynamic
// DNS and the SMTP account of its mail, with the test mail. The core daemon
// runs the services; after a change it is told which one changed (1702).
//
// The passwords are stored as given and shown again on the pages: the core
// daemon needs them in clear to log in, and the pages fill their forms from
// what is stored.
#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/field_map.h"
#include "modules/common/record_page.h"
#include "modules/network/net_services.h"
#include "modules/network/network.h"
#include "platform/msg_network.h"
#include "platform/tqdb/rec_services.h"
#include "platform/tqdb/rec_system.h"
#include "platform/tqnet.h"

#include <cstring>

namespace {

// What follows every stored account: the core hears which service changed,
// the operation log gets the entry, the page "OK".
template <const char* Group, int OplogParam>
void service_stored(request&, const void*, int) {
    net_notify_changed(Group);
    oplog_send(204, OplogParam);
    cgi_reply(REPLY_TEXT, "OK");
}

// ---- PPPoE --------------------------------------------------------------------------

constexpr char pppoe_group[] = "pppoe";

using pr = pppoe_record;
const field pppoe_fields[] = {
    FM_INT(pr, "enable", enable).range(0, 1).required(),
    FM_INT(pr, "autoConnect", auto_connect),
    FM_TEXT(pr, "userName", user_name),
    FM_TEXT(pr, "password", password),
};

// The address the dial-up link has now ("0.0.0.0" while it is down).
bool pppoe_address(json_object* reply, const void*) {
    char addr[32] = "0.0.0.0";
    net_get_ifaddr("ppp0", addr, sizeof addr);
    jadd_str(reply, "pppoeipaddr", addr);
    return true;
}

// ---- dynamic DNS ----------------------------------------------------------------------

constexpr char ddns_group[] = "ddns";

// The ports are "http" and "rtsp" in a request, "http_port" and "rtsp_port"
// in the reply.
using dr = ddns_record;
const field ddns_fields[] = {
    FM_INT(dr, "enable", enable).range(0, 1).required(),
    FM_TEXT(dr, "domain", domain),
    FM_TEXT(dr, "userName", user_name),
    FM_TEXT(dr, "password", password),
    FM_TEXT(dr, "hostName", host_name),
    FM_TEXT(dr, "ddnsurl", ddns_url),
    FM_TEXT(dr, "freeDNSHash", free_dns_hash),
    FM_INT(dr, "updateFreq", update_freq).range(0, INT32_MAX).required(),
    FM_INT(dr, "http_port", http_port).out_only(),
    FM_INT(dr, "rtsp_port", rtsp_port).out_only(),
    FM_INT(dr, "http", http_port).in_only(),
    FM_INT(dr, "rtsp", rtsp_port).in_only(),
};

// The recorder's own address, which the page shows beside the account.
bool ddns_mac(json_object* reply, const void*) {
    char eth0[18], eth1[18];
    get_device_macs(eth0, eth1);
    jadd_str(reply, "mac", eth0);
    return true;
}

// ---- e-mail ---------------------------------------------------------------------------

using er = email_record;
using rr = email_receiver;
const field receiver_fields[] = {
    FM_TEXT(rr, "receiverAddr", addr),
    FM_TEXT(rr, "receiverName", name),
};
// Receivers come last in the reply, after the host name of the port record;
// a request's missing receiver keeps the stored one.
const field email_fields[] = {
    FM_INT(er, "enable", enable),
    FM_TEXT(er, "userName", user_name),
    FM_TEXT(er, "password", password),
    FM_TEXT(er, "smtpServer", smtp_server),
    FM_INT(er, "smtpPort", smtp_port).range(0, INT32_MAX).required(),
    FM_TEXT(er, "senderAddr", sender_addr),
    FM_TEXT(er, "senderName", sender_name),
    FM_INT(er, "enableTls", enable_tls).range(0, 2).required(),
    FM_INT(er, "enableAttach", enable_attach).range(0, 1).required(),
    FM_INT(er, "captureInterval", capture_interval).range(0, INT32_MAX).required(),
    FM_RECORDS(er, "receivers", receivers, receiver_fields).in_only(),
};
const field& receivers_field = email_fields[std::size(email_fields) - 1];

using po = port_record;
const field mail_host_fields[] = {
    FM_INT(po, "enableHostName", enable_host_name),
    FM_TEXT(po, "hostName", host_name),
};

// The host name of the mail, then the receivers.
bool email_rest(json_object* reply, const void* rec) {
    port_record port;
    if (load_port(TQDB_FILE, &port) < 0) return false;
    fields_to_json(reply, &port, mail_host_fields);
    field_to_json(reply, rec, receivers_field);
    return true;
}

constexpr char mail_group[] = "mail";

}  // namespace

const record_page pppoe_page = {
    .table = tqdb_tbl_pppoe,
    .fields = pppoe_fields,
    .options = FM_ZERO_ABSENT,
    .answer = service_stored<pppoe_group, 915>,
    .extend = pppoe_address,
};

const record_page ddns_page = {
    .table = tqdb_tbl_ddns,
    .fields = ddns_fields,
    .options = FM_ZERO_ABSENT,
    .answer = service_stored<ddns_group, 916>,
    .extend = ddns_mac,
};

// Stored by net_email_store: the host name lives in the port record.
const record_page email_page = {
    .table = tqdb_tbl_email,
    .fields = email_fields,
    .extend = email_rest,
};

// The account and its receivers, and the mail's host name in the port
// record, are stored together or not at all.
void net_email_store(request& rq) {
    json_object* req = rq.json;
    if (!fields_valid(req, email_fields)) return rq.refuse("members missing or out of range");
    int rc = tqdb_atomic(TQDB_FILE, [&] {
        int stored = edit_email(TQDB_FILE, [&](email_record& rec) {
            fields_from_json(req, &rec, email_fields, FM_ZERO_ABSENT);
        });
        if (stored != 0) return stored;
        return edit_port(TQDB_FILE, [&](port_record& port) {
            fields_from_json(req, &port, mail_host_fields, FM_ZERO_ABSENT);
        });
    });
    if (rc != 0) return rq.fail();
    service_stored<mail_group, 917>(rq, nullptr, 0);
}

int write_test_mail(const core_answer& answer) {
    cgi_reply(REPLY_TEXT, answer.rec<int32_t>() == 0 ? "OK" : "ERROR");
    return 1;
}

void net_test_mail(request&) {
    char what[32];
    copy_text(what, sizeof what, "testmail");
    core_query(network_reply, msg_test_mail, sizeof what, what, REPLY_TEXT);
}
