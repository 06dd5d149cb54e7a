#include "glyph_editor.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

const char *const kSettingNames[CharWindowSettings::kCount] = {"MinX0", "MinY0", "MaxX0", "MaxY0",
                                                               "Zoom0", "MaxD0", "Step0"};

int &CharWindowSettings::Field(int i) {
    switch (i) {
    case 0: return minX;
    case 1: return minY;
    case 2: return maxX;
    case 3: return maxY;
    case 4: return zoom;
    case 5: return maxD;
    default: return step;
    }
}

namespace {

// Ranges beyond this many units each way, or zooms above kZoomLimit, would
// make windows far larger than any screen.
constexpr int kRangeLimit = 1000;
constexpr int kZoomLimit = 100;

std::string Format(const char *format, int a, int b = 0, int c = 0) {
    char text[64];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

bool Printable(int code) { return code >= 33 && code <= 126; }

int Clamp(int v) { return std::max(-kCoordinateLimit, std::min(kCoordinateLimit, v)); }

}  // namespace

std::string SettingsProblem(const CharWindowSettings &s) {
    for (int i = 0; i < 4; ++i)
        if (s.Field(i) < -kRangeLimit || s.Field(i) > kRangeLimit)
            return Format("The ranges must lie within -%d..%d", kRangeLimit, kRangeLimit);
    if (s.minX >= s.maxX) return "The smallest x must be below the largest";
    if (s.minY >= s.maxY) return "The smallest y must be below the largest";
    if (s.zoom > kZoomLimit) return Format("The zoom factor must not exceed %d", kZoomLimit);
    if (s.maxD < 0 || s.maxD > kRangeLimit) return Format("The mouse accuracy must lie within 0..%d", kRangeLimit);
    if (s.step > 2 * kRangeLimit) return Format("The grid spacing must not exceed %d", 2 * kRangeLimit);
    return "";
}

bool SettingsUsable(const CharWindowSettings &s) { return SettingsProblem(s).empty(); }

bool ParseInteger(const std::string &text, int &value) {
    const char *p = text.c_str();
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p) return false;
    char *end = nullptr;
    errno = 0;
    long v = std::strtol(p, &end, 10);
    if (end == p || errno == ERANGE || v < INT_MIN || v > INT_MAX) return false;
    while (*end == ' ' || *end == '\t') ++end;
    if (*end) return false;
    value = static_cast<int>(v);
    return true;
}

// --- Recent fonts.

