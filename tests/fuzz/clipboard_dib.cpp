// Packed bitmaps as another program puts them on the clipboard: whatever
// the bytes, CheckDib gives a status, and a block it accepts holds its
// header, table and every row inside the bytes given (ASan sees a read
// past them).
#include "dib.h"
#include "fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (CheckDib(data, size) != kBmpOk) return 0;
    DibBlock dib = {const_cast<uint8_t *>(data), size};
    BmpInfo info;
    FuzzCheck(GetDibInfo(dib, &info) == kBmpOk);
    const unsigned char *rows = GetDibBitsPointer(dib);
    FuzzCheck(rows >= data && rows + info.sizeImage <= data + size);
    uint32_t image;
    FuzzCheck(CheckBmpInfo(info, &image) == kBmpOk && image == info.sizeImage);
    if (info.sizeImage) {
        volatile unsigned char last = rows[info.sizeImage - 1];
        (void)last;
    }
    return 0;
}
