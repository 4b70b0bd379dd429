// nvrdb: a small administration tool for the configuration database of a run
// root (NVR_ROOT), used by the local server's set-up and by hand.
//
//   nvrdb init                 create the database with its factory defaults
//   nvrdb get KEY [DEFAULT]    print a parameter
//   nvrdb set KEY VALUE        store a parameter
#include "platform/tqdb/tqdb.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "init") == 0) {
        // Any read creates the schema and the factory rows of a new file.
        if (check_param_key(TQDB_FILE, "max_cameras") != 0) {
            std::fprintf(stderr, "nvrdb: cannot create the database\n");
            return 1;
        }
        return 0;
    }
    if (argc >= 3 && std::strcmp(argv[1], "get") == 0) {
        char value[1024];
        get_param_value(TQDB_FILE, argv[2], value, sizeof value, argc >= 4 ? argv[3] : "");
        std::printf("%s\n", value);
        return 0;
    }
    if (argc >= 4 && std::strcmp(argv[1], "set") == 0) return set_param_value(TQDB_FILE, argv[2], argv[3]) == 0 ? 0 : 1;
    std::fprintf(stderr, "usage: nvrdb init | get KEY [DEFAULT] | set KEY VALUE\n");
    return 2;
}
