#include "graphics_host.h"
#include "plotter.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

#include "graph_pipeline.h"
#include "memory.h"
#include "messages.h"
#include "platform.h"
#include "string_ids.h"

int gPlotterOutputOn;

namespace {

PlotterDriver *Current() { return gCurrentGraph ? &gCurrentGraph->plotter : nullptr; }

void ShowOpenError(int error) {
    char caption[kMessageBufferSize];
    std::snprintf(caption, sizeof caption, "%s", LoadTextResource(IDS_ERROR_CAPTION));
    ShowMessageBox(std::strerror(error), caption, kMbOkCancel | kMbIconError);
}




// ---- Reading a description

class DriverReader {
public:
    DriverReader(std::FILE *file, int *line) : file_(file), line_(line) { *line_ = 0; }

    // The next line that is not a comment, trimmed and decoded, into text_.
    // 1: a line; 0: end of file; -1: a line too long.
    int NextLine() {
        for (;;) {
            if (!std::fgets(raw_, sizeof raw_, file_)) return 0;
            ++*line_;
            size_t n = std::strlen(raw_);
            if (n && raw_[n - 1] == '\n') raw_[--n] = 0;
            else if (n > kPlotterLineSize) return -1;  // the rest is still unread
            while (n && std::isspace(static_cast<unsigned char>(raw_[n - 1]))) raw_[--n] = 0;
            if (n > kPlotterLineSize) return -1;
            const char *start = raw_;
            while (std::isspace(static_cast<unsigned char>(*start))) ++start;
            if (*start == ';') continue;
            std::strcpy(text_, UnescapeFormat(start));
            return 1;
        }
    }

    const char *Text() const { return text_; }

private:
    std::FILE *file_;
    int *line_;
    // Room for the longest line, a CR LF and one byte more, so that a line
    // too long is seen as such.
    char raw_[kPlotterLineSize + 3];
    char text_[kPlotterLineSize + 1];
};

struct StringKey {
    const char *key;
    char *PlotterDriver::*slot;
    int formatArgs;  // -1: written as it stands
};

const StringKey kStringKeys[] = {
    {"On", &PlotterDriver::onString, -1},        {"Off", &PlotterDriver::offString, -1},
    {"Moveto", &PlotterDriver::movetoFormat, 2}, {"Lineto", &PlotterDriver::linetoFormat, 2},
    {"Point", &PlotterDriver::pointFormat, 2},   {"Char", &PlotterDriver::charString, -1},
    {"Speed", &PlotterDriver::speedFormat, 1},   {"Pen", &PlotterDriver::penFormat, 1},
    {"Color", &PlotterDriver::colorFormat, 1},   {"Width", &PlotterDriver::widthFormat, 1},
    {"Eject", &PlotterDriver::ejectString, -1},  {"Clear", &PlotterDriver::clearString, -1},
};

struct ListKey {
    const char *key;
    char **PlotterDriver::*list;
    int32_t PlotterDriver::*count;
};

const ListKey kListKeys[] = {
    {"Prolog", &PlotterDriver::prolog, &PlotterDriver::prologCount},
    {"Epilog", &PlotterDriver::epilog, &PlotterDriver::epilogCount},
    {"Types", &PlotterDriver::types, &PlotterDriver::typesCount},
};

struct NumberKey {
    const char *key;
    int32_t PlotterDriver::*slot;
};

const NumberKey kNumberKeys[] = {
    {"Xmin", &PlotterDriver::rangeXMin}, {"Ymin", &PlotterDriver::rangeYMin},
    {"Xmax", &PlotterDriver::rangeXMax}, {"Ymax", &PlotterDriver::rangeYMax},
};

// The first n bytes of a equal key, without regard to case.
bool SameKey(const char *a, size_t n, const char *key) {
    for (size_t i = 0; i < n; ++i, ++key)
        if (!*key || std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(*key)))
            return false;
    return !*key;
}

