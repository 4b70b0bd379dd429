#include "platform/nvr_env.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

const char* nvr_root() {
    const char* root = std::getenv("NVR_ROOT");
    return root ? root : "";
}

std::string nvr_path(const char* abs_path) {
    std::string out(nvr_root());
    out += abs_path ? abs_path : "";
    return out;
}

int nvr_path_buf(char* out, size_t out_size, const char* abs_path) {
    if (!out || out_size == 0) return -1;
    int n = std::snprintf(out, out_size, "%s%s", nvr_root(), abs_path ? abs_path : "");
    if (n < 0 || static_cast<size_t>(n) >= out_size) return -1;
    return n;
}

int nvr_time_divisor() {
    const char* text = std::getenv("NVR_TIME_DIVISOR");
    if (!text || !*text) return 1;
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value < 1) return 1;
    if (value > 100000) value = 100000;
    return static_cast<int>(value);
}

long long nvr_scaled_us(long ms) {
    if (ms <= 0) return 0;
    long long us = static_cast<long long>(ms) * 1000 / nvr_time_divisor();
    return us < 1 ? 1 : us;
}

void nvr_sleep_ms(long ms) {
    long long us = nvr_scaled_us(ms);
    if (us <= 0) return;
    timespec ts{static_cast<time_t>(us / 1000000), static_cast<long>((us % 1000000) * 1000)};
    while (nanosleep(&ts, &ts) != 0) {
    }
}
