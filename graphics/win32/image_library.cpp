#include "image_library.h"

#include <cstdio>
#include <cstdlib>

#include "library_loader.h"
#include "messages.h"
#include "safe_save.h"
#include "string_ids.h"

namespace {

typedef void *FiBitmap;
struct FreeImageCalls {
    int(__stdcall *GetFIFCount)();
    const char *(__stdcall *GetFormatFromFIF)(int);
    const char *(__stdcall *GetFIFExtensionList)(int);
    const char *(__stdcall *GetFIFDescription)(int);
    int(__stdcall *GetFIFFromFilename)(const char *);
    BOOL(__stdcall *FIFSupportsReading)(int);
    BOOL(__stdcall *FIFSupportsWriting)(int);
    BOOL(__stdcall *FIFSupportsExportBPP)(int, int);
    void(__stdcall *Unload)(FiBitmap);
    FiBitmap(__stdcall *Load)(int, const char *, int);
    BOOL(__stdcall *Save)(int, FiBitmap, const char *, int);
    int(__stdcall *GetFileType)(const char *, int);
    unsigned(__stdcall *GetWidth)(FiBitmap);
    unsigned(__stdcall *GetHeight)(FiBitmap);
    BYTE *(__stdcall *GetBits)(FiBitmap);
    BITMAPINFO *(__stdcall *GetInfo)(FiBitmap);
    FiBitmap(__stdcall *Allocate)(int, int, int, unsigned, unsigned, unsigned);
    FiBitmap(__stdcall *ConvertTo24Bits)(FiBitmap);
    FiBitmap(__stdcall *ConvertTo8Bits)(FiBitmap);
    FiBitmap(__stdcall *Copy)(FiBitmap, int, int, int, int);
};

// ORDER: the members of FreeImageCalls.
const char *const kEntryNames[] = {
    "_FreeImage_GetFIFCount@0",      "_FreeImage_GetFormatFromFIF@4", "_FreeImage_GetFIFExtensionList@4",
    "_FreeImage_GetFIFDescription@4", "_FreeImage_GetFIFFromFilename@4", "_FreeImage_FIFSupportsReading@4",
    "_FreeImage_FIFSupportsWriting@4", "_FreeImage_FIFSupportsExportBPP@8", "_FreeImage_Unload@4",
    "_FreeImage_Load@12",            "_FreeImage_Save@16",            "_FreeImage_GetFileType@8",
    "_FreeImage_GetWidth@4",         "_FreeImage_GetHeight@4",        "_FreeImage_GetBits@4",
    "_FreeImage_GetInfo@4",          "_FreeImage_Allocate@24",        "_FreeImage_ConvertTo24Bits@4",
    "_FreeImage_ConvertTo8Bits@4",   "_FreeImage_Copy@20",
};
static_assert(sizeof(FreeImageCalls) == sizeof kEntryNames, "one name per entry point");

// Format numbers the library gives its formats.
enum { kFifUnknown = -1, kFifIco = 1, kFifJpeg = 2, kFifPng = 13, kFifPpm = 14, kFifPpmRaw = 15, kFifTiff = 18 };

HMODULE gFreeImageModule;
int gFreeImageState = -1;
FreeImageCalls gFi;

int Count() { return gFi.GetFIFCount(); }
const char *Name(int i) { return gFi.GetFormatFromFIF(i); }
const char *Extensions(int i) { return gFi.GetFIFExtensionList(i); }
const char *Description(int i) { return gFi.GetFIFDescription(i); }
int Reads(int i) { return gFi.FIFSupportsReading(i); }
int Exports(int i, int bpp) { return gFi.FIFSupportsExportBPP(i, bpp); }
const ImageFormatList kList = {Count, Name, Extensions, Description, Reads, Exports};

// Formats that need 24 bits or a fixed size before saving; null when the
// library could not convert (the source is then still the caller's).
FiBitmap ConvertForFormat(FiBitmap bitmap, int format) {
    FiBitmap converted = bitmap;
    if (format == kFifIco) converted = gFi.Copy(bitmap, 0, 0, 64, 64);
    else if (format == kFifJpeg || format == kFifPng || format == kFifPpm || format == kFifPpmRaw || format == kFifTiff)
        converted = gFi.ConvertTo24Bits(bitmap);
    if (converted != bitmap && converted) gFi.Unload(bitmap);
    return converted;
}

int SaveFlagsForFormat(int format) { return format == kFifJpeg ? 128 : 0; }

}  // namespace

