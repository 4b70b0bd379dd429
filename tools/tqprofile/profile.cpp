#include "tools/tqprofile/profile.h"

#include <array>
#include <cstring>

namespace profile {

namespace {

const std::array<uint32_t, 256>& crc_table() {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    return table;
}

template <typename T>
void put(std::string& out, T value) {
    for (size_t i = 0; i < sizeof value; ++i)
        out.push_back(static_cast<char>((static_cast<uint64_t>(value) >> (8 * i)) & 0xff));
}

void put_bytes(std::string& out, std::string_view bytes) { out.append(bytes.data(), bytes.size()); }

// Reads little-endian fields from a byte range; once a read runs past the
// end, every later read fails too.
class reader {
public:
    explicit reader(std::string_view bytes) : bytes_(bytes) {}
    template <typename T>
    bool get(T& value) {
        if (!ok_ || bytes_.size() - at_ < sizeof value) return ok_ = false;
        uint64_t v = 0;
        for (size_t i = 0; i < sizeof value; ++i)
            v |= static_cast<uint64_t>(static_cast<uint8_t>(bytes_[at_ + i])) << (8 * i);
        value = static_cast<T>(v);
        at_ += sizeof value;
        return true;
    }
    bool get_bytes(size_t len, std::string& out) {
        if (!ok_ || bytes_.size() - at_ < len) return ok_ = false;
        out.assign(bytes_.data() + at_, len);
        at_ += len;
        return true;
    }
    bool at_end() const { return ok_ && at_ == bytes_.size(); }

private:
    std::string_view bytes_;
    size_t at_ = 0;
    bool ok_ = true;
};

bool name_ok(const std::string& name) {
    if (name.empty() || name.size() > max_name) return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7f) return false;
    return true;
}

// One entry of the body; "" or why it is not one.
std::string read_entry(reader& r, entry& e) {
    uint8_t kind = 0, flags = 0;
    uint16_t name_len = 0;
    if (!r.get(kind) || !r.get(flags) || !r.get(name_len) || !r.get_bytes(name_len, e.name))
        return "entry cut short";
    if (kind < 1 || kind > 3) return "unknown entry kind " + std::to_string(kind);
    e.kind = static_cast<entry_kind>(kind);
    if (!name_ok(e.name)) return "bad entry name";
    if (e.kind != entry_kind::param && !r.get(e.key)) return "entry cut short";
    if (e.kind == entry_kind::record && (flags & 1)) {
        uint16_t len = 0;
        if (!r.get(len) || !r.get_bytes(len, e.text_key)) return "entry cut short";
        e.has_text_key = true;
    }
    uint32_t data_len = 0;
    if (!r.get(data_len)) return "entry cut short";
    if (data_len > max_data) return "entry too large";
    if (!r.get_bytes(data_len, e.data)) return "entry cut short";
    if (e.kind == entry_kind::param && e.data.find('\0') != std::string::npos) return "bad parameter value";
    if (e.kind == entry_kind::record && e.data.empty()) return "empty record";
    return "";
}

}  // namespace

uint32_t crc32(const void* data, size_t len, uint32_t crc) {
    const auto& table = crc_table();
    const auto* p = static_cast<const uint8_t*>(data);
    crc = ~crc;
    for (size_t i = 0; i < len; ++i) crc = table[(crc ^ p[i]) & 0xff] ^ (crc >> 8);
    return ~crc;
}

std::string encode(const std::vector<entry>& entries) {
    size_t size = header_size;
    for (const entry& e : entries) size += 18 + e.name.size() + e.text_key.size() + e.data.size();
    std::string out;
    out.reserve(size);
    std::string body;
    body.reserve(size - header_size);
    for (const entry& e : entries) {
        put(body, static_cast<uint8_t>(e.kind));
        put(body, static_cast<uint8_t>(e.has_text_key ? 1 : 0));
        put(body, static_cast<uint16_t>(e.name.size()));
        put_bytes(body, e.name);
        if (e.kind != entry_kind::param) put(body, e.key);
        if (e.kind == entry_kind::record && e.has_text_key) {
            put(body, static_cast<uint16_t>(e.text_key.size()));
            put_bytes(body, e.text_key);
        }
        put(body, static_cast<uint32_t>(e.data.size()));
        put_bytes(body, e.data);
    }
    out.assign(magic, sizeof magic);
    put(out, format_version);
    put(out, static_cast<uint16_t>(header_size));
    put(out, static_cast<uint32_t>(entries.size()));
    put(out, static_cast<uint64_t>(body.size()));
    put(out, crc32(body.data(), body.size()));
    put(out, crc32(out.data(), out.size()));
    out += body;
    return out;
}

std::string decode(std::string_view file, std::vector<entry>& out) {
    out.clear();
    if (file.size() < header_size || std::memcmp(file.data(), magic, sizeof magic) != 0)
        return "not a profile";
    if (file.size() > max_file_size) return "too large";
    reader h(file.substr(sizeof magic, header_size - sizeof magic));
    uint16_t version = 0, head = 0;
    uint32_t count = 0, body_crc = 0, head_crc = 0;
    uint64_t body_size = 0;
    h.get(version);
    h.get(head);
    h.get(count);
    h.get(body_size);
    h.get(body_crc);
    h.get(head_crc);
    if (head_crc != crc32(file.data(), header_size - 4)) return "damaged header";
    if (version == 0 || version > format_version) return "unknown format version " + std::to_string(version);
    if (head < header_size || head > file.size()) return "bad header size";
    if (body_size != file.size() - head) return "truncated or padded";
    std::string_view body = file.substr(head);
    if (body_crc != crc32(body.data(), body.size())) return "damaged (checksum)";
    if (count == 0) return "no entries";
    std::vector<entry> entries;
    reader r(body);
    for (uint32_t i = 0; i < count; ++i) {
        entry e;
        if (std::string why = read_entry(r, e); !why.empty()) return why;
        entries.push_back(std::move(e));
    }
    if (!r.at_end()) return "bytes after the last entry";
    out = std::move(entries);
    return "";
}

}  // namespace profile
