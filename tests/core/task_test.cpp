// Tasks and mutexes of the platform library.
#include "platform/tqstd.h"

#include <gtest/gtest.h>

#include <sys/prctl.h>

#include <string>

namespace {

struct shared_count {
    tq_mutex_t mu;
    long value = 0;
};

void* add_many(void* arg) {
    auto* s = static_cast<shared_count*>(arg);
    for (int i = 0; i < 100000; ++i) {
        tq_mutex_lock(&s->mu);
        ++s->value;
        tq_mutex_unlock(&s->mu);
    }
    return nullptr;
}

TEST(Tasks, TasksUnderOneMutexLoseNoUpdate) {
    shared_count s;
    ASSERT_EQ(tq_mutex_init(&s.mu), 0);
    tq_task_t tasks[4];
    for (tq_task_t& t : tasks) ASSERT_EQ(tq_task_create_join(&t, add_many, &s), 0);
    for (tq_task_t& t : tasks) EXPECT_EQ(tq_task_join(t), 0);
    EXPECT_EQ(s.value, 400000);
    EXPECT_EQ(tq_mutex_destroy(&s.mu), 0);
    EXPECT_EQ(tq_task_create_join(nullptr, add_many, &s), -1);
    EXPECT_EQ(tq_mutex_lock(nullptr), -1);
}

void* name_self(void* arg) {
    auto* out = static_cast<std::string*>(arg);
    char name[17] = {};
    if (tq_task_set_name("joystick-reader-thread") == 0 && prctl(PR_GET_NAME, name, 0, 0, 0) == 0)
        *out = name;
    return nullptr;
}

TEST(Tasks, LongTaskNameIsCutToWhatTheKernelKeeps) {
    std::string name;
    tq_task_t t;
    ASSERT_EQ(tq_task_create_join(&t, name_self, &name), 0);
    ASSERT_EQ(tq_task_join(t), 0);
    EXPECT_EQ(name, "joystick-reader");
    EXPECT_EQ(tq_task_set_name(nullptr), -1);
}

}  // namespace
