#include "tools/nvrapi/reference.h"

#include <json-c/json.h>

#include <cstring>
#include <iterator>
#include <map>

const char* const api_undocumented = "(not documented yet)";

const char* api_module_name(int place) {
    // Index = place, as in each module's WEBREQ_MODULE(place, table).
    static const char* const names[] = {"",         "wizard", "alarm",   "camera",   "network", "ptz",
                                        "schedule", "status", "storage", "playback", "system",  "event"};
    return place >= 1 && place < static_cast<int>(std::size(names)) ? names[place] : "";
}

std::vector<api_module> api_registry() {
    std::map<int, api_module> by_order;
    for (int slot = 0; slot < MAX_WEBREQ_COUNT; ++slot) {
        const request_entry* row = webreq_slot(slot);
        if (!row) continue;
        const int order = webreq_slot_table(slot);
        api_module& m = by_order[order];
        if (m.rows.empty()) {
            m.order = order;
            m.name = *api_module_name(order) ? api_module_name(order) : "module" + std::to_string(order);
        }
        m.rows.push_back(row);
    }
    std::vector<api_module> out;
    for (auto& [order, m] : by_order) out.push_back(std::move(m));
    return out;
}

const char* api_input_form(req_in in) {
    switch (in) {
        case IN_TEXT:
            return "text: the query string (GET) or the body (POST), as sent";
        case IN_JSON:
            return "JSON object: in the query string (GET) or the body (POST)";
        case IN_UPLOAD_TEMP:
            return "multipart upload: the file, then the query";
        case IN_UPLOAD_DIRECT:
            return "multipart upload, read by the handler itself";
        case IN_UPLOAD_UNREAD:
            return "multipart upload, body left unread for the handler";
    }
    return "?";
}

const char* api_reply_kind(req_out out) { return out == OUT_JSON || out == OUT_JSON_ERR ? "JSON" : "text"; }

const char* api_refused_reply(req_out out) {
    switch (out) {
        case OUT_TEXT:
        case OUT_JSON:
            return "no reply";
        case OUT_TEXT_ERR:
            return "CGI ERROR";
        case OUT_JSON_ERR:
            return "{status:\"CGI ERROR\"}";
    }
    return "?";
}

namespace {

const char* in_name(req_in in) {
    switch (in) {
        case IN_TEXT:
            return "text";
        case IN_JSON:
            return "json";
        case IN_UPLOAD_TEMP:
            return "upload-temp";
        case IN_UPLOAD_DIRECT:
            return "upload-direct";
        case IN_UPLOAD_UNREAD:
            return "upload-unread";
    }
    return "?";
}

json_object* text_or_null(const char* s) { return s ? json_object_new_string(s) : nullptr; }

// A field as inline code; a missing field as the undocumented mark.
std::string md_field(const char* s) {
    if (!s) return api_undocumented;
    // A span fence longer than any backtick run inside it.
    std::string fence = "`";
    while (std::strstr(s, fence.c_str())) fence += '`';
    const bool pad = s[0] == '`' || (s[0] && s[std::strlen(s) - 1] == '`');
    return fence + (pad ? " " : "") + s + (pad ? " " : "") + fence;
}

// Summaries are prose; a line break in one would break the list item.
std::string md_line(const char* s) {
    if (!s) return api_undocumented;
    std::string out(s);
    for (char& c : out)
        if (c == '\n' || c == '\r') c = ' ';
    return out;
}

}  // namespace

std::string api_json(const std::vector<api_module>& modules) {
    json_object* root = json_object_new_object();
    json_object* list = json_object_new_array();
    int total = 0;
    for (const api_module& m : modules) {
        json_object* mod = json_object_new_object();
        json_object_object_add(mod, "order", json_object_new_int(m.order));
        json_object_object_add(mod, "name", json_object_new_string(m.name.c_str()));
        json_object* codes = json_object_new_array();
        for (const request_entry* row : m.rows) {
            json_object* c = json_object_new_object();
            json_object_object_add(c, "code", json_object_new_string(row->code));
            json_object_object_add(c, "summary", text_or_null(row->summary));
            json_object_object_add(c, "input", json_object_new_string(in_name(row->in)));
            json_object_object_add(c, "form", text_or_null(row->form));
            json_object_object_add(c, "sends", text_or_null(row->sends));
            json_object_object_add(c, "replyKind", json_object_new_string(api_reply_kind(row->out)));
            json_object_object_add(c, "reply", text_or_null(row->reply));
            json_object_object_add(c, "refused", json_object_new_string(api_refused_reply(row->out)));
            json_object_array_add(codes, c);
            ++total;
        }
        json_object_object_add(mod, "codes", codes);
        json_object_array_add(list, mod);
    }
    json_object_object_add(root, "count", json_object_new_int(total));
    json_object_object_add(root, "modules", list);
    std::string text =
        json_object_to_json_string_ext(root, JSON_C_TO_STRING_PRETTY | JSON_C_TO_STRING_NOSLASHESCAPE);
    json_object_put(root);
    return text + "\n";
}

std::string api_markdown(const std::vector<api_module>& modules) {
    std::string md;
    int total = 0;
    for (const api_module& m : modules) total += static_cast<int>(m.rows.size());
    md += "# webreq request reference\n\n";
    md +=
        "Generated by `nvrapi --markdown` from the request tables (`cmake --build build --target "
        "api-doc`);\n";
    md += "do not edit by hand. " + std::to_string(total) + " request codes in " +
          std::to_string(modules.size()) + " modules, in the order the modules register.\n\n";
    md += "In a request or reply form, `-` means none, `key?` an optional member, and in the core\n";
    md += "messages `a -> b` is message a and the answer b it waits for.\n\n";
    for (const api_module& m : modules)
        md += "- [" + std::to_string(m.order) + ". " + m.name + "](#module-" + m.name + ") (" +
              std::to_string(m.rows.size()) + " codes)\n";
    for (const api_module& m : modules) {
        md +=
            "\n<a id=\"module-" + m.name + "\"></a>\n\n## " + std::to_string(m.order) + ". " + m.name + "\n";
        for (const request_entry* row : m.rows) {
            md += "\n### " + std::string(row->code) + "\n\n";
            md += md_line(row->summary) + "\n\n";
            md += "- Takes: " + std::string(api_input_form(row->in)) + "\n";
            md += "- Request: " + md_field(row->form) + "\n";
            md += "- Core messages: " + md_field(row->sends) + "\n";
            md += "- Reply (" + std::string(api_reply_kind(row->out)) + "): " + md_field(row->reply) + "\n";
            md += "- Refused request: " + md_field(api_refused_reply(row->out)) + "\n";
        }
    }
    return md;
}
