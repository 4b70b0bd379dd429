// The hostile-input sweep: every request code in the registry (this program
// links every handler module, so the registry lists them all) gets the whole
// battery of bad request texts by GET, JSON POST, URL-encoded POST and
// upload, while a fake core answers every message with defaults, nothing,
// empty, short or garbage payloads. webreq must end within its bound, end by
// itself with status 0 (or 255 for a rejected upload), write nothing outside
// its root and run no command built from the text.
//
// Every code gets the requests that reach the core with each kind of answer;
// of the rest of the battery it gets every k-th case, rotating with the code
// so that k neighbouring codes still cover all of it. k is the smallest that
// keeps the sweep within a case budget (NVR_SWEEP_BUDGET; the emulated and
// sanitizer builds, where a run costs more, have smaller defaults), or
// NVR_SWEEP_STRIDE when set. When even the core-answer cases exceed half the
// budget, they are thinned the same way. NVR_SWEEP_CODES=/2001,/2002 limits
// the sweep to these codes; NVR_SWEEP_VERBOSE=1 prints every run.
#include "front/dispatchreq.h"
#include "tests/harness/cgi_harness.h"
#include "tests/sweep/battery.h"
#include "tools/coresim/coresim.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <random>
#include <sstream>
#include <thread>

#ifndef NVR_SWEEP_BUDGET_DEFAULT
#define NVR_SWEEP_BUDGET_DEFAULT 24000
#endif

namespace {

constexpr int time_divisor = 10000;
constexpr int worker_count = 2;
constexpr const char* canary_text = "canary: must stay as it is\n";

long env_long(const char* name, long def) {
    const char* v = std::getenv(name);
    return v && *v ? std::strtol(v, nullptr, 10) : def;
}

bool exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void write_file(const std::string& path, const std::string& data) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << data;
}

std::vector<std::string> list_dir(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, "..")) names.push_back(e->d_name);
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Paths under dir (recursively) whose last component is name.
void find_named(const std::string& dir, const std::string& name, std::vector<std::string>& found) {
    for (const std::string& entry : list_dir(dir)) {
        std::string path = dir + "/" + entry;
        if (entry == name) found.push_back(path);
        struct stat st;
        if (lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) find_named(path, name, found);
    }
}

void remove_tree(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return;
    if (S_ISDIR(st.st_mode)) {
        for (const std::string& e : list_dir(path)) remove_tree(path + "/" + e);
        rmdir(path.c_str());
    } else {
        unlink(path.c_str());
    }
}

std::string excerpt(const std::string& text, size_t max = 300) {
    std::string out = text.substr(0, max);
    for (char& c : out)
        if (c == '\n' || c == '\r') c = ' ';
    return out + (text.size() > max ? "..." : "");
}

std::map<std::string, std::string> module_sources() {
    std::map<std::string, std::string> sources;
    const std::string modules = std::string(NVR_SOURCE_DIR) + "/modules";
    for (const std::string& sub : list_dir(modules))
        for (const std::string& file : list_dir(modules + "/" + sub))
            if (file.ends_with(".cpp") || file.ends_with(".h"))
                sources[sub + "/" + file] = read_file(modules + "/" + sub + "/" + file);
    return sources;
}

struct failure {
    std::string code, label, what;
};

// One worker: its own root (with the canary, marker and stub directory
// beside it) and its own fake core.
class worker {
public:
    worker() : root_(time_divisor) {
        t_.root = root_.path();
        t_.canary_dir = t_.root + ".canary";
        t_.marker = t_.root + ".marker";
        t_.marker_name = "sweep_marker_" + t_.root.substr(t_.root.rfind('.') + 1);
        t_.token = t_.root.substr(t_.root.rfind('/') + 1);
        stub_dir_ = t_.root + ".bin";
        mkdir(t_.canary_dir.c_str(), 0755);
        reset_canary();
        sweep::make_stub_dir(stub_dir_);
        search_path_ = sweep::stub_search_path(stub_dir_, NVR_BIN_DIR);
        started_ = core_.start(t_.root);
        core_.keep_journal(false);
        core_.set_fallback([this](const coresim::request& req, std::vector<coresim::out_msg>& out) {
            return answer(req, out);
        });
    }
    ~worker() {
        core_.stop();
        remove_tree(t_.canary_dir);
        remove_tree(stub_dir_);
        unlink(t_.marker.c_str());
    }

    bool started() const { return started_; }
    const sweep::targets& targets() const { return t_; }

