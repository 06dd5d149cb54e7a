// Runs a program of the build tree as a child process with its standard
// streams on files, and small file helpers for the tests.
#pragma once
#include <string>
#include <vector>

struct ToolRun {
    int exitCode;     // -1 when it could not be started
    std::string out;  // standard output, as written
    std::string err;  // standard error, as written
};

// exe: a program beside the test program. stdinPath empty: an empty input.
ToolRun RunTool(const std::string &exe, const std::vector<std::string> &args,
                const std::string &stdinPath);

// A fresh file name with extension in a scratch directory beside the test
// program; the same names are used again by the next run.
std::string ScratchPath(const std::string &extension);

std::string ReadFileBytes(const std::string &path);
void WriteFileBytes(const std::string &path, const std::string &bytes);

// Lines of a text without their line ends; "\r\n" counts as "\n" (the
// Windows tree writes text files and consoles with CR LF).
std::vector<std::string> SplitLines(const std::string &text);
