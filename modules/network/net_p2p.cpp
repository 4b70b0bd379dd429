// The P2P cloud service: its state and switch (the core daemon's), and the
// recorder's registration with the P2P server, which webreq makes itself
// over TCP through the P2P platform calls. Also the two service queries of
// the same page.
#include <sys/socket.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/field_map.h"
#include "modules/network/net_services.h"
#include "modules/network/network.h"
#include "platform/msg_network.h"
#include "platform/p2p.h"
#include "platform/tqdb/rec_services.h"
#include "platform/tqnet.h"

namespace {

// Where the P2P server is: a deployment setting. Without a host name no
// registration can be made (network failure).
constexpr const char* p2p_host_key = "p2p_server_host";
constexpr const char* p2p_port_key = "p2p_server_port";

// Results of a registration, as the page shows them.
enum reg_result : int {
    reg_done = 0,        // registered (or the server answered a status it does not explain)
    reg_not_found = 2,   // the server does not know the recorder
    reg_network = 3,     // no connection, or a step failed or ran out of time
    reg_key_switch = 4,  // the key exchange failed
};

using ps = p2p_state;
const field p2p_state_fields[] = {
    FM_INT(ps, "enable", enable),
    FM_TEXT(ps, "company", company),
    FM_TEXT(ps, "email", email),
    FM_INT(ps, "p2pstatus", p2p_status),
    FM_TEXT(ps, "cloudAccount", cloud_account),
    FM_TEXT(ps, "registerCode", register_code),
    FM_TEXT(ps, "dealer", dealer),
    FM_TEXT(ps, "model", model),
    FM_INT(ps, "ipc", ipc),
    FM_TEXT(ps, "cloudServer", cloud_server),
};

void log_failure(const char* step) {
    cgi_debug_log(__FILE__, __LINE__, __func__, "P2P registration: %s", step);
}

// Closes the socket whatever way the exchange ends.
struct p2p_socket {
    int fd;
    ~p2p_socket() {
        if (fd >= 0) socket_destroy(fd);
    }
};

// Connects to the configured server; -1 when none is set or it cannot be
// reached within the bound.
int connect_server() {
    char host[256];
    get_param_value(TQDB_FILE, p2p_host_key, host, sizeof host, "");
    const int port = get_param_int(TQDB_FILE, p2p_port_key, p2p_server_port);
    char ip[16];
    if (socket_resolve(host, ip) != 0) {
        log_failure(host[0] ? "the server's name does not resolve" : "no server configured");
        return -1;
    }
    int fd = socket_create(AF_INET, SOCK_STREAM);
    if (fd >= 0 && socket_connect(fd, ip, port) == 0) return fd;
    log_failure("no connection to the server");
    if (fd >= 0) socket_destroy(fd);
    return -1;
}

// The exchange on a connected socket. When the server registered the
// recorder (status 0), its text (at most p2p_reg_text_len characters,
// terminated) is in text and registered is set.
reg_result exchange(int fd, const p2p_reg_body& body, char (&text)[p2p_reg_text_len + 1], bool& registered) {
    if (p2p_cli_switch_keyfile(fd) != 0) {
        log_failure("key switch failed");
        return reg_key_switch;
    }
    p2p_reg_header head{};
    head.type = p2p_reg_type;
    head.body_len = rsa_cal_ensize(sizeof body);
    head.one = 1;
    std::vector<char> work(p2p_reg_reply_room);
    if (p2p_send(fd, &head, sizeof head, work.data(), static_cast<int>(work.size())) < 0 ||
        p2p_send(fd, &body, sizeof body, work.data(), static_cast<int>(work.size())) < 0) {
        log_failure("sending failed");
        return reg_network;
    }
    // The receive buffer holds the encrypted form, which is longer.
    std::vector<char> answer(static_cast<size_t>(rsa_cal_ensize(sizeof head)));
    if (p2p_recv(fd, answer.data(), static_cast<int>(answer.size())) < static_cast<int>(sizeof head)) {
        log_failure("no answer header");
        return reg_network;
    }
    std::memcpy(&head, answer.data(), sizeof head);
    if (head.status == reg_not_found) return reg_not_found;
    if (head.status != 0) return reg_done;
    // Room for the longest body the server may send, encrypted.
    std::vector<char> reply(static_cast<size_t>(rsa_cal_ensize(p2p_reg_reply_room)));
    int len = p2p_recv(fd, reply.data(), static_cast<int>(reply.size()));
    if (len < 0) {
        log_failure("no answer body");
        return reg_network;
    }
    size_t n = strnlen(reply.data(), static_cast<size_t>(len < p2p_reg_text_len ? len : p2p_reg_text_len));
    std::memcpy(text, reply.data(), n);
    text[n] = '\0';
    registered = true;
    return reg_done;
}

int p2p_text_of(int result, char* out, size_t size) {
    static const char* const texts[] = {"ERR_OK", nullptr,          "ERR_NOTFOUND",    "ERR_NETWORK",
                                        nullptr,  "ERR_MAC_FORMAT", "ERR_AUTH_FAILED", "ERR_NO_UUID"};
    const bool known =
        result >= 0 && result < static_cast<int>(sizeof texts / sizeof texts[0]) && texts[result];
    return std::snprintf(out, size, "%s", known ? texts[result] : "ERR_UNKNOWN");
}

}  // namespace

