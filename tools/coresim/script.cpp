// Script parsing and reply building of the simulated core daemon.
#include "tools/coresim/coresim.h"

#include <json-c/json.h>
#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <string_view>

namespace coresim {

namespace {

struct json_free {
    void operator()(json_object* o) const { json_object_put(o); }
};

// Parse errors carry the path of the member at fault.
struct parse_ctx {
    std::string* error;
    bool fail(const std::string& where, const std::string& what) {
        if (error) *error = where + ": " + what;
        return false;
    }
};

bool get_int(json_object* v, int64_t* out) {
    if (!v || !(json_object_is_type(v, json_type_int))) return false;
    *out = json_object_get_int64(v);
    return true;
}

bool get_uint32(json_object* v, uint32_t* out) {
    int64_t n;
    if (!get_int(v, &n) || n < 0 || n > 0x7fffffff) return false;
    *out = static_cast<uint32_t>(n);
    return true;
}

bool get_int32(json_object* v, int32_t* out) {
    int64_t n;
    if (!get_int(v, &n) || n < INT32_MIN || n > INT32_MAX) return false;
    *out = static_cast<int32_t>(n);
    return true;
}

bool get_hex(json_object* v, bytes* out) {
    if (!v || !json_object_is_type(v, json_type_string)) return false;
    bool ok = false;
    *out = from_hex(json_object_get_string(v), &ok);
    return ok;
}

// An absolute path with no ".." component: it stays under the root.
bool device_path_ok(const std::string& path) {
    if (path.empty() || path[0] != '/') return false;
    size_t pos = 0;
    while (pos < path.size()) {
        size_t end = path.find('/', pos + 1);
        if (end == std::string::npos) end = path.size();
        if (path.compare(pos, end - pos, "/..") == 0) return false;
        pos = end;
    }
    return true;
}

void make_parent_dirs(const std::string& file) {
    for (size_t pos = file.find('/', 1); pos != std::string::npos; pos = file.find('/', pos + 1))
        mkdir(file.substr(0, pos).c_str(), 0755);
}

bool parse_field(json_object* obj, field_write& f, parse_ctx& ctx, const std::string& where) {
    if (!json_object_is_type(obj, json_type_object)) return ctx.fail(where, "a field is an object");
    bool have_at = false, have_kind = false;
    json_object_object_foreach(obj, key, val) {
        std::string_view k(key);
        auto kind = [&](field_kind fk) {
            if (have_kind) return ctx.fail(where, "one of int32/int64/float/text/hex/echo per field");
            have_kind = true;
            f.kind = fk;
            return true;
        };
        if (k == "at") {
            if (!get_uint32(val, &f.at)) return ctx.fail(where, "\"at\" is a non-negative integer");
            have_at = true;
        } else if (k == "int32") {
            int64_t n;
            if (!kind(field_kind::int32)) return false;
            if (!get_int(val, &n) || n < INT32_MIN || n > UINT32_MAX)
                return ctx.fail(where, "\"int32\" is a 32-bit integer");
            f.number = n;
        } else if (k == "int64") {
            if (!kind(field_kind::int64)) return false;
            if (!get_int(val, &f.number)) return ctx.fail(where, "\"int64\" is an integer");
        } else if (k == "float") {
            if (!kind(field_kind::float32)) return false;
            if (!json_object_is_type(val, json_type_double) && !json_object_is_type(val, json_type_int))
                return ctx.fail(where, "\"float\" is a number");
            f.real = json_object_get_double(val);
        } else if (k == "text") {
            if (!kind(field_kind::text)) return false;
            if (!json_object_is_type(val, json_type_string)) return ctx.fail(where, "\"text\" is a string");
            const char* s = json_object_get_string(val);
            f.data.assign(s, s + json_object_get_string_len(val));
        } else if (k == "hex") {
            if (!kind(field_kind::hex)) return false;
            if (!get_hex(val, &f.data)) return ctx.fail(where, "\"hex\" is an even run of hex digits");
        } else if (k == "echo") {
            if (!kind(field_kind::echo)) return false;
            if (!get_uint32(val, &f.from)) return ctx.fail(where, "\"echo\" is a request offset");
        } else if (k == "len") {
            if (!get_uint32(val, &f.len)) return ctx.fail(where, "\"len\" is a byte count");
        } else if (k == "width") {
            uint32_t w;
            if (!get_uint32(val, &w)) return ctx.fail(where, "\"width\" is a byte count");
            f.width = static_cast<int32_t>(w);
        } else {
            return ctx.fail(where, "unknown member \"" + std::string(k) + "\"");
        }
    }
    if (!have_at) return ctx.fail(where, "\"at\" is missing");
    if (!have_kind) return ctx.fail(where, "one of int32/int64/float/text/hex/echo is missing");
    if (f.kind == field_kind::echo && f.len == 0) f.len = 4;
    return true;
}

bool parse_fields(json_object* arr, std::vector<field_write>& out, parse_ctx& ctx,
                  const std::string& where) {
    if (!json_object_is_type(arr, json_type_array)) return ctx.fail(where, "a list of fields");
    for (size_t i = 0; i < json_object_array_length(arr); ++i) {
        field_write f;
        if (!parse_field(json_object_array_get_idx(arr, i), f, ctx,
                         where + "[" + std::to_string(i) + "]"))
            return false;
        out.push_back(std::move(f));
    }
    return true;
}

bool parse_fault(json_object* v, fault& out) {
    static const struct {
        const char* name;
        fault mode;
    } names[] = {
        {"none", fault::none},         {"no_answer", fault::no_answer},
        {"empty", fault::empty},       {"short", fault::short_payload},
        {"wrong_id", fault::wrong_id}, {"close", fault::close},
    };
    if (!v || !json_object_is_type(v, json_type_string)) return false;
    for (const auto& n : names)
        if (!std::strcmp(n.name, json_object_get_string(v))) {
            out = n.mode;
            return true;
        }
    return false;
}

bool parse_reply(json_object* obj, reply_plan& r, parse_ctx& ctx, const std::string& where) {
    if (!json_object_is_type(obj, json_type_object)) return ctx.fail(where, "a reply is an object");
    json_object_object_foreach(obj, key, val) {
        std::string_view k(key);
        uint32_t n;
        if (k == "id") {
            int32_t id;
            if (!get_int32(val, &id)) return ctx.fail(where, "\"id\" is a 32-bit integer");
            r.id = id;
        } else if (k == "size") {
            if (!get_uint32(val, &n) || n > 16u * 1024 * 1024)
                return ctx.fail(where, "\"size\" is a byte count up to 16 MiB");
            r.size = n;
        } else if (k == "hex") {
            if (!get_hex(val, &r.base)) return ctx.fail(where, "\"hex\" is an even run of hex digits");
        } else if (k == "echo") {
            if (!json_object_is_type(val, json_type_boolean)) return ctx.fail(where, "\"echo\" is true or false");
            r.echo = json_object_get_boolean(val);
        } else if (k == "fields") {
            if (!parse_fields(val, r.fields, ctx, where + ".fields")) return false;
        } else if (k == "count") {
            if (!get_uint32(val, &n) || n > 100000) return ctx.fail(where, "\"count\" is 0..100000");
            r.count = n;
        } else if (k == "records") {
            if (!json_object_is_type(val, json_type_array)) return ctx.fail(where, "\"records\" is a list");
            for (size_t i = 0; i < json_object_array_length(val); ++i) {
                r.records.emplace_back();
                if (!parse_fields(json_object_array_get_idx(val, i), r.records.back(), ctx,
                                  where + ".records[" + std::to_string(i) + "]"))
                    return false;
            }
        } else if (k == "delay") {
            if (!get_uint32(val, &n)) return ctx.fail(where, "\"delay\" is a count of wait rounds");
            r.delay_rounds = static_cast<int>(n);
        } else if (k == "fault") {
            if (!parse_fault(val, r.mode))
                return ctx.fail(where, "\"fault\" is none, no_answer, empty, short, wrong_id or close");
        } else if (k == "short_size") {
            if (!get_uint32(val, &n)) return ctx.fail(where, "\"short_size\" is a byte count");
            r.short_size = n;
        } else if (k == "file") {
            json_object* path = nullptr;
            if (!json_object_is_type(val, json_type_object) ||
                !json_object_object_get_ex(val, "path", &path) ||
                !json_object_is_type(path, json_type_string))
                return ctx.fail(where, "\"file\" is {\"path\": ..., \"text\" or \"hex\": ...}");
            r.file_path = json_object_get_string(path);
            if (!device_path_ok(r.file_path))
                return ctx.fail(where, "\"file\" path is an absolute device path without \"..\"");
            json_object* data = nullptr;
            if (json_object_object_get_ex(val, "text", &data)) {
                const char* s = json_object_get_string(data);
                r.file_data.assign(s, s + std::strlen(s));
            } else if (json_object_object_get_ex(val, "hex", &data)) {
                if (!get_hex(data, &r.file_data)) return ctx.fail(where, "\"file\" hex is invalid");
            }
        } else {
            return ctx.fail(where, "unknown member \"" + std::string(k) + "\"");
        }
    }
    return true;
}

bool get_int_list(json_object* v, std::vector<int>* out) {
    if (!v || !json_object_is_type(v, json_type_array)) return false;
    for (size_t i = 0; i < json_object_array_length(v); ++i) {
        int32_t n;
        if (!get_int32(json_object_array_get_idx(v, i), &n)) return false;
        out->push_back(n);
    }
    return true;
}

bool parse_stream(json_object* obj, stream_plan& p, parse_ctx& ctx, const std::string& where) {
    if (!json_object_is_type(obj, json_type_object)) return ctx.fail(where, "a stream is an object");
    json_object_object_foreach(obj, key, val) {
        std::string_view k(key);
        uint32_t n = 0;
        bool ok = true;
        if (k == "file") {
            ok = json_object_is_type(val, json_type_string) && device_path_ok(json_object_get_string(val));
            if (ok) p.file = json_object_get_string(val);
        } else if (k == "end") {
            std::string_view e = json_object_is_type(val, json_type_string) ? json_object_get_string(val) : "";
            ok = e == "end" || e == "abort" || e == "none";
            p.marker = e == "abort" ? stream_plan::finish::abort
                                    : (e == "none" ? stream_plan::finish::none : stream_plan::finish::end);
        } else if (k == "gaps" || k == "oversize") {
            ok = get_int_list(val, k == "gaps" ? &p.gaps : &p.oversize);
        } else if (k == "repeat" || k == "width" || k == "height" || k == "frame_rate" || k == "piece_size" ||
                   k == "pace" || k == "frames") {
            ok = get_uint32(val, &n);
            const int v = static_cast<int>(n);
            if (k == "repeat") p.repeat = v;
            if (k == "width") p.width = v;
            if (k == "height") p.height = v;
            if (k == "frame_rate") p.frame_rate = v;
            if (k == "piece_size") p.piece_size = n;
            if (k == "pace") p.pace_rounds = v;
            if (k == "frames") p.frames = v;
        } else {
            return ctx.fail(where, "unknown member \"" + std::string(k) + "\"");
        }
        if (!ok) return ctx.fail(where, "bad value of \"" + std::string(k) + "\"");
    }
    return true;
}

bool parse_rule(json_object* obj, rule& r, parse_ctx& ctx, const std::string& where) {
    if (!json_object_is_type(obj, json_type_object)) return ctx.fail(where, "a rule is an object");
    bool have_id = false, have_reply = false;
    json_object_object_foreach(obj, key, val) {
        std::string_view k(key);
        if (k == "id") {
            if (!get_int32(val, &r.id)) return ctx.fail(where, "\"id\" is a 32-bit integer");
            have_id = true;
        } else if (k == "match") {
            if (!get_hex(val, &r.match)) return ctx.fail(where, "\"match\" is an even run of hex digits");
        } else if (k == "match_at") {
            if (!get_uint32(val, &r.match_at)) return ctx.fail(where, "\"match_at\" is a byte offset");
        } else if (k == "times") {
            uint32_t n;
            if (!get_uint32(val, &n)) return ctx.fail(where, "\"times\" is a count");
            r.times = static_cast<int>(n);
        } else if (k == "stream") {
            have_reply = true;
            r.stream.emplace();
            if (!parse_stream(val, *r.stream, ctx, where + ".stream")) return false;
        } else if (k == "reply") {
            have_reply = true;
            if (json_object_is_type(val, json_type_array)) {
                for (size_t i = 0; i < json_object_array_length(val); ++i) {
                    r.replies.emplace_back();
                    if (!parse_reply(json_object_array_get_idx(val, i), r.replies.back(), ctx,
                                     where + ".reply[" + std::to_string(i) + "]"))
                        return false;
                }
            } else {
                r.replies.emplace_back();
                if (!parse_reply(val, r.replies.back(), ctx, where + ".reply")) return false;
            }
        } else {
            return ctx.fail(where, "unknown member \"" + std::string(k) + "\"");
        }
    }
    if (!have_id) return ctx.fail(where, "\"id\" is missing");
    if (!have_reply) return ctx.fail(where, "\"reply\" or \"stream\" is missing");
    return true;
}

void put_le(bytes& rec, uint32_t at, uint64_t value, size_t width, bool grow) {
    for (size_t i = 0; i < width; ++i) {
        size_t pos = at + i;
        if (pos >= rec.size()) {
            if (!grow) return;
            rec.resize(pos + 1);
        }
        rec[pos] = static_cast<uint8_t>(value >> (8 * i));
    }
}

void put_bytes(bytes& rec, uint32_t at, const uint8_t* data, size_t len, bool grow) {
    if (grow && at + len > rec.size()) rec.resize(at + len);
    for (size_t i = 0; i < len && at + i < rec.size(); ++i) rec[at + i] = data[i];
}

// Writes the fields into rec; with a fixed size a field past the end is cut.
void apply_fields(bytes& rec, const std::vector<field_write>& fields, const request& req, bool grow) {
    for (const field_write& f : fields) {
        switch (f.kind) {
        case field_kind::int32:
            put_le(rec, f.at, static_cast<uint64_t>(f.number), 4, grow);
            break;
        case field_kind::int64:
            put_le(rec, f.at, static_cast<uint64_t>(f.number), 8, grow);
            break;
        case field_kind::float32: {
            float v = static_cast<float>(f.real);
            uint32_t bits;
            std::memcpy(&bits, &v, 4);
            put_le(rec, f.at, bits, 4, grow);
            break;
        }
        case field_kind::text: {
            bytes text = f.data;
            if (f.width >= 0) text.resize(static_cast<size_t>(f.width), 0);
            put_bytes(rec, f.at, text.data(), text.size(), grow);
            break;
        }
        case field_kind::hex:
            put_bytes(rec, f.at, f.data.data(), f.data.size(), grow);
            break;
        case field_kind::echo: {
            // Request bytes past its end read as zero.
            bytes slice(f.len, 0);
            for (uint32_t i = 0; i < f.len && f.from + static_cast<size_t>(i) < req.payload.size(); ++i)
                slice[i] = req.payload[f.from + i];
            put_bytes(rec, f.at, slice.data(), slice.size(), grow);
            break;
        }
        }
    }
}

}  // namespace

bytes from_hex(const std::string& hex, bool* ok) {
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    bytes out;
    std::string clean;
    for (char c : hex)
        if (c != ' ') clean += c;
    bool good = clean.size() % 2 == 0;
    for (size_t i = 0; good && i < clean.size(); i += 2) {
        int hi = digit(clean[i]), lo = digit(clean[i + 1]);
        if (hi < 0 || lo < 0) {
            good = false;
            break;
        }
        out.push_back(static_cast<uint8_t>(hi * 16 + lo));
    }
    if (ok) *ok = good;
    if (!good) out.clear();
    return out;
}

std::string to_hex(const uint8_t* data, size_t len) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(len * 2);
    for (size_t i = 0; i < len; ++i) {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 15];
    }
    return out;
}

