// File-dialog filters built from the image library's list of formats, and
// the choice of writer or reader that follows from the dialog's answer. The
// library is reached through a table of its calls, so the filters are built
// and tested without it.
#pragma once

// The library's format enumeration, by format number.
struct ImageFormatList {
    int (*count)();
    const char *(*name)(int format);         // "PNG"
    const char *(*extensions)(int format);   // "png" or "jpg,jif,jpeg"
    const char *(*description)(int format);
    int (*supportsReading)(int format);
    int (*supportsExportBpp)(int format, int bpp);
};

// The filters as NUL-separated pairs ending in a double NUL, in a heap block
// sized to the list (free with std::free); null without memory. *entries
// gets the number of pairs before "All Files".
// Read: "All graphics files", one pair per readable format, and after the
// first format's pair "Windows metafiles (emf)".
char *BuildReadFilter(const ImageFormatList &list, int *entries);
// Write, for pictures of depth bits: the program's own "Uncompressed bitmap
// (bmp)" and "Windows metafile (wmf)" first, then every format that exports
// that depth (PGM, PBM, PPM left out where they would lose colour).
char *BuildWriteFilter(const ImageFormatList &list, int depth, int *entries);

// The whole filter's length, the final double NUL included.
unsigned long FilterLength(const char *filter);

enum PictureChoice { kPictureCancelled = 0, kPictureBmp = 1, kPictureMetafile = 2, kPictureLibrary = 3 };

// Which writer or reader a chosen name and filter index (1-based, counting
// every pair of the dialog's filter) stand for. The program's filter starts
// with two pairs (bitmaps, metafiles), then the library's: on reading "All
// graphics files" and the first format, then "Windows metafiles (emf)".
// The extension decides first: .wmf and .emf are metafiles, .bmp the
// program's own bitmap unless the library reads it; a name without one goes
// by the pair chosen.
PictureChoice ChoosePictureFormat(const char *name, int filterIndex, bool save, bool libraryLoaded);
