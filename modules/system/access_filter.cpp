// The access filter: whether the recorder filters its clients by address
// ("filterEnable"), how ("filterType") and the list of up to 100 addresses.
// The page's settings are two parameters and the list, stored together or
// not at all.
#include <vector>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/field_map.h"
#include "modules/system/service.h"
#include "modules/system/system.h"
#include "platform/msg_system_service.h"
#include "platform/tqdb/rec_access_filter.h"
#include "platform/tqdb/tqdb.h"

namespace {

using fe = access_filter_entry;
const field entry_fields[] = {
    FM_INT(fe, "address_type", address_type),
    FM_TEXT(fe, "address", address),
};

// The page's two parameters: member and key.
const struct {
    const char* member;
    const char* key;
    int def;
} filter_params[] = {
    {"filterEnable", "access_filter_enable", 0},
    {"filterType", "access_filter_type", 1},
};

}  // namespace

void access_filter_show(request&) {
    json_ref reply(json_object_new_object());
    for (const auto& p : filter_params)
        jadd_int(reply.get(), p.member, get_param_int(TQDB_FILE, p.key, p.def));
    access_filter_entry entries[access_filter_capacity];
    int count = 0;
    if (read_access_filter(TQDB_FILE, entries, access_filter_capacity, &count) != 0) count = 0;
    json_object_object_add(
        reply.get(), "filterList",
        fields_array(entries, sizeof entries[0], static_cast<size_t>(count), entry_fields));
    cgi_reply_json(reply.get());
}

void access_filter_store(request& rq) {
    // A member the request leaves out keeps what is stored; a list, even an
    // empty one, replaces the stored list (its first 100 objects).
    json_object* list = req_array(rq.json, "filterList");
    std::vector<access_filter_entry> entries;
    const size_t length = list ? json_object_array_length(list) : 0;
    for (size_t i = 0; i < length && entries.size() < access_filter_capacity; ++i) {
        json_object* item = json_object_array_get_idx(list, i);
        if (!json_object_is_type(item, json_type_object)) continue;
        access_filter_entry entry{};
        fields_from_json(item, &entry, entry_fields);
        entries.push_back(entry);
    }
    const int rc = tqdb_atomic(TQDB_FILE, [&] {
        for (const auto& p : filter_params) {
            int value = 0;
            if (req_int(rq.json, p.member, &value) && set_param_int(TQDB_FILE, p.key, value) != 0) return -1;
        }
        if (list && write_access_filter(TQDB_FILE, entries.data(), static_cast<int>(entries.size())) != 0)
            return -1;
        return 0;
    });
    if (rc != 0) return rq.fail();
    core_notify(system_reply, msg_access_filter_changed, 0, nullptr);
    cgi_reply(REPLY_TEXT, "OK");
}
