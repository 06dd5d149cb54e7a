// The settings files' values: the input is a settings file (sections,
// "key = value" lines) that a store like the system's profile calls serves
// as both files. Every option, recent problem, toolbar layout and macro is
// read from it, written into a fresh store and read back: the values must
// come back the same, and every text must fit its buffer.
#include <cctype>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "fuzz_target.h"
#include "platform_recorder.h"
#include "settings.h"
#include "settings_store.h"

namespace {

std::string Lower(std::string s) {
    for (char &c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A settings file as the profile calls see it: names without regard to
// case, blanks around names and values dropped, one pair of matching
// quotes taken off a value when it is read.
struct Ini {
    std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> sections;

    std::vector<std::pair<std::string, std::string>> *Find(const std::string &name, bool make) {
        for (auto &s : sections)
            if (Lower(s.first) == Lower(name)) return &s.second;
        if (!make) return nullptr;
        sections.push_back({name, {}});
        return &sections.back().second;
    }
    void Set(const std::string &section, const std::string &key, const std::string &value) {
        auto *keys = Find(section, true);
        for (auto &k : *keys)
            if (Lower(k.first) == Lower(key)) {
                k.second = value;
                return;
            }
        keys->push_back({key, value});
    }
    const std::string *Get(const std::string &section, const std::string &key) {
        auto *keys = Find(section, false);
        if (keys)
            for (auto &k : *keys)
                if (Lower(k.first) == Lower(key)) return &k.second;
        return nullptr;
    }
};

Ini gIni;

bool Blank(char c) { return std::isspace(static_cast<unsigned char>(c)) || c == 0x1A; }

std::string Trim(const std::string &s) {
    size_t a = 0, b = s.size();
    while (a < b && Blank(s[a])) ++a;
    while (b > a && Blank(s[b - 1])) --b;
    return s.substr(a, b - a);
}

void Load(const std::string &text) {
    gIni = Ini{};
    std::string section;
    size_t at = 0;
    while (at < text.size()) {
        size_t eol = text.find_first_of("\r\n", at);
        if (eol == std::string::npos) eol = text.size();
        const std::string line = Trim(std::string(text.c_str() + at, eol - at).c_str());
        at = eol + 1;
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            const size_t close = line.find(']');
            section = Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos || eq == 0) continue;
        gIni.Set(section, Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
    }
}

int Copy(const std::string &value, char *buffer, int size) {
    if (size <= 0) return 0;
    const size_t n = std::min(value.size(), static_cast<size_t>(size - 1));
    std::memcpy(buffer, value.data(), n);
    buffer[n] = 0;
    return static_cast<int>(n);
}

int ReadString(const char *, const char *section, const char *key, const char *def, char *buffer, int size) {
    const std::string *stored = gIni.Get(section, key);
    if (!stored) return Copy(def, buffer, size);
    std::string v = *stored;
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) v = v.substr(1, v.size() - 2);
    return Copy(v.c_str(), buffer, size);
}

int ReadKeys(const char *, const char *section, char *buffer, int size) {
    std::string list;
    if (auto *keys = gIni.Find(section, false))
        for (auto &k : *keys) list += k.first + '\0';
    if (static_cast<int>(list.size()) > size - 2) {
        std::memcpy(buffer, list.data(), size - 2);
        buffer[size - 2] = buffer[size - 1] = 0;
        return size - 2;
    }
    std::memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = buffer[list.size() + 1] = 0;
    return static_cast<int>(list.size());
}

void WriteString(const char *, const char *section, const char *key, const char *text) {
    if (!key || !text) std::abort();  // the readers never delete
    gIni.Set(section, key, Trim(text));
}

const SettingsStore kStore = {ReadString, ReadKeys, WriteString};

// Every value the readers fill, as text.
std::string Snapshot(bool writtenOnly) {
    std::string s;
    for (int i = 0; i < kOptionCount; ++i) {
        const OptionEntry &e = kOptionTable[i];
        if (writtenOnly && (e.flags & kOptionNotWritten)) continue;
        if (e.text) {
            FuzzCheck(std::strlen(e.text) < static_cast<size_t>(e.textSize));
            s += std::string(e.text) + '\n';
        } else {
            s += std::to_string(*e.value) + '\n';
        }
    }
    FuzzCheck(gRecentProblemCount >= 0 && gRecentProblemCount <= kRecentProblemMax);
    for (int i = 0; i < kRecentProblemMax; ++i) {
        FuzzCheck(std::strlen(gRecentProblems[i]) < kRecentPathSize);
        FuzzCheck((i < gRecentProblemCount) == (gRecentProblems[i][0] != 0));
        s += std::string(gRecentProblems[i]) + '\n';
    }
    for (auto &t : gToolbarLayouts) {
        FuzzCheck(std::strlen(t) < kToolbarLayoutSize);
        s += std::string(t) + '\n';
    }
    for (auto &m : gEscapeMacros) {
        FuzzCheck(std::strlen(m.text) < kEscapeMacroTextSize);
        s += std::string(m.text) + '\n';
    }
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static std::vector<EscapeMacro> defaults;
    if (defaults.empty()) {
        std::strcpy(gSettingsLocations.file[0], "user.ini");
        std::strcpy(gSettingsLocations.file[1], "shared.ini");
        std::strcpy(gSettingsLocations.programFolder, "C:\\Program Files\\Vantorel\\");
        defaults.assign(std::begin(gEscapeMacros), std::end(gEscapeMacros));
    }
    std::copy(defaults.begin(), defaults.end(), gEscapeMacros);
    gRecorder.Reset();
    Load(std::string(reinterpret_cast<const char *>(data), size));
    StoreReadOptions(kStore);
    StoreReadCheckPrevious(kStore);
    StoreReadDcAndFpu(kStore);
    const std::string read = Snapshot(true);
    for (const char *k = StoreEnumKeys(kStore, "Options", 0, kSettingsUser); *k;
         k = StoreEnumKeys(kStore, "Options", 1, kSettingsUser))
        FuzzCheck(gIni.Get("Options", k) != nullptr);
    // The lists of the shared file as stroke fonts and plotter drivers read
    // them: each name of the section, then its value (a ":" path resolved).
    for (const char *section : {"Font files", "Plotter drivers"}) {
        static char path[20480];
        int listed = 0;
        for (const char *k = StoreEnumKeys(kStore, section, 0, kSettingsShared); *k && listed < 64;
             k = StoreEnumKeys(kStore, section, 1, kSettingsShared), ++listed) {
            const int n = StoreReadString(kStore, section, k, "", path, sizeof path, kSettingsShared, true);
            FuzzCheck(n >= 0 && static_cast<size_t>(n) == std::strlen(path));
        }
    }

    gIni = Ini{};
    StoreWriteOptions(kStore);
    StoreWriteRecentProblems(kStore);
    StoreWriteToolbarLayouts(kStore);
    StoreWriteEscapeSequences(kStore);
    gRecorder.Reset();
    StoreReadOptions(kStore);
    const std::string again = Snapshot(true);
    if (again != read) std::fprintf(stderr, "read:\n%s\nagain:\n%s\n", read.c_str(), again.c_str());
    FuzzCheck(again == read);
    FuzzCheck(gRecorder.boxes.empty());
    return 0;
}
