// READ of the expression language's file channels: the first byte picks
// the file's kind, the first line is the channel's format (the default
// when it is not safe), the rest is the file. Reads go on until the error
// value; each one must leave the channel inside the file, never behind
// where it stood.
#include <cmath>
#include <cstring>
#include <string>
#include <unistd.h>

#include "file_channels.h"
#include "fuzz_target.h"
#include "memory.h"
#include "platform_recorder.h"

namespace {
std::string gPath;
void RemoveScratch() { std::remove(gPath.c_str()); }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    std::string &path = gPath;
    if (path.empty()) {
        char pattern[] = "/tmp/vr_fuzz_channelXXXXXX";
        const int fd = mkstemp(pattern);
        if (fd < 0) std::abort();
        close(fd);
        path = pattern;
        std::atexit(RemoveScratch);
    }
    std::string rest(reinterpret_cast<const char *>(data + 1), size - 1);
    const size_t eol = rest.find('\n');
    std::string format = eol == std::string::npos ? "" : rest.substr(0, eol).c_str();
    if (eol != std::string::npos) rest.erase(0, eol + 1);
    if (!IsSafeChannelFormat(format.c_str(), kFormatScanDouble)) format = "%lg";
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    std::fwrite(rest.data(), 1, rest.size(), f);
    std::fclose(f);

    gRecorder.Reset();
    InputChannel *c = SelectInputChannel(7);
    FuzzCheck(c != nullptr);
    SetNonEmptyStringCopy(c->fileName, path.c_str());
    SetNonEmptyStringCopy(c->format, format.c_str());
    c->kind = data[0] % 3;
    c->position = 0;
    int last = 0;
    for (size_t reads = 0; reads <= rest.size() + 1; ++reads) {
        const double v = ChannelRead(7);
        c = SelectInputChannel(7);
        FuzzCheck(c->position >= last && static_cast<size_t>(c->position) <= rest.size());
        if (v == INFINITY) break;
        // A value that took no byte would be read for ever.
        if (c->position == last) break;
        last = c->position;
    }
    FreeFileChannels();
    return 0;
}
