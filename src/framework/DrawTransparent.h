// Draws a bitmap onto a device context with one colour left out, so that whatever is
// under those pixels shows through.
#pragma once

#include <windows.h>

// The whole bitmap with its top left at (x, y).
void DrawTransparent(HBITMAP bitmap, HDC dc, int x, int y, COLORREF transparent);

// A width x height part of the bitmap starting at (sourceX, sourceY). The palette, when
// given and the device uses palettes, is realised into dc as a foreground palette and
// stays selected there.
void DrawTransparentBitmap(HDC dc, int x, int y, int width, int height, HBITMAP bitmap, int sourceX,
                           int sourceY, COLORREF transparent, HPALETTE palette);
