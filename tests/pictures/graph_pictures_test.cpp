// Screen images of graph windows on real windows under Wine: the clipboard
// formats, paste with raster operations, BMP and placeable metafile files,
// the image library (when the install step built it) and saving points.
#include <windows.h>

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "dib.h"
#include "file_channels.h"
#include "display_list.h"
#include "graph_pictures.h"
#include "graph_pipeline.h"
#include "graph_window_win32.h"
#include "image_library.h"
#include "placeable_wmf.h"
#include "pointdata.h"
#include "save_points.h"
#include "settings.h"
#include "win32_modal.h"
#include "window_helpers.h"
#include "workspace.h"

namespace {

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

// The off-screen bitmap is the picture; painting shows it.
LRESULT CALLBACK GraphProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    switch (m) {
    case WM_CREATE: return OnGraphCreate(w);
    case WM_DESTROY: OnGraphDestroy(w); break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        if (GraphWindowState *s = GraphStateOf(w))
            if (s->memoryDc) BitBlt(dc, 0, 0, 400, 400, reinterpret_cast<HDC>(UINT_PTR(s->memoryDc)), 0, 0, SRCCOPY);
        EndPaint(w, &ps);
        return 0;
    }
    default: break;
    }
    return DefWindowProcA(w, m, wp, lp);
}

// Dialog 500 answered by the test.
PasteOptions gAnswer;
int gDialogCalls;
unsigned gEnabledSeen;
int AnswerPasteDialog(HWND, PasteOptions *options, unsigned enabled) {
    ++gDialogCalls;
    gEnabledSeen = enabled;
    *options = gAnswer;
    return IDOK;
}

constexpr int kWidth = 120, kHeight = 90;

class Pictures : public ::testing::Test {
protected:
    HWND client = nullptr, a = nullptr, b = nullptr;
    std::vector<HBITMAP> bitmaps;
    std::vector<HDC> dcs;

    void SetUp() override {
        static bool registered;
        if (!registered) {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = GraphProc;
            wc.hInstance = Instance();
            wc.cbWndExtra = kGraphWindowExtraBytes;
            wc.lpszClassName = kGraphWindowClass;
            ASSERT_TRUE(RegisterClassA(&wc));
            wc.lpfnWndProc = DefWindowProcA;
            wc.cbWndExtra = 0;
            wc.lpszClassName = "VrPictureFrame";
            ASSERT_TRUE(RegisterClassA(&wc));
            registered = true;
        }
        // Hidden: the pictures live in the windows' off-screen bitmaps, and
        // tests running beside these read the shared screen.
        client = CreateWindowA("VrPictureFrame", "", WS_OVERLAPPEDWINDOW, 0, 0, 700, 500, nullptr,
                               nullptr, Instance(), nullptr);
        ASSERT_TRUE(client);
        gMdiClient = client;
        gProblemKind = kOdeSystem;
        gDimension = 2;
        a = MakeGraph(10);
        b = MakeGraph(300);
        ASSERT_TRUE(a && b);
        Paint(a, [](HDC dc) {
            RECT r = {0, 0, kWidth, kHeight};
            FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            HBRUSH red = CreateSolidBrush(RGB(255, 0, 0)), blue = CreateSolidBrush(RGB(0, 0, 255));
            RECT left = {10, 10, 50, 40}, right = {70, 30, 110, 80};
            FillRect(dc, &left, red);
            FillRect(dc, &right, blue);
            DeleteObject(red);
            DeleteObject(blue);
        });
        Paint(b, [](HDC dc) {
            RECT r = {0, 0, kWidth, kHeight};
            FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        });
        gGraphWindowHooks.pasteDialog = AnswerPasteDialog;
        gAnswer = {kPasteDib, 0, kResizeNone, 0};
        gDialogCalls = 0;
    }
    void TearDown() override {
        gGraphWindowHooks.pasteDialog = nullptr;
        DestroyWindow(client);
        for (HDC dc : dcs) DeleteDC(dc);
        for (HBITMAP bm : bitmaps) DeleteObject(bm);
        gMdiClient = nullptr;
        gCurrentGraph = nullptr;
    }
    HWND MakeGraph(int x) {
        // Client of exactly kWidth x kHeight.
        RECT r = {0, 0, kWidth, kHeight};
        AdjustWindowRect(&r, WS_CHILD | WS_CAPTION, FALSE);
        return CreateWindowA(kGraphWindowClass, "g", WS_CHILD | WS_VISIBLE | WS_CAPTION, x, 10, r.right - r.left,
                             r.bottom - r.top, client, nullptr, Instance(), nullptr);
    }
    template <class F> void Paint(HWND w, F draw) {
        HDC screen = GetDC(w);
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, kWidth, kHeight);
        ReleaseDC(w, screen);
        SelectObject(memory, bitmap);
        draw(memory);
        dcs.push_back(memory);
        bitmaps.push_back(bitmap);
        GraphStateOf(w)->memoryDc = uint32_t(UINT_PTR(memory));
        InvalidateRect(w, nullptr, FALSE);
        UpdateWindow(w);
    }
    static std::vector<COLORREF> Pixels(HWND w) {
        HDC dc = reinterpret_cast<HDC>(UINT_PTR(GraphStateOf(w)->memoryDc));
        std::vector<COLORREF> p;
        for (int y = 0; y < kHeight; y += 3)
            for (int x = 0; x < kWidth; x += 3) p.push_back(GetPixel(dc, x, y) & 0xFFFFFF);
        return p;
    }
    static bool ClipboardHas(UINT format) {
        OpenClipboard(nullptr);
        bool has = IsClipboardFormatAvailable(format);
        CloseClipboard();
        return has;
    }
};

