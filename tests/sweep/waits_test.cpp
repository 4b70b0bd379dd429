// The waits of the long-running messages, as the modules register them: this
// program links every module.
#include "front/core_link.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(CoreWaitTable, EveryListedIdWaitsItsRoundsAndTheRestWait1000) {
    struct row {
        int rounds;
        std::vector<int> ids;
    } rows[] = {
        {1500, {3700, 3702}},
        {3000, {1153, 1171, 3102, 3104, 3223, 3259, 3263, 3360, 3365, 3401, 3535}},
        {6000, {1701, 1713, 1716, 3200, 3201, 3202, 3203, 3204, 3205, 3227, 3379, 3402, 3409, 3420,
                3440, 3528}},
        {15000, {3230, 3350, 3434, 3494, 3495}},
        {1000, {3206, 3199, 3400, 3701, 1173, 3485, 4002, 0, -1, 13200}},
    };
    for (const row& r : rows)
        for (int id : r.ids) EXPECT_EQ(core_wait_rounds(id), r.rounds) << id;
}

}  // namespace
