// The plate-list store calls on their own, in the root given: a replace of
// the whole list with N plates, then a delete of every second one. Prints
// the milliseconds of each call and leaves N plates stored.
//
//   bench_anpr_store ROOT N
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/tqdb/rec_anpr.h"

namespace {

double ms_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s ROOT N\n", argv[0]);
        return 2;
    }
    setenv("NVR_ROOT", argv[1], 1);
    const int n = std::atoi(argv[2]);
    std::vector<anpr_list_entry> all(static_cast<size_t>(n)), half;
    for (int i = 0; i < n; ++i) {
        std::snprintf(all[i].type, sizeof all[i].type, "%s", i % 3 ? "white" : "black");
        std::snprintf(all[i].plate, sizeof all[i].plate, "AB %05d", i);
        if (i % 2 == 0) half.push_back(all[i]);
    }
    auto start = std::chrono::steady_clock::now();
    int rc = write_anpr_list_replace_batch(TQDB_ANPR_FILE, all.data(), n);
    const double replace_ms = ms_since(start);
    start = std::chrono::steady_clock::now();
    rc |= delete_anpr_lists(TQDB_ANPR_FILE, half.data(), static_cast<int>(half.size()));
    const double delete_ms = ms_since(start);
    // A second replace over the half-empty list, and n plates stay stored.
    start = std::chrono::steady_clock::now();
    rc |= write_anpr_list_replace_batch(TQDB_ANPR_FILE, all.data(), n);
    const double again_ms = ms_since(start);
    std::printf("%.0f %.0f %.0f %d\n", replace_ms, delete_ms, again_ms, rc);
    return rc == 0 ? 0 : 1;
}
