// A PostScript printer in the test prefix whose port is a file, and
// Ghostscript (the Unix program, started from the Wine side) to render what
// was printed, so that tests compare pictures and texts, not bytes.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

constexpr char kPrinterName[] = "VR Test Printer";
constexpr char kPrintFolder[] = "C:\\vr-print";
constexpr char kPortFile[] = "C:\\vr-print\\out.ps";

// Installs the PostScript driver with tests/data/test-printer.ppd of the
// source tree and the printer, and makes it the default. Once per prefix;
// false when the spooler refused.
bool InstallTestPrinter(const char *sourceDir);
bool GhostscriptInstalled();

std::string UnixPath(const char *dosPath);
std::string ReadWholeFile(const char *path);
// Waits until path exists and its size has stopped changing.
bool WaitForFile(const char *path, DWORD timeout = 60000);

struct Image {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;  // red, green, blue; top row first
    const unsigned char *at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
    bool Ink(int x, int y) const;
    int Count() const;  // pixels that are not white
    RECT Box() const;   // their bounding box (inclusive)
};

// Renders a PostScript or EPS file (DOS path) at dpi; empty on failure.
Image Render(const char *file, double dpi, bool eps);
// The text Ghostscript finds in a PostScript file.
std::string ExtractText(const char *file);