TEST_F(Pictures, CopyPutsTheChosenFormatsAndPasteDrawsThem) {
    gPutBmp = gPutDib = gPutMetaFile = 1;
    GraphStateOf(a)->aspectMode = 0;
    CopyGraphPicture(a);
    EXPECT_TRUE(ClipboardHas(CF_BITMAP));
    EXPECT_TRUE(ClipboardHas(CF_DIB));
    ASSERT_TRUE(ClipboardHas(CF_METAFILEPICT));
    ASSERT_TRUE(OpenClipboard(nullptr));
    auto *picture = static_cast<METAFILEPICT *>(GlobalLock(GetClipboardData(CF_METAFILEPICT)));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->mm, MM_ANISOTROPIC) << "aspect mode 0";
    EXPECT_GT(picture->xExt, 0);
    GlobalUnlock(GetClipboardData(CF_METAFILEPICT));
    CloseClipboard();

    const std::vector<COLORREF> original = Pixels(a);
    for (int format : {kPasteBitmap, kPasteDib}) {
        SCOPED_TRACE(format);
        Paint(b, [](HDC dc) {
            RECT r = {0, 0, kWidth, kHeight};
            FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        });
        gAnswer = {format, 0, kResizeNone, 0};
        PasteGraphPicture(b);
        EXPECT_EQ(gEnabledSeen, 7u) << "every format on the clipboard is offered";
        EXPECT_EQ(Pixels(b), original);
    }
    gAnswer = {kPasteMetafile, 0, kResizeFigure, 0};
    EXPECT_NE(PasteIntoGraph(b), 0);

    // Only the metafile: the bitmap choice falls to it.
    gPutBmp = gPutDib = 0;
    CopyGraphPicture(a);
    EXPECT_FALSE(ClipboardHas(CF_BITMAP));
    gAnswer = {kPasteBitmap, 0, kResizeNone, 0};
    EXPECT_NE(PasteIntoGraph(b), 0);
    EXPECT_EQ(gPasteOptions.format, kPasteMetafile);
    gPutBmp = gPutDib = 1;
}

