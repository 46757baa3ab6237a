// The rasteriser: the characters the interpreter placed, drawn dot by dot on one sheet (or
// a band of its rows), each pin's dot a round spot of ink.
#include "print/escp/EscpRender.h"

#include <algorithm>
#include <cmath>

#include "print/escp/DotFont.h"
#include "print/escp/EscpCommands.h"

namespace {

constexpr long kPinPitch = kEscpVerticalUnits / 72;
constexpr long kTearAboveTop = kEscpVerticalUnits / 12;
constexpr int kBandRows = 256;

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
constexpr uint32_t kPerforation = 0xC9C6BC;
constexpr double kInkPerDot = 0.88;        // how much of the paper one pin covers
constexpr double kDotDiameterInches = 1.0 / 64;

// Rows firstRow to firstRow + height - 1 of one sheet; every drawing is clipped to them.
class Raster {
public:
    Raster(const EscpForm& form, double dpi, int firstRow, int rows) : form_(form), dpi_(dpi), firstRow_(firstRow)
    {
        image_.width = EscpSheetWidth(dpi);
        image_.height = rows;
        ink_.assign(static_cast<size_t>(image_.width) * image_.height, 0.0f);
    }

    // Pixel coordinates on the sheet of a point on the strip.
    double PixelX(double units) const { return (kLeftMarginInches + units / kEscpHorizontalUnits) * dpi_; }
    double PixelY(double units) const { return (units - form_.top + kTearAboveTop) / kEscpVerticalUnits * dpi_; }

    // The point on the strip at a pixel row of the sheet.
    double StripY(double row) const { return row / dpi_ * kEscpVerticalUnits + form_.top - kTearAboveTop; }

    void Draw(const EscpStrike& s)
    {
        DotGlyph glyph;
        if (!FindDotGlyph(s.code, glyph))
            glyph = DotGlyph{};
        if (s.mode & kEscpUnderline) {
            for (int column = 0; column < DotGlyph::kColumns; ++column)
                glyph.rows[8 - DotGlyph::kTop] |= static_cast<uint16_t>(1u << column);
        }
        const double column = EscpCellWidth(s.mode) / DotGlyph::kColumns;
        // Double width prints every dot twice, one column apart; emphasized prints it
        // again a dot column to the right, double strike again 1/144 inch lower.
        std::vector<std::pair<double, double>> passes = {{0, 0}};
        if (s.mode & kEscpDoubleWidth)
            passes.push_back({column, 0});
        if (s.mode & kEscpEmphasized)
            for (size_t i = 0, n = passes.size(); i < n; ++i)
                passes.push_back({passes[i].first + column, 0});
        if (s.mode & kEscpDoubleStrike)
            for (size_t i = 0, n = passes.size(); i < n; ++i)
                passes.push_back({passes[i].first, kPinPitch / 2.0});
        for (int row = DotGlyph::kTop; row < DotGlyph::kTop + DotGlyph::kRows; ++row) {
            const uint16_t bits = glyph.Row(row);
            if (!bits)
                continue;
            const double slant = (s.mode & kEscpItalic) ? (6 - row) * 0.25 * column : 0;
            for (int c = 0; c < DotGlyph::kReach; ++c) {
                if (!(bits & (1u << c)))
                    continue;
                for (const auto& pass : passes)
                    Dot(PixelX(s.x + (c + 0.5) * column + slant + pass.first),
                        PixelY(s.y + (row + 0.5) * kPinPitch + pass.second));
            }
        }
    }

    void Draw(const EscpMark& m) { marks_.push_back(m); }

