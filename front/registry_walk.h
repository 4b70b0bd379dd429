// For the checks and tools that walk the registry by module (nvrapi, the
// registry's completeness test).
#pragma once

// Which successful webreq_register call filled the slot, counted from 1; 0
// for a free slot. The modules register one table each, before main and in
// the order of their places (WEBREQ_MODULE), so in webreq this is the place
// (1..11) of the module that owns the code.
int webreq_slot_table(int index);
