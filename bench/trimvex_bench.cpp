// Point-data throughput: a 10-million-point .double file thinned and clipped
// through the point filter, next to a plain copy of the same file through
// the same reader and writer. Run by hand:
//   trimvex_bench [scratch directory]
// The goal is at least half the copy's speed.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>

#include "pointdata.h"

namespace {

constexpr long kPoints = 10000000;
constexpr long kPolylineLength = 100000;  // a break now and then

// A Lissajous curve with many loops across the clipping rectangle; steps of
// up to 3e-4 so that thinning at 2e-4 drops some points and keeps most.
void WriteInput(const std::string &path) {
    FILE *file = fopen(path.c_str(), "wb");
    PointWriter w;
    if (!file || !OpenPointWriter(&w, file, kPointDouble, nullptr, nullptr, 1)) {
        fprintf(stderr, "can't write %s\n", path.c_str());
        exit(1);
    }
    for (long i = 0; i < kPoints; ++i) {
        if (i && i % kPolylineLength == 0) WritePointBreak(&w);
        double t = i * 1e-4;
        WritePointPair(&w, std::sin(3 * t), std::sin(4 * t));
    }
    FinishPointWriter(&w);
    ClosePointWriter(&w);
    fclose(file);
}

// Seconds for one pass over the input, filtered or copied.
double Pass(const std::string &in, const std::string &out, bool filter) {
    auto start = std::chrono::steady_clock::now();
    FILE *src = fopen(in.c_str(), "rb"), *dst = fopen(out.c_str(), "wb");
    PointReader r;
    PointWriter w;
    if (!src || !dst || !OpenPointReader(&r, src, kPointDouble, nullptr, 0, 0) ||
        !OpenPointWriter(&w, dst, kPointDouble, nullptr, nullptr, 1)) {
        fprintf(stderr, "can't open %s or %s\n", in.c_str(), out.c_str());
        exit(1);
    }
    if (filter) {
        PointFilter f;
        InitPointFilter(&f, &w);
        SetFilterThinning(&f, 2e-4);
        SetFilterClipping(&f, -0.9, -0.9, 0.9, 0.9);
        FilterPointStream(&r, &f);
    } else {
        double x, y;
        for (PointItem item; (item = ReadPointItem(&r, &x, &y)) != kItemEnd;) {
            if (item == kItemPoint) WritePointPair(&w, x, y);
            else WritePointBreak(&w);
        }
    }
    FinishPointWriter(&w);
    ClosePointWriter(&w);
    ClosePointReader(&r);
    fclose(src);
    fclose(dst);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

long FileSize(const std::string &path) {
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return -1;
    fseek(f, 0, SEEK_END);
    long size = ftell(f);
    fclose(f);
    return size;
}

}  // namespace

int main(int argc, char **argv) {
    const std::string dir = argc > 1 ? std::string(argv[1]) + "/" : "";
    const std::string in = dir + "bench-in.double", copy = dir + "bench-copy.double",
                      trimmed = dir + "bench-trimmed.double";
    WriteInput(in);
    // Best of three, alternating, so both see the same cache and disk.
    double copySeconds = 1e30, filterSeconds = 1e30;
    for (int round = 0; round < 3; ++round) {
        copySeconds = std::fmin(copySeconds, Pass(in, copy, false));
        filterSeconds = std::fmin(filterSeconds, Pass(in, trimmed, true));
    }
    printf("input:           %ld points, %ld bytes\n", kPoints, FileSize(in));
    printf("copy:            %.3f s, %.1f million points/s\n", copySeconds, kPoints / copySeconds / 1e6);
    printf("thin and clip:   %.3f s, %.1f million points/s (%ld bytes written)\n", filterSeconds,
           kPoints / filterSeconds / 1e6, FileSize(trimmed));
    printf("ratio:           %.2f of the copy's speed (goal: at least 0.50)\n", copySeconds / filterSeconds);
    remove(in.c_str());
    remove(copy.c_str());
    remove(trimmed.c_str());
    return 0;
}
