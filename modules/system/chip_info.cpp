// The chip information of the factory commands: 32 characters kept by the
// chip tool, "TQ" and four fields, each starting with its letter:
//
//     TQ N...... H.. E....... S...........
//        2..8    9..11 12..19  20..31
//
// The tool prints the information ("tqchip_update -r 32" writes a line
// "Read old:<information>") and takes a new one as its one argument. A new
// information is handed over only when it is exactly 32 printable
// characters without blanks: the value comes from the request, and never
// reaches a shell.
#include <algorithm>
#include <cstring>
#include <string>

#include "front/web_utils.h"
#include "modules/system/service.h"

namespace {

constexpr size_t info_chars = 32;
constexpr size_t shown_max = 63;

struct chip_field {
    char letter;
    size_t from;
    size_t width;
};
const chip_field fields[] = {{'N', 2, 7}, {'H', 9, 3}, {'E', 12, 8}, {'S', 20, 12}};

const chip_field* field_of(char letter) {
    for (const chip_field& f : fields)
        if (f.letter == letter) return &f;
    return nullptr;
}

// The information as the tool prints it (at most 63 characters), read
// through a pipe; false when the tool prints no "Read old:" line.
bool read_chip_info(std::string& info) {
    const char* const argv[] = {"tqchip_update", "-r", "32", nullptr};
    std::string out;
    cgi_exec_output(argv, &out);
    const size_t at = out.find("Read old:");
    if (at == std::string::npos) return false;
    const size_t from = at + 9;
    info = out.substr(from, std::min(out.find_first_of("\r\n", from), out.size()) - from);
    if (info.size() > shown_max) info.resize(shown_max);
    return true;
}

bool info_ok(const std::string& info) {
    if (info.size() != info_chars) return false;
    for (unsigned char c : info)
        if (c <= ' ' || c > '~') return false;
    return true;
}

// Hands a new information to the tool; false when it is not 32 printable
// characters or the tool fails.
bool write_chip_info(const std::string& info) {
    if (!info_ok(info)) return false;
    const char* const argv[] = {"tqchip_update", info.c_str(), nullptr};
    return cgi_exec_output(argv, nullptr) == 0;
}

// The stored information, for a change: at least 32 characters.
bool stored_info(std::string& info) {
    if (!read_chip_info(info) || info.size() < info_chars) return false;
    info.resize(info_chars);
    return true;
}

// text padded on the right with '0' to width characters.
std::string padded(std::string text, size_t width) {
    if (text.size() < width) text.append(width - text.size(), '0');
    return text;
}

void answer(bool ok, const char* command) {
    cgi_reply(REPLY_TEXT, (std::string(ok ? "OK " : "NG ") + command).c_str());
}

// The new information of a chip update, or "" when the value is refused.
std::string updated_info(std::string info, std::string value) {
    if (value.empty() || value.size() > info_chars) return "";
    if (value.size() > 20 && value.size() < info_chars) value = padded(value, info_chars);
    if (value.compare(0, 3, "TQN") == 0) return value;
    const chip_field* f = field_of(value[0]);
    if (!f) return "";
    info.replace(f->from, f->width, padded(value, f->width).substr(0, f->width));
    return info;
}

// The new information of a model update: the value, letter included and
// padded with '0', replaces the field its letter names.
std::string model_info(std::string info, const std::string& value) {
    const chip_field* f = value.empty() ? nullptr : field_of(value[0]);
    if (!f || value.size() > f->width) return "";
    info.replace(f->from, f->width, padded(value, f->width));
    return info;
}

}  // namespace

void chip_info_show(request&, const char* value) {
    if (std::strcmp(value, "chipinfo") != 0) {
        cgi_reply(REPLY_TEXT, "Param ERROR");
        return;
    }
    std::string info;
    if (!read_chip_info(info)) {
        cgi_reply(REPLY_TEXT, "ERROR");
        return;
    }
    cgi_reply(REPLY_TEXT, ("OK chipinfo=" + info + "\n").c_str());
}

void chip_info_update(request&, const char* value) {
    std::string info;
    answer(stored_info(info) && write_chip_info(updated_info(info, value)), "chipupdate");
}

void chip_model_update(request&, const char* value) {
    std::string info;
    answer(stored_info(info) && write_chip_info(model_info(info, value)), "modelupdate");
}
