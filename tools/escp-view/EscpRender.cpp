// The page renderer: a small interpreter of the ESC/P commands the decoder knows, which
// places characters on a continuous strip of paper, then rasterises each page of that
// strip dot by dot, each pin's dot a round spot of ink.
#include "EscpRender.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "DotFont.h"
#include "EscpDecode.h"

namespace {

const unsigned char kEsc = 0x1B;

// Vertical positions are counted in 1/432 inch: 1/8, 1/6, 1/72 and 1/144 inch are all
// whole numbers of it. Horizontal ones in 1/120 inch, the width of a dot column at 10 cpi.
constexpr int kVerticalUnits = 432;
constexpr int kPinPitch = kVerticalUnits / 72;
constexpr int kEighthInch = kVerticalUnits / 8;
constexpr int kSixthInch = kVerticalUnits / 6;
constexpr int kTearAboveTop = kVerticalUnits / 12;
constexpr double kHorizontalUnits = 120;
constexpr double kLineUnits = 8 * kHorizontalUnits;
constexpr int kDefaultPageInches = 11;

constexpr unsigned char kElite = 0x01;
constexpr unsigned char kCondensed = 0x04;
constexpr unsigned char kEmphasized = 0x08;
constexpr unsigned char kDoubleStrike = 0x10;
constexpr unsigned char kDoubleWidth = 0x20;
constexpr unsigned char kItalic = 0x40;
constexpr unsigned char kUnderline = 0x80;

// The width of one character in 1/120 inch: 10, 12, 17.14 or 20 cpi, doubled in double width.
double CellWidth(unsigned char mode)
{
    double width = 12;
    switch (mode & (kElite | kCondensed)) {
    case kElite: width = 10; break;
    case kCondensed: width = 7; break;
    case kElite | kCondensed: width = 6; break;
    }
    return (mode & kDoubleWidth) ? 2 * width : width;
}

struct Strike {
    double x;  // 1/120 inch from the left end of the line
    long y;    // 1/432 inch along the strip, the top of a capital
    unsigned code;
    unsigned char mode;
};

struct Mark {
    double x;
    long y;
    std::string label;
};

struct PageSpan {
    long top;  // where printing starts on it
    long length;
};

class Layout {
public:
    explicit Layout(const std::string& bytes) : bytes_(bytes) { pages_.push_back({0, pageLength_}); }

    void Run()
    {
        while (pos_ < bytes_.size())
            Step();
        // A form feed at the end feeds out a sheet that nothing was printed on.
        if (pages_.size() > 1 && !PrintedOn(pages_.back()))
            pages_.pop_back();
    }

    const std::vector<Strike>& Strikes() const { return strikes_; }
    const std::vector<Mark>& Marks() const { return marks_; }
    const std::vector<PageSpan>& Pages() const { return pages_; }

private:
    unsigned char Byte(size_t i) const { return static_cast<unsigned char>(bytes_[i]); }
    size_t Left() const { return bytes_.size() - pos_; }

    bool PrintedOn(const PageSpan& page) const
    {
        auto on = [&](long y) { return y >= page.top && y < page.top + page.length; };
        return std::any_of(strikes_.begin(), strikes_.end(), [&](const Strike& s) { return on(s.y); }) ||
               std::any_of(marks_.begin(), marks_.end(), [&](const Mark& m) { return on(m.y); });
    }

    void Step()
    {
        const unsigned char b = Byte(pos_);
        if (b == kEsc) {
            Escape();
            return;
        }
        ++pos_;
        if (b == 13) {
            x_ = 0;
        } else if (b == 10) {
            LineFeed();
        } else if (b == 12) {
            NewPage();
        } else if (b < 0x20 || b == 0x7F) {
            Unknown(pos_ - 1, 1);
        } else {
            Character(b < 0x80 ? b : Pc852ToUnicode(b));
        }
    }

