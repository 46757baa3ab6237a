// PNG through zlib: signature, IHDR, pHYs, IDAT chunks holding the deflated rows, IEND;
// each chunk closed by its CRC-32.
#include "PngFile.h"

#include <stdexcept>

namespace {

void PutBigEndian(std::string& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

// The data of one IDAT chunk at most: a sheet at 600 dpi is written in many.
constexpr size_t kChunkBytes = 1 << 16;

}  // namespace

PngWriter::PngWriter(std::ostream& out, int width, int height, int dpi) : out_(out)
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

    if (deflateInit(&stream_, Z_BEST_COMPRESSION) != Z_OK)
        throw std::runtime_error("zlib could not start compressing");
}

PngWriter::~PngWriter()
{
    deflateEnd(&stream_);
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
        Deflate(row, Z_NO_FLUSH);
    }
}

void PngWriter::Deflate(const std::string& bytes, int flush)
{
    stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream_.avail_in = static_cast<uInt>(bytes.size());
    char out[1 << 14];
    int result = Z_OK;
    do {
        stream_.next_out = reinterpret_cast<Bytef*>(out);
        stream_.avail_out = sizeof out;
        result = deflate(&stream_, flush);
        if (result == Z_STREAM_ERROR)
            throw std::runtime_error("zlib failed while compressing");
        pending_.append(out, sizeof out - stream_.avail_out);
        while (pending_.size() >= kChunkBytes) {
            PutChunk("IDAT", pending_.substr(0, kChunkBytes));
            pending_.erase(0, kChunkBytes);
        }
    } while (stream_.avail_out == 0 || (flush == Z_FINISH && result != Z_STREAM_END));
}

void PngWriter::Finish()
{
    Deflate({}, Z_FINISH);
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
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(chunk.data() + 4), static_cast<uInt>(chunk.size() - 4));
    PutBigEndian(chunk, static_cast<uint32_t>(crc));
    out_.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
}
