#include "placeable_wmf.h"

#include <cstring>

#include "safe_save.h"

PlaceableHeader gPlaceableTemplate = {0, 0, 1600, 1150, 576};
PlaceableHeader gLastPlaceableHeader;
int gLastPlaceableValid;

static uint16_t Word(const unsigned char *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
static void PutWord(unsigned char *p, uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

uint16_t PlaceableWmfChecksum(const unsigned char *header) {
    uint16_t sum = 0;
    for (int i = 0; i < 10; ++i) sum ^= Word(header + 2 * i);
    return sum;
}

void StorePlaceableHeader(const PlaceableHeader &h, unsigned char *out) {
    memset(out, 0, kPlaceableHeaderSize);
    PutWord(out, static_cast<uint16_t>(kPlaceableKey & 0xFFFF));
    PutWord(out + 2, static_cast<uint16_t>(kPlaceableKey >> 16));
    PutWord(out + 6, static_cast<uint16_t>(h.left));
    PutWord(out + 8, static_cast<uint16_t>(h.top));
    PutWord(out + 10, static_cast<uint16_t>(h.right));
    PutWord(out + 12, static_cast<uint16_t>(h.bottom));
    PutWord(out + 14, h.inch);
    PutWord(out + 20, PlaceableWmfChecksum(out));
}

WmfStatus ParsePlaceableHeader(const unsigned char *data, size_t size, PlaceableHeader *h) {
    if (size < 4) return kWmfTruncated;
    if ((Word(data) | static_cast<uint32_t>(Word(data + 2)) << 16) != kPlaceableKey) return kWmfNotPlaceable;
    if (size < kPlaceableHeaderSize + kWindowsMetafileHeaderSize) return kWmfTruncated;
    h->left = static_cast<int16_t>(Word(data + 6));
    h->top = static_cast<int16_t>(Word(data + 8));
    h->right = static_cast<int16_t>(Word(data + 10));
    h->bottom = static_cast<int16_t>(Word(data + 12));
    h->inch = Word(data + 14);
    // Writers disagree on the checksum; it is not held against a file.
    return h->inch == 0 ? kWmfZeroInch : kWmfOk;
}

void PlaceableExtentHimetric(const PlaceableHeader &h, int32_t *cx, int32_t *cy) {
    *cx = static_cast<int32_t>((static_cast<int32_t>(h.right) - h.left) * 2540 / h.inch);
    *cy = static_cast<int32_t>((static_cast<int32_t>(h.bottom) - h.top) * 2540 / h.inch);
}

WmfStatus WritePlaceableWmfFile(const char *path, const PlaceableHeader &header, const void *bits, size_t size) {
    unsigned char bytes[kPlaceableHeaderSize];
    StorePlaceableHeader(header, bytes);
    SafeSave save;
    if (!BeginSafeSave(&save, path, 0)) return kWmfCannotWrite;
    if (fwrite(bytes, 1, sizeof bytes, save.file) != sizeof bytes || fwrite(bits, 1, size, save.file) != size) {
        AbandonSafeSave(&save);
        return kWmfCannotWrite;
    }
    return CommitSafeSave(&save) ? kWmfOk : kWmfCannotWrite;
}
