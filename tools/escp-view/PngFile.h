// Writes a sheet as a PNG file a band of rows at a time: 8-bit RGB, compressed by zlib, with
// its resolution recorded so that viewers and printers show it at its real size.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include <zlib.h>

#include "print/escp/EscpRender.h"

class PngWriter {
public:
    // Writes the signature and the header of a width x height picture at dpi.
    PngWriter(std::ostream& out, int width, int height, int dpi);
    ~PngWriter();
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    // The next rows, from the top; the band is as wide as the picture.
    void AddRows(const EscpPageImage& band);

    // After the last row: the rest of the data and the end chunk.
    void Finish();

private:
    void Deflate(const std::string& bytes, int flush);
    void PutChunk(const char* type, const std::string& data);

    std::ostream& out_;
    z_stream stream_{};
    std::string pending_;  // compressed data not yet in a chunk
};
