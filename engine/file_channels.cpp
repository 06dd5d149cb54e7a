#include "file_channels.h"

#include <cctype>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "builtin_math.h"
#include "memory.h"
#include "messages.h"
#include "platform.h"
#include "run_state.h"
#include "string_ids.h"

ChannelTable<OutputChannel> gOutputChannels;
ChannelTable<InputChannel> gInputChannels;
ChannelTable<BitmapChannel> gBitmapChannels;
GraphPictureHooks gGraphPictureHooks;

namespace {

constexpr double kErrorValue = std::numeric_limits<double>::infinity();

// Defaults of a new channel, as the dialogs show them: the write format's
// line break is an escape, turned into a character by UnescapeFormat.
const char kDefaultWriteFormat[] = "%g\\n";
const char kDefaultReadFormat[] = "%lg";
const char kDefaultPattern[] = "scr%05d.bmp";

// Widths and precisions of up to three digits: enough for any number, and a
// format cannot ask for gigabytes of padding.
constexpr int kMaxFieldDigits = 3;

// Folder, separator and a formatted pattern of at most kChannelTextSize
// characters each widened by a field of kMaxFieldDigits digits.
constexpr int kBitmapPathSize = 2 * kChannelTextSize + 1024;

bool ChannelNumber(double x, int *n) {
    const double r = ROUND(x);
    if (!(r >= INT_MIN && r <= INT_MAX)) return false;  // NaN fails too
    *n = static_cast<int>(r);
    return true;
}

const char *SkipDigits(const char *p, bool *ok) {
    int digits = 0;
    while (std::isdigit(static_cast<unsigned char>(*p))) ++p, ++digits;
    if (digits > kMaxFieldDigits) *ok = false;
    return p;
}

// Checks format for use; *takesDouble tells whether its scanned conversion
// has the "l" that makes it store a double rather than a float.
bool CheckFormat(const char *format, ChannelFormatUse use, bool *takesDouble) {
    if (!format) return false;
    const bool scanning = use == kFormatScanDouble;
    const char *conversions = use == kFormatPrintInt ? "diuoxX" : "eEfFgGaA";
    bool ok = true;
    int count = 0;
    *takesDouble = false;
    for (const char *p = format; *p && ok; ++p) {
        if (*p != '%') continue;
        if (*++p == '%') continue;
        bool suppressed = false;
        if (scanning && *p == '*') suppressed = true, ++p;
        if (!scanning)
            while (*p && std::strchr("-+ #0", *p)) ++p;
        p = SkipDigits(p, &ok);
        if (!scanning && *p == '.') p = SkipDigits(p + 1, &ok);
        bool isLong = false;
        if (use != kFormatPrintInt && *p == 'l') isLong = true, ++p;
        if (!*p || !std::strchr(conversions, *p)) return false;
        if (suppressed) continue;
        if (++count > 1) return false;
        *takesDouble = isLong;
    }
    return ok;
}

void CopyText(char *out, const char *text) {
    std::snprintf(out, kChannelTextSize + 1, "%s", text ? text : "");
}

// Runs the request's dialog until the user gives a format fit for use, or
// cancels (which stops a run). On OK the two texts are in request.
bool AskChannelTexts(ChannelDialogRequest *request, ChannelFormatUse use) {
    for (;;) {
        if (PlatformChannelDialog(request) != kIdOk || !request->name[0] || !request->format[0]) {
            gRunState.stopRequested = 1;
            return false;
        }
        // Escapes are turned into characters before use, so they are
        // checked in that form: "\x25s" is a "%s".
        const char *checked = use == kFormatPrintInt ? request->format : UnescapeFormat(request->format);
        if (IsSafeChannelFormat(checked, use)) return true;
        ShowErrorBoxFormatted(IDS_BAD_CHANNEL_FORMAT, request->format);
    }
}

// Stores the dialog's two texts in a channel's slots; false when memory ran out.
bool StoreTexts(const ChannelDialogRequest &request, char *&name, char *&format) {
    SetNonEmptyStringCopy(name, request.name);
    SetNonEmptyStringCopy(format, request.format);
    return name && format;
}

template <class Channel> void FreeTable(ChannelTable<Channel> &table, void (*freeTexts)(Channel &)) {
    for (int i = 0; i < table.count; ++i) freeTexts(table.entries[i]);
    FreeAndNull(table.entries);
    table.count = 0;
    table.selected = nullptr;
}

// Finds number n, or grows the table by one zeroed entry numbered n.
template <class Channel> Channel *FindOrAppend(ChannelTable<Channel> &table, int n, bool *added) {
    *added = false;
    for (int i = 0; i < table.count; ++i)
        if (table.entries[i].number == n) return table.selected = &table.entries[i];
    if (table.count == INT_MAX / static_cast<int>(sizeof(Channel))) {
        ReportOutOfMemory();
        return nullptr;
    }
    Channel *grown = static_cast<Channel *>(AllocZeroed(sizeof(Channel) * (table.count + 1)));
    if (!grown) return nullptr;  // reported
    if (table.count) std::memcpy(grown, table.entries, sizeof(Channel) * table.count);
    FreeAndNull(table.entries);
    table.entries = grown;
    Channel *entry = &grown[table.count++];
    entry->number = n;
    *added = true;
    return table.selected = entry;
}

// A new entry's default text; null (after the message) when memory ran out.
template <class Channel> Channel *WithDefault(Channel *entry, bool added, char *Channel::*slot, const char *text) {
    if (!entry || !added) return entry;
    SetNonEmptyStringCopy(entry->*slot, text);
    return entry->*slot ? entry : nullptr;
}

// Shows an error box; the result is always false, for tail calls.
bool Fail(int id) {
    ShowErrorBox(id);
    return false;
}

// Clamps to the float range first: a double beyond it becomes an infinity,
// not an undefined conversion.
float ToSingle(double x) {
    if (x > FLT_MAX) return std::numeric_limits<float>::infinity();
    if (x < -FLT_MAX) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(x);
}

bool WriteValue(OutputChannel *c, double x) {
    std::FILE *file = std::fopen(c->fileName, c->kind == kChannelText ? "at" : "ab");
    if (!file) {
        FreeAndNull(c->fileName);  // the next write asks again
        return Fail(IDS_OUTPUT_TO_FILE_FAILED);
    }
    bool ok;
    if (c->kind == kChannelSingle) {
        const float single = ToSingle(x);
        ok = std::fwrite(&single, sizeof single, 1, file) == 1;
    } else if (c->kind == kChannelDouble) {
        ok = std::fwrite(&x, sizeof x, 1, file) == 1;
    } else {
        const char *format = UnescapeFormat(c->format);
        ok = IsSafeChannelFormat(format, kFormatPrintDouble) && std::fprintf(file, format, x) >= 0;
    }
    if (std::fclose(file) != 0) ok = false;
    return ok || Fail(IDS_OUTPUT_TO_FILE_FAILED);
}

bool ScanText(std::FILE *file, const char *storedFormat, double *value) {
    const char *format = UnescapeFormat(storedFormat);
    bool takesDouble;
    if (!CheckFormat(format, kFormatScanDouble, &takesDouble)) return false;
    if (takesDouble) return std::fscanf(file, format, value) == 1;
    float single;
    if (std::fscanf(file, format, &single) != 1) return false;
    *value = single;
    return true;
}

// Text files are opened in binary too: the stored position is a byte offset,
// and the text mode's offsets go wrong on files with bare line feeds. Line
// ends are blanks to the formatted input either way.
bool ReadValue(InputChannel *c, double *value) {
    std::FILE *file = std::fopen(c->fileName, "rb");
    if (!file) {
        FreeAndNull(c->fileName);  // the next read asks again
        return Fail(IDS_NO_INPUT_FILE);
    }
    bool ok = std::fseek(file, c->position, SEEK_SET) == 0;
    if (ok && c->kind == kChannelSingle) {
        float single;
        ok = std::fread(&single, sizeof single, 1, file) == 1;
        *value = single;
    } else if (ok && c->kind == kChannelDouble) {
        ok = std::fread(value, sizeof *value, 1, file) == 1;
    } else if (ok) {
        ok = ScanText(file, c->format, value);
    }
    const long position = ok ? std::ftell(file) : -1;
    ok = position >= 0 && position <= INT_MAX;
    if (ok) c->position = static_cast<int>(position);
    std::fclose(file);
    return ok || Fail(IDS_NO_INPUT_FILE);
}

// Asks for channel n's two texts, starting from its slots, and stores them;
// the channel, or null when cancelled or out of memory.
template <class Channel>
Channel *AskChannel(int n, Channel *(*select)(int), char *Channel::*name, char *Channel::*format, int dialogId,
                    ChannelFormatUse use) {
    Channel *c = select(n);
    if (!c) return nullptr;
    ChannelDialogRequest request = {dialogId, n, {}, {}};
    CopyText(request.name, c->*name);
    CopyText(request.format, c->*format);
    if (!AskChannelTexts(&request, use)) return nullptr;
    // The dialog may have pumped messages: find the entry again.
    c = select(n);
    return c && StoreTexts(request, c->*name, c->*format) ? c : nullptr;
}

bool AskOutputChannel(int n) {
    OutputChannel *c = AskChannel(n, SelectOutputChannel, &OutputChannel::fileName, &OutputChannel::format,
                                  kDialogOutputFile, kFormatPrintDouble);
    if (c) c->kind = ChannelKindOfName(c->fileName);
    return c != nullptr;
}

bool AskInputChannel(int n) {
    InputChannel *c = AskChannel(n, SelectInputChannel, &InputChannel::fileName, &InputChannel::format,
                                 kDialogInputFile, kFormatScanDouble);
    if (c) c->kind = ChannelKindOfName(c->fileName);
    return c != nullptr;
}

bool AskBitmapChannel(int n) {
    return AskChannel(n, SelectBitmapChannel, &BitmapChannel::folder, &BitmapChannel::pattern, kDialogBmpFiles,
                      kFormatPrintInt) != nullptr;
}

void FreeOutputTexts(OutputChannel &c) {
    FreeAndNull(c.fileName);
    FreeAndNull(c.format);
}

void FreeInputTexts(InputChannel &c) {
    FreeAndNull(c.fileName);
    FreeAndNull(c.format);
}

void FreeBitmapTexts(BitmapChannel &c) {
    FreeAndNull(c.folder);
    FreeAndNull(c.pattern);
}

}  // namespace

