// Trimvex's readers, formats and filter: the first byte picks the input and
// output kinds and the options, the first three lines are the read, write
// and break formats as typed after /R, /W and /S, the rest is the data.
#include <cstring>
#include <string>

#include "fuzz_target.h"
#include "pointdata.h"
#include "trimvex.h"

namespace {

std::string TakeLine(std::string &rest) {
    const size_t eol = rest.find('\n');
    std::string line = rest.substr(0, eol);
    rest.erase(0, eol == std::string::npos ? rest.size() : eol + 1);
    return line;
}

// A format decoded as the command line does; the default when unsafe.
std::string Format(std::string typed, PointFormatUse use, const char *fallback) {
    typed.push_back(0);
    UnescapeString(&typed[0]);
    typed = typed.c_str();
    return CheckPointFormat(typed.c_str(), use) ? typed : fallback;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2) return 0;
    const unsigned flags = data[0];
    std::string rest(reinterpret_cast<const char *>(data + 1), size - 1);
    const std::string read = Format(TakeLine(rest), kFormatRead, "%lg%lg");
    const std::string write = Format(TakeLine(rest), kFormatWrite, "%lg %lg\n");
    const std::string brk = Format(TakeLine(rest), kFormatBreak, "\n");
    if (rest.empty()) rest = " ";  // fmemopen takes no empty buffer

    FILE *in = fmemopen(&rest[0], rest.size(), "rb");
    FILE *out = std::fopen("/dev/null", "wb");
    if (!in || !out) std::abort();
    PointReader reader;
    PointWriter writer;
    const int ignoreNan = (flags >> 4) & 1;
    if (!OpenPointReader(&reader, in, flags % 3, read.c_str(), kToolLineLimit, ignoreNan) ||
        !OpenPointWriter(&writer, out, (flags / 3) % 3, write.c_str(), brk.c_str(), !ignoreNan))
        std::abort();
    PointFilter filter;
    InitPointFilter(&filter, &writer);
    if (flags & 0x20) SetFilterThinning(&filter, 0.5);
    if (flags & 0x40) SetFilterClipping(&filter, 1, -2, -1, 2);
    filter.pointsOnly = (flags >> 7) & 1;
    FilterPointStream(&reader, &filter);
    FinishPointWriter(&writer);
    ClosePointWriter(&writer);
    ClosePointReader(&reader);
    std::fclose(in);
    std::fclose(out);
    return 0;
}
