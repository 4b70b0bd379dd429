// Default replies of the system module's messages.
#include "tools/coresim/coresim.h"

namespace {

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer)
    {3504, 256, 4},   // session check: 0, the session is not known (the login page follows)
    {3505, -1, -1},   // users changed: no payload, or the user's identifier
};

}  // namespace

CORESIM_DEFAULTS("system", rows);
