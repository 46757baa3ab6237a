// Transparent drawing with a monochrome mask: the destination gets exactly two block
// transfers, an AND with the mask and an OR with the image whose transparent pixels
// were made black. It is left with a white background and black text colour.
#include "framework/DrawTransparent.h"

#include "framework/Gdi.h"

void DrawTransparent(HBITMAP bitmap, HDC dc, int x, int y, COLORREF transparent)
{
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    DrawTransparentBitmap(dc, x, y, info.bmWidth, info.bmHeight, bitmap, 0, 0, transparent, nullptr);
}

void DrawTransparentBitmap(HDC dc, int x, int y, int width, int height, HBITMAP bitmap, int sourceX,
                           int sourceY, COLORREF transparent, HPALETTE palette)
{
    // Owners are declared so that each selection is undone before its bitmap and its
    // context are deleted. The destination is only borrowed.
    MemoryDC imageDC(dc);
    MemoryDC maskDC(dc);
    MemoryDC sourceDC(dc);

    Bitmap image(CreateCompatibleBitmap(dc, width, height));
    SelectObjectScope imageSelected(imageDC.Get(), image.Get());

    if ((GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) && palette) {
        SelectPalette(dc, palette, FALSE);
        RealizePalette(dc);
        SelectPalette(imageDC.Get(), palette, FALSE);
    }

    SelectObjectScope sourceSelected(sourceDC.Get(), bitmap);
    BitBlt(imageDC.Get(), 0, 0, width, height, sourceDC.Get(), sourceX, sourceY, SRCCOPY);

    Bitmap mask(CreateBitmap(width, height, 1, 1, nullptr));
    SelectObjectScope maskSelected(maskDC.Get(), mask.Get());

    // Colour to monochrome: pixels of the background colour become 1, all others 0.
    SetBkColor(imageDC.Get(), transparent);
    BitBlt(maskDC.Get(), 0, 0, width, height, imageDC.Get(), 0, 0, SRCCOPY);

    // Monochrome to colour: 1 becomes the background colour, 0 the text colour. So the
    // transparent pixels of the image turn black and the others keep their colour...
    SetBkColor(imageDC.Get(), RGB(0, 0, 0));
    SetTextColor(imageDC.Get(), RGB(255, 255, 255));
    BitBlt(imageDC.Get(), 0, 0, width, height, maskDC.Get(), 0, 0, SRCAND);

    // ...and the destination keeps its pixels under the transparent ones and turns black
    // under the others, which the OR then fills with the image.
    SetBkColor(dc, RGB(255, 255, 255));
    SetTextColor(dc, RGB(0, 0, 0));
    BitBlt(dc, x, y, width, height, maskDC.Get(), 0, 0, SRCAND);
    BitBlt(dc, x, y, width, height, imageDC.Get(), 0, 0, SRCPAINT);
}
