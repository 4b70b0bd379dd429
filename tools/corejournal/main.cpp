// corejournal: a read-only CGI view of the simulated core daemon's journal
// ($NVR_ROOT/log/coresim.jsonl, one JSON object a line), for the request
// console of the local server. Never part of webreq or the device.
//
//   GET corejournal.cgi            {"end": N, "events": []}: where the journal ends now
//   GET corejournal.cgi?from=N     the whole lines from byte N on, and the new end
//
// A console takes the end before it sends a request and asks from there
// afterwards. A start past the end (a new journal) starts from 0. At most
// max_chunk bytes a call: the reply's end is where the next call goes on.
#include <json-c/json.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/nvr_env.h"

namespace {

// Larger than any journal line (a message of 64 channel records is ~80 KiB of
// hex), so that a chunk always ends on a line.
constexpr long long max_chunk = 4 * 1024 * 1024;

void reply(const char* status, const std::string& body) {
    std::printf("Status: %s\r\nContent-type: application/json\r\nCache-Control: no-store\r\n\r\n%s\n", status,
                body.c_str());
}

// "from=123" (also among other members): the offset, -1 when absent, -2
// when malformed.
long long parse_from(const char* query) {
    if (!query) return -1;
    const char* p = query;
    while (p && *p) {
        if (std::strncmp(p, "from=", 5) == 0) {
            const char* digits = p + 5;
            if (*digits < '0' || *digits > '9') return -2;
            errno = 0;
            char* end = nullptr;
            const long long n = std::strtoll(digits, &end, 10);
            if (errno || (*end && *end != '&')) return -2;
            return n;
        }
        p = std::strchr(p, '&');
        if (p) ++p;
    }
    return -1;
}

// Where the last whole line ends: a line still being written is not part of
// the journal yet, so that an end handed out never splits one.
long long whole_lines_end(FILE* f, long long size) {
    char buf[4096];
    long long pos = size;
    while (pos > 0) {
        const long long n =
            pos < static_cast<long long>(sizeof buf) ? pos : static_cast<long long>(sizeof buf);
        if (fseeko(f, pos - n, SEEK_SET) != 0 || std::fread(buf, 1, n, f) != static_cast<size_t>(n)) return 0;
        for (long long i = n - 1; i >= 0; --i)
            if (buf[i] == '\n') return pos - n + i + 1;
        pos -= n;
    }
    return 0;
}

}  // namespace

int main() {
    const char* method = std::getenv("REQUEST_METHOD");
    if (method && std::strcmp(method, "GET") != 0) {
        reply("405 Method Not Allowed", "{\"error\": \"GET only\"}");
        return 0;
    }
    const long long from = parse_from(std::getenv("QUERY_STRING"));
    if (from == -2) {
        reply("400 Bad Request", "{\"error\": \"from must be a byte offset\"}");
        return 0;
    }

    json_object* out = json_object_new_object();
    json_object* events = json_object_new_array();
    long long end = 0;
    FILE* f = std::fopen(nvr_path("/log/coresim.jsonl").c_str(), "rbe");
    if (f && std::fseek(f, 0, SEEK_END) == 0) {
        const long long size = ftello(f);
        end = whole_lines_end(f, size < 0 ? 0 : size);
        long long start = from < 0 ? end : from;
        if (start > end) start = 0;
        const long long want = end - start < max_chunk ? end - start : max_chunk;
        std::string chunk(static_cast<size_t>(want), '\0');
        if (want > 0 && fseeko(f, start, SEEK_SET) == 0) {
            chunk.resize(std::fread(chunk.data(), 1, chunk.size(), f));
            const size_t last_nl = chunk.rfind('\n');
            chunk.resize(last_nl == std::string::npos ? 0 : last_nl + 1);
            end = start + static_cast<long long>(chunk.size());
            size_t pos = 0;
            while (pos < chunk.size()) {
                const size_t nl = chunk.find('\n', pos);
                const std::string line = chunk.substr(pos, nl - pos);
                pos = nl + 1;
                if (json_object* ev = json_tokener_parse(line.c_str())) json_object_array_add(events, ev);
            }
        } else {
            end = start;
        }
    }
    if (f) std::fclose(f);
    json_object_object_add(out, "end", json_object_new_int64(end));
    json_object_object_add(out, "events", events);
    reply("200 OK", json_object_to_json_string_ext(out, JSON_C_TO_STRING_PLAIN));
    json_object_put(out);
    return 0;
}
