// The network requests' fixture: a fresh root and fake core, and the
// network record.
#pragma once

#include "platform/tqdb/rec_network.h"
#include "tests/harness/core_case.h"

class NetFixture : public core_case {
public:
    network_record stored() {
        network_record rec;
        std::memset(&rec, 0, sizeof rec);
        EXPECT_EQ(read_network(TQDB_FILE, &rec), 0);
        return rec;
    }
    void store(const network_record& rec) { ASSERT_EQ(write_network(TQDB_FILE, &rec), 0); }
};
