// Packed device-independent bitmaps and BMP files. A packed bitmap is one
// block: a 40-byte info header, the colour table (4 bytes a colour), then
// the pixel rows. Screen images travel in this shape to the clipboard, the
// printer and BMP files; the Win32 side moves the bytes into global memory.
//
// Every header that comes from outside (a file, the clipboard) is checked
// before any size taken from it is used, so a bad picture gives a status and
// never a read past a block.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

constexpr uint32_t kBmpInfoHeaderSize = 40;
constexpr uint32_t kBmpCoreHeaderSize = 12;
constexpr uint32_t kBmpFileHeaderSize = 14;
// Largest picture accepted: far beyond any screen, small enough that sizes
// computed from it fit 32 bits with room to spare.
constexpr uint32_t kBmpMaxImageBytes = 256u << 20;
constexpr int32_t kBmpMaxSide = 65535;
// Rows are read in steps that start here and double, so a file that claims
// more than it holds costs no more than twice what it holds.
constexpr size_t kBmpFirstReadBytes = 64u << 10;

enum BmpCompression : uint32_t { kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2 };

// The info header's fields, little-endian on disk and in the block.
struct BmpInfo {
    uint32_t headerSize;
    int32_t width, height;  // height < 0: rows stored top-down
    uint16_t planes, bitCount;
    uint32_t compression, sizeImage;
    int32_t xPelsPerMeter, yPelsPerMeter;
    uint32_t clrUsed, clrImportant;
};

void ParseBmpInfo(const unsigned char *header, BmpInfo *info);
void StoreBmpInfo(const BmpInfo &info, unsigned char *header);

// A packed bitmap on the C heap; the owner frees it with FreeDib.
struct DibBlock {
    unsigned char *bytes;
    size_t size;
};
void FreeDib(DibBlock *dib);

// Colour count: the used-colours field of a 40-byte header when non-zero,
// else 2, 16, 256 for 1, 4, 8 bits and 0 for other depths.
uint32_t GetDibColorCount(const BmpInfo &info);
// 4 bytes a colour behind a 40-byte header, 3 behind a 12-byte one.
uint32_t GetDibColorTableSize(const BmpInfo &info);
// Bytes of one row: padded to a multiple of 4.
uint32_t DibRowBytes(uint32_t bitCount, uint32_t width);
// Start of the rows of a checked block.
const unsigned char *GetDibBitsPointer(const DibBlock &dib);

enum BmpStatus {
    kBmpOk = 0,
    kBmpCannotOpen,      // the file could not be opened or created
    kBmpTruncated,       // the data end before the header, table or rows do
    kBmpBadHeaderSize,   // neither a 12-byte nor a 40-byte header
    kBmpBadDimensions,   // width, height, planes or depth out of range
    kBmpBadCompression,  // a compression this program does not draw
    kBmpBadColorCount,   // more colours than the depth allows, or than 256
    kBmpBadImageSize,    // stated image size smaller than rows x stride
    kBmpTooLarge,        // beyond kBmpMaxImageBytes
    kBmpNoMemory,
    kBmpWriteFailed,
};

// Checks a header's fields and gives the bytes its rows take: what the
// dimensions and depth give, or the stated size when compressed (a larger
// stated size of uncompressed rows is ignored). The header may be the 12-byte kind turned into a
// 40-byte one.
BmpStatus CheckBmpInfo(const BmpInfo &info, uint32_t *imageBytes);

// Checks a whole packed block (as read from the clipboard): header, table
// and rows all inside size.
BmpStatus CheckDib(const unsigned char *bytes, size_t size);

// Reads a file header (when the data start with "BM") and the info header
// from the current position, a core header widened to 40 bytes with its
// 3-byte colours widened to 4. On success dib holds header and colour table
// (its image size the one that counts), *imageBytes the bytes the rows take,
// and the file stands at the rows.
BmpStatus ReadBmpHeader(FILE *file, DibBlock *dib, uint32_t *imageBytes);

// A whole BMP file into a packed block (rows beyond the file's end are an
// error, never zeros passed off as a picture).
BmpStatus ReadBmpFile(const char *path, DibBlock *dib);
// The same from an open stream's current position (the caller closes it).
BmpStatus ReadBmpStream(FILE *file, DibBlock *dib);

// The header of a checked block, with a zero image size and colour count
// filled in.
BmpStatus GetDibInfo(const DibBlock &dib, BmpInfo *info);

// Writes a checked block with its 14-byte file header, through a temporary
// file that replaces path only when everything was written.
BmpStatus WriteBmpFile(const char *path, const DibBlock &dib);
