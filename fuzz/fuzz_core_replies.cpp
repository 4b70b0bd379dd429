// The modules' core-reply decoding: every registered handler runs in this
// process against a fake core that answers each message it sends with the
// fuzzer's bytes, so that the module's reply callback and writers decode
// arbitrary payloads (wrong sizes, huge counts, unterminated texts).
//
// Input: two bytes pick the request code (from the registry, so every module
// linked here is covered), one the request text (empty, or a JSON object of
// the module's member names all 0 or all 1, which most handlers accept and
// then ask the core), then the payload.
//
// Handlers run with the root prefix of a private directory, a large time
// divisor (a wait that no reply ends is short), standard output to
// /dev/null, and the programs that would change this machine shadowed by
// stubs in PATH.
#include "front/cgi_env.h"
#include "front/dispatchreq.h"
#include "fuzz/fuzz_common.h"
#include "tests/sweep/battery.h"
#include "tools/coresim/coresim.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <vector>

namespace {

struct target {
    std::string code;
    std::vector<std::string> texts;
};

std::vector<target> targets;
std::mutex payload_mu;
coresim::bytes payload;
coresim_server* core = nullptr;

std::string json_all(const std::vector<std::string>& keys, const char* value) {
    std::string out = "{";
    for (size_t i = 0; i < keys.size() && out.size() < 20000; ++i)
        out += (i ? ",\"" : "\"") + keys[i] + "\":" + value;
    return out + "}";
}

std::map<std::string, std::string> module_sources() {
    std::map<std::string, std::string> sources;
    const std::string modules = std::string(NVR_SOURCE_DIR) + "/modules";
    auto list = [](const std::string& dir) {
        std::vector<std::string> names;
        if (DIR* d = opendir(dir.c_str())) {
            while (dirent* e = readdir(d))
                if (e->d_name[0] != '.') names.push_back(e->d_name);
            closedir(d);
        }
        return names;
    };
    for (const std::string& sub : list(modules))
        for (const std::string& file : list(modules + "/" + sub)) {
            std::ifstream in(modules + "/" + sub + "/" + file);
            std::ostringstream text;
            text << in.rdbuf();
            sources[sub + "/" + file] = text.str();
        }
    return sources;
}

// Every message gets one reply, under the identifier the module waits for,
// carrying the current payload.
bool answer(const coresim::request& req, std::vector<coresim::out_msg>& out) {
    const coresim::default_reply* row = coresim::find_default(req.id);
    coresim::out_msg msg;
    msg.id = row && row->reply_id ? row->reply_id : req.id + 5000;
    {
        std::lock_guard<std::mutex> lock(payload_mu);
        msg.payload = payload;
    }
    out.push_back(std::move(msg));
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string& root = fuzz_root();
    setenv("NVR_TIME_DIVISOR", "100000", 1);
    sweep::make_stub_dir(root + "/stubs");
    setenv("PATH", sweep::stub_search_path(root + "/stubs", NVR_BIN_DIR).c_str(), 1);
    cgi_env_set("127.0.0.1", "127.0.0.1", "userName=admin");
    int null_fd = open("/dev/null", O_WRONLY);
    dup2(null_fd, 1);
    close(null_fd);

    core = new coresim_server;  // lives to the end of the process
    if (!core->start(root)) std::abort();
    core->keep_journal(false);
    core->set_fallback(answer);

    const auto sources = module_sources();
    for (int i = 0; i < MAX_WEBREQ_COUNT; ++i)
        if (const request_entry* e = webreq_slot(i)) {
            std::vector<std::string> keys = sweep::keys_for_code(e->code, sources);
            targets.push_back({e->code, {"", json_all(keys, "0"), json_all(keys, "1")}});
        }
    if (targets.empty()) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const target& t = targets[(data[0] | data[1] << 8) % targets.size()];
    const std::string& text = t.texts[data[2] % t.texts.size()];
    {
        std::lock_guard<std::mutex> lock(payload_mu);
        payload.assign(data + 3, data + size);
    }
    std::vector<char> buf(text.begin(), text.end());
    buf.push_back('\0');
    webreq_dispatch(t.code.c_str(), buf.data());
    // The handler has closed its links; the fake core's connection threads
    // finish with them before the next input, so that each input's work
    // (and the leak check after it) is its own.
    core->wait_for_closed(core->connections(), 5000);
    return 0;
}
