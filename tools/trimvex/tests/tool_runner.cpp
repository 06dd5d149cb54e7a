#include "tool_runner.h"

#include <cstdio>

#ifdef _WIN32
#include <direct.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
extern char **environ;
#endif

namespace {

// The directory of the running test program, with a trailing separator:
// the programs under test sit beside it, whatever the current directory.
std::string ProgramDirectory() {
    static std::string dir;
    if (dir.empty()) {
        char path[4096] = {};
#ifdef _WIN32
        GetModuleFileNameA(nullptr, path, sizeof path - 1);
#else
        if (readlink("/proc/self/exe", path, sizeof path - 1) < 0) path[0] = 0;
#endif
        dir = path;
        dir.erase(dir.find_last_of("/\\") + 1);
    }
    return dir;
}

#ifdef _WIN32
// The quoting that the C runtime's argument parser undoes.
std::string QuoteArgument(const std::string &arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') quoted.append(2 * backslashes + 1, '\\');
        else quoted.append(backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, '\\');
    return quoted + "\"";
}

HANDLE OpenInherited(const std::string &path, bool write) {
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    return CreateFileA(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ, &sa,
                       write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

int Spawn(const std::string &exe, const std::vector<std::string> &args, const std::string &in,
          const std::string &out, const std::string &err) {
    std::string line = QuoteArgument(ProgramDirectory() + exe);
    for (const std::string &a : args) line += " " + QuoteArgument(a);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = OpenInherited(in, false);
    si.hStdOutput = OpenInherited(out, true);
    si.hStdError = OpenInherited(err, true);
    PROCESS_INFORMATION pi = {};
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back(0);
    int code = -1;
    if (CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD exitCode = 0;
        if (GetExitCodeProcess(pi.hProcess, &exitCode)) code = static_cast<int>(exitCode);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    CloseHandle(si.hStdInput);
    CloseHandle(si.hStdOutput);
    CloseHandle(si.hStdError);
    return code;
}
#else
int Spawn(const std::string &exe, const std::vector<std::string> &args, const std::string &in,
          const std::string &out, const std::string &err) {
    const std::string path = ProgramDirectory() + exe;
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(path.c_str()));
    for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid;
    int code = -1;
    if (posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) code = WEXITSTATUS(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    return code;
}
#endif

}  // namespace

std::string ScratchPath(const std::string &extension) {
    static int serial;
    const std::string dir = ProgramDirectory() + "scratch";
    if (serial == 0) {
#ifdef _WIN32
        _mkdir(dir.c_str());
#else
        mkdir(dir.c_str(), 0755);
#endif
    }
    return dir + "/" + std::to_string(++serial) + extension;
}

std::string ReadFileBytes(const std::string &path) {
    std::string bytes;
    if (FILE *f = fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
        fclose(f);
    }
    return bytes;
}

void WriteFileBytes(const std::string &path, const std::string &bytes) {
    if (FILE *f = fopen(path.c_str(), "wb")) {
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
}

ToolRun RunTool(const std::string &exe, const std::vector<std::string> &args,
                const std::string &stdinPath) {
    std::string in = stdinPath;
    if (in.empty()) {
        in = ScratchPath(".in");
        WriteFileBytes(in, "");
    }
    const std::string out = ScratchPath(".out"), err = ScratchPath(".err");
    ToolRun run;
    run.exitCode = Spawn(exe, args, in, out, err);
    run.out = ReadFileBytes(out);
    run.err = ReadFileBytes(err);
    return run;
}

std::vector<std::string> SplitLines(const std::string &text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t nl = text.find('\n', start);
        if (nl == std::string::npos) nl = text.size();
        size_t end = nl;
        if (end > start && text[end - 1] == '\r') --end;
        lines.push_back(text.substr(start, end - start));
        start = nl + 1;
    }
    return lines;
}