    void Escape()
    {
        const size_t left = Left();
        const unsigned char command = left >= 2 ? Byte(pos_ + 1) : 0;
        size_t length = 0;  // of a command understood
        switch (command) {
        case '@':
            mode_ = 0;
            spacing_ = kSixthInch;
            length = 2;
            break;
        case '0':
            spacing_ = kEighthInch;
            length = 2;
            break;
        case '!':
            if (left >= 3) {
                mode_ = Byte(pos_ + 2);
                length = 3;
            }
            break;
        case 't':
        case 'x':
            length = left >= 3 ? 3 : 0;
            break;
        case 'C':
            if (left >= 3 && Byte(pos_ + 2) != 0) {
                SetPageLength(Byte(pos_ + 2) * spacing_);
                length = 3;
            } else if (left >= 4) {
                SetPageLength(Byte(pos_ + 3) * kVerticalUnits);
                length = 4;
            }
            break;
        case '(':
            if (left >= 5 && Byte(pos_ + 2) == 't' && Byte(pos_ + 3) == 3 && Byte(pos_ + 4) == 0 && left >= 8)
                length = 8;
            break;
        }
        if (length == 0) {
            // Unknown, or cut short by the end of the stream.
            length = std::min<size_t>(left, 2);
            if (command == '(' && left >= 5 && Byte(pos_ + 2) == 't')
                length = std::min<size_t>(left, 5 + Byte(pos_ + 3) + 256u * Byte(pos_ + 4));
            Unknown(pos_, length);
        }
        pos_ += length;
    }

    void Character(unsigned code)
    {
        const double width = CellWidth(mode_);
        if (x_ + width > kLineUnits + 0.01)
            LineFeed();  // the printer ends a full line itself and goes on in the next
        strikes_.push_back({x_, y_, code, mode_});
        x_ += width;
    }

    void LineFeed()
    {
        x_ = 0;
        y_ += spacing_;
        PageSpan& page = pages_.back();
        if (y_ >= page.top + page.length)
            pages_.push_back({page.top + page.length, pageLength_});
    }

    void NewPage()
    {
        x_ = 0;
        const PageSpan& page = pages_.back();
        y_ = page.top + page.length;
        pages_.push_back({y_, pageLength_});
    }

    // The line the head stands on becomes the top of the form.
    void SetPageLength(long length)
    {
        pageLength_ = std::max<long>(length, kPinPitch);
        PageSpan& page = pages_.back();
        if (y_ > page.top && PrintedOn(page)) {
            page.length = y_ - page.top;
            pages_.push_back({y_, pageLength_});
        } else {
            page = {y_, pageLength_};
        }
    }

    void Unknown(size_t from, size_t count)
    {
        std::string label;
        for (size_t i = 0; i < count; ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, i ? " %02X" : "%02X", Byte(from + i));
            label += hex;
        }
        marks_.push_back({x_, y_, label});
    }

    const std::string& bytes_;
    size_t pos_ = 0;
    unsigned char mode_ = 0;
    long spacing_ = kSixthInch;
    long pageLength_ = kDefaultPageInches * kVerticalUnits;
    double x_ = 0;
    long y_ = 0;
    std::vector<Strike> strikes_;
    std::vector<Mark> marks_;
    std::vector<PageSpan> pages_;
};

// Hex digits of a mark's label, three pixels wide and five high; b and d in small
// letters, so that they are not read as 8 and 0.
const char* const kHexFont[16] = {
    "###/#.#/#.#/#.#/###", ".#./##./.#./.#./###", "###/..#/###/#../###", "###/..#/.##/..#/###",
    "#.#/#.#/###/..#/..#", "###/#../###/..#/###", "###/#../###/#.#/###", "###/..#/.#./.#./.#.",
    "###/#.#/###/#.#/###", "###/#.#/###/..#/###", ".#./#.#/###/#.#/#.#", "#../#../###/#.#/###",
    "###/#../#../#../###", "..#/..#/###/#.#/###", "###/#../##./#../###", "###/#../##./#../#..",
};

constexpr uint32_t kPaper = 0xFDFCF6;
constexpr uint32_t kInk = 0x232332;
constexpr uint32_t kDesk = 0x8E949B;      // what shows through the tractor holes
constexpr uint32_t kPerforation = 0xC9C6BC;
constexpr double kInkPerDot = 0.88;        // how much of the paper one pin covers
constexpr double kDotDiameterInches = 1.0 / 64;

class Raster {
public:
    Raster(const PageSpan& span, double dpi) : span_(span), dpi_(dpi)
    {
        image_.width = static_cast<int>(std::lround(kSheetWidthInches * dpi));
        image_.height = std::max(1, static_cast<int>(std::lround(double(span.length) / kVerticalUnits * dpi)));
        ink_.assign(static_cast<size_t>(image_.width) * image_.height, 0.0f);
    }

