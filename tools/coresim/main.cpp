// coresim: the simulated core daemon as a program.
//
//   coresim [--socket PATH] [--script FILE] [--journal FILE] [--no-defaults]
//
// Listens on PATH (default $NVR_ROOT/var/run/tqsocket) until SIGINT or
// SIGTERM, then removes the socket and exits 0.
#include "platform/nvr_env.h"
#include "tools/coresim/coresim.h"

#include <signal.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace {

void usage() {
    std::fprintf(stderr,
                 "usage: coresim [--socket PATH] [--script FILE] [--journal FILE] [--no-defaults]\n");
}

}  // namespace

int main(int argc, char** argv) {
    std::string socket_path = nvr_path("/var/run/tqsocket");
    std::string script_file, journal_file;
    bool defaults = true;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        bool ok = true;
        if (!std::strcmp(arg, "--socket"))
            ok = value(socket_path);
        else if (!std::strcmp(arg, "--script"))
            ok = value(script_file);
        else if (!std::strcmp(arg, "--journal"))
            ok = value(journal_file);
        else if (!std::strcmp(arg, "--no-defaults"))
            defaults = false;
        else
            ok = false;
        if (!ok) {
            usage();
            return 2;
        }
    }

    // Signals are taken by sigwait below; every thread inherits the mask.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGINT);
    sigaddset(&stop_signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    coresim_server server;
    server.keep_journal(false);
    server.use_defaults(defaults);
    if (!script_file.empty()) {
        std::ifstream in(script_file);
        std::stringstream text;
        text << in.rdbuf();
        std::string error;
        if (!in || !server.set_script(text.str(), &error)) {
            std::fprintf(stderr, "coresim: %s: %s\n", script_file.c_str(),
                         in ? error.c_str() : "cannot read");
            return 1;
        }
    }
    if (!journal_file.empty() && !server.set_journal_file(journal_file)) {
        std::fprintf(stderr, "coresim: cannot open journal %s\n", journal_file.c_str());
        return 1;
    }
    if (!server.start_at(socket_path, nvr_root())) {
        std::fprintf(stderr, "coresim: cannot listen on %s\n", socket_path.c_str());
        return 1;
    }
    std::fprintf(stderr, "coresim: listening on %s\n", socket_path.c_str());
    int sig = 0;
    sigwait(&stop_signals, &sig);
    server.stop();
    return 0;
}
