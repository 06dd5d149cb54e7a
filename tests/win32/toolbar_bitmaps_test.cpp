// The toolbar button strips as the program's resources hold them: the
// toolbars cut them into images by the metrics' sizes and map the standard
// colours to the system's button colours, so a strip of the wrong size,
// depth or palette would only show as garbled buttons.
#include <windows.h>

#include <gtest/gtest.h>

#include "command_state.h"

namespace {

// The 16 standard colours in palette order (red, green, blue); light grey,
// index 7, is the button face.
const unsigned char kStandardColours[16][3] = {
    {0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0},   {0, 0, 128}, {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
constexpr int kFace = 7;

TEST(ToolbarBitmaps, EachSizeHoldsEveryImageAtItsButtonSizeInTheStandardColours) {
    for (int size = 0; size < 3; ++size) {
        SCOPED_TRACE(size);
        const ToolbarMetrics m = ComputeToolbarMetrics(size);
        HINSTANCE instance = GetModuleHandleA(nullptr);
        HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(m.bitmapId), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
        ASSERT_NE(found, nullptr);
        const auto *info = static_cast<const BITMAPINFOHEADER *>(LockResource(LoadResource(instance, found)));
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->biWidth, kToolbarCommandCount * m.buttonWidth);
        EXPECT_EQ(info->biHeight, m.buttonHeight);  // bottom-up rows
        ASSERT_EQ(info->biBitCount, 4);
        EXPECT_EQ(info->biCompression, static_cast<DWORD>(BI_RGB));
        ASSERT_TRUE(info->biClrUsed == 0 || info->biClrUsed == 16);
        const auto *palette = reinterpret_cast<const RGBQUAD *>(reinterpret_cast<const char *>(info) + info->biSize);
        for (int i = 0; i < 16; ++i) {
            EXPECT_EQ(palette[i].rgbRed, kStandardColours[i][0]) << "colour " << i;
            EXPECT_EQ(palette[i].rgbGreen, kStandardColours[i][1]) << "colour " << i;
            EXPECT_EQ(palette[i].rgbBlue, kStandardColours[i][2]) << "colour " << i;
        }

        // Every image draws something on the face: none is missing or shifted
        // out of the strip.
        const auto *bits = reinterpret_cast<const unsigned char *>(palette + 16);
        const int stride = ((info->biWidth * 4 + 31) / 32) * 4;
        for (int image = 0; image < kToolbarCommandCount; ++image) {
            int drawn = 0;
            for (int y = 0; y < info->biHeight; ++y)
                for (int x = image * m.buttonWidth; x < (image + 1) * m.buttonWidth; ++x) {
                    const unsigned char byte = bits[y * stride + x / 2];
                    const int index = (x % 2) ? (byte & 15) : (byte >> 4);
                    drawn += index != kFace;
                }
            EXPECT_GT(drawn, m.buttonWidth) << "image " << image;
        }

        // The toolbars load it as a bitmap of that size.
        HBITMAP loaded = LoadBitmapA(instance, MAKEINTRESOURCEA(m.bitmapId));
        ASSERT_NE(loaded, nullptr);
        BITMAP bm = {};
        ASSERT_NE(GetObjectA(loaded, sizeof bm, &bm), 0);
        EXPECT_EQ(bm.bmWidth, kToolbarCommandCount * m.buttonWidth);
        EXPECT_EQ(bm.bmHeight, m.buttonHeight);
        DeleteObject(loaded);
    }
}

}  // namespace