    // Pixel coordinates of a point on the strip.
    double PixelX(double units) const { return (kLeftMarginInches + units / kHorizontalUnits) * dpi_; }
    double PixelY(double units) const { return (units - span_.top + kTearAboveTop) / kVerticalUnits * dpi_; }

    void Draw(const Strike& s)
    {
        DotGlyph glyph;
        if (!FindDotGlyph(s.code, glyph))
            glyph = DotGlyph{};
        if (s.mode & kUnderline) {
            for (int column = 0; column < DotGlyph::kColumns; ++column)
                glyph.rows[8 - DotGlyph::kTop] |= static_cast<uint16_t>(1u << column);
        }
        const double column = CellWidth(s.mode) / DotGlyph::kColumns;
        // Double width prints every dot twice, one column apart; emphasized prints it
        // again a dot column to the right, double strike again 1/144 inch lower.
        std::vector<std::pair<double, double>> passes = {{0, 0}};
        if (s.mode & kDoubleWidth)
            passes.push_back({column, 0});
        if (s.mode & kEmphasized)
            for (size_t i = 0, n = passes.size(); i < n; ++i)
                passes.push_back({passes[i].first + column, 0});
        if (s.mode & kDoubleStrike)
            for (size_t i = 0, n = passes.size(); i < n; ++i)
                passes.push_back({passes[i].first, kPinPitch / 2.0});
        for (int row = DotGlyph::kTop; row < DotGlyph::kTop + DotGlyph::kRows; ++row) {
            const uint16_t bits = glyph.Row(row);
            if (!bits)
                continue;
            const double slant = (s.mode & kItalic) ? (6 - row) * 0.25 * column : 0;
            for (int c = 0; c < DotGlyph::kReach; ++c) {
                if (!(bits & (1u << c)))
                    continue;
                for (const auto& pass : passes)
                    Dot(PixelX(s.x + (c + 0.5) * column + slant + pass.first),
                        PixelY(s.y + (row + 0.5) * kPinPitch + pass.second));
            }
        }
    }

    void Draw(const Mark& m)
    {
        marks_.push_back(m);
    }

