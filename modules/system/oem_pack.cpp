// The vendor customisation pack: an uploaded Base64 text of an encrypted
// ZIP archive, whose key the query string carries ("aes=" and 32
// characters). The archive is unpacked into /mnt/nand2 and the marker
// "oem_upload" tells the system to apply it.
//
// The key comes from the client as well, so the encryption proves nothing
// about the archive: every entry is checked before anything is unpacked,
// and an archive with a name that could land outside /mnt/nand2 (absolute,
// a ".." component) or with a link (which a later entry could write
// through) is refused as a whole.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "front/cgi_env.h"
#include "front/web_utils.h"
#include "modules/system/service.h"
#include "platform/encrypt.h"
#include "platform/nvr_env.h"
#include "platform/tqstd.h"

namespace {

const char pack_dir[] = "/mnt/nand2";
const char apply_marker[] = "/mnt/nand2/oem_upload";
constexpr size_t key_chars = 32;
// Listings longer than this are not read to their end: such a pack is refused.
constexpr size_t listing_limit = 1 << 20;

void answer_error() { cgi_reply(REPLY_TEXT, "ERROR"); }

// The plain archive of the uploaded pack, or empty when the file cannot be
// read, is not Base64 or does not decrypt under the key.
std::vector<unsigned char> open_pack(const char* upload, const char* key) {
    long len = 0;
    char* text = read_whole_file(upload, &len);
    if (!text) return {};
    std::vector<unsigned char> sealed(static_cast<size_t>(len) / 4 * 3 + 3);
    const int sealed_len =
        tq_base64_decode(text, static_cast<int>(len), sealed.data(), static_cast<int>(sealed.size()));
    __tq_free(text, __FILE__, __LINE__);
    if (sealed_len <= 0) return {};
    std::vector<unsigned char> plain(static_cast<size_t>(sealed_len));
    const int plain_len =
        aesDecryWeb(sealed.data(), key, plain.data(), sealed_len, static_cast<int>(plain.size()));
    if (plain_len <= 0) return {};
    plain.resize(static_cast<size_t>(plain_len));
    return plain;
}

// Writes data to a new private file in /tmp; its device path, or "".
std::string write_private_file(const std::vector<unsigned char>& data) {
    std::string path = nvr_path("/tmp/oemXXXXXX");
    const int fd = mkstemp(path.data());
    if (fd < 0) return "";
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t w = write(fd, data.data() + done, data.size() - done);
        if (w <= 0) break;
        done += static_cast<size_t>(w);
    }
    if (close(fd) != 0 || done != data.size()) {
        unlink(path.c_str());
        return "";
    }
    return path;
}

// The lines of what the archive tool prints for argv; false when it fails
// or prints more than the limit.
bool listing_lines(const char* const* argv, std::vector<std::string>& lines) {
    std::string out;
    if (cgi_exec_output(argv, &out, listing_limit) != 0 || out.size() >= listing_limit) return false;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return true;
}

// A name the archive tool may write under the target directory: relative,
// without a ".." component ('\\' counts as a separator too, as for archives
// made on other systems).
bool entry_name_ok(const std::string& name) {
    if (name.empty() || name[0] == '/' || name[0] == '\\') return false;
    size_t start = 0;
    while (start <= name.size()) {
        const size_t end = name.find_first_of("/\\", start);
        const size_t stop = end == std::string::npos ? name.size() : end;
        if (name.compare(start, stop - start, "..") == 0 && stop - start == 2) return false;
        start = stop + 1;
    }
    return true;
}

// Every entry of the archive by name, and the long listing for links (the
// listing line of an entry starts with its Unix mode, 'l' for a link).
bool entries_safe(const std::string& zip) {
    const char* const names_argv[] = {"unzip", "-Z1", zip.c_str(), nullptr};
    const char* const modes_argv[] = {"unzip", "-Z", "-s", zip.c_str(), nullptr};
    std::vector<std::string> names, modes;
    if (!listing_lines(names_argv, names) || names.empty() || !listing_lines(modes_argv, modes)) return false;
    for (const std::string& name : names)
        if (!entry_name_ok(name)) return false;
    for (const std::string& line : modes)
        if (!line.empty() && line[0] == 'l') return false;
    return true;
}

// Unpacks the archive over the pack folder; false when the tool fails.
bool unpack(const std::string& zip) {
    const std::string dest = nvr_path(pack_dir) + "/";
    const char* const argv[] = {"unzip", "-o", zip.c_str(), "-d", dest.c_str(), nullptr};
    return cgi_exec_output(argv, nullptr) == 0;
}

}  // namespace

void oem_pack_install(request& rq) {
    // Only the file this request uploaded, never a path the text names.
    const char* upload = cgi_upload_path();
    const char* key_at = std::strstr(rq.text, "aes=");
    if (!*upload || !key_at || strnlen(key_at + 4, key_chars) < key_chars) return answer_error();
    const std::string key(key_at + 4, key_chars);

    const std::vector<unsigned char> archive = open_pack(upload, key.c_str());
    if (archive.empty()) return answer_error();
    const std::string zip = write_private_file(archive);
    if (zip.empty()) return answer_error();
    unlink(nvr_path(upload).c_str());

    const bool done = entries_safe(zip) && unpack(zip);
    unlink(zip.c_str());
    // The marker makes the system apply the pack: only for a whole unpack.
    if (!done || touch_file(apply_marker) != 0) return answer_error();
    cgi_reply(REPLY_TEXT, "OK");
}
