// The command line of the main program: which switch counts with how many
// arguments, and what becomes the file.
#include "command_line.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

CommandLine Parse(std::vector<std::string> args) {
    static std::vector<std::string> keep;
    keep = args;
    keep.insert(keep.begin(), "Vantorel.exe");
    static std::vector<char *> argv;
    argv.clear();
    for (std::string &a : keep) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    return ParseCommandLine(static_cast<int>(keep.size()), argv.data());
}

struct Case {
    std::vector<std::string> args;
    int run, exit, print, recovery;
    const char *file;
};

TEST(CommandLineTest, SwitchesCountOnlyWithTheirNumberOfArguments) {
    const Case cases[] = {
        {{}, 0, 0, 0, 0, ""},
        {{"/r"}, 1, 0, 0, 0, ""},
        {{"/r", "a.vr"}, 1, 0, 0, 0, "a.vr"},
        {{"/run", "a.vr"}, 1, 0, 0, 0, "a.vr"},  // two characters decide
        {{"/x", "a.vr"}, 0, 1, 0, 0, "a.vr"},
        {{"/p", "a.vr"}, 0, 0, 1, 0, "a.vr"},
        {{"/pt", "a.vr"}, 0, 0, 1, 0, "a.vr"},  // three arguments: as "/p"
        {{"/pt", "a.vr", "dev", "drv", "port"}, 0, 0, 1, 0, "a.vr"},
        {{"/g", "C:\\Temp dir\\VRG1.tmp"}, 0, 0, 0, 1, "C:\\Temp dir\\VRG1.tmp"},
        {{"/R", "a.vr"}, 0, 0, 0, 0, "/R"},  // upper case is no switch
        {{"/R"}, 0, 0, 0, 0, "/R"},
        {{"a.vr"}, 0, 0, 0, 0, "a.vr"},
        {{"/x"}, 0, 0, 0, 0, "/x"},          // a switch without its file is a file
        {{"/pt", "a.vr", "dev"}, 0, 0, 0, 0, "/pt"},  // four arguments fit no rule
        {{"/p", ""}, 0, 0, 0, 0, ""},        // printing nothing is no print mode
    };
    for (const Case &c : cases) {
        const CommandLine l = Parse(c.args);
        std::string label = c.args.empty() ? "(none)" : c.args[0] + " ... (" + std::to_string(c.args.size()) + ")";
        EXPECT_EQ(l.runAtStart, c.run) << label;
        EXPECT_EQ(l.exitAfterRun, c.exit) << label;
        EXPECT_EQ(l.printMode, c.print) << label;
        EXPECT_EQ(l.startedByRecovery, c.recovery) << label;
        EXPECT_EQ(l.deleteAfterLoad, c.recovery) << label;
        EXPECT_STREQ(l.file, c.file) << label;
    }
}

TEST(CommandLineTest, PrinterArgumentsOnlyWithTheFullPrintSwitch) {
    CommandLine l = Parse({"/pt", "a.vr", "HP", "winspool", "LPT1:"});
    EXPECT_STREQ(l.printerDevice, "HP");
    EXPECT_STREQ(l.printerDriver, "winspool");
    EXPECT_STREQ(l.printerPort, "LPT1:");
    l = Parse({"/pt", "a.vr"});
    EXPECT_STREQ(l.printerDevice, "");
}

}  // namespace