bool IsSafeChannelFormat(const char *format, ChannelFormatUse use) {
    bool takesDouble;
    return CheckFormat(format, use, &takesDouble);
}

int ChannelKindOfName(const char *fileName) {
    const char *dot = fileName ? std::strrchr(fileName, '.') : nullptr;
    if (!dot) return kChannelText;
    char extension[9] = {};  // one more than ".double": ".doubles" must differ
    for (int i = 0; i < 8 && dot[i]; ++i) extension[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(dot[i])));
    if (std::strcmp(extension, ".single") == 0) return kChannelSingle;
    if (std::strcmp(extension, ".double") == 0) return kChannelDouble;
    return kChannelText;
}

bool FormatBitmapFileName(char *out, int size, const char *folder, const char *pattern, int counter) {
    if (size <= 0) return false;
    out[0] = 0;
    if (!folder || !IsSafeChannelFormat(pattern, kFormatPrintInt)) return false;
    int used = std::snprintf(out, static_cast<size_t>(size), "%s", folder);
    bool ok = used >= 0 && used < size - 1;
    if (ok && (used == 0 || out[used - 1] != '\\')) out[used++] = '\\', out[used] = 0;
    if (ok) {
        const int more = std::snprintf(out + used, static_cast<size_t>(size - used), pattern, counter);
        ok = more >= 0 && more < size - used;
    }
    if (!ok) out[0] = 0;  // never a cut name
    return ok;
}