bool parse_script(const std::string& text, std::vector<rule>& out, std::string* error) {
    parse_ctx ctx{error};
    json_tokener* tok = json_tokener_new();
    std::unique_ptr<json_object, json_free> root(
        json_tokener_parse_ex(tok, text.c_str(), static_cast<int>(text.size())));
    bool complete = json_tokener_get_error(tok) == json_tokener_success;
    json_tokener_free(tok);
    if (!root || !complete) return ctx.fail("script", "not a JSON text");
    json_object* list = root.get();
    if (json_object_is_type(list, json_type_object)) {
        if (!json_object_object_get_ex(list, "rules", &list) || json_object_object_length(root.get()) != 1)
            return ctx.fail("script", "an object holds only \"rules\"");
    }
    if (!json_object_is_type(list, json_type_array)) return ctx.fail("script", "a list of rules");
    std::vector<rule> rules;
    for (size_t i = 0; i < json_object_array_length(list); ++i) {
        rule r;
        if (!parse_rule(json_object_array_get_idx(list, i), r, ctx, "rules[" + std::to_string(i) + "]"))
            return false;
        rules.push_back(std::move(r));
    }
    out = std::move(rules);
    return true;
}

void build_reply(const reply_plan& plan, const request& req, const std::string& root,
                 std::vector<out_msg>& out) {
    if (!plan.file_path.empty()) {
        make_parent_dirs(root + plan.file_path);
        std::ofstream file(root + plan.file_path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(plan.file_data.data()),
                   static_cast<std::streamsize>(plan.file_data.size()));
    }
    if (plan.mode == fault::no_answer) return;
    out_msg msg;
    msg.delay_rounds = plan.delay_rounds;
    if (plan.mode == fault::close) {
        msg.close = true;
        out.push_back(std::move(msg));
        return;
    }
    msg.id = plan.id ? *plan.id : req.id + 5000;
    if (plan.mode == fault::wrong_id) msg.id += 100000;

    const bool fixed = plan.size.has_value();
    bytes record = plan.echo ? req.payload : plan.base;
    if (fixed) record.resize(*plan.size, 0);
    apply_fields(record, plan.fields, req, !fixed);
    uint32_t count = plan.count ? *plan.count
                                : (plan.records.empty() ? 1u : static_cast<uint32_t>(plan.records.size()));
    for (uint32_t i = 0; i < count; ++i) {
        if (i < plan.records.size()) {
            bytes rec = record;
            apply_fields(rec, plan.records[i], req, false);
            msg.payload.insert(msg.payload.end(), rec.begin(), rec.end());
        } else {
            msg.payload.insert(msg.payload.end(), record.begin(), record.end());
        }
    }
    if (plan.mode == fault::empty) msg.payload.clear();
    if (plan.mode == fault::short_payload) {
        size_t cut = plan.short_size ? *plan.short_size : (record.empty() ? 0 : record.size() - 1);
        if (cut < msg.payload.size()) msg.payload.resize(cut);
    }
    out.push_back(std::move(msg));
}

}  // namespace coresim