bool SameFileName(const std::string &a, const std::string &b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

void RecentFonts::Push(const std::string &path) {
    int slot = kSlots - 1;
    for (int k = 0; k < kSlots; ++k)
        if (entry[k].empty() || SameFileName(entry[k], path)) {
            slot = k;
            break;
        }
    for (int k = slot; k > 0; --k) entry[k] = entry[k - 1];
    entry[0] = path;
}

int RecentFonts::Count() const {
    int n = 0;
    while (n < kSlots && !entry[n].empty()) ++n;
    return n;
}

void RecentFonts::Rebuild() {
    RecentFonts old = *this;
    *this = RecentFonts();
    for (int k = kSlots - 1; k >= 0; --k)
        if (!old.entry[k].empty()) Push(old.entry[k]);
}

std::string FileNamePart(const std::string &path) {
    size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string StartupPathFromCommandLine(const char *commandLine) {
    const char *p = commandLine ? commandLine : "";
    // The program name, quoted or up to the first blank.
    if (*p == '"') {
        ++p;
        while (*p && *p != '"') ++p;
        if (*p) ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t') ++p;
    }
    while (*p == ' ' || *p == '\t') ++p;
    std::string path;
    if (*p == '"') {
        for (++p; *p; ++p) {
            if (*p == '"') {
                if (p[1] != '"') break;
                ++p;
            }
            path += *p;
        }
        return path;
    }
    path = p;
    while (!path.empty() && (path.back() == ' ' || path.back() == '\t')) path.pop_back();
    return path;
}

std::string NewFontCaption(int n) { return "(No Name " + std::to_string(n) + ")"; }

// --- Font grid.

int CorrectGridCell(int cell, int width, int height) {
    if (width != height) cell = width / kGridCells;
    return std::max(cell, kMinCell);
}

int CharAtPixel(int x, int y, int cell) {
    if (x < 0 || y < 0 || cell <= 0) return 0;
    int column = x / cell, row = y / cell;
    if (column >= kGridCells || row >= kGridCells) return 0;
    int code = column + kGridCells * row;
    return code >= 1 && code < kFontCharCount ? code : 0;
}

int MoveInGrid(int code, GridKey key) {
    switch (key) {
    case kGridLeft: return code >= 2 && code % kGridCells != 0 ? code - 1 : code;
    case kGridRight: return code % kGridCells != kGridCells - 1 ? code + 1 : code;
    case kGridUp: return code >= 17 ? code - kGridCells : code;
    case kGridDown: return code < 240 ? code + kGridCells : code;
    }
    return code;
}

std::string CharStatusText(int code) {
    return Printable(code) ? Format("Ch#%d = %c", code, code) : Format("Ch#%d", code);
}

std::string CharHoverText(int code, int width) {
    return Printable(code) ? Format("Char #%d = %c (width %d)", code, code, width)
                           : Format("Char #%d (width %d)", code, width);
}

std::string CharWindowCaption(int code, int width, const std::string &fontCaption) {
    return (Printable(code) ? Format("Ch#%d = %c (width = %d) from ", code, code, width)
                            : Format("Ch#%d (width = %d) from ", code, width)) +
           fontCaption;
}

std::string EditDialogCaption(int code, const std::string &fontCaption) {
    return (Printable(code) ? Format("Edit char #%d = %c from ", code, code) : Format("Edit char #%d from ", code)) +
           fontCaption;
}

std::string PositionText(int x, int y) { return Format("(%d,%d)", x, y); }

// --- Text form.

std::string StrokesToText(const FChar &ch) {
    std::string text;
    for (size_t s = 0; s < ch.strokes.size(); ++s) {
        if (s) text += "\r\n";
        std::string line;
        for (const Spoint &p : ch.strokes[s].points)
            line += (line.empty() ? "" : " ") + std::to_string(p.x) + " " + std::to_string(p.y);
        text += line;
    }
    return text;
}

namespace {

std::vector<std::string> Words(const std::string &line) {
    std::vector<std::string> words;
    size_t i = 0;
    for (;;) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
        if (i == line.size()) return words;
        size_t start = i;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) ++i;
        words.push_back(line.substr(start, i - start));
    }
}

bool ParseStrokeLine(const std::string &line, int number, Stroke &stroke, std::string &message) {
    std::vector<std::string> words = Words(line);
    std::vector<int> values;
    for (const std::string &w : words) {
        int v;
        if (!ParseInteger(w, v)) {
            message = "Line " + std::to_string(number) + ": \"" + w + "\" is not a whole number";
            return false;
        }
        if (v < -kCoordinateLimit || v > kCoordinateLimit) {
            message = Format("Line %d: %d lies outside -%d..", number, v, kCoordinateLimit) +
                      std::to_string(kCoordinateLimit);
            return false;
        }
        values.push_back(v);
    }
    if (values.size() % 2) {
        message = Format("Line %d: %d has no partner; points are pairs \"x y\"", number, values.back());
        return false;
    }
    for (size_t i = 0; i < values.size(); i += 2) {
        Spoint p;
        p.x = static_cast<signed char>(values[i]);
        p.y = static_cast<signed char>(values[i + 1]);
        stroke.points.push_back(p);
    }
    return true;
}

}  // namespace

bool ParseCharText(const std::string &widthText, const std::string &strokesText, FChar &out,
                   std::string &message) {
    int width = 0;
    bool blankWidth = Words(widthText).empty();
    if (!blankWidth && (!ParseInteger(widthText, width) || width < 0 || width > 255 || width == kStrokeMarker)) {
        message = "The width must be a whole number from 0 to 255, other than 128";
        return false;
    }
    FChar result;
    result.SetWidth(width);
    size_t start = 0;
    for (int number = 1; start <= strokesText.size(); ++number) {
        size_t end = strokesText.find('\n', start);
        if (end == std::string::npos) end = strokesText.size();
        Stroke stroke;
        if (!ParseStrokeLine(strokesText.substr(start, end - start), number, stroke, message)) return false;
        if (!stroke.points.empty()) result.strokes.push_back(stroke);
        start = end + 1;
    }
    out = result;
    message.clear();
    return true;
}