    // Runs one case; failures are appended.
    void run(const std::string& code, const sweep::request_case& c, int timeout_ms,
             std::vector<failure>& failures) {
        mode_.store(c.core);
        cgi_request req;
        req.method = c.method;
        req.path_info = code;
        req.query = c.query;
        req.content_type = c.content_type;
        req.body = c.body;
        req.timeout_ms = timeout_ms;
        req.env["PATH"] = search_path_;
        cgi_result res = run_webreq(root_, req);
        if (std::getenv("NVR_SWEEP_VERBOSE"))
            std::fprintf(stderr, "%s %.1f ms %s / %s\n", code.c_str(), res.elapsed_ms, c.label.substr(0, 60).c_str(),
                         sweep::core_mode_name(c.core));
        const std::string label = c.label + " / " + sweep::core_mode_name(c.core);
        auto fail = [&](const std::string& what) { failures.push_back({code, label, what}); };
        if (res.timed_out)
            fail("did not end within " + std::to_string(timeout_ms / 1000) + " s");
        else if (res.signal)
            fail("ended by signal " + std::to_string(res.signal) + "; stderr: " + excerpt(res.err));
        else if (res.status != 0 && res.status != 255)
            fail("exit status " + std::to_string(res.status) + "; stderr: " + excerpt(res.err));
        if (res.err.find("Sanitizer") != std::string::npos || res.err.find("runtime error") != std::string::npos)
            fail("sanitizer report: " + excerpt(res.err, 600));
        for (const std::string& m : {t_.marker, t_.root + "/" + t_.marker_name}) {
            if (exists(m)) {
                fail("ran a command from the request text (" + m + " appeared)");
                unlink(m.c_str());
            }
        }
    }

    // After a code's cases: the marker nowhere under the root, the canary
    // untouched.
    void check_after_code(const std::string& code, std::vector<failure>& failures) {
        std::vector<std::string> found;
        find_named(t_.root, t_.marker_name, found);
        for (const std::string& f : found) {
            failures.push_back({code, "(after its cases)", "ran a command from the request text: " + f});
            unlink(f.c_str());
        }
        std::vector<std::string> names = list_dir(t_.canary_dir);
        if (names != std::vector<std::string>{"victim"} || read_file(t_.canary_dir + "/victim") != canary_text) {
            std::string listing;
            for (const std::string& n : names) listing += " " + n;
            failures.push_back({code, "(after its cases)",
                                "wrote outside its root: " + t_.canary_dir + " now holds" + listing});
            reset_canary();
        }
    }

private:
    void reset_canary() {
        for (const std::string& n : list_dir(t_.canary_dir)) remove_tree(t_.canary_dir + "/" + n);
        write_file(t_.canary_dir + "/victim", canary_text);
    }

    // The fake core's answer to every message while a case runs.
    bool answer(const coresim::request& req, std::vector<coresim::out_msg>& out) {
        sweep::core_mode mode = mode_.load();
        if (mode == sweep::core_mode::defaults) return false;
        if (mode == sweep::core_mode::no_answer) return true;
        const coresim::default_reply* row = coresim::find_default(req.id);
        size_t record = row && row->reply_size > 0 ? static_cast<size_t>(row->reply_size) * row->count : 64;
        coresim::out_msg msg;
        msg.id = row && row->reply_id ? row->reply_id : req.id + 5000;
        switch (mode) {
        case sweep::core_mode::empty: break;
        case sweep::core_mode::one_byte: msg.payload.assign(1, 0xff); break;
        case sweep::core_mode::short3: msg.payload.assign(3, 0x7f); break;
        case sweep::core_mode::all_ff: msg.payload.assign(record, 0xff); break;
        case sweep::core_mode::all_7f: msg.payload.assign(4096, 0x7f); break;
        case sweep::core_mode::big: msg.payload.assign(256 * 1024, 0x7f); break;
        case sweep::core_mode::random: {
            std::lock_guard<std::mutex> lock(rng_mu_);
            msg.payload.resize(std::uniform_int_distribution<size_t>(1, 2048)(rng_));
            for (auto& b : msg.payload) b = static_cast<uint8_t>(rng_());
            break;
        }
        default: break;
        }
        out.push_back(std::move(msg));
        return true;
    }

    test_root root_;
    sweep::targets t_;
    std::string stub_dir_, search_path_;
    coresim_server core_;
    bool started_ = false;
    std::atomic<sweep::core_mode> mode_{sweep::core_mode::defaults};
    std::mutex rng_mu_;
    std::mt19937 rng_{20240601};
};