// "%i": decimal, 0x hexadecimal or 0 octal, leading blanks allowed.
// 1: *value set; 0: no digits at all (blank value); -1: not an integer.
int ParseInteger(const char *text, long *value) {
    while (std::isspace(static_cast<unsigned char>(*text))) ++text;
    if (!*text) return 0;
    char *end;
    errno = 0;
    const long v = std::strtol(text, &end, 0);
    if (end == text || errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return -1;
    *value = v;
    return 1;
}

// Reads a list of up to count lines; a list cut short by the end of the
// file keeps what it has.
bool ReadList(DriverReader &reader, PlotterDriver &p, const ListKey &k, long count) {
    char **&list = p.*(k.list);
    int32_t &n = p.*(k.count);
    for (int i = 0; i < n; ++i) std::free(list[i]);
    FreeAndNull(list);
    n = 0;
    for (long i = 0; i < count; ++i) {
        const int r = reader.NextLine();
        if (r < 0) return false;
        if (r == 0) break;
        char *entry = static_cast<char *>(std::malloc(std::strlen(reader.Text()) + 1));
        char **grown = static_cast<char **>(std::realloc(list, (n + 1) * sizeof *list));
        if (grown) list = grown;
        if (!entry || !grown) {
            std::free(entry);
            return false;
        }
        std::strcpy(entry, reader.Text());
        list[n++] = entry;
    }
    return true;
}

}  // namespace


void FreePlotterDriver(GraphWindowState *s) {
    if (!s) return;
    PlotterDriver &p = s->plotter;
    for (const ListKey &k : kListKeys) {
        for (int i = 0; i < p.*(k.count); ++i) std::free((p.*(k.list))[i]);
        FreeAndNull(p.*(k.list));
        p.*(k.count) = 0;
    }
    for (const StringKey &k : kStringKeys) FreeAndNull(p.*(k.slot));
    p.recording = p.sessionOpen = p.loaded = 0;
}

int ParsePlotterDriver(GraphWindowState *state, std::FILE *file, int *line) {
    PlotterDriver &p = state->plotter;
    // Lines are long; the reader lives on the heap.
    DriverReader *reader = static_cast<DriverReader *>(std::malloc(sizeof(DriverReader)));
    if (!reader) {
        *line = 0;
        return 0;
    }
    new (reader) DriverReader(file, line);
    bool ok = true;
    for (;;) {
        const int r = reader->NextLine();
        if (r <= 0) {
            ok = r == 0;
            break;
        }
        const char *text = reader->Text();
        if (!*text) continue;
        // The key is everything before the first colon, blanks included.
        const char *colon = std::strchr(text, ':');
        const size_t keyLength = colon ? size_t(colon - text) : std::strlen(text);
        const char *value = colon ? colon + 1 : "";

        bool known = false;
        for (const ListKey &k : kListKeys) {
            if (!SameKey(text, keyLength, k.key)) continue;
            known = true;
            long count = 0;
            const int n = ParseInteger(value, &count);
            ok = n >= 0 && count >= 0 && ReadList(*reader, p, k, count);
        }
        for (const StringKey &k : kStringKeys) {
            if (known || !SameKey(text, keyLength, k.key)) continue;
            known = true;
            const int r2 = reader->NextLine();
            if (r2 < 0) {
                ok = false;
            } else if (r2 > 0 && *reader->Text()) {
                // A format is checked here, where its line can be named.
                if (k.formatArgs >= 0 && !IsSafePlotterFormat(reader->Text(), k.formatArgs)) {
                    ok = false;
                } else {
                    char *copy = static_cast<char *>(std::malloc(std::strlen(reader->Text()) + 1));
                    if (!copy) {
                        ok = false;
                    } else {
                        std::strcpy(copy, reader->Text());
                        std::free(p.*(k.slot));
                        p.*(k.slot) = copy;
                    }
                }
            }
        }
        for (const NumberKey &k : kNumberKeys) {
            if (known || !SameKey(text, keyLength, k.key)) continue;
            known = true;
            long v = 0;
            const int n = ParseInteger(value, &v);
            if (n < 0) ok = false;
            else if (n > 0) p.*(k.slot) = static_cast<int32_t>(v);
        }
        if (!known && (SameKey(text, keyLength, "Height") || SameKey(text, keyLength, "Hdisp") || SameKey(text, keyLength, "Vdisp"))) known = true;
        if (!known) ok = false;
        if (!ok) break;
    }
    reader->~DriverReader();
    std::free(reader);
    return ok;
}