int write_p2p_state(const core_answer& answer) {
    json_ref obj(fields_object(answer.payload, p2p_state_fields));
    cgi_reply_json(obj.get());
    return 1;
}

int write_p2p_enabled(const core_answer& answer) {
    char text[32];
    p2p_text_of(answer.rec<int32_t>(), text, sizeof text);
    cgi_reply(REPLY_TEXT, text);
    return 1;
}

int write_p2p_disabled(const core_answer& answer) {
    cgi_reply(REPLY_TEXT, answer.rec<int32_t>() == 0 ? "OK" : "ERR");
    return 1;
}

int write_service_status(const core_answer& answer) { return reply_int_member("status", answer); }

// The answer's contents are not read: any answer is success.
int write_service_action(const core_answer&) {
    cgi_reply(REPLY_JSON, "{ \"res\": 0 }");
    return 1;
}

void p2p_state_show(request&) { core_query(network_reply, msg_p2p_state, 0, nullptr, REPLY_JSON); }

// Enabling hands the core a record that holds only the switch; disabling
// stores the switch off first and hands over the stored record.
void p2p_switch(request& rq) {
    int enable;
    if (!req_int(rq.json, "enableP2P", &enable)) return rq.refuse("P2P switch: no \"enableP2P\"");
    p2p_record rec{};
    if (enable != 0) {
        rec.enable = enable;
        core_query(network_reply, msg_p2p_enable, sizeof rec, &rec, REPLY_TEXT);
        return;
    }
    int rc = edit_p2p_info(TQDB_FILE, [&](p2p_record& stored) {
        stored.enable = 0;
        rec = stored;
    });
    if (rc != 0) return rq.fail();
    core_query(network_reply, msg_p2p_disable, sizeof rec, &rec, REPLY_TEXT);
}

void p2p_register(request& rq) {
    p2p_reg_body body{};
    char macs[2][18];
    get_device_macs(macs[0], macs[1]);
    copy_text(body.mac, sizeof body.mac, macs[0]);
    req_text(rq.json, "deviceName", body.device_name, sizeof body.device_name);
    req_text(rq.json, "sn", body.sn, sizeof body.sn);
    p2p_record rec{};
    const bool have_record = load_p2p_info(TQDB_FILE, &rec) >= 0;
    if (!have_record) log_failure("the P2P record cannot be read");
    std::memcpy(body.text1, rec.text1, sizeof body.text1);
    std::memcpy(body.text2, rec.text2, sizeof body.text2);
    std::memcpy(body.text3, rec.text3, sizeof body.text3);
    std::memcpy(body.text4, rec.text4, sizeof body.text4);

    reg_result result = reg_network;
    char text[p2p_reg_text_len + 1] = "";
    bool registered = false;
    if (have_record && p2p_create_keyfile() != 0) {
        // Made before the link opens: a key pair takes seconds on a slow
        // processor, and the server does not wait that long for it.
        log_failure("key switch failed");
        result = reg_key_switch;
    } else {
        // Without the stored texts the server would get a request it cannot place.
        p2p_socket sock{have_record ? connect_server() : -1};
        if (sock.fd >= 0) result = exchange(sock.fd, body, text, registered);
    }
    if (registered) core_notify(network_reply, msg_p2p_enable, static_cast<int>(std::strlen(text)), text);
    char reply[16];
    std::snprintf(reply, sizeof reply, "%d", static_cast<int>(result));
    cgi_reply(REPLY_TEXT, reply);
}

void service_status_show(request&) { core_query(network_reply, msg_service_status, 0, nullptr, REPLY_JSON); }

void service_action(request&) { core_query(network_reply, msg_service_action, 0, nullptr, REPLY_JSON); }
