#include "messages.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>

#include "platform.h"
#include "run_state.h"
#include "string_ids.h"

int gLastStringId;
int gLastLineErrorAnswer;

namespace {

constexpr int kLineErrorId = 10019;
char gResourceText[1024];

// "\n\n" + id's text formatted with args, into a buffer of kMessageBufferSize
// bytes: a long argument is cut, never written past the end.
void VFormatMessageText(char *out, const char *prefix, int id, va_list args) {
    int used = std::snprintf(out, kMessageBufferSize, "%s", prefix);
    std::vsnprintf(out + used, kMessageBufferSize - used, LoadTextResource(id), args);
}

void FormatMessageText(char *out, const char *prefix, int id, ...) {
    va_list args;
    va_start(args, id);
    VFormatMessageText(out, prefix, id, args);
    va_end(args);
}

// Strings of the table are format strings: copy a caption or a plain text
// without treating its % signs as conversions.
char gCaption[kMessageBufferSize];
const char *Caption(int id) {
    std::snprintf(gCaption, sizeof gCaption, "%s", LoadTextResource(id));
    return gCaption;
}

int ShowById(int id, const char *text, int captionId, unsigned style) {
    gLastStringId = id;
    return ShowMessageBox(text, Caption(captionId), style);
}

}  // namespace

const char *LoadTextResource(int id) {
    if (PlatformLoadString(id, gResourceText, sizeof gResourceText) <= 0) gResourceText[0] = 0;
    return gResourceText;
}

int ShowMessageBox(const char *text, const char *caption, unsigned style) {
    while (*text && std::isspace(static_cast<unsigned char>(*text))) ++text;
    int result = PlatformMessageBox(text, caption, style | kMbHelp, gLastStringId);
    if (result == kIdCancel) gRunState.stopRequested = 1;
    return result;
}

int AskOkCancel(int id) {
    char text[kMessageBufferSize];
    std::snprintf(text, sizeof text, "\n\n%s", LoadTextResource(id));
    return ShowById(id, text, IDS_PROGRAM_CAPTION, kMbOkCancel | kMbIconQuestion) == kIdOk;
}

int AskYesNoCancel(int id) {
    char text[kMessageBufferSize];
    std::snprintf(text, sizeof text, "\n\n%s", LoadTextResource(id));
    return ShowById(id, text, IDS_PROGRAM_CAPTION, kMbYesNoCancel | kMbIconQuestion);
}

int ShowErrorBox(int id) {
    char text[kMessageBufferSize];
    std::snprintf(text, sizeof text, "\n\n%s", LoadTextResource(id));
    ShowById(id, text, IDS_ERROR_CAPTION, kMbOkCancel | kMbIconError);
    return 0;
}

void ShowErrorBoxWithNumber(int id, int n) {
    char text[kMessageBufferSize];
    FormatMessageText(text, "\n\n", id, n);
    if (id == kLineErrorId)
        gLastLineErrorAnswer = ShowById(id, text, IDS_ERROR_CAPTION, kMbYesNo | kMbIconError);
    else
        ShowById(id, text, IDS_ERROR_CAPTION, kMbOkCancel | kMbIconError);
}

int ShowWarningBoxWithNumber(int id, int n) {
    char text[kMessageBufferSize];
    FormatMessageText(text, "\n\n", id, n);
    return ShowById(id, text, IDS_WARNING_CAPTION, kMbOk | kMbIconInformation);
}

int AskPercent(int id, double x) {
    char text[kMessageBufferSize];
    FormatMessageText(text, "", id, x * 0.01);
    return ShowById(id, text, IDS_ERROR_CAPTION, kMbYesNo | kMbIconQuestion) == kIdYes;
}

int ShowErrorBoxFormatted(int id, ...) {
    char text[kMessageBufferSize];
    va_list args;
    va_start(args, id);
    VFormatMessageText(text, "", id, args);
    va_end(args);
    return ShowById(id, text, IDS_ERROR_CAPTION, kMbOk | kMbIconError);
}
