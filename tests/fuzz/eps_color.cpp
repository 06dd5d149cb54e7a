// EPS colour conversion, both ways: a file that converts one way converts
// back to its own bytes; a larger file with included EPS files is scanned in
// both directions.
#include <string>

#include "eps_color.h"
#include "fuzz_target.h"

namespace {

// Runs convert over the bytes; the result and the bytes written.
template <class Convert>
EpsResult Run(const std::string &in, std::string &out, Convert convert) {
    FILE *src = fmemopen(const_cast<char *>(in.data()), in.size(), "rb");
    char *buffer = nullptr;
    size_t length = 0;
    FILE *dst = open_memstream(&buffer, &length);
    if (!src || !dst) std::abort();
    const EpsResult r = convert(src, dst);
    std::fclose(src);
    std::fclose(dst);
    out.assign(buffer, length);
    std::free(buffer);
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;  // fmemopen takes no empty buffer
    const std::string in(reinterpret_cast<const char *>(data), size);
    for (EpsDirection d : {EPS_TO_MONO, EPS_TO_COLOR}) {
        const EpsDirection back = d == EPS_TO_MONO ? EPS_TO_COLOR : EPS_TO_MONO;
        std::string once, twice;
        const EpsResult r = Run(in, once, [d](FILE *s, FILE *o) { return ConvertSingleEps(s, o, d); });
        if (r == EPS_CONVERTED) {
            FuzzCheck(Run(once, twice, [back](FILE *s, FILE *o) { return ConvertSingleEps(s, o, back); }) ==
                      EPS_CONVERTED);
            FuzzCheck(twice == in);
        }
        if (r == EPS_ALREADY) FuzzCheck(once == in);
        int converted = -1;
        Run(in, once, [d, &converted](FILE *s, FILE *o) { return ConvertIncludedEps(s, o, d, &converted); });
        FuzzCheck(converted >= 0);
    }
    return 0;
}