// The off-screen bitmap holds what runs drew; the axes are drawn over it
// when the window paints. A picture taken with overlays has them too, and
// the window's bitmap stays without them.
int CountPixels(HBITMAP bitmap, COLORREF color) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    int n = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) n += (GetPixel(dc, x, y) & 0xFFFFFF) == color;
    SelectObject(dc, old);
    DeleteDC(dc);
    return n;
}

TEST_F(Pictures, APictureWithOverlaysCarriesTheAxesTheBitmapLacks) {
    static char axes[] = "0 0.5 1 0.5 0.5 0 0.5 1";  // a cross through the middle
    const COLORREF green = RGB(0, 255, 0);
    GraphWindowState *s = GraphStateOf(a);
    const GraphSurface surface = gGraphSurface;
    gGraphSurface = GdiGraphSurface();
    s->clientMaxX = kWidth - 1;
    s->clientMaxY = kHeight - 1;
    s->xMin = s->yMin = 0;
    s->xMax = s->yMax = 1;
    gCurrentGraph = s;
    UpdateGraphMapping();
    s->axesLocation = axes;
    s->gridColor = green;
    s->gridWidth = 1;
    const std::vector<COLORREF> before = Pixels(a);
    HBITMAP plain = CaptureGraphBitmap(a, false), overlaid = CaptureGraphBitmap(a, true);
    s->axesLocation = nullptr;
    gGraphSurface = surface;
    ASSERT_TRUE(plain && overlaid);
    EXPECT_EQ(CountPixels(plain, green), 0);
    EXPECT_GE(CountPixels(overlaid, green), kWidth / 2 + kHeight / 2);
    EXPECT_EQ(Pixels(a), before);
    DeleteObject(plain);
    DeleteObject(overlaid);
}

TEST_F(Pictures, XorPasteTwiceRestoresThePicture) {
    gPutBmp = 0;
    gPutDib = 1;
    gPutMetaFile = 0;
    CopyGraphPicture(a);
    const std::vector<COLORREF> before = Pixels(b);
    gAnswer = {kPasteDib, 4, kResizeNone, 0};  // Xor
    ASSERT_NE(PasteIntoGraph(b), 0);
    EXPECT_NE(Pixels(b), before);
    ASSERT_NE(PasteIntoGraph(b), 0);
    EXPECT_EQ(Pixels(b), before);
    gPutBmp = gPutMetaFile = 1;
}

TEST_F(Pictures, SavedBmpLoadsBackAsTheSamePixels) {
    std::remove("picture_test.bmp");
    ASSERT_EQ(SaveGraphPicture(a, "picture_test.bmp", kPictureFileBmp), 1);
    DibBlock dib{};
    ASSERT_EQ(ReadBmpFile("picture_test.bmp", &dib), kBmpOk);
    BmpInfo info;
    ASSERT_EQ(GetDibInfo(dib, &info), kBmpOk);
    EXPECT_EQ(info.width, kWidth);
    EXPECT_EQ(info.height, kHeight);
    EXPECT_EQ(info.bitCount, 24);
    FreeDib(&dib);
    gAnswer = {kPasteDib, 0, kResizeNone, 0};
    ASSERT_NE(LoadGraphPicture(b, "picture_test.bmp", kPictureFileBmp), 0);
    EXPECT_EQ(gEnabledSeen, 1u << kPasteDib);
    EXPECT_EQ(Pixels(b), Pixels(a));
    // Saving again replaces the file.
    ASSERT_EQ(SaveGraphPicture(b, "picture_test.bmp", kPictureFileBmp), 1);

    // The expression language's BMP function saves the active child.
    InstallGraphPictures();
    ASSERT_TRUE(gGraphPictureHooks.activeChildIsGraph);
    HWND mdi = CreateWindowA("MDICLIENT", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, client, nullptr, Instance(), nullptr);
    HWND saved = gMdiClient;
    gMdiClient = mdi;
    EXPECT_FALSE(gGraphPictureHooks.activeChildIsGraph()) << "no active child";
    gMdiClient = saved;
    DestroyWindow(mdi);

    // A broken file: a message, nothing drawn.
    FILE *f = std::fopen("picture_bad.bmp", "wb");
    std::fputs("BM not a picture", f);
    std::fclose(f);
    ModalAnswerer watcher(IDOK);
    EXPECT_EQ(LoadGraphPicture(b, "picture_bad.bmp", kPictureFileBmp), 0);
    EXPECT_NE(watcher.Result().text.find("Cannot load the screen"), std::string::npos);
}