int LoadFreeImage() {
    if (gFreeImageState >= 0) return gFreeImageState;
    gFreeImageState = 0;
    if (!gFreeImageModule) gFreeImageModule = LoadLibrarySilently("FreeImage.dll");
    if (!gFreeImageModule) return 0;
    FARPROC *slots = reinterpret_cast<FARPROC *>(&gFi);
    for (size_t i = 0; i < sizeof kEntryNames / sizeof *kEntryNames; ++i) {
        slots[i] = GetProcAddress(gFreeImageModule, kEntryNames[i]);
        if (!slots[i]) return 0;
    }
    gFreeImageState = 1;
    return 1;
}

void UnloadFreeImage() {
    if (gFreeImageModule) FreeLibrary(gFreeImageModule);
    gFreeImageModule = nullptr;
    gFreeImageState = -1;
}

void ResetFreeImage() { UnloadFreeImage(); }

const ImageFormatList &FreeImageFormats() { return kList; }

char *BuildPictureFilter(int save, int *entries) {
    *entries = 0;
    if (LoadFreeImage() != 1) return nullptr;
    return save ? BuildWriteFilter(kList, 24, entries) : BuildReadFilter(kList, entries);
}

int ReadLibraryImage(const char *path, LibraryImage *image) {
    *image = {};
    if (LoadFreeImage() != 1) return 0;
    int format = gFi.GetFileType(path, 0);
    if (format == kFifUnknown) format = gFi.GetFIFFromFilename(path);
    if (format == kFifUnknown) return ShowErrorBox(IDS_CANNOT_LOAD_SCREEN);
    FiBitmap bitmap = gFi.Load(format, path, format == kFifJpeg ? 2 : 0);
    if (!bitmap) return 0;
    image->handle = bitmap;
    image->info = gFi.GetInfo(bitmap);
    image->bits = gFi.GetBits(bitmap);
    return 1;
}

void FreeLibraryImage(LibraryImage *image) {
    if (image->handle) gFi.Unload(image->handle);
    *image = {};
}

namespace {

// Writes the library bitmap through a temporary file, so that a failure
// leaves the old file as it was and no empty one behind.
int SaveFreeImageFile(int format, FiBitmap bitmap, const char *path) {
    SafeSave save;
    if (!BeginSafeSave(&save, path, 0)) return 0;
    std::fclose(save.file);
    save.file = nullptr;
    if (!gFi.Save(format, bitmap, save.temporary, SaveFlagsForFormat(format))) {
        AbandonSafeSave(&save);
        return 0;
    }
    return CommitSafeSave(&save);
}

}  // namespace

int WriteLibraryImage(HBITMAP picture, const char *path) {
    if (LoadFreeImage() != 1) return 0;
    // A name the library has no writer for is refused before anything is
    // written.
    const int format = gFi.GetFIFFromFilename(path);
    if (format == kFifUnknown || !gFi.FIFSupportsWriting(format)) return ShowErrorBox(IDS_CANNOT_SAVE_SCREEN);
    BITMAP bm;
    if (!picture || !GetObjectA(picture, sizeof bm, &bm)) return ShowErrorBox(IDS_CANNOT_SAVE_SCREEN);
    int result = 0;
    if (FiBitmap bitmap = gFi.Allocate(bm.bmWidth, bm.bmHeight, bm.bmBitsPixel * bm.bmPlanes, 0, 0, 0)) {
        // The device converts the pixels to the library bitmap's layout.
        HDC screen = GetDC(nullptr);
        GetDIBits(screen, picture, 0, gFi.GetHeight(bitmap), gFi.GetBits(bitmap), gFi.GetInfo(bitmap), DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
        FiBitmap converted = ConvertForFormat(bitmap, format);
        if (!converted) {
            gFi.Unload(bitmap);
        } else {
            result = SaveFreeImageFile(format, converted, path);
            gFi.Unload(converted);
        }
    }
    // A failed save is told, never passed over.
    if (!result) ShowErrorBox(IDS_CANNOT_SAVE_SCREEN);
    return result;
}
