// Default replies of the network configuration requests: the default route
// and the address tests succeed (result 0: the address is free); the
// settings notices get no answer.
#include "tools/coresim/coresim.h"

namespace {

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer)
    {1702, 32, -1},  // the group of settings that changed
    {1712, 32, -1},  // network settings: 32 zero bytes
    {1724, 4, 4},    // default route -> 6724 result
    {1729, 72, 4},   // multicast setting -> 6729 result
    {3005, 20, 4},   // address test -> 8005 result
    {3006, 32, 4},   // address test on an interface -> 8006 result
    {3023, 4, -1},   // slave clear flag
};

}  // namespace

CORESIM_DEFAULTS("network", rows);
