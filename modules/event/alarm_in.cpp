// The recorder's alarm inputs as event sources: the batch pages that set
// many inputs at once, and the inputs' schedules. Inputs are 0..15; listed
// numbers beyond them are skipped.
#include <cstring>

#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/event/event.h"
#include "platform/msg_event.h"
#include "platform/tqdb/rec_alarm.h"

namespace {

using ar = alarm_in_record;

constexpr int ptz_kind_alarm_in = 0;
// The trigger page logs its change like the motion settings.
constexpr int oplog_targets = 909;

const field audible_fields[] = {
    // "/6125"
    FM_INT(ar, "enable", enable),
    FM_INT(ar, "interval", interval),
};
const field email_fields[] = {
    // "/6126": the input's e-mail fields
    FM_INT(ar, "enable", email_mode),
    FM_INT(ar, "interval", email_interval),
    FM_TEXT(ar, "triSnapshot", tri_snapshot),
};
// "/6127": the target of each type.
const field channels_field[] = {FM_CHANNELS(ar, "triChannels", tri_channels, tri_channels_mask)};  // type 0
const field alarms_field[] = {FM_INT(ar, "triAlarms", tri_alarms)};                                // others

}  // namespace

const batch_page alarmin_audible_batch = {tqdb_tbl_alarm_in, input_limit, audible_fields,
                                          SCHED_ALARMIN_AUDIBLE, msg_alarmin_mask_changed};
const batch_page alarmin_email_batch = {tqdb_tbl_alarm_in, input_limit, email_fields, SCHED_ALARMIN_EMAIL,
                                        msg_alarmin_mask_changed};

const schedule_page alarmin_email_page = {SCHED_ALARMIN_EMAIL, input_limit};
const schedule_page alarmin_audible_page = {SCHED_ALARMIN_AUDIBLE, input_limit};
const schedule_page alarmin_ptz_page = {SCHED_ALARMIN_PTZ, input_limit};
const schedule_page alarmin_effective_page = {SCHED_ALARMIN_EFFECTIVE, input_limit, msg_alarmin_changed};

const ptz_copy_page alarmin_ptz_copy = {ptz_kind_alarm_in, input_limit, SCHED_ALARMIN_PTZ,
                                        msg_alarmin_mask_changed};

void alarmin_targets_batch(request& rq) {
    int input;
    if (!req_channel(rq.json, "camId", &input, input_limit)) return rq.fail();
    uint64_t mask = listed_mask(rq.json, "chnid", "cnt", input_limit);
    std::span<const field> target = req_int_or(rq.json, "type", 0) == 0 ? channels_field : alarms_field;
    int rc = event_store([&] {
        if (mask) {
            // The listed inputs take the effective schedule of "camId" as stored.
            week_schedule sched;
            std::memset(&sched, 0, sizeof sched);
            read_alarmin_effective_schedule(TQDB_FILE, &sched, input);
            if (copy_alarmin_effective_schedules(TQDB_FILE, &sched, mask) != 0) return -1;
        }
        return batch_apply(tqdb_tbl_alarm_in, input_limit, rq.json, target, mask);
    });
    if (rc != 0) return rq.fail();
    event_notify_mask(msg_alarmin_mask_changed, mask);
    event_oplog_mask(oplog_targets, mask);
    cgi_reply(REPLY_TEXT, "OK");
}
