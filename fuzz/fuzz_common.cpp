#include "fuzz/fuzz_common.h"

#include <dirent.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

const std::string& fuzz_root() {
    static const std::string root = [] {
        char tmpl[] = "/tmp/nvrfuzz.XXXXXX";
        if (!mkdtemp(tmpl)) std::abort();
        std::string r = tmpl;
        for (const char* dir : {"/mnt", "/mnt/nand", "/mnt/nand/app", "/mnt/nand2", "/tmp", "/var",
                                "/var/run", "/dev", "/dev/shm", "/opt", "/opt/app", "/opt/app/www",
                                "/opt/app/www/webfile", "/opt/app/www/webfile/json", "/mnt/nand/ssl"})
            mkdir((r + dir).c_str(), 0755);
        setenv("NVR_ROOT", r.c_str(), 1);
        return r;
    }();
    return root;
}

int fuzz_fd(const uint8_t* data, size_t size) {
    int fd = memfd_create("fuzz-input", MFD_CLOEXEC);
    if (fd < 0) std::abort();
    for (size_t done = 0; done < size;) {
        ssize_t w = write(fd, data + done, size - done);
        if (w <= 0) std::abort();
        done += static_cast<size_t>(w);
    }
    lseek(fd, 0, SEEK_SET);
    return fd;
}

size_t fuzz_count_files(const std::string& device_dir) {
    size_t n = 0;
    if (DIR* d = opendir((fuzz_root() + device_dir).c_str())) {
        while (dirent* e = readdir(d))
            if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, "..")) ++n;
        closedir(d);
    }
    return n;
}

void fuzz_fail(const char* file, int line, const char* what) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
    std::abort();
}