    EscpPageImage Finish()
    {
        PaintPaper();
        for (size_t i = 0; i < ink_.size(); ++i)
            if (ink_[i] > 0)
                image_.pixels[i] = Blend(image_.pixels[i], kInk, ink_[i]);
        double lastEnd = -1;
        long lastY = -1;
        double lastX = -1;
        for (const EscpMark& m : marks_) {
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
        const int y0 = std::max(firstRow_, static_cast<int>(std::floor(cy - radius)));
        const int y1 = std::min(firstRow_ + image_.height - 1, static_cast<int>(std::ceil(cy + radius)));
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
                    float& ink = ink_[static_cast<size_t>(y - firstRow_) * image_.width + x];
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

    // Rows y0 to y1 - 1 of the sheet, those of them in the band.
    void Fill(int x0, int y0, int x1, int y1, uint32_t colour)
    {
        for (int y = std::max(firstRow_, y0); y < std::min(firstRow_ + image_.height, y1); ++y)
            for (int x = std::max(0, x0); x < std::min(image_.width, x1); ++x)
                image_.pixels[static_cast<size_t>(y - firstRow_) * image_.width + x] = colour;
    }

    // White paper, the tractor holes every half inch in the side strips, the perforation
    // lines between the strips and the page and along its top edge.
    void PaintPaper()
    {
        image_.pixels.assign(ink_.size(), kPaper);
        const int dash = std::max(1, static_cast<int>(dpi_ / 40));
        const int lastRow = firstRow_ + image_.height;
        for (double edge : {0.5, kSheetWidthInches - 0.5}) {
            const int x = static_cast<int>(std::lround(edge * dpi_));
            for (int y = firstRow_ / (3 * dash) * (3 * dash); y < lastRow; y += 3 * dash)
                Fill(x, y, x + 1, y + dash, kPerforation);
        }
        for (int x = 0; x < image_.width; x += 3 * dash)
            Fill(x, 0, x + dash, 1, kPerforation);
        const double radius = 5.0 / 64 * dpi_;
        for (double cy = 0.25 * dpi_; cy < lastRow + radius; cy += 0.5 * dpi_) {
            if (cy + radius < firstRow_)
                continue;
            for (double cx : {0.25 * dpi_, (kSheetWidthInches - 0.25) * dpi_}) {
                for (int y = static_cast<int>(cy - radius); y <= cy + radius; ++y)
                    for (int x = static_cast<int>(cx - radius); x <= cx + radius; ++x)
                        if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius)
                            Fill(x, y, x + 1, y + 1, kDeskColour);
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

    EscpForm form_;
    double dpi_;
    int firstRow_;
    EscpPageImage image_;
    std::vector<float> ink_;
    std::vector<EscpMark> marks_;
};

// The items of a list sorted by y with from <= y < to.
template <typename Item>
std::pair<typename std::vector<Item>::const_iterator, typename std::vector<Item>::const_iterator> Between(
    const std::vector<Item>& items, double from, double to)
{
    auto below = [](double y) { return [y](const Item& item) { return item.y < y; }; };
    return {std::partition_point(items.begin(), items.end(), below(from)),
            std::partition_point(items.begin(), items.end(), below(to))};
}

// Everything that reaches into a sheet is drawn on it: the accents of its first line and
// the descenders of its last may lie on the next sheet too.
long SheetReachFrom(const EscpForm& form)
{
    return form.top - kTearAboveTop - 9 * kPinPitch;
}

long SheetReachTo(const EscpForm& form)
{
    return form.top - kTearAboveTop + form.length + 3 * kPinPitch;
}

}  // namespace

int EscpSheetWidth(double dpi)
{
    return static_cast<int>(std::lround(kSheetWidthInches * dpi));
}

int EscpSheetHeight(const EscpJob& job, size_t sheet, double dpi)
{
    return std::max(1, static_cast<int>(std::lround(double(job.forms.at(sheet).length) / kEscpVerticalUnits * dpi)));
}

EscpPageImage RenderEscpBand(const EscpJob& job, size_t sheet, double dpi, int firstRow, int rows)
{
    const EscpForm& form = job.forms.at(sheet);
    firstRow = std::max(0, firstRow);
    rows = std::max(0, std::min(rows, EscpSheetHeight(job, sheet, dpi) - firstRow));
    Raster raster(form, dpi, firstRow, rows);
    // The interpreter puts strikes and marks down the paper in order, so those of a band
    // are found by halving.
    const long sheetFrom = SheetReachFrom(form);
    const long sheetTo = SheetReachTo(form);
    const double bandFrom = raster.StripY(firstRow) - (DotGlyph::kTop + DotGlyph::kRows + 2) * kPinPitch;
    const double bandTo = raster.StripY(firstRow + rows) - (DotGlyph::kTop - 2) * kPinPitch;
    const auto strikes = Between(job.strikes, std::max<double>(sheetFrom, bandFrom), std::min<double>(sheetTo, bandTo));
    for (auto s = strikes.first; s < strikes.second; ++s)
        raster.Draw(*s);
    const auto marks = Between(job.marks, form.top, form.top + form.length);
    for (auto m = marks.first; m < marks.second; ++m)
        raster.Draw(*m);
    return raster.Finish();
}

EscpPageImage RenderEscpSheet(const EscpJob& job, size_t sheet, double dpi)
{
    EscpPageImage page;
    page.width = EscpSheetWidth(dpi);
    page.height = EscpSheetHeight(job, sheet, dpi);
    page.pixels.reserve(static_cast<size_t>(page.width) * static_cast<size_t>(page.height));
    for (int row = 0; row < page.height; row += kBandRows) {
        const EscpPageImage band = RenderEscpBand(job, sheet, dpi, row, kBandRows);
        page.pixels.insert(page.pixels.end(), band.pixels.begin(), band.pixels.end());
    }
    return page;
}

EscpPageImage RenderEscpSheet(const std::string& bytes, const EscpOutline& outline, size_t sheet, double dpi)
{
    const EscpForm& form = outline.paper.forms.at(sheet);
    return RenderEscpSheet(InterpretEscpBetween(bytes, outline, SheetReachFrom(form), SheetReachTo(form)), sheet, dpi);
}
