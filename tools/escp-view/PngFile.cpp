// PNG by hand: signature, IHDR, pHYs, IDAT holding a zlib stream of stored deflate blocks
// (no compression, so no library is needed), IEND; each chunk closed by its CRC-32.
#include "PngFile.h"

#include <algorithm>
#include <cstdint>

namespace {

uint32_t Crc32(const std::string& bytes, size_t from)
{
    static uint32_t table[256];
    static const bool made = [] {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        return true;
    }();
    (void)made;
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = from; i < bytes.size(); ++i)
        crc = table[(crc ^ static_cast<unsigned char>(bytes[i])) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void PutBigEndian(std::string& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

void PutChunk(std::string& out, const char* type, const std::string& data)
{
    PutBigEndian(out, static_cast<uint32_t>(data.size()));
    const size_t typeAt = out.size();
    out += type;
    out += data;
    PutBigEndian(out, Crc32(out, typeAt));
}

// A zlib stream of stored blocks, each at most 65535 bytes, ended by the Adler-32 sum.
std::string ZlibStored(const std::string& raw)
{
    std::string out = "\x78\x01";
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    size_t at = 0;
    do {
        const size_t length = std::min<size_t>(raw.size() - at, 65535);
        const bool last = at + length == raw.size();
        out += static_cast<char>(last ? 1 : 0);
        out += static_cast<char>(length & 0xFF);
        out += static_cast<char>(length >> 8);
        out += static_cast<char>(~length & 0xFF);
        out += static_cast<char>((~length >> 8) & 0xFF);
        out.append(raw, at, length);
        at += length;
    } while (at < raw.size());
    PutBigEndian(out, (b << 16) | a);
    return out;
}

}  // namespace

std::string EncodePng(const EscpPageImage& image, int dpi)
{
    std::string out = "\x89PNG\r\n\x1A\n";

    std::string header;
    PutBigEndian(header, static_cast<uint32_t>(image.width));
    PutBigEndian(header, static_cast<uint32_t>(image.height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace
    PutChunk(out, "IHDR", header);

    std::string physical;
    const uint32_t perMetre = static_cast<uint32_t>(dpi / 0.0254 + 0.5);
    PutBigEndian(physical, perMetre);
    PutBigEndian(physical, perMetre);
    physical += '\x01';  // the unit is the metre
    PutChunk(out, "pHYs", physical);

    std::string raw;
    raw.reserve(static_cast<size_t>(image.height) * (1 + 3 * static_cast<size_t>(image.width)));
    for (int y = 0; y < image.height; ++y) {
        raw += '\0';  // no filter on this row
        for (int x = 0; x < image.width; ++x) {
            const uint32_t p = image.At(x, y);
            raw += static_cast<char>((p >> 16) & 0xFF);
            raw += static_cast<char>((p >> 8) & 0xFF);
            raw += static_cast<char>(p & 0xFF);
        }
    }
    PutChunk(out, "IDAT", ZlibStored(raw));
    PutChunk(out, "IEND", "");
    return out;
}
