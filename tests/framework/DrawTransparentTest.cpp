// Transparent drawing on memory device contexts, pixel by pixel.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "framework/DrawTransparent.h"
#include "framework/Gdi.h"

namespace {

constexpr COLORREF kTeal = RGB(0, 128, 128);

// A 24-bit bitmap made of the given pixels, row by row from the top.
HBITMAP MakeBitmap(int width, int height, const std::vector<COLORREF>& pixels)
{
    BITMAPINFO info = TopDownBitmapInfo(width, height);
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const int stride = (width * 3 + 3) & ~3;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            BYTE* p = static_cast<BYTE*>(bits) + y * stride + x * 3;
            const COLORREF c = pixels[y * width + x];
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    return bitmap;
}

// A destination like a window's: a memory context on a bitmap of the screen's format,
// filled with a pattern so that every pixel left alone can be told apart.
class Destination {
public:
    Destination(int width, int height) : width_(width), height_(height)
    {
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        old_ = SelectObject(dc_, bitmap_);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                SetPixel(dc_, x, y, Background(x, y));
    }
    ~Destination()
    {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    static COLORREF Background(int x, int y) { return RGB(200, 10 * x % 256, 10 * y % 256); }
    HDC Dc() const { return dc_; }
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
    // Every pixel outside the rectangle still shows the background.
    bool UntouchedOutside(int left, int top, int width, int height) const
    {
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) {
                const bool inside = x >= left && x < left + width && y >= top && y < top + height;
                if (!inside && At(x, y) != Background(x, y))
                    return false;
            }
        return true;
    }

private:
    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

TEST(DrawTransparent, OnlyTheExactTransparentColourLetsTheBackgroundThrough)
{
    // One row of four pixels at (10, 5), as the picker draws its logo.
    const struct {
        COLORREF pixel;
        bool transparent;
    } cases[] = {
        {kTeal, true},
        {RGB(0, 128, 129), false},
        {RGB(0, 0, 0), false},
        {RGB(255, 255, 255), false},
        {RGB(1, 128, 128), false},
        {RGB(0, 127, 128), false},
        {RGB(200, 30, 50), false},
    };
    const int n = static_cast<int>(std::size(cases));
    std::vector<COLORREF> pixels;
    for (const auto& c : cases)
        pixels.push_back(c.pixel);
    HBITMAP bitmap = MakeBitmap(n, 1, pixels);
    Destination dest(40, 20);
    DrawTransparent(bitmap, dest.Dc(), 10, 5, kTeal);
    for (int i = 0; i < n; ++i) {
        const COLORREF expected = cases[i].transparent ? Destination::Background(10 + i, 5) : cases[i].pixel;
        EXPECT_EQ(expected, dest.At(10 + i, 5)) << "pixel " << i;
    }
    EXPECT_TRUE(dest.UntouchedOutside(10, 5, n, 1));
    DeleteObject(bitmap);
}

TEST(DrawTransparent, BlackStaysBlackOnEveryBackground)
{
    HBITMAP bitmap = MakeBitmap(2, 2, {RGB(0, 0, 0), RGB(0, 0, 0), RGB(0, 0, 0), RGB(0, 0, 0)});
    for (COLORREF background : {RGB(255, 255, 255), kTeal, RGB(0, 0, 0), RGB(12, 200, 99)}) {
        Destination dest(4, 4);
        HBRUSH brush = CreateSolidBrush(background);
        RECT all{0, 0, 4, 4};
        FillRect(dest.Dc(), &all, brush);
        DeleteObject(brush);
        DrawTransparent(bitmap, dest.Dc(), 1, 1, kTeal);
        EXPECT_EQ(RGB(0, 0, 0), dest.At(1, 1));
        EXPECT_EQ(RGB(0, 0, 0), dest.At(2, 2));
        EXPECT_EQ(background, dest.At(0, 0));
        EXPECT_EQ(background, dest.At(3, 3));
    }
    DeleteObject(bitmap);
}

TEST(DrawTransparent, WithoutTransparentPixelsItIsAPlainCopyAndOnlyTransparentOnesChangeNothing)
{
    std::vector<COLORREF> opaque, clear(6 * 3, kTeal);
    for (int i = 0; i < 6 * 3; ++i)
        opaque.push_back(RGB(20 * i, 255 - 10 * i, 7 * i));
    HBITMAP opaqueBitmap = MakeBitmap(6, 3, opaque);
    HBITMAP clearBitmap = MakeBitmap(6, 3, clear);

    Destination copy(12, 8);
    DrawTransparent(opaqueBitmap, copy.Dc(), 3, 2, kTeal);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(opaque[y * 6 + x], copy.At(3 + x, 2 + y)) << x << "," << y;
    EXPECT_TRUE(copy.UntouchedOutside(3, 2, 6, 3));

    Destination unchanged(12, 8);
    DrawTransparent(clearBitmap, unchanged.Dc(), 3, 2, kTeal);
    EXPECT_TRUE(unchanged.UntouchedOutside(0, 0, 0, 0));

    DeleteObject(opaqueBitmap);
    DeleteObject(clearBitmap);
}

TEST(DrawTransparent, PartOfABitmapFromASourcePosition)
{
    // 4 x 2: only the right half of the top row is drawn.
    const std::vector<COLORREF> pixels = {RGB(1, 1, 1), RGB(2, 2, 2), kTeal, RGB(4, 4, 4),
                                          RGB(5, 5, 5), RGB(6, 6, 6), RGB(7, 7, 7), RGB(8, 8, 8)};
    HBITMAP bitmap = MakeBitmap(4, 2, pixels);
    Destination dest(10, 10);
    // A palette on a device without palettes is not used.
    LOGPALETTE palette{0x300, 1, {{255, 0, 0, 0}}};
    HPALETTE hpal = CreatePalette(&palette);
    DrawTransparentBitmap(dest.Dc(), 5, 5, 2, 1, bitmap, 2, 0, kTeal, hpal);
    EXPECT_EQ(Destination::Background(5, 5), dest.At(5, 5));
    EXPECT_EQ(RGB(4, 4, 4), dest.At(6, 5));
    EXPECT_TRUE(dest.UntouchedOutside(5, 5, 2, 1));
    DeleteObject(hpal);
    DeleteObject(bitmap);
}

TEST(DrawTransparent, LeavesTheDestinationWithBlackTextOnWhite)
{
    HBITMAP bitmap = MakeBitmap(1, 1, {RGB(9, 9, 9)});
    Destination dest(4, 4);
    SetBkColor(dest.Dc(), RGB(10, 20, 30));
    SetTextColor(dest.Dc(), RGB(200, 0, 0));
    HGDIOBJ selected = GetCurrentObject(dest.Dc(), OBJ_BITMAP);
    DrawTransparent(bitmap, dest.Dc(), 0, 0, kTeal);
    EXPECT_EQ(RGB(255, 255, 255), GetBkColor(dest.Dc()));
    EXPECT_EQ(RGB(0, 0, 0), GetTextColor(dest.Dc()));
    EXPECT_EQ(selected, GetCurrentObject(dest.Dc(), OBJ_BITMAP));
    // The source bitmap was given back: it can be selected elsewhere again.
    HDC other = CreateCompatibleDC(nullptr);
    EXPECT_NE(nullptr, SelectObject(other, bitmap));
    DeleteDC(other);
    DeleteObject(bitmap);
}

TEST(DrawTransparent, LeavesNoGdiObjectsBehind)
{
    HBITMAP bitmap = MakeBitmap(8, 8, std::vector<COLORREF>(64, RGB(3, 3, 3)));
    Destination dest(16, 16);
    DrawTransparent(bitmap, dest.Dc(), 0, 0, kTeal);
    const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    for (int i = 0; i < 50; ++i)
        DrawTransparent(bitmap, dest.Dc(), 0, 0, kTeal);
    EXPECT_EQ(before, GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    DeleteObject(bitmap);
}

// One metafile record as a line: the colours set and the kind of each block transfer.
int CALLBACK CollectRecord(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM data)
{
    auto& out = *reinterpret_cast<std::vector<std::string>*>(data);
    switch (record->iType) {
    case EMR_SETBKCOLOR:
        out.push_back("bk " + std::to_string(reinterpret_cast<const EMRSETBKCOLOR*>(record)->crColor));
        break;
    case EMR_SETTEXTCOLOR:
        out.push_back("text " + std::to_string(reinterpret_cast<const EMRSETTEXTCOLOR*>(record)->crColor));
        break;
    case EMR_BITBLT: {
        const auto* blt = reinterpret_cast<const EMRBITBLT*>(record);
        out.push_back("blt " + std::to_string(blt->xDest) + "," + std::to_string(blt->yDest) + " " +
                      std::to_string(blt->cxDest) + "x" + std::to_string(blt->cyDest) + " " +
                      (blt->dwRop == SRCAND ? "AND" : blt->dwRop == SRCPAINT ? "OR" : "other"));
        break;
    }
    case EMR_STRETCHBLT: case EMR_MASKBLT: case EMR_PLGBLT: case EMR_STRETCHDIBITS:
    case EMR_SETDIBITSTODEVICE: case EMR_TRANSPARENTBLT: case EMR_ALPHABLEND:
        out.push_back("other transfer");
        break;
    }
    return 1;
}

// What the destination receives, recorded in an enhanced metafile: the colours set on it
// and exactly two block transfers, an AND with the mask and an OR with the image.
TEST(DrawTransparent, DestinationGetsTheColoursThenExactlyTwoBlockTransfers)
{
    HBITMAP bitmap = MakeBitmap(3, 2, {kTeal, RGB(1, 2, 3), RGB(0, 0, 0), kTeal, kTeal, RGB(9, 9, 9)});
    HDC meta = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, meta);
    DrawTransparent(bitmap, meta, 10, 5, kTeal);
    HENHMETAFILE recorded = CloseEnhMetaFile(meta);
    ASSERT_NE(nullptr, recorded);

    std::vector<std::string> calls;
    EnumEnhMetaFile(nullptr, recorded, CollectRecord, &calls, nullptr);
    DeleteEnhMetaFile(recorded);
    DeleteObject(bitmap);
    const std::vector<std::string> expected = {
        "bk " + std::to_string(RGB(255, 255, 255)),
        "text " + std::to_string(RGB(0, 0, 0)),
        "blt 10,5 3x2 AND",
        "blt 10,5 3x2 OR",
    };
    EXPECT_EQ(expected, calls);
}

}  // namespace
