// A strict reader of the AVI files the download writes, for the tests: the
// RIFF segments must fill the file exactly, every chunk must lie inside its
// list, and every index entry (idx1 and the ix## chunks) must point at a
// frame chunk of the size it gives.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace avitest {

struct frame_chunk {
    std::string id;   // "00dc", "01wb"
    uint64_t at = 0;  // where its data starts in the file
    uint32_t size = 0;
    int segment = 0;
};

struct index_entry {
    std::string stream;  // chunk id the index is of
    uint64_t at = 0;     // data offset in the file
    uint32_t size = 0;
    bool key = false;
};

struct avi_file {
    std::string error;                  // empty when the file reads
    std::vector<std::string> segments;  // RIFF types in order: "AVI ", "AVIX", ...
    std::vector<std::string> stream_types;  // strh types: "vids", "auds"
    std::string video_codec;            // strh handler of the video stream
    uint32_t width = 0, height = 0, rate = 0, header_frames = 0;
    std::vector<frame_chunk> frames;
    std::vector<index_entry> ix;    // the ix## chunks' entries, in file order
    std::vector<index_entry> idx1;  // the first segment's legacy index

    // The data of frame i.
    std::string data(const std::string& file, size_t i) const {
        return file.substr(static_cast<size_t>(frames[i].at), frames[i].size);
    }
};

class reader {
public:
    explicit reader(const std::string& file) : f_(file) {}

    avi_file read() {
        size_t at = 0;
        while (at < f_.size() && out_.error.empty()) {
            if (at + 12 > f_.size() || id(at) != "RIFF") return fail("a RIFF segment at " + std::to_string(at));
            const uint64_t end = at + 8 + u32(at + 4);
            if (end > f_.size()) return fail("segment " + std::to_string(out_.segments.size()) + " past the end");
            out_.segments.push_back(id(at + 8));
            chunks(at + 12, end, out_.segments.back() == "AVI " ? "riff" : "riffx");
            at = end;
        }
        if (out_.segments.empty()) fail("no RIFF segment");
        if (out_.error.empty()) check_index(out_.ix, "ix");
        if (out_.error.empty()) check_index(out_.idx1, "idx1");
        return out_;
    }

private:
    std::string id(uint64_t at) const { return f_.substr(static_cast<size_t>(at), 4); }
    uint32_t u32(uint64_t at) const {
        uint32_t v = 0;
        std::memcpy(&v, f_.data() + at, 4);
        return v;
    }
    uint16_t u16(uint64_t at) const {
        uint16_t v = 0;
        std::memcpy(&v, f_.data() + at, 2);
        return v;
    }
    avi_file fail(const std::string& what) {
        if (out_.error.empty()) out_.error = what;
        return out_;
    }

    void chunks(uint64_t at, uint64_t end, const std::string& in) {
        while (at < end && out_.error.empty()) {
            if (at + 8 > end) return (void)fail("a chunk header past its list in " + in);
            const std::string ck = id(at);
            const uint32_t size = u32(at + 4);
            const uint64_t data = at + 8, next = data + size + (size & 1);
            if (next > end) return (void)fail("chunk " + ck + " past its list in " + in);
            if (ck == "LIST") {
                chunks(data + 4, data + size, id(data));
                if (id(data) == "movi") movi_at_ = data + 4;
            } else {
                chunk(ck, data, size, in);
            }
            at = next;
        }
    }

    void chunk(const std::string& ck, uint64_t data, uint32_t size, const std::string& in) {
        if (ck == "avih" && size >= 40) {
            out_.header_frames = u32(data + 16);
            out_.width = u32(data + 32);
            out_.height = u32(data + 36);
        } else if (ck == "strh" && size >= 48) {
            out_.stream_types.push_back(id(data));
            if (id(data) == "vids") {
                out_.video_codec = id(data + 4);
                out_.rate = u32(data + 24);
            }
        } else if (in == "movi" && ck.size() == 4 && (ck.substr(2) == "dc" || ck.substr(2) == "wb")) {
            out_.frames.push_back({ck, data, size, static_cast<int>(out_.segments.size()) - 1});
        } else if (in == "movi" && ck.rfind("ix", 0) == 0) {
            const uint32_t n = u32(data + 4);
            const std::string of = id(data + 8);
            uint64_t base = 0;
            std::memcpy(&base, f_.data() + data + 12, 8);
            if (u16(data) != 2 || f_[data + 3] != 1 || 24 + 8ull * n > size)
                return (void)fail("a standard index " + ck);
            for (uint32_t i = 0; i < n; ++i) {
                const uint32_t sz = u32(data + 24 + 8 * i + 4);
                out_.ix.push_back({of, base + u32(data + 24 + 8 * i), sz & 0x7fffffffu, !(sz & 0x80000000u)});
            }
        } else if (ck == "idx1") {
            for (uint32_t i = 0; i + 16 <= size; i += 16)
                out_.idx1.push_back({id(data + i), movi_at_ - 4 + u32(data + i + 8) + 8, u32(data + i + 12),
                                     (u32(data + i + 4) & 0x10) != 0});
        }
    }

    void check_index(const std::vector<index_entry>& index, const std::string& name) {
        std::map<uint64_t, const frame_chunk*> by_at;
        for (const frame_chunk& c : out_.frames) by_at[c.at] = &c;
        for (const index_entry& e : index) {
            auto it = by_at.find(e.at);
            if (it == by_at.end() || it->second->size != e.size || it->second->id != e.stream)
                return (void)fail(name + " entry at " + std::to_string(e.at) + " names no frame chunk");
        }
    }

    const std::string& f_;
    avi_file out_;
    uint64_t movi_at_ = 0;  // data of the latest movi list (after its type)
};

inline avi_file read_avi(const std::string& file) { return reader(file).read(); }

}  // namespace avitest
