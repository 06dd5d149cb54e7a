// Screen images of graph windows: capture, the clipboard (bitmap, packed
// bitmap, metafile picture), paste, BMP and placeable-metafile files,
// metafile playback (with OpenGL records), pictures through the image
// library, and saving a window's points. One entry point per frame command
// (the Copy/Paste/save/load commands call these with the active child).
#pragma once
#include <windows.h>

#include "dib.h"

// ---- Paste options of dialog 500 "Mode"
enum PasteFormat { kPasteBitmap = 0, kPasteDib = 1, kPasteMetafile = 2 };
enum PasteResize { kResizeFigure = 0, kResizeWindow = 1, kResizeNone = 2 };
struct PasteOptions {
    int format;     // PasteFormat ("P&ut")
    int colors;     // index into the raster operations ("Cop&y colors")
    int resize;     // PasteResize ("&Resize:")
    int priority;   // 0 None, 1 Black, 2 White ("&Priority to:")
};
extern PasteOptions gPasteOptions;
DWORD PasteRasterOperation(int colors);
int PasteStretchMode(int priority);

// Runs dialog 500 on options with only the "P&ut" choices of enabledFormats
// (bit 1 << PasteFormat) enabled; IDOK stores the choices. The dialog side's
// one is gGraphWindowHooks.pasteDialog; while null, the built-in template of
// this module is shown.
int RunPasteDialog(HWND owner, unsigned enabledFormats);

// ---- Capture and conversion
HBITMAP CaptureScreen(HWND window, bool withOverlays);
HBITMAP CaptureBackingBitmap(HWND window, bool withOverlays);
HBITMAP CaptureGraphBitmap(HWND window, bool withOverlays);
// A packed bitmap in movable global memory; null for no bitmap or failure.
HGLOBAL BitmapToDib(HBITMAP bitmap);
HGLOBAL CaptureGraphDib(HWND window, HBITMAP bitmap);
HGLOBAL CaptureGraphDibPlain(HWND window, bool deleteBitmap);
HMETAFILE CaptureGraphMetafile(HWND window);

// ---- Clipboard
void CopyGraphWindow(HWND window);
// Draws what the clipboard holds into the window; 0 when nothing was drawn.
int PasteIntoGraph(HWND window);

// Draws a packed bitmap with the paste options (resize, stretch mode, raster
// operation), also into the window's off-screen bitmap. Result of the last
// drawing call.
int DrawDibIntoGraph(HWND window, HDC dc, const BITMAPINFO *info, const void *bits);

// ---- Metafiles
int WritePlaceableWmf(const char *path, HMETAFILE metafile, const RECT &box, int inch);
HENHMETAFILE OpenAnyMetafile(const char *path);
int PlayMetafileGL(HDC dc, HENHMETAFILE metafile, const RECT *rect);
int InitMetafileOpenGL(HDC dc, HENHMETAFILE metafile);
// The pixel format an OpenGL metafile's header points at; false when none.
bool ReadMetafilePixelFormat(HENHMETAFILE metafile, PIXELFORMATDESCRIPTOR *descriptor);
int FreeMetafileOpenGL();
int LoadMetafilePicture(HWND window, const char *path);
// The OpenGL libraries are loaded (while an OpenGL metafile plays).
bool MetafileOpenGLLoaded();

// ---- Commands (window: a graph window)
enum PictureFileFormat { kPictureFileBmp = 1, kPictureFileWmf = 2, kPictureFileLibrary = 3 };
void CopyGraphPicture(HWND window);
void PasteGraphPicture(HWND window);
// Each shows its own message on failure and returns 0.
int SaveGraphPicture(HWND window, const char *path, int format);
int LoadGraphPicture(HWND window, const char *path, int format);
int SaveGraphPoints(HWND window, const char *path);
int LoadGraphBmp(HWND window, const char *path);
int SaveScreenBmp(HWND window, const char *path);
int SaveScreenWmf(HWND window, const char *path);

// Files are replaced in one step even where they exist; the BMP function of
// the expression language saves the active graph window.
void InstallGraphPictures();

// Copies a packed bitmap block into movable global memory (for the
// clipboard), and back.
HGLOBAL DibToGlobal(const DibBlock &dib);
