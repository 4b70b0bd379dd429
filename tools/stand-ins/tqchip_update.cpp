// Stand-in for the chip tool: keeps the 32-character chip information of the
// board in a text file of the root ("/etc/tqchip.txt"; the factory value
// while there is none).
//
//   tqchip_update -r N     prints "Read old:" and the first N characters
//   tqchip_update INFO     stores INFO (32 printable characters, no blanks)
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/nvr_env.h"

namespace {

const char info_file[] = "/etc/tqchip.txt";
const char factory_info[] = "TQNVR6400H01E0000001S00000000001";
constexpr size_t info_chars = 32;

std::string stored_info() {
    std::ifstream in(nvr_path(info_file));
    std::string line;
    if (!in || !std::getline(in, line) || line.empty()) return factory_info;
    return line;
}

bool info_ok(const char* info) {
    if (std::strlen(info) != info_chars) return false;
    for (const char* p = info; *p; ++p)
        if (static_cast<unsigned char>(*p) <= ' ' || static_cast<unsigned char>(*p) > '~') return false;
    return true;
}

int usage() {
    std::fprintf(stderr, "usage: tqchip_update -r COUNT | tqchip_update INFO (%zu characters)\n", info_chars);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "-r") == 0) {
        const long count = std::strtol(argv[2], nullptr, 10);
        if (count <= 0) return usage();
        std::string info = stored_info();
        if (info.size() > static_cast<size_t>(count)) info.resize(static_cast<size_t>(count));
        std::printf("Read old:%s\n", info.c_str());
        return 0;
    }
    if (argc != 2) return usage();
    if (!info_ok(argv[1])) {
        std::fprintf(stderr, "tqchip_update: the information must be %zu printable characters\n", info_chars);
        return 1;
    }
    mkdir(nvr_path("/etc").c_str(), 0755);
    std::ofstream out(nvr_path(info_file), std::ios::trunc);
    out << argv[1] << '\n';
    out.close();
    if (!out) {
        std::fprintf(stderr, "tqchip_update: cannot store the information\n");
        return 1;
    }
    std::printf("Write new:%s\n", argv[1]);
    return 0;
}