// --- Character editor.

CharEditor::CharEditor(FChar &ch, const CharWindowSettings &s) : settings(s), ch_(&ch) { ResetSelection(); }

void CharEditor::ResetSelection() {
    bool any = !ch_->strokes.empty();
    currentStroke = any ? 0 : -1;
    currentPoint = any ? 0 : -1;
}

Stroke *CharEditor::CurrentStroke() const {
    if (currentStroke < 0 || currentStroke >= static_cast<int>(ch_->strokes.size())) return nullptr;
    return &ch_->strokes[currentStroke];
}

Spoint *CharEditor::CurrentPoint() const {
    Stroke *s = CurrentStroke();
    if (!s || currentPoint < 0 || currentPoint >= static_cast<int>(s->points.size())) return nullptr;
    return &s->points[currentPoint];
}

void CharEditor::PixelToUnit(int px, int py, int &x, int &y) const {
    int zoom = std::max(settings.zoom, 2);
    x = (px + zoom / 2) / zoom + settings.minX;
    y = settings.maxY - (py + zoom / 2) / zoom;
}

void CharEditor::UnitToPixel(int x, int y, int &px, int &py) const {
    px = (x - settings.minX) * settings.zoom;
    py = (settings.maxY - y) * settings.zoom;
}

void CharEditor::CorrectSize(bool resized, int width, int height, int &newWidth, int &newHeight) {
    int spanX = settings.maxX - settings.minX, spanY = settings.maxY - settings.minY;
    if (spanX <= 0 || spanY <= 0) {
        settings = CharWindowSettings();  // a range with no area: never divide by it
        spanX = settings.maxX - settings.minX;
        spanY = settings.maxY - settings.minY;
    }
    if (resized) settings.zoom = std::min(width / spanX, height / spanY);
    settings.zoom = std::min(std::max(settings.zoom, 2), kZoomLimit);
    newWidth = spanX * settings.zoom + 1;
    newHeight = spanY * settings.zoom + 1;
}

int64_t CharEditor::NearestPointInStroke(int s, int x, int y, int64_t best) {
    const Stroke &stroke = ch_->strokes[s];
    for (size_t i = 0; i < stroke.points.size(); ++i) {
        int64_t dx = stroke.points[i].x - x, dy = stroke.points[i].y - y;
        int64_t d = dx * dx + dy * dy;
        if (d < best) {
            currentStroke = s;
            currentPoint = static_cast<int>(i);
            best = d;
            if (d == 0) return 0;
        }
    }
    return best;
}

bool CharEditor::PickPoint(int x, int y) {
    const int oldStroke = currentStroke, oldPoint = currentPoint;
    if (ch_->strokes.empty()) return false;
    // Any real distance beats this; squares of int differences fit in 64 bits.
    int64_t best = INT64_MAX;
    if (CurrentStroke()) {
        best = NearestPointInStroke(currentStroke, x, y, best);
        if (best == 0) return true;
    }
    for (int s = 0; s < static_cast<int>(ch_->strokes.size()); ++s) {
        best = NearestPointInStroke(s, x, y, best);
        if (best == 0) return true;
    }
    const int64_t reach = static_cast<int64_t>(settings.maxD) * settings.maxD;
    if (best == INT64_MAX || reach < best) {
        currentStroke = oldStroke;
        currentPoint = oldPoint;
        return false;
    }
    return true;
}

EditEffect CharEditor::MoveCurrentPoint(int dx, int dy) {
    Spoint *p = CurrentPoint();
    if (!p) return kEditNothing;
    int x = p->x + dx, y = p->y + dy;
    if (x < -kCoordinateLimit || x > kCoordinateLimit || y < -kCoordinateLimit || y > kCoordinateLimit)
        return kEditNothing;
    p->x = static_cast<signed char>(x);
    p->y = static_cast<signed char>(y);
    return kEditChanged;
}

