// BMP files and placeable metafile headers: whatever the bytes, the reader
// gives a status, and a block it accepts holds every byte its header says
// it has (ASan sees any read past it).
#include <cstring>

#include "dib.h"
#include "fuzz_target.h"
#include "placeable_wmf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    FILE *f = fmemopen(const_cast<uint8_t *>(data), size, "rb");
    if (!f) return 0;
    DibBlock dib{};
    if (ReadBmpStream(f, &dib) == kBmpOk) {
        FuzzCheck(CheckDib(dib.bytes, dib.size) == kBmpOk);
        BmpInfo info;
        FuzzCheck(GetDibInfo(dib, &info) == kBmpOk);
        const unsigned char *rows = GetDibBitsPointer(dib);
        FuzzCheck(rows >= dib.bytes && rows <= dib.bytes + dib.size);
        volatile unsigned char last = dib.bytes[dib.size - 1];
        (void)last;
        FreeDib(&dib);
    } else {
        FuzzCheck(dib.bytes == nullptr);
    }
    fclose(f);
    PlaceableHeader header;
    if (ParsePlaceableHeader(data, size, &header) == kWmfOk) {
        FuzzCheck(header.inch != 0 && size >= kPlaceableHeaderSize + kWindowsMetafileHeaderSize);
        int32_t cx, cy;
        PlaceableExtentHimetric(header, &cx, &cy);
    }
    return 0;
}
