// The command lines of the main program and of Trimvex: the first byte
// picks the program, the lines after it are the arguments. The main
// program's parse must give strings of argv (or "") that fit its rules;
// Trimvex runs whole, its /I and /O files redirected into a scratch folder
// (input: the fuzzer's last argument as data), so that no other file is
// touched.
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "command_line.h"
#include "fuzz_target.h"
#include "pointdata.h"
#include "trimvex.h"

namespace {

std::string gFolder;

// The scratch folder goes at exit, with whatever Trimvex wrote into it.
void RemoveScratch() {
    for (const char *name : {"/in", "/out"})
        for (const char *ext : {".txt", ".single", ".double"}) std::remove((gFolder + name + ext).c_str());
    rmdir(gFolder.c_str());
}

bool FromArgv(const char *s, char **argv, int argc) {
    if (s[0] == 0) return true;
    for (int i = 0; i < argc; ++i)
        if (s == argv[i]) return true;
    return false;
}

void MainProgram(std::vector<char *> &argv) {
    const int argc = static_cast<int>(argv.size());
    const CommandLine c = ParseCommandLine(argc, argv.data());
    FuzzCheck(c.file && c.printerDevice && c.printerDriver && c.printerPort);
    FuzzCheck(FromArgv(c.file, argv.data(), argc) && FromArgv(c.printerDevice, argv.data(), argc));
    FuzzCheck(c.runAtStart + c.exitAfterRun + c.printMode + c.startedByRecovery <= 1);
    FuzzCheck(!c.printMode || c.file[0]);
    FuzzCheck(c.deleteAfterLoad == c.startedByRecovery);
    FuzzCheck(argc > 1 || (!c.file[0] && !c.runAtStart));
}

// A scratch name of the same kind as the one typed.
std::string Scratch(const char *typed, const char *base) {
    static const char *const kExtension[] = {".txt", ".single", ".double"};
    const int kind = GetDataFileKind(typed);
    return std::string(base) + kExtension[kind >= 0 && kind <= 2 ? kind : 0];
}

void Trimvex(std::vector<std::string> &args, const std::string &input) {
    std::string &folder = gFolder;
    if (folder.empty()) {
        char pattern[] = "/tmp/vr_fuzz_trimvexXXXXXX";
        if (!mkdtemp(pattern)) std::abort();
        folder = pattern;
        std::atexit(RemoveScratch);
        // Standard input and output stand for the console.
        if (!std::freopen("/dev/null", "rb", stdin) || !std::freopen("/dev/null", "wb", stdout)) std::abort();
    }
    const std::string in = folder + "/in", out = folder + "/out";
    for (size_t i = 1; i < args.size(); ++i) {
        std::string &a = args[i];
        if (a.size() < 2 || (a[0] != '/' && a[0] != '-')) continue;
        const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(a[1])));
        if (letter != 'i' && letter != 'o') continue;
        const char *base = letter == 'i' ? in.c_str() : out.c_str();
        if (a.size() > 2)
            a = a.substr(0, 2) + Scratch(a.c_str() + 2, base);
        else if (i + 1 < args.size())
            args[i + 1] = Scratch(args[i + 1].c_str(), base), ++i;
    }
    for (const char *ext : {".txt", ".single", ".double"}) {
        FILE *f = std::fopen((in + ext).c_str(), "wb");
        if (!f) std::abort();
        std::fwrite(input.data(), 1, input.size(), f);
        std::fclose(f);
    }
    std::vector<char *> argv;
    for (std::string &a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    const int code = RunTrimvex(static_cast<int>(args.size()), argv.data());
    FuzzCheck(code == kTrimOk || code == kTrimBadOption || code == kTrimInputFile || code == kTrimOutputFile ||
              code == kTrimBadNumber || code == kTrimFormat || code == kTrimNoMemory);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    std::vector<std::string> args{"program"};
    std::string rest(reinterpret_cast<const char *>(data + 1), size - 1);
    for (size_t eol; (eol = rest.find('\n')) != std::string::npos && args.size() < 16;) {
        args.push_back(rest.substr(0, eol));
        rest.erase(0, eol + 1);
    }
    if (data[0] & 1) {
        Trimvex(args, rest);
    } else {
        args.push_back(rest);
        for (std::string &a : args) a = a.c_str();  // as argv holds them
        std::vector<char *> argv;
        for (std::string &a : args) argv.push_back(&a[0]);
        MainProgram(argv);
    }
    return 0;
}
