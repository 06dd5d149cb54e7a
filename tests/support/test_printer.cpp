#include "test_printer.h"

#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <utility>

namespace {

constexpr char kGhostscript[] = "Z:\\usr\\bin\\gs";
constexpr char kShell[] = "Z:\\bin\\sh";

}  // namespace

bool GhostscriptInstalled() { return GetFileAttributesA(kGhostscript) != INVALID_FILE_ATTRIBUTES; }

std::string UnixPath(const char *dosPath) {
    typedef char *(CDECL * ToUnix)(const WCHAR *);
    static ToUnix toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) return "";
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, dosPath, -1, wide, MAX_PATH);
    char *unixName = toUnix(wide);
    if (!unixName) return "";
    std::string result = unixName;
    HeapFree(GetProcessHeap(), 0, unixName);
    return result;
}

std::string ReadWholeFile(const char *path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Installs the PostScript driver with the test PPD and a printer whose port
// is kPortFile, and makes it the default. Once per prefix; false when the
// spooler refused.
bool InstallTestPrinter(const char *sourceDir) {
    CreateDirectoryA(kPrintFolder, nullptr);
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    std::string drivers = std::string(system) + "\\spool";
    CreateDirectoryA(drivers.c_str(), nullptr);
    for (const char *part : {"\\drivers", "\\w32x86", "\\3"}) {
        drivers += part;
        CreateDirectoryA(drivers.c_str(), nullptr);
    }
    const std::string ppd = std::string(sourceDir) + "/tests/data/test-printer.ppd";
    std::string dosPpd = "Z:" + ppd;
    std::replace(dosPpd.begin(), dosPpd.end(), '/', '\\');
    CopyFileA(dosPpd.c_str(), (drivers + "\\generic.ppd").c_str(), FALSE);
    DRIVER_INFO_3A driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<char *>("VR Test PS");
    driver.pDriverPath = const_cast<char *>("wineps.drv");
    driver.pDataFile = const_cast<char *>("generic.ppd");
    driver.pConfigFile = const_cast<char *>("wineps.drv");
    AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE *>(&driver));
    PRINTER_INFO_2A info = {};
    info.pPrinterName = const_cast<char *>(kPrinterName);
    info.pPortName = const_cast<char *>(kPortFile);
    info.pDriverName = const_cast<char *>("VR Test PS");
    info.pPrintProcessor = const_cast<char *>("WinPrint");
    info.pDatatype = const_cast<char *>("RAW");
    HANDLE printer = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE *>(&info));
    if (printer) ClosePrinter(printer);
    else if (GetLastError() != ERROR_PRINTER_ALREADY_EXISTS) return false;
    return SetDefaultPrinterA(kPrinterName) != 0;
}

// Waits until path exists and its size has stopped changing: the spooler
// and Ghostscript (a Unix process Wine does not wait for) finish on their
// own time.
bool WaitForFile(const char *path, DWORD timeout) {
    const DWORD start = GetTickCount();
    LONGLONG last = -1;
    int steady = 0;
    while (GetTickCount() - start < timeout) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (GetFileAttributesExA(path, GetFileExInfoStandard, &data)) {
            const LONGLONG size = (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
            steady = size > 0 && size == last ? steady + 1 : 0;
            if (steady >= 5) return true;
            last = size;
        }
        Sleep(100);
    }
    return false;
}

// Runs Ghostscript with Unix arguments and waits for it to end. Wine starts
// a Unix program without waiting for it and without its exit code, so a
// script runs it and then writes a mark; false when no mark came.
static bool RunGhostscript(const std::string &arguments) {
    const std::string script = std::string(kPrintFolder) + "\\gs.sh";
    const std::string mark = std::string(kPrintFolder) + "\\gs.done";
    DeleteFileA(mark.c_str());
    {
        std::ofstream out(script.c_str(), std::ios::binary);
        out << "gs -q -dSAFER -dBATCH -dNOPAUSE " << arguments << " >/dev/null 2>&1\n"
            << "touch '" << UnixPath(mark.c_str()) << "'\n";
    }
    std::string line = std::string(kShell) + " " + UnixPath(script.c_str());
    std::vector<char> text(line.begin(), line.end());
    text.push_back(0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, text.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    for (const DWORD start = GetTickCount(); GetTickCount() - start < 120000; Sleep(50))
        if (GetFileAttributesA(mark.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    return false;
}

bool Image::Ink(int x, int y) const {
    const unsigned char *p = at(x, y);
    return p[0] < 250 || p[1] < 250 || p[2] < 250;
}

int Image::Count() const {
    int n = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) n += Ink(x, y);
    return n;
}

RECT Image::Box() const {
    RECT r = {width, height, -1, -1};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (Ink(x, y)) {
                r.left = std::min<LONG>(r.left, x);
                r.top = std::min<LONG>(r.top, y);
                r.right = std::max<LONG>(r.right, x);
                r.bottom = std::max<LONG>(r.bottom, y);
            }
    return r;
}

// Renders a PostScript or EPS file (DOS path) at dpi into an image.
Image Render(const char *file, double dpi, bool eps) {
    Image image;
    const std::string ppm = std::string(kPrintFolder) + "\\render.ppm";
    DeleteFileA(ppm.c_str());
    char arguments[1024];
    std::snprintf(arguments, sizeof arguments, "%s-sDEVICE=ppmraw -r%g -sOutputFile=%s %s", eps ? "-dEPSCrop " : "",
                  dpi, UnixPath(ppm.c_str()).c_str(), UnixPath(file).c_str());
    if (!WaitForFile(file) || !RunGhostscript(arguments)) return image;
    const std::string data = ReadWholeFile(ppm.c_str());
    std::istringstream in(data);
    std::string magic;
    int maxValue = 0;
    in >> magic;
    // Ghostscript puts a comment line after the magic.
    while (in >> std::ws && in.peek() == '#') in.ignore(1 << 20, '\n');
    in >> image.width >> image.height >> maxValue;
    in.get();
    if (magic != "P6" || image.width <= 0 || image.height <= 0) return Image{};
    image.rgb.resize(static_cast<size_t>(image.width) * image.height * 3);
    in.read(reinterpret_cast<char *>(image.rgb.data()), static_cast<std::streamsize>(image.rgb.size()));
    return image;
}

// The text Ghostscript finds in a PostScript file.
std::string ExtractText(const char *file) {
    const std::string out = std::string(kPrintFolder) + "\\text.txt";
    DeleteFileA(out.c_str());
    if (!WaitForFile(file)) return "";
    RunGhostscript("-sDEVICE=txtwrite -sOutputFile=" + UnixPath(out.c_str()) + " " + UnixPath(file));
    std::string text = ReadWholeFile(out.c_str());
    // The printer's font names its blank and its hyphen so that they come
    // out as UTF-8 no-break space and soft hyphen.
    for (const auto &swap : {std::make_pair(std::string("\xC2\xA0"), ' '), std::make_pair(std::string("\xC2\xAD"), '-')})
        for (size_t at = text.find(swap.first); at != std::string::npos; at = text.find(swap.first, at))
            text.replace(at, swap.first.size(), 1, swap.second);
    return text;
}

