// Writes a page picture as a PNG file: 8-bit RGB, uncompressed deflate blocks, with its
// resolution recorded so that viewers and printers show it at its real size.
#pragma once

#include <string>

#include "EscpRender.h"

// The PNG file's bytes for image at dpi pixels per inch.
std::string EncodePng(const EscpPageImage& image, int dpi);