EditEffect CharEditor::AddStroke(int x, int y) {
    ch_->strokes.emplace_back();
    currentStroke = static_cast<int>(ch_->strokes.size()) - 1;
    currentPoint = -1;
    return AddPoint(x, y);
}

EditEffect CharEditor::AddPoint(int x, int y) {
    Stroke *s = CurrentStroke();
    if (!s) return NewStroke();
    Spoint p;
    p.x = static_cast<signed char>(Clamp(x));
    p.y = static_cast<signed char>(Clamp(y));
    s->points.push_back(p);
    currentPoint = static_cast<int>(s->points.size()) - 1;
    return kEditChanged;
}

EditEffect CharEditor::DeleteStroke() {
    if (!CurrentStroke()) return kEditNothing;
    ch_->strokes.erase(ch_->strokes.begin() + currentStroke);
    if (currentStroke >= static_cast<int>(ch_->strokes.size())) --currentStroke;
    currentPoint = currentStroke >= 0 ? 0 : -1;
    return kEditChanged;
}

EditEffect CharEditor::NextStroke() {
    if (currentStroke < -1 || currentStroke + 1 >= static_cast<int>(ch_->strokes.size())) return kEditNothing;
    ++currentStroke;
    currentPoint = 0;
    return kEditSelection;
}

EditEffect CharEditor::PreviousStroke() {
    if (!CurrentStroke() || currentStroke == 0) return kEditNothing;
    --currentStroke;
    currentPoint = 0;
    return kEditSelection;
}

EditEffect CharEditor::StrokeUp() {
    if (!CurrentStroke() || currentStroke == 0) return kEditNothing;
    std::swap(ch_->strokes[currentStroke], ch_->strokes[currentStroke - 1]);
    --currentStroke;
    return kEditChanged;
}

EditEffect CharEditor::StrokeDown() {
    if (!CurrentStroke() || currentStroke + 1 >= static_cast<int>(ch_->strokes.size())) return kEditNothing;
    std::swap(ch_->strokes[currentStroke], ch_->strokes[currentStroke + 1]);
    ++currentStroke;
    return kEditChanged;
}

EditEffect CharEditor::NewPoint() {
    Stroke *s = CurrentStroke();
    if (s && !s->points.empty()) return AddPoint(s->points.back().x + 1, s->points.back().y + 1);
    return AddPoint(0, 0);
}

EditEffect CharEditor::DeletePoint() {
    if (!CurrentPoint()) return kEditNothing;
    Stroke &s = *CurrentStroke();
    if (s.points.size() == 1) return DeleteStroke();
    s.points.erase(s.points.begin() + currentPoint);
    if (currentPoint >= static_cast<int>(s.points.size())) --currentPoint;
    return kEditChanged;
}

EditEffect CharEditor::NextPoint() {
    if (!CurrentPoint() || currentPoint + 1 >= static_cast<int>(CurrentStroke()->points.size())) return kEditNothing;
    ++currentPoint;
    return kEditSelection;
}

EditEffect CharEditor::PreviousPoint() {
    if (!CurrentPoint() || currentPoint == 0) return kEditNothing;
    --currentPoint;
    return kEditSelection;
}

std::string CharEditor::StrokeStatus() const {
    const int n = static_cast<int>(ch_->strokes.size());
    if (!CurrentStroke()) return std::to_string(n) + " strokes";
    return Format("S#%d of %d", currentStroke + 1, n);
}

std::string CharEditor::PointStatus() const {
    if (!CurrentStroke()) return "";
    if (!CurrentPoint()) return std::to_string(ch_->strokes.size()) + " strokes";
    return Format("P#%d of %d", currentPoint + 1, static_cast<int>(CurrentStroke()->points.size()));
}

// --- Saving.

FontFileResult SaveFontReplacing(const std::string &path, const FChar *chars, ReplaceFileFn replace) {
    if (path.empty()) return kFontFileCannotCreate;
    const std::string temporary = path + ".tmp";
    FontFileResult result = StrokeFontFile::Write(temporary.c_str(), chars);
    if (result == kFontFileOk && !replace(temporary.c_str(), path.c_str())) result = kFontFileWriteFailed;
    if (result != kFontFileOk) std::remove(temporary.c_str());
    return result;
}
