#include "command_line.h"

#include <cstring>

namespace {

bool Starts(const char *arg, const char *sw) { return std::strncmp(arg, sw, std::strlen(sw)) == 0; }

}  // namespace

CommandLine ParseCommandLine(int argc, char **argv) {
    CommandLine c{};
    c.file = "";
    c.printerDevice = c.printerDriver = c.printerPort = "";
    if (argc < 2) return c;
    const char *first = argv[1];
    // The order of the tests matters: "/pt" with three arguments is "/p".
    if (argc == 2 && Starts(first, "/r")) {
        c.runAtStart = 1;
    } else if (argc == 3 && Starts(first, "/r")) {
        c.runAtStart = 1;
        c.file = argv[2];
    } else if (argc == 3 && Starts(first, "/x")) {
        c.exitAfterRun = 1;
        c.file = argv[2];
    } else if (argc == 3 && Starts(first, "/p")) {
        c.printMode = 1;
        c.file = argv[2];
    } else if (argc == 6 && Starts(first, "/pt")) {
        c.printMode = 1;
        c.file = argv[2];
        c.printerDevice = argv[3];
        c.printerDriver = argv[4];
        c.printerPort = argv[5];
    } else if (argc == 3 && Starts(first, "/g")) {
        c.startedByRecovery = 1;
        c.deleteAfterLoad = 1;
        c.file = argv[2];
    } else {
        c.file = first;
    }
    if (!*c.file) c.printMode = 0;
    return c;
}