TEST_F(Pictures, PlaceableMetafileIsWrittenAndPlayedBack) {
    GraphWindowState *s = GraphStateOf(a);
    // A line in the display list, so that the metafile holds a drawing.
    gCurrentGraph = s;
    s->capture = -1;
    s->displayPenWidth = -1;
    AppendDisplayPoint(kDisplayPoint, 0.0, 0.0);
    AppendDisplayPoint(kDisplayLine, 1.0, 1.0);
    std::remove("picture_test.wmf");
    ASSERT_EQ(SaveGraphPicture(a, "picture_test.wmf", kPictureFileWmf), 1);
    FILE *f = std::fopen("picture_test.wmf", "rb");
    ASSERT_TRUE(f);
    unsigned char head[22];
    ASSERT_EQ(std::fread(head, 1, 22, f), 22u);
    std::fclose(f);
    const unsigned char key[] = {0xD7, 0xCD, 0xC6, 0x9A, 0, 0};
    EXPECT_EQ(0, std::memcmp(head, key, sizeof key));
    uint16_t x = 0;
    for (int i = 0; i < 11; ++i) x ^= uint16_t(head[2 * i] | head[2 * i + 1] << 8);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(head[10] | head[11] << 8, kWidth);

    HENHMETAFILE metafile = OpenAnyMetafile("picture_test.wmf");
    ASSERT_TRUE(metafile);
    EXPECT_TRUE(gLastPlaceableValid);
    DeleteEnhMetaFile(metafile);
    gAnswer = {kPasteMetafile, 0, kResizeNone, 0};
    gDialogCalls = 0;
    EXPECT_NE(LoadGraphPicture(b, "picture_test.wmf", kPictureFileWmf), 0);
    EXPECT_EQ(gDialogCalls, 1);
    EXPECT_FALSE(MetafileOpenGLLoaded()) << "no OpenGL records, no OpenGL";

    // An inch of 0 is refused with a message, not divided by.
    f = std::fopen("picture_zero.wmf", "wb");
    head[14] = head[15] = 0;
    std::fwrite(head, 1, 22, f);
    std::fclose(f);
    ModalAnswerer watcher(IDOK);
    EXPECT_EQ(LoadGraphPicture(b, "picture_zero.wmf", kPictureFileWmf), 0);
    EXPECT_NE(watcher.Result().text.find("Cannot load the screen"), std::string::npos);
    FreeDisplayList(s);
}

TEST_F(Pictures, EnhancedMetafilePlaysWithoutOpenGl) {
    HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
    RECT r = {0, 0, 50, 50};
    FillRect(dc, &r, green);
    DeleteObject(green);
    HENHMETAFILE metafile = CloseEnhMetaFile(dc);
    ASSERT_TRUE(metafile);
    DeleteEnhMetaFile(CopyEnhMetaFileA(metafile, "picture_test.emf"));
    // Without OpenGL records there is no pixel format to set up, and the
    // libraries go again.
    HDC window = GetDC(b);
    EXPECT_EQ(InitMetafileOpenGL(window, metafile), 0);
    EXPECT_EQ(FreeMetafileOpenGL(), 1);
    EXPECT_FALSE(MetafileOpenGLLoaded());
    ReleaseDC(b, window);
    DeleteEnhMetaFile(metafile);
    gAnswer = {kPasteMetafile, 0, kResizeFigure, 0};
    EXPECT_NE(LoadGraphPicture(b, "picture_test.emf", kPictureFileWmf), 0);
    EXPECT_EQ(GetPixel(reinterpret_cast<HDC>(UINT_PTR(GraphStateOf(b)->memoryDc)), kWidth / 2, kHeight / 2) & 0xFFFFFF,
              RGB(0, 255, 0)) << "stretched to the client";
    EXPECT_FALSE(MetafileOpenGLLoaded());
}

