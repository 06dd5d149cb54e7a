#include "picture_filter.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// "*.a;*.b|" for "a,b".
void AppendPatterns(std::string &out, const char *extensions) {
    std::string list = extensions ? extensions : "";
    size_t start = 0;
    bool any = false;
    while (start <= list.size()) {
        size_t comma = list.find(',', start);
        if (comma == std::string::npos) comma = list.size();
        if (comma > start) {
            out += "*." + list.substr(start, comma - start) + ";";
            any = true;
        }
        start = comma + 1;
    }
    if (any) out.back() = '|';
    else out += "|";
}

char *Finish(std::string &filter) {
    filter += '|';  // the closing empty pair: a double NUL
    char *block = static_cast<char *>(malloc(filter.size() + 1));
    if (!block) return nullptr;
    for (size_t i = 0; i < filter.size(); ++i) block[i] = filter[i] == '|' ? '\0' : filter[i];
    block[filter.size()] = '\0';
    return block;
}

const char *Text(const char *s) { return s ? s : ""; }

bool SameStart(const char *name, const char *other) { return name && std::strncmp(name, other, 3) == 0; }

// Formats that lose colour (or are plain text) at this depth.
bool SkipForDepth(const char *name, int depth) {
    switch (depth) {
    case 1: return SameStart(name, "PGM") || SameStart(name, "PPM");
    case 8: return SameStart(name, "PBM") || SameStart(name, "PPM");
    case 24: return SameStart(name, "PGM") || SameStart(name, "PBM");
    default: return false;
    }
}

}  // namespace

char *BuildReadFilter(const ImageFormatList &list, int *entries) {
    const int n = list.count();
    std::string all;
    for (int i = 0; i < n; ++i) {
        if (!list.supportsReading(i)) continue;
        all += Text(list.extensions(i));
        if (i == 0) all += ",wmf";
        all += ",";
    }
    std::string filter = "All graphics files|";
    AppendPatterns(filter, all.c_str());
    *entries = 1;
    for (int i = 0; i < n; ++i) {
        if (!list.supportsReading(i)) continue;
        filter += std::string(Text(list.description(i))) + " (" + Text(list.extensions(i)) + ")|";
        AppendPatterns(filter, list.extensions(i));
        ++*entries;
        if (i == 0) {
            filter += "Windows metafiles (emf)|*.emf|";
            ++*entries;
        }
    }
    filter += "All Files (*.*)|*.*|";
    return Finish(filter);
}

char *BuildWriteFilter(const ImageFormatList &list, int depth, int *entries) {
    std::string filter = "Uncompressed bitmap (bmp)|*.bmp|Windows metafile (wmf)|*.wmf|";
    *entries = 2;
    const int n = list.count();
    for (int i = 0; i < n; ++i) {
        if (!list.supportsExportBpp(i, depth) || SkipForDepth(list.name(i), depth)) continue;
        filter += std::string(Text(list.description(i))) + " (" + Text(list.extensions(i)) + ")|";
        AppendPatterns(filter, list.extensions(i));
        ++*entries;
    }
    return Finish(filter);
}

unsigned long FilterLength(const char *filter) {
    const char *p = filter;
    while (*p || p[1]) ++p;
    return static_cast<unsigned long>(p - filter) + 2;
}

static bool HasExtension(const char *name, const char *ext) {
    const char *dot = name ? std::strrchr(name, '.') : nullptr;
    if (!dot || std::strpbrk(dot, "\\/")) return false;
    for (++dot; *ext; ++dot, ++ext)
        if (std::tolower(static_cast<unsigned char>(*dot)) != *ext) return false;
    return *dot == '\0';
}

static bool HasAnyExtension(const char *name) {
    const char *dot = name ? std::strrchr(name, '.') : nullptr;
    return dot && dot[1] && !std::strpbrk(dot, "\\/");
}

PictureChoice ChoosePictureFormat(const char *name, int filterIndex, bool save, bool libraryLoaded) {
    if (HasExtension(name, "wmf") || HasExtension(name, "emf")) return kPictureMetafile;
    if (HasExtension(name, "bmp") && (!libraryLoaded || save)) return kPictureBmp;
    if (libraryLoaded && HasAnyExtension(name)) return kPictureLibrary;
    // The pairs: 1 bitmaps, 2 metafiles; with the library on reading, 3 all
    // its graphics, 4 its first format, 5 enhanced metafiles.
    if (filterIndex <= 1) return kPictureBmp;
    if (filterIndex == 2) return kPictureMetafile;
    if (!save && libraryLoaded && filterIndex == 5) return kPictureMetafile;
    return libraryLoaded ? kPictureLibrary : kPictureBmp;
}
