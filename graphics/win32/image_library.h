// The image library, loaded at run time by name and called through its
// decorated stdcall entry points. Without it the program keeps to its own
// formats (BMP and metafiles) and nothing here fails loudly.
#pragma once
#include <windows.h>

#include "picture_filter.h"

// -1 not tried, 0 failed, 1 ready. Tried once: later calls give the result.
int LoadFreeImage();
void UnloadFreeImage();
// Forgets a failed or finished attempt (tests; the extension lists).
void ResetFreeImage();

// The library's format list for the filter builders; valid while loaded.
const ImageFormatList &FreeImageFormats();

// The open (save = 0) or save filter of the library's formats in a heap
// block (std::free); null without the library or memory.
char *BuildPictureFilter(int save, int *entries);

// A picture file read by the library: its device-independent bitmap, valid
// until FreeLibraryImage.
struct LibraryImage {
    void *handle;
    const BITMAPINFO *info;
    const void *bits;
};
// 1 with the image read; 0 without the library, or after a message when
// the file's format is unknown.
int ReadLibraryImage(const char *path, LibraryImage *image);
void FreeLibraryImage(LibraryImage *image);
// Writes picture in the format that path's extension names; 0 on failure
// (a message when picture cannot be read).
int WriteLibraryImage(HBITMAP picture, const char *path);