// Wine records no OpenGL into an enhanced metafile, so one is made by hand:
// a header that says OpenGL and points at the pixel format of an
// EMR_PIXELFORMAT record, one OpenGL record and the end. Its playback sets
// up a context for that format when the display has OpenGL, and frees it.
std::vector<unsigned char> HandMadeOpenGlMetafile() {
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof format;
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 24;
    format.cDepthBits = 16;
    format.iLayerType = PFD_MAIN_PLANE;
    EMRPIXELFORMAT pixels = {};
    pixels.emr.iType = EMR_PIXELFORMAT;
    pixels.emr.nSize = sizeof pixels;
    pixels.pfd = format;
    // An OpenGL record with no commands in it.
    EMRGLSRECORD gl = {};
    gl.emr.iType = EMR_GLSRECORD;
    gl.emr.nSize = sizeof gl;
    EMREOF eof = {};
    eof.emr.iType = EMR_EOF;
    eof.emr.nSize = sizeof eof;
    eof.nSizeLast = sizeof eof;
    ENHMETAHEADER header = {};
    header.iType = EMR_HEADER;
    header.nSize = sizeof header;
    header.rclBounds = {0, 0, 49, 49};
    header.rclFrame = {0, 0, 1300, 1300};
    header.dSignature = ENHMETA_SIGNATURE;
    header.nVersion = 0x10000;
    header.nBytes = sizeof header + sizeof pixels + sizeof gl + sizeof eof;
    header.nRecords = 4;
    header.nHandles = 1;
    header.szlDevice = {1024, 768};
    header.szlMillimeters = {320, 240};
    header.cbPixelFormat = sizeof format;
    header.offPixelFormat = sizeof header + offsetof(EMRPIXELFORMAT, pfd);
    header.bOpenGL = 1;
    std::vector<unsigned char> bytes(header.nBytes);
    unsigned char *at = bytes.data();
    for (auto part : {std::make_pair(static_cast<const void *>(&header), sizeof header),
                      std::make_pair(static_cast<const void *>(&pixels), sizeof pixels),
                      std::make_pair(static_cast<const void *>(&gl), sizeof gl),
                      std::make_pair(static_cast<const void *>(&eof), sizeof eof)}) {
        std::memcpy(at, part.first, part.second);
        at += part.second;
    }
    return bytes;
}

TEST_F(Pictures, MetafileWithOpenGlRecordsPlaysThroughAContextAndFreesIt) {
    const std::vector<unsigned char> bytes = HandMadeOpenGlMetafile();
    HENHMETAFILE metafile = SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data());
    ASSERT_TRUE(metafile);
    ENHMETAHEADER header;
    ASSERT_TRUE(GetEnhMetaFileHeader(metafile, sizeof header, &header));
    EXPECT_TRUE(header.bOpenGL);
    PIXELFORMATDESCRIPTOR format = {};
    EXPECT_TRUE(ReadMetafilePixelFormat(metafile, &format));
    EXPECT_EQ(format.cColorBits, 24);

    // A window of its own: a window takes one pixel format in its life.
    HWND gl = CreateWindowA(kGraphWindowClass, "gl", WS_CHILD | WS_VISIBLE, 0, 100, 60, 60, client, nullptr,
                            Instance(), nullptr);
    ASSERT_TRUE(gl);
    HDC dc = GetDC(gl);
    const int context = InitMetafileOpenGL(dc, metafile);
    EXPECT_TRUE(MetafileOpenGLLoaded()) << "the OpenGL libraries are loaded for the play";
    EXPECT_EQ(FreeMetafileOpenGL(), 1);
    EXPECT_FALSE(MetafileOpenGLLoaded());
    // What the display offers decides whether a context came; either way the
    // metafile plays and the libraries go again.
    RecordProperty("OpenGLContext", context);
    std::printf("OpenGL context on this display: %s\n", context ? "yes" : "no (plain playback)");
    RECT area = {0, 0, 60, 60};
    EXPECT_NE(PlayMetafileGL(dc, metafile, &area), 0);
    EXPECT_FALSE(MetafileOpenGLLoaded());
    ReleaseDC(gl, dc);
    DestroyWindow(gl);

    // Saved to a file and loaded into a graph window through the command's
    // routine: it plays without a message.
    DeleteEnhMetaFile(CopyEnhMetaFileA(metafile, "picture_gl.emf"));
    DeleteEnhMetaFile(metafile);
    gAnswer = {kPasteMetafile, 0, kResizeFigure, 0};
    EXPECT_NE(LoadGraphPicture(b, "picture_gl.emf", kPictureFileWmf), 0);
    EXPECT_FALSE(MetafileOpenGLLoaded());
}

