#include "graphics_host.h"
#include "safe_save.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

// Without the host's replacement: rename, which replaces the target in one
// step on POSIX; where it refuses an existing target (Win32's C library) the
// target goes first. The program always installs the one-step replacement.
static int RenameFile(const char *from, const char *to) {
    if (std::rename(from, to) == 0) return 1;
    return std::remove(to) == 0 && std::rename(from, to) == 0;
}

static void ReleaseNames(SafeSave *save) {
    free(save->target);
    free(save->temporary);
    save->target = save->temporary = nullptr;
    save->file = nullptr;
}

// Copies the old file's bytes; a missing file is an empty one.
static int CopyOldBytes(FILE *to, const char *path) {
    FILE *from = fopen(path, "rb");
    if (!from) return errno == ENOENT;
    char buffer[16384];
    size_t n;
    int ok = 1;
    while (ok && (n = fread(buffer, 1, sizeof buffer, from)) > 0) ok = fwrite(buffer, 1, n, to) == n;
    if (ferror(from)) ok = 0;
    fclose(from);
    return ok;
}

int BeginSafeSave(SafeSave *save, const char *path, int keepOld) {
    memset(save, 0, sizeof *save);
    static const char kSuffix[] = ".vr~";
    size_t n = strlen(path);
    save->target = static_cast<char *>(malloc(n + 1));
    save->temporary = static_cast<char *>(malloc(n + sizeof kSuffix));
    if (!save->target || !save->temporary) {
        ReleaseNames(save);
        errno = ENOMEM;
        return 0;
    }
    memcpy(save->target, path, n + 1);
    memcpy(save->temporary, path, n);
    memcpy(save->temporary + n, kSuffix, sizeof kSuffix);
    save->file = fopen(save->temporary, "wb");
    if (!save->file) {
        int error = errno;
        ReleaseNames(save);
        errno = error;
        return 0;
    }
    if (keepOld && !CopyOldBytes(save->file, path)) {
        int error = errno ? errno : EIO;
        AbandonSafeSave(save);
        errno = error;
        return 0;
    }
    return 1;
}

int CommitSafeSave(SafeSave *save) {
    int ok = 1;
    if (save->file) ok = !ferror(save->file) && fclose(save->file) == 0;
    save->file = nullptr;
    ok = ok && (gGraphicsHost.replaceFile ? gGraphicsHost.replaceFile : RenameFile)(save->temporary, save->target);
    if (!ok) remove(save->temporary);
    ReleaseNames(save);
    return ok;
}

void AbandonSafeSave(SafeSave *save) {
    if (save->file) fclose(save->file);
    if (save->temporary) remove(save->temporary);
    ReleaseNames(save);
}
