// The registry of default replies: the tables of the defaults_<module>.cpp
// files, and the generic answer most rows use.
#include "tools/coresim/coresim.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

extern char** environ;

namespace coresim {

namespace {

struct table_ref {
    const char* module;
    const default_reply* rows;
    size_t count;
};

// Filled by static constructors of other files: a function-local object is
// built on first use, whatever the order of those constructors.
std::vector<table_ref>& tables() {
    static std::vector<table_ref> list;
    return list;
}

}  // namespace

default_table::default_table(const char* module, const default_reply* rows, size_t count) {
    tables().push_back({module, rows, count});
}

const default_reply* find_default(int32_t request_id) {
    for (const table_ref& t : tables())
        for (size_t i = 0; i < t.count; ++i)
            if (t.rows[i].request_id == request_id) return &t.rows[i];
    return nullptr;
}

std::vector<int32_t> default_conflicts() {
    std::vector<int32_t> ids, twice;
    for (const table_ref& t : tables())
        for (size_t i = 0; i < t.count; ++i) ids.push_back(t.rows[i].request_id);
    std::sort(ids.begin(), ids.end());
    for (size_t i = 1; i < ids.size(); ++i)
        if (ids[i] == ids[i - 1] && (twice.empty() || twice.back() != ids[i])) twice.push_back(ids[i]);
    return twice;
}

std::vector<default_reply> default_rows() {
    std::vector<default_reply> rows;
    for (const table_ref& t : tables()) rows.insert(rows.end(), t.rows, t.rows + t.count);
    return rows;
}

void generic_reply(const default_reply& row, const request_view& req, std::vector<out_msg>& out) {
    if (row.reply_size < 0) return;
    out_msg msg;
    msg.id = row.reply_id ? row.reply_id : req.id + 5000;
    const size_t size = static_cast<size_t>(row.reply_size);
    msg.payload.assign(size * row.count, 0);
    const bool echo = row.channel_at >= 0 && req.size >= 4 &&
                      static_cast<size_t>(row.channel_at) + 4 <= size;
    for (uint32_t i = 0; echo && i < row.count; ++i)
        std::memcpy(msg.payload.data() + i * size + row.channel_at, req.data, 4);
    out.push_back(std::move(msg));
}

void add_message(std::vector<out_msg>& out, int32_t id, const void* data, size_t size) {
    out_msg msg;
    msg.id = id;
    const auto* bytes = static_cast<const uint8_t*>(data);
    msg.payload.assign(bytes, bytes + size);
    out.push_back(std::move(msg));
}

void default_answer(const request_view& req, std::vector<out_msg>& out) {
    const default_reply* row = find_default(req.id);
    if (!row) return;
    if (row->build)
        row->build(req, out);
    else
        generic_reply(*row, req, out);
}

bool run_program(const std::vector<std::string>& args, std::string* out) {
    if (args.empty()) return false;
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int pipe_fd[2];
    if (pipe2(pipe_fd, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipe_fd[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid;
    int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipe_fd[1]);
    char buf[4096];
    ssize_t n;
    while ((n = read(pipe_fd[0], buf, sizeof buf)) > 0)
        if (out) out->append(buf, static_cast<size_t>(n));
    close(pipe_fd[0]);
    if (rc != 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace coresim