TEST_F(Pictures, ImageLibraryWhenPresentAndNothingFailsWithout) {
    ResetFreeImage();
    const bool present = GetFileAttributesA("FreeImage.dll") != INVALID_FILE_ATTRIBUTES;
    ASSERT_EQ(LoadFreeImage(), present ? 1 : 0);
    int entries = 0;
    char *filter = BuildPictureFilter(1, &entries);
    if (!present) {
        EXPECT_EQ(filter, nullptr);
        EXPECT_EQ(LoadGraphPicture(b, "x.png", kPictureFileLibrary), 0);
        EXPECT_EQ(SaveGraphPicture(a, "x.png", kPictureFileLibrary), 0);
        GTEST_SKIP() << "FreeImage.dll was not built";
    }
    ASSERT_TRUE(filter);
    std::string pairs;
    for (const char *p = filter; *p; p += std::strlen(p) + 1) pairs += std::string(p) + "|";
    std::free(filter);
    EXPECT_NE(pairs.find("(png)|*.png|"), std::string::npos) << pairs;
    EXPECT_EQ(pairs.find("(pgm)"), std::string::npos) << "no greymaps for 24-bit pictures";
    // The codecs a user expects, and only formats with a writer.
    for (const char *type : {"(jpg,jif,jpeg,jpe)|*.jpg;", "(tif,tiff)|*.tif;*.tiff|"})
        EXPECT_NE(pairs.find(type), std::string::npos) << pairs;
    for (const char *type : {"(exr)", "(jxr", "(g3)", "no codec"})
        EXPECT_EQ(pairs.find(type), std::string::npos) << type << " has no writer: " << pairs;
    // Lossless formats load back as the same pixels; JPEG as a picture of
    // the same size close to it.
    for (const char *name : {"picture_test.png", "picture_test.tif", "picture_test.jpg"}) {
        SCOPED_TRACE(name);
        std::remove(name);
        ASSERT_EQ(SaveGraphPicture(a, name, kPictureFileLibrary), 1);
        WIN32_FILE_ATTRIBUTE_DATA file = {};
        ASSERT_TRUE(GetFileAttributesExA(name, GetFileExInfoStandard, &file));
        EXPECT_GT(file.nFileSizeLow, 100u);
        gAnswer = {kPasteDib, 0, kResizeNone, 0};
        Paint(b, [](HDC dc) {
            RECT r = {0, 0, kWidth, kHeight};
            FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        });
        ASSERT_NE(LoadGraphPicture(b, name, kPictureFileLibrary), 0);
        const std::vector<COLORREF> want = Pixels(a), got = Pixels(b);
        ASSERT_EQ(got.size(), want.size());
        if (std::string(name).find(".jpg") == std::string::npos) {
            EXPECT_EQ(got, want);
        } else {
            size_t distant = 0;
            for (size_t i = 0; i < got.size(); ++i)
                distant += std::abs(int(GetRValue(got[i])) - int(GetRValue(want[i]))) > 64 ||
                       std::abs(int(GetBValue(got[i])) - int(GetBValue(want[i]))) > 64;
            EXPECT_LT(distant, got.size() / 50) << "the JPEG is the picture";
        }
    }
    // A type the library cannot write, or does not know, is refused with a
    // message and leaves the file as it was.
    for (const char *name : {"picture_test.exr", "picture_test.unknown"}) {
        SCOPED_TRACE(name);
        FILE *f = std::fopen(name, "wb");
        std::fputs("old", f);
        std::fclose(f);
        ModalAnswerer watcher(IDOK);
        EXPECT_EQ(SaveGraphPicture(a, name, kPictureFileLibrary), 0);
        EXPECT_EQ(watcher.Result().text, "Cannot save the screen");
        f = std::fopen(name, "rb");
        char text[8] = "";
        ASSERT_TRUE(f);
        EXPECT_NE(std::fgets(text, sizeof text, f), nullptr);
        std::fclose(f);
        EXPECT_STREQ(text, "old");
        std::remove(name);
    }
    UnloadFreeImage();
}

