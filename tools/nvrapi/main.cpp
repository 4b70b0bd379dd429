// nvrapi: the request registry as a reference.
//
//   nvrapi --json       every code as JSON, grouped by module
//   nvrapi --markdown   the same as one Markdown document (docs/api.md)
//
// It links every handler module, so the registry it walks is the one webreq
// dispatches with; it never handles a request.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/nvrapi/reference.h"

int main(int argc, char** argv) {
    if (argc != 2 || (std::strcmp(argv[1], "--json") != 0 && std::strcmp(argv[1], "--markdown") != 0)) {
        std::fprintf(stderr, "usage: nvrapi --json | --markdown\n");
        return 2;
    }
    const std::vector<api_module> modules = api_registry();
    const std::string text = std::strcmp(argv[1], "--json") == 0 ? api_json(modules) : api_markdown(modules);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
