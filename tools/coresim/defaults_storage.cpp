// Default replies of the storage requests. The recorder has one internal
// SATA disk on port 1 and one network disk on port 9, no RAID array, and the
// eSATA port in its first mode; every operation succeeds (result 0), the
// self-test passes, and the network disk's server offers two directories.
#include "platform/msg_storage.h"
#include "tools/coresim/coresim.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

void put(std::vector<coresim::out_msg>& out, int32_t id, const void* data, size_t size) {
    coresim::out_msg msg;
    msg.id = id;
    const auto* bytes = static_cast<const uint8_t*>(data);
    msg.payload.assign(bytes, bytes + size);
    out.push_back(std::move(msg));
}

constexpr uint64_t gib = 1ull << 30;

void disk_list(const coresim::request_view&, std::vector<coresim::out_msg>& out) {
    disk_info disks[2];
    std::memset(disks, 0, sizeof disks);
    disk_info& sata = disks[0];
    sata.port = 1;
    std::snprintf(sata.vendor, sizeof sata.vendor, "ST4000VX016");
    sata.state = 1;
    sata.total_bytes = 3726 * gib;
    sata.used_bytes = 1210 * gib;
    sata.free_bytes = sata.total_bytes - sata.used_bytes;
    sata.property = 1;

    disk_info& nas = disks[1];
    nas.port = 9;
    std::snprintf(nas.vendor, sizeof nas.vendor, "NAS");
    std::snprintf(nas.address, sizeof nas.address, "192.168.1.20");
    std::snprintf(nas.directory, sizeof nas.directory, "/volume1/nvr");
    nas.state = 1;
    nas.total_bytes = 1024 * gib;
    nas.used_bytes = 100 * gib;
    nas.free_bytes = nas.total_bytes - nas.used_bytes;
    nas.hdd_type = 3;
    nas.property = 1;
    put(out, 8433, disks, sizeof disks);
}

void nas_dirs(const coresim::request_view&, std::vector<coresim::out_msg>& out) {
    auto list = std::make_unique<nas_dir_list>();  // 16 KiB: not on the thread's stack
    std::memset(list.get(), 0, sizeof *list);
    list->count = 2;
    std::snprintf(list->file_path[0], sizeof list->file_path[0], "/volume1/nvr");
    std::snprintf(list->file_path[1], sizeof list->file_path[1], "/volume1/backup");
    put(out, 8440, list.get(), sizeof *list);
}

void self_test(const coresim::request_view&, std::vector<coresim::out_msg>& out) {
    char text[128] = "SMART overall-health self-assessment test result: PASSED\n";
    put(out, 8403, text, sizeof text);
}

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer), channel offset, builder
    {3403, 4, 128, -1, self_test},    // disk self-test -> 8403 text
    {3420, 104, 4},                   // build RAID -> 8420 result
    {3421, 104, 4},                   // remove RAID -> 8421 result
    {3423, 4, 4},                     // mark hot spare -> 8423 result
    {3424, 4, 4},                     // clear hot spare -> 8424 result
    {3425, 8, 4},                     // add a disk to an array -> 8425 result
    {3431, 4, 8},                     // eSATA mode -> 8431 {mode, esata}
    {3433, 0, 392, -1, disk_list},    // disk list -> 8433 records
    {3434, 4, 4},                     // format -> 8434 result
    {3435, 16, -1},                   // property and group
    {3439, 4, 4},                     // network disk edited -> 8439 result
    {3440, 68, 16388, -1, nas_dirs},  // browse a server -> 8440 directories
    {3475, 8, 4},                     // set eSATA mode -> 8475
    {3496, 4, 4},                     // remove a disk -> 8496 result
    {3507, 136, 4},                   // network disks added -> 8507 result
    {3508, 136, 4},                   // network disks removed -> 8508 result
};

}  // namespace

CORESIM_DEFAULTS("storage", rows);