TEST_F(Pictures, OwnModeDialogKeepsTheChoicesOnOk) {
    gGraphWindowHooks.pasteDialog = nullptr;
    gPasteOptions = {kPasteDib, 4, kResizeWindow, 2};
    ModalAnswerer answer(IDOK);
    EXPECT_EQ(RunPasteDialog(a, 1u << kPasteDib), IDOK);
    EXPECT_EQ(answer.Result().caption, "Mode");
    EXPECT_EQ(gPasteOptions.format, kPasteDib);
    EXPECT_EQ(gPasteOptions.colors, 4);
    EXPECT_EQ(gPasteOptions.resize, kResizeWindow);
    EXPECT_EQ(gPasteOptions.priority, 2);
    EXPECT_EQ(PasteRasterOperation(4), DWORD(SRCINVERT));
    EXPECT_EQ(PasteStretchMode(2), WHITEONBLACK);
}

TEST_F(Pictures, SavedPointsReadBackThroughThePointReader) {
    GraphWindowState *s = GraphStateOf(a);
    gCurrentGraph = s;
    s->capture = -1;
    s->displayPenWidth = -1;
    // A piece of a Lorenz-like curve: values not exact in any short text.
    std::vector<std::pair<double, double>> points;
    double x = 1, y = 1, z = 1;
    for (int i = 0; i < 200; ++i) {
        double dx = 10 * (y - x), dy = x * (28 - z) - y, dz = x * y - 8.0 / 3 * z;
        x += 0.01 * dx, y += 0.01 * dy, z += 0.01 * dz;
        AppendDisplayPoint(i ? kDisplayLine : kDisplayPoint, x, z);
        points.push_back({float(x), float(z)});
    }
    gSavePoints.clip = 0;
    gSavePoints.minDistance = 0;
    for (const char *name : {"lorenz.double", "lorenz.single", "lorenz.txt"}) {
        SCOPED_TRACE(name);
        std::remove(name);
        ASSERT_EQ(SaveGraphPoints(a, name), 1);
        FILE *f = std::fopen(name, "rb");
        ASSERT_TRUE(f);
        PointReader r;
        OpenPointReader(&r, f, GetDataFileKind(name), "%lg %lg", 20479, 0);
        std::vector<std::pair<double, double>> read;
        double px, py;
        for (PointItem it; (it = ReadPointItem(&r, &px, &py)) != kItemEnd;)
            if (it == kItemPoint) read.push_back({px, py});
        ClosePointReader(&r);
        std::fclose(f);
        ASSERT_EQ(read.size(), points.size());
        for (size_t i = 0; i < read.size(); ++i) {
            ASSERT_EQ(float(read[i].first), float(points[i].first)) << i;
            ASSERT_EQ(float(read[i].second), float(points[i].second)) << i;
        }
    }
    FreeDisplayList(s);
}

}  // namespace
