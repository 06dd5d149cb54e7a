#include "graph_capture_win32.h"

#include "display_list.h"
#include "graph_window_win32.h"

HBITMAP CaptureGraphBitmap() {
    GraphWindowState *s = gCurrentGraph;
    if (!s) return nullptr;
    const int width = s->clientMaxX + 1, height = s->clientMaxY + 1;
    if (width <= 0 || height <= 0) return nullptr;  // minimised
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void *bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HBITMAP dib = memory ? CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    if (!dib) {
        if (memory) DeleteDC(memory);
        return nullptr;
    }
    HGDIOBJ before = SelectObject(memory, dib);
    if (s->memoryDc && s->savedDcBitmap && !s->zoomed) {
        BitBlt(memory, 0, 0, width, height, ToHdc(s->memoryDc), 0, 0, SRCCOPY);
    } else {
        RECT all = {0, 0, width, height};
        HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(s->backgroundColor));
        FillRect(memory, &all, brush);
        DeleteObject(brush);
        const DcHandle savedDc = gDrawDc;
        const int32_t penWidth = s->penWidth, penColor = s->penColor;
        const uint32_t windowMemory = s->memoryDc;
        // Our pens go into the capture's context only, and nothing reaches
        // the plotter.
        s->penWidth = -1;
        s->memoryDc = 0;
        gDrawDc = FromHdc(memory);
        const int32_t plotting = s->plotter.recording;
        s->plotter.recording = 0;
        if (s->capture && s->displayFirst) ReplayDisplayList();
        RedrawGraphWindow(nullptr);
        ReleasePens();
        s->plotter.recording = plotting;
        s->penWidth = penWidth;
        s->penColor = penColor;
        s->memoryDc = windowMemory;
        gDrawDc = savedDc;
    }
    GdiFlush();
    SelectObject(memory, before);
    DeleteDC(memory);
    return dib;
}
