#include "dib.h"

#include <cstdlib>
#include <cstring>

#include "heap.h"
#include "safe_save.h"

namespace {

uint32_t Get32(const unsigned char *p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}
uint16_t Get16(const unsigned char *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
void Put32(unsigned char *p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
void Put16(unsigned char *p, uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

bool ReadExactly(FILE *file, void *to, size_t n) { return fread(to, 1, n, file) == n; }

}  // namespace

void ParseBmpInfo(const unsigned char *h, BmpInfo *info) {
    info->headerSize = Get32(h);
    info->width = static_cast<int32_t>(Get32(h + 4));
    info->height = static_cast<int32_t>(Get32(h + 8));
    info->planes = Get16(h + 12);
    info->bitCount = Get16(h + 14);
    info->compression = Get32(h + 16);
    info->sizeImage = Get32(h + 20);
    info->xPelsPerMeter = static_cast<int32_t>(Get32(h + 24));
    info->yPelsPerMeter = static_cast<int32_t>(Get32(h + 28));
    info->clrUsed = Get32(h + 32);
    info->clrImportant = Get32(h + 36);
}

void StoreBmpInfo(const BmpInfo &info, unsigned char *h) {
    Put32(h, info.headerSize);
    Put32(h + 4, static_cast<uint32_t>(info.width));
    Put32(h + 8, static_cast<uint32_t>(info.height));
    Put16(h + 12, info.planes);
    Put16(h + 14, info.bitCount);
    Put32(h + 16, info.compression);
    Put32(h + 20, info.sizeImage);
    Put32(h + 24, static_cast<uint32_t>(info.xPelsPerMeter));
    Put32(h + 28, static_cast<uint32_t>(info.yPelsPerMeter));
    Put32(h + 32, info.clrUsed);
    Put32(h + 36, info.clrImportant);
}

void FreeDib(DibBlock *dib) {
    HeapRelease(dib->bytes);
    dib->bytes = nullptr;
    dib->size = 0;
}

uint32_t GetDibColorCount(const BmpInfo &info) {
    if (info.headerSize == kBmpInfoHeaderSize && info.clrUsed) return info.clrUsed;
    switch (info.bitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

uint32_t GetDibColorTableSize(const BmpInfo &info) {
    return GetDibColorCount(info) * (info.headerSize == kBmpCoreHeaderSize ? 3 : 4);
}

uint32_t DibRowBytes(uint32_t bitCount, uint32_t width) { return (bitCount * width + 31) / 32 * 4; }

const unsigned char *GetDibBitsPointer(const DibBlock &dib) {
    BmpInfo info;
    ParseBmpInfo(dib.bytes, &info);
    return dib.bytes + info.headerSize + GetDibColorTableSize(info);
}

BmpStatus CheckBmpInfo(const BmpInfo &info, uint32_t *imageBytes) {
    if (info.headerSize != kBmpInfoHeaderSize) return kBmpBadHeaderSize;
    const bool depthOk = info.bitCount == 1 || info.bitCount == 4 || info.bitCount == 8 ||
                         info.bitCount == 16 || info.bitCount == 24 || info.bitCount == 32;
    // INT32_MIN has no positive counterpart; the cap keeps it out.
    if (info.width <= 0 || info.width > kBmpMaxSide || info.height == 0 || info.height < -kBmpMaxSide ||
        info.height > kBmpMaxSide || info.planes != 1 || !depthOk)
        return kBmpBadDimensions;
    const bool rle = info.compression == kBiRle8 || info.compression == kBiRle4;
    if (info.compression != kBiRgb && !rle) return kBmpBadCompression;
    // Run-length rows are stored bottom-up at their own depth.
    if (rle && (info.height < 0 || info.bitCount != (info.compression == kBiRle8 ? 8 : 4)))
        return kBmpBadCompression;
    // A table may stand before rows of any depth, but never more entries
    // than the depth can index, and never more than 256.
    const uint32_t colors = GetDibColorCount(info);
    if (colors > 256 || (info.bitCount <= 8 && colors > (1u << info.bitCount))) return kBmpBadColorCount;
    const uint64_t rows = static_cast<uint64_t>(info.height < 0 ? -static_cast<int64_t>(info.height) : info.height);
    const uint64_t needed = rows * DibRowBytes(info.bitCount, static_cast<uint32_t>(info.width));
    if (needed > kBmpMaxImageBytes) return kBmpTooLarge;
    if (rle) {
        // Compressed rows have no size but the stated one.
        if (info.sizeImage == 0) return kBmpBadImageSize;
        if (info.sizeImage > kBmpMaxImageBytes) return kBmpTooLarge;
        *imageBytes = info.sizeImage;
    } else {
        // The rows' size is what the dimensions give; a larger stated size
        // buys nothing (a writer may pad), a smaller one is a broken header.
        if (info.sizeImage != 0 && info.sizeImage < needed) return kBmpBadImageSize;
        *imageBytes = static_cast<uint32_t>(needed);
    }
    return kBmpOk;
}

BmpStatus CheckDib(const unsigned char *bytes, size_t size) {
    if (!bytes || size < kBmpInfoHeaderSize) return kBmpTruncated;
    BmpInfo info;
    ParseBmpInfo(bytes, &info);
    uint32_t image;
    BmpStatus status = CheckBmpInfo(info, &image);
    if (status != kBmpOk) return status;
    if (size < kBmpInfoHeaderSize + GetDibColorTableSize(info) + static_cast<uint64_t>(image)) return kBmpTruncated;
    return kBmpOk;
}

// The 12-byte core header as a 40-byte one: 16-bit sizes widened, no
// compression, the colour count written out.
static BmpStatus ReadCoreHeader(FILE *file, BmpInfo *info) {
    unsigned char core[kBmpCoreHeaderSize - 4];
    if (!ReadExactly(file, core, sizeof core)) return kBmpTruncated;
    memset(info, 0, sizeof *info);
    info->headerSize = kBmpCoreHeaderSize;
    info->width = Get16(core);
    info->height = Get16(core + 2);
    info->planes = Get16(core + 4);
    info->bitCount = Get16(core + 6);
    info->clrUsed = GetDibColorCount(*info);
    info->headerSize = kBmpInfoHeaderSize;
    return kBmpOk;
}

BmpStatus ReadBmpHeader(FILE *file, DibBlock *dib, uint32_t *imageBytes) {
    dib->bytes = nullptr;
    dib->size = 0;
    const long start = ftell(file);
    unsigned char fileHeader[kBmpFileHeaderSize];
    uint32_t rowsOffset = 0;
    size_t got = fread(fileHeader, 1, sizeof fileHeader, file);
    if (got == sizeof fileHeader && fileHeader[0] == 'B' && fileHeader[1] == 'M') {
        rowsOffset = Get32(fileHeader + 10);
    } else if (fseek(file, start, SEEK_SET) != 0) {
        return kBmpTruncated;
    }
    // The header's size first: a core header with a tiny picture can end
    // before 40 bytes would.
    unsigned char header[kBmpInfoHeaderSize];
    if (!ReadExactly(file, header, 4)) return kBmpTruncated;
    const uint32_t diskHeader = Get32(header);
    BmpInfo info;
    if (diskHeader == kBmpCoreHeaderSize) {
        BmpStatus status = ReadCoreHeader(file, &info);
        if (status != kBmpOk) return status;
    } else if (diskHeader == kBmpInfoHeaderSize) {
        if (!ReadExactly(file, header + 4, kBmpInfoHeaderSize - 4)) return kBmpTruncated;
        ParseBmpInfo(header, &info);
    } else {
        return kBmpBadHeaderSize;
    }
    BmpStatus status = CheckBmpInfo(info, imageBytes);
    if (status != kBmpOk) return status;
    // The block states the size it holds.
    info.sizeImage = *imageBytes;
    if (info.clrUsed == 0) info.clrUsed = GetDibColorCount(info);
    const uint32_t colors = GetDibColorCount(info);
    const size_t tableBytes = 4u * colors;
    dib->size = kBmpInfoHeaderSize + tableBytes;
    dib->bytes = static_cast<unsigned char *>(HeapAllocZeroed(dib->size));
    if (!dib->bytes) {
        dib->size = 0;
        return kBmpNoMemory;
    }
    StoreBmpInfo(info, dib->bytes);
    unsigned char *table = dib->bytes + kBmpInfoHeaderSize;
    const size_t entry = diskHeader == kBmpCoreHeaderSize ? 3 : 4;
    status = ReadExactly(file, table, entry * colors) ? kBmpOk : kBmpTruncated;
    if (status == kBmpOk && entry == 3) {
        // Widened in place from the last entry backwards, so no entry is
        // overwritten before it has moved.
        for (uint32_t i = colors; i-- > 0;) {
            unsigned char b = table[3 * i], g = table[3 * i + 1], r = table[3 * i + 2];
            table[4 * i] = b;
            table[4 * i + 1] = g;
            table[4 * i + 2] = r;
            table[4 * i + 3] = 0;
        }
    }
    if (status == kBmpOk && rowsOffset != 0) {
        if (rowsOffset < kBmpFileHeaderSize + diskHeader ||
            fseek(file, start + static_cast<long>(rowsOffset), SEEK_SET) != 0)
            status = kBmpTruncated;
    }
    if (status != kBmpOk) FreeDib(dib);
    return status;
}

BmpStatus ReadBmpFile(const char *path, DibBlock *dib) {
    dib->bytes = nullptr;
    dib->size = 0;
    FILE *file = fopen(path, "rb");
    if (!file) return kBmpCannotOpen;
    BmpStatus status = ReadBmpStream(file, dib);
    fclose(file);
    return status;
}

// Reads the rows behind the header and table, the block growing as the
// bytes arrive: a size that a header claims buys no memory before the file
// shows that it holds it.
static BmpStatus ReadRows(FILE *file, DibBlock *dib, uint32_t image) {
    const size_t headerBytes = dib->size;
    size_t filled = 0;
    while (filled < image) {
        const size_t capacity = filled < kBmpFirstReadBytes / 2 ? kBmpFirstReadBytes : 2 * filled;
        const size_t want = (capacity < image ? capacity : image) - filled;
        unsigned char *grown = static_cast<unsigned char *>(HeapResize(dib->bytes, headerBytes + filled + want));
        if (!grown) return kBmpNoMemory;
        dib->bytes = grown;
        dib->size = headerBytes + filled + want;
        const size_t got = fread(grown + headerBytes + filled, 1, want, file);
        filled += got;
        if (got < want) return kBmpTruncated;
    }
    return kBmpOk;
}

BmpStatus ReadBmpStream(FILE *file, DibBlock *dib) {
    uint32_t image = 0;
    BmpStatus status = ReadBmpHeader(file, dib, &image);
    if (status == kBmpOk) status = ReadRows(file, dib, image);
    if (status != kBmpOk) FreeDib(dib);
    return status;
}

BmpStatus GetDibInfo(const DibBlock &dib, BmpInfo *info) {
    BmpStatus status = CheckDib(dib.bytes, dib.size);
    if (status != kBmpOk) return status;
    ParseBmpInfo(dib.bytes, info);
    uint32_t image;
    CheckBmpInfo(*info, &image);
    info->sizeImage = image;
    if (info->clrUsed == 0) info->clrUsed = GetDibColorCount(*info);
    return kBmpOk;
}

BmpStatus WriteBmpFile(const char *path, const DibBlock &dib) {
    BmpStatus status = CheckDib(dib.bytes, dib.size);
    if (status != kBmpOk) return status;
    if (dib.size > kBmpMaxImageBytes + 2048u) return kBmpTooLarge;
    BmpInfo info;
    ParseBmpInfo(dib.bytes, &info);
    unsigned char fileHeader[kBmpFileHeaderSize] = {'B', 'M'};
    Put32(fileHeader + 2, static_cast<uint32_t>(dib.size + kBmpFileHeaderSize));
    Put32(fileHeader + 10, kBmpFileHeaderSize + info.headerSize + GetDibColorTableSize(info));
    SafeSave save;
    if (!BeginSafeSave(&save, path, 0)) return kBmpCannotOpen;
    if (fwrite(fileHeader, 1, sizeof fileHeader, save.file) != sizeof fileHeader ||
        fwrite(dib.bytes, 1, dib.size, save.file) != dib.size) {
        AbandonSafeSave(&save);
        return kBmpWriteFailed;
    }
    return CommitSafeSave(&save) ? kBmpOk : kBmpWriteFailed;
}