int ReadPlotterDriver() {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return 0;
    FreePlotterDriver(g);
    gOutOfMemory = 0;
    const char *name = g->plotter.driver ? g->plotter.driver : "";
    char path[260];  // a settings value: at most 259 characters
    const char *use = name;
    if (gGraphicsHost.lookUpPlotterDriver && gGraphicsHost.lookUpPlotterDriver(name, path, sizeof path) > 0) use = path;
    std::FILE *file = std::fopen(use, "rb");
    if (!file) {
        ShowOpenError(errno);
        return 0;
    }
    int line = 0;
    const int ok = ParsePlotterDriver(g, file, &line);
    std::fclose(file);
    if (!ok) {
        FreePlotterDriver(g);
        ShowErrorBoxWithNumber(IDS_BAD_PLOTTER_DRIVER, line);
        return 0;
    }
    g->plotter.loaded = 1;
    return 1;
}



int OpenPlotterStream() {
    PlotterDriver *p = Current();
    if (!p) return 0;
    if (p->stream) return 1;  // still open from a start whose job failed
    p->stream = std::fopen(p->device ? p->device : "", "a");
    if (!p->stream) {
        ShowOpenError(errno);
        return 0;
    }
    return 1;
}

int OpenPlotterJob() {
    GraphWindowState *g = gCurrentGraph;
    if (!g) return 0;
    PlotterDriver &p = g->plotter;
    if (!p.loaded) {
        if (!ReadPlotterDriver()) return 0;
        UpdateGraphMapping();
    }
    p.sessionOpen = 1;
    for (int i = 0; i < p.prologCount; ++i) WritePlotterString(p.prolog[i]);
    ++p.jobDepth;
    p.recording = 1;
    PlotterSelectPen();
    if (p.frame) DrawPlotterFrame();
    return 1;
}

void StartPlotterStream() {
    PlotterDriver *p = Current();
    if (!p || !OpenPlotterStream()) return;
    if (!p->sessionOpen && !OpenPlotterJob()) {
        // Nothing will flow: the stream is not left open.
        std::fclose(p->stream);
        p->stream = nullptr;
        return;
    }
    p->recording = 1;
    WritePlotterString(p->onString);
    PlotterSelectPen();
    PlotterSetSpeed();
    PlotterSetLineType(-1);
}

void StopPlotterStream() {
    PlotterDriver *p = Current();
    if (!p || !p->recording) return;
    p->recording = 0;
    WritePlotterString(p->offString);
    if (p->stream) std::fclose(p->stream);
    p->stream = nullptr;
}

void ClosePlotterJob() {
    PlotterDriver *p = Current();
    if (!p || !p->sessionOpen) return;
    if (!p->recording) StartPlotterStream();
    if (p->recording && p->jobDepth > 0) {
        for (int i = 0; i < p->epilogCount; ++i) WritePlotterString(p->epilog[i]);
        --p->jobDepth;
    }
    StopPlotterStream();
    p->sessionOpen = 0;
}

void PlotterEjectPage() {
    PlotterDriver *p = Current();
    if (!p || !p->sessionOpen) return;
    const bool started = !p->recording;
    if (started) StartPlotterStream();
    WritePlotterString(p->ejectString);
    if (p->stream) std::fflush(p->stream);
    if (p->frame) DrawPlotterFrame();
    if (started) StopPlotterStream();
}










void DrawPlotterFrame() {
    GraphWindowState *g = gCurrentGraph;
    if (!g || !gPlotterOutputOn || !g->plotter.frame || !g->plotter.sessionOpen) return;
    PlotterDriver &p = g->plotter;
    const bool started = !p.recording;
    if (started) StartPlotterStream();
    SetPen(g->gridColor, g->gridWidth);
    PlotterRectangle(p.rangeXMin, p.rangeYMin, p.rangeXMax, p.rangeYMax);
    if (started) StopPlotterStream();
}
