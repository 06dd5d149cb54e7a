// Replays a corpus through a fuzz target without fuzzing: every file of the
// folders (and every file) named on the command line, in name order, once.
// The normal test run uses it, so a corpus file that once crashed, hung or
// broke a round trip keeps doing its job with the ordinary compiler.
// 64-bit inode numbers and sizes in a 32-bit program: without them stat and
// readdir fail on large file systems.
#define _FILE_OFFSET_BITS 64
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fuzz_target.h"

namespace {

bool ReadWhole(const std::string &path, std::vector<uint8_t> &out) {
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    out.clear();
    uint8_t block[65536];
    for (size_t n; (n = std::fread(block, 1, sizeof block, f)) > 0;) out.insert(out.end(), block, block + n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

void Collect(const std::string &path, std::vector<std::string> &files) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return;
    if (!S_ISDIR(st.st_mode)) {
        files.push_back(path);
        return;
    }
    DIR *dir = opendir(path.c_str());
    if (!dir) return;
    std::vector<std::string> names;
    while (dirent *e = readdir(dir))
        if (e->d_name[0] != '.') names.push_back(e->d_name);
    closedir(dir);
    std::sort(names.begin(), names.end());
    for (const std::string &n : names) Collect(path + "/" + n, files);
}

}  // namespace

int main(int argc, char **argv) {
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) Collect(argv[i], files);
    if (files.empty()) {
        std::fprintf(stderr, "replay: no corpus files\n");
        return 1;
    }
    std::vector<uint8_t> data;
    for (const std::string &f : files) {
        if (!ReadWhole(f, data)) {
            std::fprintf(stderr, "replay: cannot read %s\n", f.c_str());
            return 1;
        }
        std::fprintf(stderr, "replay: %s\n", f.c_str());
        // A copy of exactly the file's size, so that a read past the end is seen.
        uint8_t *copy = static_cast<uint8_t *>(std::malloc(data.size() ? data.size() : 1));
        std::copy(data.begin(), data.end(), copy);
        LLVMFuzzerTestOneInput(copy, data.size());
        std::free(copy);
    }
    std::printf("replayed %zu corpus files\n", files.size());
    return 0;
}