std::vector<std::string> registered_codes() {
    std::vector<std::string> codes;
    for (int i = 0; i < MAX_WEBREQ_COUNT; ++i)
        if (const request_entry* e = webreq_slot(i)) codes.push_back(e->code);
    if (const char* only = std::getenv("NVR_SWEEP_CODES"); only && *only) {
        std::vector<std::string> picked;
        std::istringstream list(only);
        for (std::string c; std::getline(list, c, ',');)
            if (std::find(codes.begin(), codes.end(), c) != codes.end()) picked.push_back(c);
        codes = picked;
    }
    return codes;
}

TEST(Sweep, EveryRegisteredCodeSurvivesHostileRequestsAndCoreAnswers) {
    const std::vector<std::string> codes = registered_codes();
    ASSERT_FALSE(codes.empty()) << "the registry is empty: no module is linked";
    const auto sources = module_sources();
    const int timeout_ms = static_cast<int>(env_long("NVR_SWEEP_TIMEOUT_MS", 30000));

    std::vector<std::unique_ptr<worker>> workers;
    for (int i = 0; i < worker_count; ++i) {
        workers.push_back(std::make_unique<worker>());
        ASSERT_TRUE(workers.back()->started());
    }

    long always = 0, rest = 0;
    for (size_t i = 0; i < codes.size(); ++i)
        for (const auto& c : sweep::battery(sweep::keys_for_code(codes[i], sources), workers[0]->targets(), i))
            ++(c.always ? always : rest);
    // The requests that reach the core run whole while they fit in half the
    // budget; the rest of the battery gets what is left.
    const long budget = std::max(2L, env_long("NVR_SWEEP_BUDGET", NVR_SWEEP_BUDGET_DEFAULT));
    auto ceil_div = [](long a, long b) { return std::max(1L, (a + b - 1) / std::max(1L, b)); };
    const long always_stride = always <= budget / 2 ? 1 : ceil_div(always, budget / 2);
    const long stride = env_long("NVR_SWEEP_STRIDE",
                                 ceil_div(rest, budget - (always + always_stride - 1) / always_stride));
    std::atomic<size_t> next{0};
    std::atomic<long> cases_run{0};
    std::vector<std::vector<failure>> failures(worker_count);
    std::vector<std::thread> threads;
    for (int w = 0; w < worker_count; ++w) {
        threads.emplace_back([&, w] {
            worker& wk = *workers[w];
            for (size_t i; (i = next.fetch_add(1)) < codes.size();) {
                const std::string& code = codes[i];
                std::vector<std::string> keys = sweep::keys_for_code(code, sources);
                std::vector<sweep::request_case> battery = sweep::battery(keys, wk.targets(), i);
                int timeouts = 0;
                for (size_t j = 0; j < battery.size(); ++j) {
                    const sweep::request_case& c = battery[j];
                    if (static_cast<long>((j + i) % (c.always ? always_stride : stride)) != 0) continue;
                    size_t before = failures[w].size();
                    wk.run(code, c, timeout_ms, failures[w]);
                    ++cases_run;
                    if (failures[w].size() > before && failures[w].back().what.starts_with("did not end") &&
                        ++timeouts >= 3) {
                        failures[w].push_back({code, "(rest of its cases)", "skipped after 3 hangs"});
                        break;
                    }
                }
                wk.check_after_code(code, failures[w]);
            }
        });
    }
    for (auto& t : threads) t.join();

    // Files named after a worker's root anywhere in /tmp other than its own
    // directories: something wrote there without the root prefix.
    std::vector<failure> all;
    for (const auto& f : failures) all.insert(all.end(), f.begin(), f.end());
    for (const auto& wk : workers) {
        const sweep::targets& t = wk->targets();
        const std::string base = t.token;
        for (const std::string& n : list_dir("/tmp"))
            if (n.starts_with(base) && n != base && n != base + ".canary" && n != base + ".bin")
                all.push_back({"?", "(after the sweep)", "wrote outside its root: /tmp/" + n});
    }

    std::printf("[ sweep    ] %zu codes, %ld cases (every %ld of the core-answer cases, every %ld of "
                "the others), %zu failures\n",
                codes.size(), cases_run.load(), always_stride, stride, all.size());
    std::string report;
    size_t shown = 0;
    for (const failure& f : all) {
        if (++shown > 60) {
            report += "... and " + std::to_string(all.size() - 60) + " more\n";
            break;
        }
        report += f.code + " [" + f.label + "]: " + f.what + "\n";
    }
    EXPECT_TRUE(all.empty()) << report;
}

}  // namespace
