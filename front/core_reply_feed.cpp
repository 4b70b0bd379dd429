// Feed rows of the reply tables: answers that come as a stream and are
// handed over one message at a time, without claiming the request's reply
// or ending its wait.
#include "front/core_link.h"

void core_reply_rows(std::span<const reply_row> rows, const void* header, const void* payload) {
    if (header) {
        const int32_t id = core_header_id(header);
        for (const reply_row& row : rows) {
            if (row.reply_id != id || row.kind != reply_kind::feed) continue;
            const uint32_t size = payload ? core_header_size(header) : 0;
            const core_answer answer{size ? payload : nullptr, size, row.record_size ? size / row.record_size : size};
            if (answer.count == 0 && row.short_payload == reply_short::wait) return;
            if (answer.count == 0 && row.short_payload == reply_short::fail) return core_reply_fail();
            row.write(answer);
            return;
        }
    }
    core_reply_table(rows, header, payload);
}
