// The expression compiler's speed: a set of texts as users write them
// (the Lorenz and Lorenz-96 equations, calls, conditionals, folds, errors)
// compiled over and over, best of several rounds. Prints the time per
// compile; the engine tests check the code itself.
//
//   compiler_bench [rounds] [repeats]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "compiler.h"
#include "workspace.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> Texts() {
    std::vector<std::string> texts = {
        "10 * (x[2] - x[1])",
        "x[1] * (28 - x[3]) - x[2]",
        "x[1] * x[2] - 8 / 3 * x[3]",
        "IF(x[1] - 1, SIN(t) * EXP(-x[2] / 2), SQRT(ABS(x[3])), 0)",
        "MAX(x[1], x[2], x[3], 1e-3) - MIN(x[1] ^ 2, x[2] ^ -1, 2.5E+2)",
        "x[1] > 0 && x[2] <= 1 || !(x[3] == 2) ? ATAN2(x[1], x[2]) : PI * x0[1]",
        "  ((((x[1] + 1) * 2 - 3) / 4) % 5) \\ 6 + x[2]^^3  ",
        "x[1] * (28 - )",        // an operand missing
        "SIN(x[1]) + UNKNOWN(2)",  // an unknown function
    };
    const int n = 100;  // a Lorenz-96 ring
    auto name = [n](int i) { return "x[" + std::to_string((i + n) % n + 1) + "]"; };
    for (int i = 0; i < n; ++i)
        texts.push_back("(" + name(i + 1) + " - " + name(i - 2) + ") * " + name(i - 1) + " - " + name(i) + " + 8");
    return texts;
}

}  // namespace

int main(int argc, char **argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    const int repeats = argc > 2 ? std::atoi(argv[2]) : 2000;
    gProblemKind = kOdeSystem;
    gDimension = 100;
    if (!NewProblemWorkspace()) return 1;
    const std::vector<std::string> texts = Texts();
    std::vector<unsigned char> buffer(4096);
    double best = 1e300;
    const long long compiles = static_cast<long long>(repeats) * static_cast<long long>(texts.size());
    long long bytes = 0, failures = 0;
    for (int r = 0; r < rounds; ++r) {
        bytes = failures = 0;
        const Clock::time_point start = Clock::now();
        for (int k = 0; k < repeats; ++k)
            for (const std::string &text : texts) {
                const int length = CompileExpression(text.c_str(), buffer.data(), static_cast<int>(buffer.size()));
                bytes += length;
                failures += !length;
            }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (seconds < best) best = seconds;
    }
    std::printf("%lld compiles of %zu texts (%lld failed, %lld bytes of code), best of %d rounds: %.3f s, "
                "%.1f ns per compile\n", compiles, texts.size(), failures, bytes, rounds, best,
                best * 1e9 / static_cast<double>(compiles));
    FreeProblemWorkspace();
    return 0;
}
