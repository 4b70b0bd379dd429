// The disk-group page ("/8010"): which group each disk belongs to and which
// channels each group records, from the database alone (the storage module's
// view, without the quotas).
#include "front/json_req.h"
#include "modules/status/status.h"
#include "modules/storage/policy.h"

void status_disk_groups(request&) {
    json_ref obj(json_object_new_object());
    disk_group_view(obj.get());
    cgi_reply_json(obj.get());
}
