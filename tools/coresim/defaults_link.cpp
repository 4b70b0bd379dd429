// Default replies of the messages every module shares: the operation log.
// Notices get no answer; their rows only give the expected request size, so
// that a record of the wrong size shows in the journal.
//
// A module's file looks the same: one row a message it sends, waiting
// messages with their reply record size (and where the channel is echoed),
// and a builder function for the few answers the generic rule cannot give.
#include "tools/coresim/coresim.h"

namespace {

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer)
    {3485, 672, -1},  // operation-log record
    {3509, 680, -1},  // operation-log record followed by a 64-bit channel mask
};

}  // namespace

CORESIM_DEFAULTS("link", rows);