    EscpPageImage Finish()
    {
        PaintPaper();
        for (size_t i = 0; i < ink_.size(); ++i)
            if (ink_[i] > 0)
                image_.pixels[i] = Blend(image_.pixels[i], kInk, ink_[i]);
        double lastEnd = -1;
        long lastY = -1;
        double lastX = -1;
        for (const Mark& m : marks_) {
            // Marks at one place are set side by side, not on top of each other.
            double left = PixelX(m.x);
            if (m.y == lastY && m.x == lastX)
                left = lastEnd + 1;
            else
                lastX = m.x;
            lastY = m.y;
            lastEnd = PaintMark(left, PixelY(m.y), m.label);
        }
        return std::move(image_);
    }

private:
    void Dot(double cx, double cy)
    {
        const double radius = kDotDiameterInches * dpi_ / 2;
        const int x0 = std::max(0, static_cast<int>(std::floor(cx - radius)));
        const int x1 = std::min(image_.width - 1, static_cast<int>(std::ceil(cx + radius)));
        const int y0 = std::max(0, static_cast<int>(std::floor(cy - radius)));
        const int y1 = std::min(image_.height - 1, static_cast<int>(std::ceil(cy + radius)));
        const double r2 = radius * radius;
        constexpr int kSamples = 4;
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                int inside = 0;
                for (int sy = 0; sy < kSamples; ++sy) {
                    for (int sx = 0; sx < kSamples; ++sx) {
                        const double dx = x + (sx + 0.5) / kSamples - cx;
                        const double dy = y + (sy + 0.5) / kSamples - cy;
                        inside += dx * dx + dy * dy <= r2;
                    }
                }
                if (inside) {
                    float& ink = ink_[static_cast<size_t>(y) * image_.width + x];
                    ink = static_cast<float>(1 - (1 - ink) * (1 - kInkPerDot * inside / (kSamples * kSamples)));
                }
            }
        }
    }

    static uint32_t Blend(uint32_t under, uint32_t over, double amount)
    {
        uint32_t out = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            const double a = (under >> shift) & 0xFF, b = (over >> shift) & 0xFF;
            out |= static_cast<uint32_t>(std::lround(a + (b - a) * amount)) << shift;
        }
        return out;
    }

    void Fill(int x0, int y0, int x1, int y1, uint32_t colour)
    {
        for (int y = std::max(0, y0); y < std::min(image_.height, y1); ++y)
            for (int x = std::max(0, x0); x < std::min(image_.width, x1); ++x)
                image_.pixels[static_cast<size_t>(y) * image_.width + x] = colour;
    }

    // White paper, the tractor holes every half inch in the side strips, the perforation
    // lines between the strips and the page and along its top edge.
    void PaintPaper()
    {
        image_.pixels.assign(ink_.size(), kPaper);
        const int dash = std::max(1, static_cast<int>(dpi_ / 40));
        for (double edge : {0.5, kSheetWidthInches - 0.5}) {
            const int x = static_cast<int>(std::lround(edge * dpi_));
            for (int y = 0; y < image_.height; y += 3 * dash)
                Fill(x, y, x + 1, y + dash, kPerforation);
        }
        for (int x = 0; x < image_.width; x += 3 * dash)
            Fill(x, 0, x + dash, 1, kPerforation);
        const double radius = 5.0 / 64 * dpi_;
        for (double cy = 0.25 * dpi_; cy < image_.height + radius; cy += 0.5 * dpi_) {
            for (double cx : {0.25 * dpi_, (kSheetWidthInches - 0.25) * dpi_}) {
                for (int y = static_cast<int>(cy - radius); y <= cy + radius; ++y)
                    for (int x = static_cast<int>(cx - radius); x <= cx + radius; ++x)
                        if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius)
                            Fill(x, y, x + 1, y + 1, kDesk);
            }
        }
    }

    // A frame one line high around the hex codes; returns its right edge.
    double PaintMark(double left, double top, const std::string& label)
    {
        const int scale = std::max(1, static_cast<int>(dpi_ / 100));
        const int height = static_cast<int>(std::lround(9.0 / 72 * dpi_));
        const int textWidth = static_cast<int>(label.size()) * 4 * scale + scale;
        const int width = std::max(textWidth + 2 * scale, static_cast<int>(std::lround(0.1 * dpi_)));
        const int x0 = static_cast<int>(std::lround(left)), y0 = static_cast<int>(std::lround(top));
        Fill(x0, y0, x0 + width, y0 + scale, kUnknownMarkColour);
        Fill(x0, y0 + height - scale, x0 + width, y0 + height, kUnknownMarkColour);
        Fill(x0, y0, x0 + scale, y0 + height, kUnknownMarkColour);
        Fill(x0 + width - scale, y0, x0 + width, y0 + height, kUnknownMarkColour);
        int x = x0 + (width - textWidth) / 2 + scale;
        const int y = y0 + (height - 5 * scale) / 2;
        for (char c : label) {
            if (c != ' ') {
                const int digit = c <= '9' ? c - '0' : c - 'A' + 10;
                int row = 0, column = 0;
                for (const char* p = kHexFont[digit]; *p; ++p) {
                    if (*p == '/') {
                        ++row;
                        column = 0;
                        continue;
                    }
                    if (*p == '#')
                        Fill(x + column * scale, y + row * scale, x + (column + 1) * scale, y + (row + 1) * scale,
                             kUnknownMarkColour);
                    ++column;
                }
            }
            x += 4 * scale;
        }
        return x0 + width;
    }

    PageSpan span_;
    double dpi_;
    EscpPageImage image_;
    std::vector<float> ink_;
    std::vector<Mark> marks_;
};

}  // namespace

std::vector<EscpPageImage> RenderEscpPages(const std::string& bytes, double dpi)
{
    Layout layout(bytes);
    layout.Run();
    // Everything that reaches into a page is drawn on it: the accents of its first line
    // and the descenders of its last may lie on the next sheet too.
    const long reach = 3 * kPinPitch;
    std::vector<EscpPageImage> pages;
    for (const PageSpan& span : layout.Pages()) {
        Raster raster(span, dpi);
        const long from = span.top - kTearAboveTop - 9 * kPinPitch, to = span.top - kTearAboveTop + span.length + reach;
        for (const Strike& s : layout.Strikes())
            if (s.y >= from && s.y < to)
                raster.Draw(s);
        for (const Mark& m : layout.Marks())
            if (m.y >= span.top && m.y < span.top + span.length)
                raster.Draw(m);
        pages.push_back(raster.Finish());
    }
    return pages;
}