bool ParseInputValue(const char *text, double *value) {
    double parsed;
    int used = 0;
    if (!text || std::sscanf(text, "%lg%n", &parsed, &used) != 1) return false;
    for (const char *p = text + used; *p; ++p)
        if (!std::isspace(static_cast<unsigned char>(*p))) return false;
    *value = parsed;
    return true;
}

OutputChannel *SelectOutputChannel(int n) {
    bool added;
    OutputChannel *c = FindOrAppend(gOutputChannels, n, &added);
    return WithDefault(c, added, &OutputChannel::format, kDefaultWriteFormat);
}

InputChannel *SelectInputChannel(int n) {
    bool added;
    InputChannel *c = FindOrAppend(gInputChannels, n, &added);
    return WithDefault(c, added, &InputChannel::format, kDefaultReadFormat);
}

BitmapChannel *SelectBitmapChannel(int n) {
    bool added;
    BitmapChannel *c = FindOrAppend(gBitmapChannels, n, &added);
    return WithDefault(c, added, &BitmapChannel::pattern, kDefaultPattern);
}

double ChannelOpenWrite(double channel, double x) {
    int n;
    return ChannelNumber(channel, &n) && AskOutputChannel(n) ? x : kErrorValue;
}

double ChannelWrite(double channel, double x) {
    int n;
    if (!ChannelNumber(channel, &n)) return kErrorValue;
    OutputChannel *c = SelectOutputChannel(n);
    if (!c) return kErrorValue;
    if (!c->fileName || !c->format) {
        if (!AskOutputChannel(n)) return kErrorValue;
        c = SelectOutputChannel(n);
    }
    return c && WriteValue(c, x) ? x : kErrorValue;
}

