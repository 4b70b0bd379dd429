// The request registry: request code -> handler.
//
// Each handler module owns one static table of request_entry rows, in code
// order, and adds it with WEBREQ_MODULE(order, table) at the end of its source
// file. The constructor runs before main, in the order given (1 = first,
// filling slots from 0), and the destructor removes the table at exit.
//
// A row says, besides code and handler, what the handler takes (req_in) and
// how the code answers (req_out); the registry acts on both before the
// handler runs, so that no handler repeats it. The row also carries the
// code's reference (summary, request form, core messages, reply form).
//
//   - IN_JSON: the request text must be a JSON object. It is parsed once, and
//     the handler gets the object in request::json (never null). Any other
//     text is refused: one debug-log line, then the refused reply of the row.
//   - the IN_UPLOAD_* kinds tell the intake how to hand a multipart upload
//     over (the upload forms of the intake).
//   - req_out names the code's reply form, so that request::fail() writes
//     "CGI ERROR" in that form, and whether a refused request gets it too or
//     no reply at all.
#pragma once

#include <json-c/json.h>

#include <cstdint>

struct request;

// A handler gets the request and writes the whole HTTP reply itself.
typedef void (*request_handler)(request& rq);

// What a handler takes.
enum req_in : uint8_t {
    IN_TEXT,           // the request text as it came (query, body or upload text)
    IN_JSON,           // a JSON object, parsed by the registry
    IN_UPLOAD_TEMP,    // an upload left at its temporary path: "<path> & <query>"
    IN_UPLOAD_DIRECT,  // an upload the handler reads itself: "temp & <query>"
    IN_UPLOAD_UNREAD,  // the same, and the intake never reads the body
};

// How a code answers, and what a request it refuses gets.
enum req_out : uint8_t {
    OUT_TEXT,      // plain text; a refused request gets no reply
    OUT_JSON,      // JSON; a refused request gets no reply
    OUT_TEXT_ERR,  // plain text; a refused request gets "CGI ERROR"
    OUT_JSON_ERR,  // JSON; a refused request gets {status:"CGI ERROR"}
};

struct request_entry {
    char code[8] = {};  // "/2001", "/json", "/vb.htm": at most 7 characters
    request_handler handler = nullptr;
    req_in in = IN_TEXT;
    req_out out = OUT_TEXT;
    // The code's reference, kept in the row so that code and reference
    // cannot drift apart (printed by the API reference tool):
    const char* summary = nullptr;  // one line: what the code does
    const char* form = nullptr;     // the request: JSON members, or the text
    const char* sends = nullptr;    // core messages, in order ("3201 -> 8201", "1403, 3485")
    const char* reply = nullptr;    // the reply: "OK", the JSON members, a download
};

// One request as a handler sees it.
struct request {
    const char* code;
    char* text;                // writable, NUL-terminated, alive until exit
    json_object* json;         // IN_JSON rows: the parsed object; else null
    const request_entry* row;  // the row that matched (null in direct calls)

    // The code's failure reply: "CGI ERROR" as plain text or in its JSON
    // form, after the reply form of the row. For a change that was not
    // stored, a core daemon that did not answer, and the like.
    void fail() const;
    // A request the handler does not accept (a member missing, a value out
    // of range): one debug-log line with the code and the reason, then the
    // refused reply of the row (often none).
    void refuse(const char* reason) const;
};

// The debug-log line of a refused request: "refused <code>: <reason>" and,
// when text is given, ": <text>"; code and text shown by log_excerpt (64
// characters at most). The reason is the caller's own words.
void webreq_log_refused(const char* file, int line, const char* func, const char* code, const char* reason,
                        const char* text);

#define MAX_WEBREQ_COUNT 512

int webreq_register(const request_entry* table, int count);
int webreq_unregister(const request_entry* table, int count);
// Runs the request through the first in-use slot whose code equals code:
// parses and refuses as the row says, then calls the handler. Returns 1
// when a row matched, 0 when none did.
int webreq_dispatch(const char* code, char* text);
// The row of code, or null.
const request_entry* webreq_find(const char* code);

// Slots in use, and a walk over them (for the checks that visit every code).
int webreq_count();
const request_entry* webreq_slot(int index);  // null for a free slot

#define WEBREQ_CONCAT2(a, b) a##b
#define WEBREQ_CONCAT(a, b) WEBREQ_CONCAT2(a, b)
// Registers table before main. order is the module's place (1..11); two
// modules never share one.
#define WEBREQ_MODULE(order, table)                                                        \
    __attribute__((constructor(200 + (order)))) static void WEBREQ_CONCAT(webreq_add_, order)() { \
        webreq_register(table, static_cast<int>(sizeof(table) / sizeof(table[0])));        \
    }                                                                                      \
    __attribute__((destructor(200 + (order)))) static void WEBREQ_CONCAT(webreq_del_, order)() { \
        webreq_unregister(table, static_cast<int>(sizeof(table) / sizeof(table[0])));      \
    }
