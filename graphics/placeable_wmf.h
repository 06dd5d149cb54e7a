// The 22-byte placeable header in front of a Windows metafile's bits: key,
// handle, bounding box, units per inch, reserved, checksum (little-endian).
// Written for every saved metafile; read back, and checked before its box
// and inch are used to size a picture.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7u;
constexpr size_t kPlaceableHeaderSize = 22;
// The standard Windows metafile header that must follow it.
constexpr size_t kWindowsMetafileHeaderSize = 18;

struct PlaceableHeader {
    int16_t left, top, right, bottom;
    uint16_t inch;
};

// The writer's template: box 0, 0, 1600, 1150 and 576 units per inch.
extern PlaceableHeader gPlaceableTemplate;
// The last placeable header read; key 0 (all zero) when the last metafile
// read had none.
extern PlaceableHeader gLastPlaceableHeader;
extern int gLastPlaceableValid;

// XOR of the ten 16-bit words before the checksum.
uint16_t PlaceableWmfChecksum(const unsigned char *header);
// The 22 bytes of header, checksum included.
void StorePlaceableHeader(const PlaceableHeader &header, unsigned char *out);

enum WmfStatus {
    kWmfOk = 0,
    kWmfNotPlaceable,  // no key: some other kind of file
    kWmfTruncated,     // shorter than its headers
    kWmfZeroInch,      // units per inch 0: the box cannot be measured
    kWmfCannotWrite,
};

// Checks the header at the start of data: the key, a non-zero inch, and the
// Windows metafile header behind it. On kWmfOk *header is filled and the
// metafile's own bits start kPlaceableHeaderSize bytes in.
WmfStatus ParsePlaceableHeader(const unsigned char *data, size_t size, PlaceableHeader *header);

// The box in hundredths of a millimetre, as metafile pictures measure it.
void PlaceableExtentHimetric(const PlaceableHeader &header, int32_t *cx, int32_t *cy);

// Header and bits through a temporary file; errno holds the reason of
// kWmfCannotWrite.
WmfStatus WritePlaceableWmfFile(const char *path, const PlaceableHeader &header, const void *bits, size_t size);