double ChannelDeleteWrite(double channel, double x) {
    int n;
    if (!ChannelNumber(channel, &n)) return kErrorValue;
    OutputChannel *c = SelectOutputChannel(n);
    if (!c) return kErrorValue;
    if (c->fileName) std::remove(c->fileName);  // a missing file is already gone
    return x;
}

double ChannelOpenRead(double channel, double x) {
    int n;
    return ChannelNumber(channel, &n) && AskInputChannel(n) ? x : kErrorValue;
}

double ChannelRead(double channel) {
    int n;
    if (!ChannelNumber(channel, &n)) return kErrorValue;
    InputChannel *c = SelectInputChannel(n);
    if (!c) return kErrorValue;
    if (!c->fileName || !c->format) {
        if (!AskInputChannel(n)) return kErrorValue;
        c = SelectInputChannel(n);
    }
    double value;
    return c && ReadValue(c, &value) ? value : kErrorValue;
}

double ChannelResetRead(double channel, double x) {
    int n;
    InputChannel *c = ChannelNumber(channel, &n) ? SelectInputChannel(n) : nullptr;
    if (!c) return kErrorValue;
    c->position = 0;
    return x;
}

double ChannelOpenBmp(double channel, double x) {
    int n;
    return ChannelNumber(channel, &n) && AskBitmapChannel(n) ? x : kErrorValue;
}

// The graphics side's save shows the wait cursor and hides the window's
// caret while it writes.
double ChannelBmp(double channel, double x) {
    const GraphPictureHooks &hooks = gGraphPictureHooks;
    if (!hooks.activeChildIsGraph || !hooks.saveActivePicture || !hooks.activeChildIsGraph()) return kErrorValue;
    int n;
    if (!ChannelNumber(channel, &n)) return kErrorValue;
    BitmapChannel *c = SelectBitmapChannel(n);
    if (!c) return kErrorValue;
    if (!c->folder || !c->pattern) {
        if (!AskBitmapChannel(n)) return kErrorValue;
        c = SelectBitmapChannel(n);
        if (!c) return kErrorValue;
    }
    char path[kBitmapPathSize];
    if (c->counter == INT_MAX || !FormatBitmapFileName(path, sizeof path, c->folder, c->pattern, c->counter + 1)) {
        Fail(IDS_OUTPUT_TO_FILE_FAILED);
        return kErrorValue;
    }
    ++c->counter;
    return hooks.saveActivePicture(path) ? x : kErrorValue;
}

double ChannelResetBmp(double channel, double x) {
    int n;
    BitmapChannel *c = ChannelNumber(channel, &n) ? SelectBitmapChannel(n) : nullptr;
    if (!c) return kErrorValue;
    c->counter = 0;
    return x;
}

double ChannelInput(double x) {
    char prompt[kMessageBufferSize];
    std::snprintf(prompt, sizeof prompt, LoadTextResource(IDS_INPUT_PROMPT), x);
    double value = x;
    if (PlatformInputDialog(prompt, &value) != kIdOk) {
        gRunState.stopRequested = 1;
        return x;
    }
    return value;
}

double ChannelMessage(double x) {
    char text[64];
    std::snprintf(text, sizeof text, "%lg", x);
    char caption[kMessageBufferSize];
    std::snprintf(caption, sizeof caption, "%s", LoadTextResource(IDS_MESSAGE_CAPTION));
    gLastStringId = IDS_MESSAGE_CAPTION;
    ShowMessageBox(text, caption, kMbOk | kMbIconInformation);
    return x;
}

void FreeFileChannels() {
    FreeTable(gOutputChannels, FreeOutputTexts);
    FreeTable(gInputChannels, FreeInputTexts);
    FreeTable(gBitmapChannels, FreeBitmapTexts);
}
