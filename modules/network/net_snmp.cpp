// The SNMP agent's settings (versions 1, 2c and 3 with their communities and
// users). The agent is the core daemon's: a change is stored and the core is
// told with 1702 "snmp". A changed agent port gets the service ports' check.
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/field_map.h"
#include "modules/network/net_services.h"
#include "platform/tqdb/rec_services.h"

namespace {

// Texts of at most 63 characters. The v3 passwords are stored and shown as
// the page sends them: the agent needs them in clear.
using sr = snmp_record;
const field snmp_fields[] = {
    FM_INT(sr, "v1_enable", v1_enable),
    FM_INT(sr, "v2c_enable", v2c_enable),
    FM_TEXT(sr, "write_community", write_community),
    FM_TEXT(sr, "read_community", read_community),
    FM_INT(sr, "v3_enable", v3_enable),
    FM_TEXT(sr, "read_security_name", read_user.security_name),
    FM_INT(sr, "read_level_security", read_user.level_security),
    FM_INT(sr, "read_auth_algorithm", read_user.auth_algorithm),
    FM_TEXT(sr, "read_auth_password", read_user.auth_password),
    FM_INT(sr, "read_pri_algorithm", read_user.pri_algorithm),
    FM_TEXT(sr, "read_pri_password", read_user.pri_password),
    FM_TEXT(sr, "write_security_name", write_user.security_name),
    FM_INT(sr, "write_level_security", write_user.level_security),
    FM_INT(sr, "write_auth_algorithm", write_user.auth_algorithm),
    FM_TEXT(sr, "write_auth_password", write_user.auth_password),
    FM_INT(sr, "write_pri_algorithm", write_user.pri_algorithm),
    FM_TEXT(sr, "write_pri_password", write_user.pri_password),
    FM_INT(sr, "port", port),
};

}  // namespace

void snmp_show(request& rq) {
    snmp_record rec;
    if (load_snmp(TQDB_FILE, &rec) < 0) return rq.fail();
    json_ref obj(fields_object(&rec, snmp_fields));
    if (!add_service_ports(obj.get())) return rq.fail();
    cgi_reply_json(obj.get());
}

// Absent integer members store 0 (a left-out port as well, which is then
// checked like any other change); absent texts keep what is stored.
void snmp_store(request& rq) {
    bool refused = false;
    int rc = edit_snmp(TQDB_FILE, [&](snmp_record& rec) {
        if (port_change_refused(rec.port, req_int_or(rq.json, "port", 0))) {
            refused = true;
            return 1;
        }
        fields_from_json(rq.json, &rec, snmp_fields, FM_ZERO_ABSENT);
        return 0;
    });
    if (refused) return (void)cgi_reply(REPLY_TEXT, "POE_Port_Error");
    if (rc != 0) return rq.fail();
    notify_settings_changed("snmp");
    cgi_reply(REPLY_TEXT, "OK");
}
