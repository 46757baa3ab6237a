// PNG by hand: signature, IHDR, pHYs, IDAT chunks holding a zlib stream of stored deflate
// blocks (no compression, so no library is needed), IEND; each chunk closed by its CRC-32.
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

// The data of one IDAT chunk at most: a sheet at 600 dpi is written in many.
constexpr size_t kChunkBytes = 1 << 16;
constexpr size_t kBlockBytes = 65535;  // of a stored deflate block at most

}  // namespace

PngWriter::PngWriter(std::ostream& out, int width, int height, int dpi)
    : out_(out), rawLeft_(static_cast<uint64_t>(height) * (1 + 3 * static_cast<uint64_t>(width)))
{
    out_.write("\x89PNG\r\n\x1A\n", 8);

    std::string header;
    PutBigEndian(header, static_cast<uint32_t>(width));
    PutBigEndian(header, static_cast<uint32_t>(height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace
    PutChunk("IHDR", header);

    std::string physical;
    const uint32_t perMetre = static_cast<uint32_t>(dpi / 0.0254 + 0.5);
    PutBigEndian(physical, perMetre);
    PutBigEndian(physical, perMetre);
    physical += '\x01';  // the unit is the metre
    PutChunk("pHYs", physical);

    pending_ = "\x78\x01";  // zlib: deflate, 32K window, no dictionary
}

void PngWriter::AddRows(const EscpPageImage& band)
{
    std::string row;
    for (int y = 0; y < band.height; ++y) {
        row.assign(1, '\0');  // no filter on this row
        for (int x = 0; x < band.width; ++x) {
            const uint32_t p = band.At(x, y);
            row += static_cast<char>((p >> 16) & 0xFF);
            row += static_cast<char>((p >> 8) & 0xFF);
            row += static_cast<char>(p & 0xFF);
        }
        Raw(row);
    }
}

void PngWriter::Raw(const std::string& bytes)
{
    size_t at = 0;
    while (at < bytes.size() && rawLeft_ > 0) {
        if (blockLeft_ == 0) {
            // The picture's size is known, so each block knows whether it is the last.
            blockLeft_ = static_cast<size_t>(std::min<uint64_t>(rawLeft_, kBlockBytes));
            pending_ += static_cast<char>(blockLeft_ == rawLeft_ ? 1 : 0);
            pending_ += static_cast<char>(blockLeft_ & 0xFF);
            pending_ += static_cast<char>(blockLeft_ >> 8);
            pending_ += static_cast<char>(~blockLeft_ & 0xFF);
            pending_ += static_cast<char>((~blockLeft_ >> 8) & 0xFF);
        }
        const size_t length = std::min(bytes.size() - at, blockLeft_);
        for (size_t i = at; i < at + length; ++i) {
            adlerA_ = (adlerA_ + static_cast<unsigned char>(bytes[i])) % 65521;
            adlerB_ = (adlerB_ + adlerA_) % 65521;
        }
        pending_.append(bytes, at, length);
        at += length;
        blockLeft_ -= length;
        rawLeft_ -= length;
        while (pending_.size() >= kChunkBytes) {
            PutChunk("IDAT", pending_.substr(0, kChunkBytes));
            pending_.erase(0, kChunkBytes);
        }
    }
}

void PngWriter::Finish()
{
    PutBigEndian(pending_, (adlerB_ << 16) | adlerA_);
    PutChunk("IDAT", pending_);
    pending_.clear();
    PutChunk("IEND", "");
}

void PngWriter::PutChunk(const char* type, const std::string& data)
{
    std::string chunk;
    PutBigEndian(chunk, static_cast<uint32_t>(data.size()));
    chunk += type;
    chunk += data;
    PutBigEndian(chunk, Crc32(chunk, 4));
    out_.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
}
