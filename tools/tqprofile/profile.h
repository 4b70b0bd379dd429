// The configuration profile file: every parameter, record and list of the
// configuration database in one file that tqprofile writes (export) and
// reads back (import).
//
// Layout, all integers little-endian:
//
//   header (32 bytes)
//     0  magic "\x89TQPROF\n"  (never the start of a database file; the
//                               high byte and the line end show a transfer
//                               that changed bytes)
//     8  uint16 format version (1)
//    10  uint16 header size (32): the body starts here
//    12  uint32 entry count
//    16  uint64 body size: the file is header + body, nothing more
//    24  uint32 CRC-32 of the body
//    28  uint32 CRC-32 of header bytes 0..27
//   body: count entries, each
//     uint8 kind (1 parameter, 2 record, 3 list), uint8 flags (record: 1 =
//     it has a text key), uint16 name length, the name (parameter key or
//     store), for records and lists int64 key, for a record with a text key
//     uint16 length and the text key, then uint32 data length and the data
//     (parameter value, record bytes or list bytes).
//
// A later version reads every earlier format version; a reader refuses a
// version newer than its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace profile {

inline constexpr char magic[8] = {'\x89', 'T', 'Q', 'P', 'R', 'O', 'F', '\n'};
inline constexpr uint16_t format_version = 1;
inline constexpr size_t header_size = 32;
// Bounds a reader accepts.
inline constexpr size_t max_file_size = 64u << 20;
inline constexpr size_t max_name = 255;
inline constexpr size_t max_data = 16u << 20;

enum class entry_kind : uint8_t { param = 1, record = 2, list = 3 };

struct entry {
    entry_kind kind = entry_kind::param;
    std::string name;  // parameter key, or the store of a record or list
    int64_t key = 0;   // records and lists
    bool has_text_key = false;
    std::string text_key;
    std::string data;  // parameter value, record bytes or list bytes
};

uint32_t crc32(const void* data, size_t len, uint32_t crc = 0);

// The whole file for these entries.
std::string encode(const std::vector<entry>& entries);

// Reads a file. Returns "" and fills out when it is a whole, undamaged
// profile of a known version; otherwise why not (out is then left empty).
std::string decode(std::string_view file, std::vector<entry>& out);

}  // namespace profile
