// The main program's command line: one optional switch and a problem file.
// Portable, so that the rules are tested apart from the program.
#pragma once

struct CommandLine {
    int runAtStart;      // "/r": solve after every successful load
    int exitAfterRun;    // "/x": solve, then end the program
    int printMode;       // "/p", "/pt": print the problem text and end
    int startedByRecovery;  // "/g": a crash-recovery copy
    int deleteAfterLoad;    // "/g": the copy goes once it is loaded
    const char *file;    // the problem file, "" when none
    const char *printerDevice, *printerDriver, *printerPort;  // "/pt"
};

// Reads argv[1..argc-1] as start-up does: switches are compared on their
// first two characters ("/pt" on three), lower case only, and count only
// with the number of arguments that goes with them; anything else makes the
// first argument the file. The strings stay argv's. A print mode without a
// file is cleared.
CommandLine ParseCommandLine(int argc, char **argv);
