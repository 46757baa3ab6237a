// The draft font: letters drawn on a 5 x 9 grid whose dots fall on every other dot column,
// accents and the box-drawing set on the full 12-column grid. Accented letters are built
// from their base letter and the accent, as the printer's own character generator does.
#include "DotFont.h"

#include <algorithm>

namespace {

struct Pattern {
    unsigned code;
    const char* rows;  // from row 0, rows split by '/', five columns each, '#' a dot
};

// Row 0 is the top of a capital; small letters start at row 2.
const Pattern kPatterns[] = {
    {' ', ""},
    {'!', "..#../..#../..#../..#../..#../...../..#.."},
    {'"', ".#.#./.#.#./.#.#."},
    {'#', ".#.#./.#.#./#####/.#.#./#####/.#.#./.#.#."},
    {'$', "..#../.####/#.#../.###./..#.#/####./..#.."},
    {'%', "##.../##..#/...#./..#../.#.../#..##/...##"},
    {'&', ".##../#..#./#.#../.#.../#.#.#/#..#./.##.#"},
    {'\'', "..#../..#../.#..."},
    {'(', "...#./..#../.#.../.#.../.#.../..#../...#."},
    {')', ".#.../..#../...#./...#./...#./..#../.#..."},
    {'*', "...../..#../#.#.#/.###./#.#.#/..#.."},
    {'+', "...../..#../..#../#####/..#../..#.."},
    {',', "...../...../...../...../...../.##../.##../..#../.#..."},
    {'-', "...../...../...../#####"},
    {'.', "...../...../...../...../...../.##../.##.."},
    {'/', "...../....#/...#./..#../.#.../#...."},
    {'0', ".###./#...#/#..##/#.#.#/##..#/#...#/.###."},
    {'1', "..#../.##../..#../..#../..#../..#../.###."},
    {'2', ".###./#...#/....#/...#./..#../.#.../#####"},
    {'3', "#####/...#./..#../...#./....#/#...#/.###."},
    {'4', "...#./..##./.#.#./#..#./#####/...#./...#."},
    {'5', "#####/#..../####./....#/....#/#...#/.###."},
    {'6', "..##./.#.../#..../####./#...#/#...#/.###."},
    {'7', "#####/....#/...#./..#../.#.../.#.../.#..."},
    {'8', ".###./#...#/#...#/.###./#...#/#...#/.###."},
    {'9', ".###./#...#/#...#/.####/....#/...#./.##.."},
    {':', "...../.##../.##../...../.##../.##.."},
    {';', "...../.##../.##../...../.##../..#../.#..."},
    {'<', "...#./..#../.#.../#..../.#.../..#../...#."},
    {'=', "...../...../#####/...../#####"},
    {'>', ".#.../..#../...#./....#/...#./..#../.#..."},
    {'?', ".###./#...#/....#/...#./..#../...../..#.."},
    {'@', ".###./#...#/....#/.##.#/#.#.#/#.#.#/.###."},
    {'A', ".###./#...#/#...#/#####/#...#/#...#/#...#"},
    {'B', "####./#...#/#...#/####./#...#/#...#/####."},
    {'C', ".###./#...#/#..../#..../#..../#...#/.###."},
    {'D', "###../#..#./#...#/#...#/#...#/#..#./###.."},
    {'E', "#####/#..../#..../####./#..../#..../#####"},
    {'F', "#####/#..../#..../####./#..../#..../#...."},
    {'G', ".###./#...#/#..../#.###/#...#/#...#/.####"},
    {'H', "#...#/#...#/#...#/#####/#...#/#...#/#...#"},
    {'I', ".###./..#../..#../..#../..#../..#../.###."},
    {'J', "..###/...#./...#./...#./...#./#..#./.##.."},
    {'K', "#...#/#..#./#.#../##.../#.#../#..#./#...#"},
    {'L', "#..../#..../#..../#..../#..../#..../#####"},
    {'M', "#...#/##.##/#.#.#/#.#.#/#...#/#...#/#...#"},
    {'N', "#...#/#...#/##..#/#.#.#/#..##/#...#/#...#"},
    {'O', ".###./#...#/#...#/#...#/#...#/#...#/.###."},
    {'P', "####./#...#/#...#/####./#..../#..../#...."},
    {'Q', ".###./#...#/#...#/#...#/#.#.#/#..#./.##.#"},
    {'R', "####./#...#/#...#/####./#.#../#..#./#...#"},
    {'S', ".####/#..../#..../.###./....#/....#/####."},
    {'T', "#####/..#../..#../..#../..#../..#../..#.."},
    {'U', "#...#/#...#/#...#/#...#/#...#/#...#/.###."},
    {'V', "#...#/#...#/#...#/#...#/#...#/.#.#./..#.."},
    {'W', "#...#/#...#/#...#/#.#.#/#.#.#/#.#.#/.#.#."},
    {'X', "#...#/#...#/.#.#./..#../.#.#./#...#/#...#"},
    {'Y', "#...#/#...#/.#.#./..#../..#../..#../..#.."},
    {'Z', "#####/....#/...#./..#../.#.../#..../#####"},
    {'[', ".###./.#.../.#.../.#.../.#.../.#.../.###."},
    {'\\', "...../#..../.#.../..#../...#./....#"},
    {']', ".###./...#./...#./...#./...#./...#./.###."},
    {'^', "..#../.#.#./#...#"},
    {'_', "...../...../...../...../...../...../...../...../#####"},
    {'`', ".#.../..#../...#."},
    {'a', "...../...../.###./....#/.####/#...#/.####"},
    {'b', "#..../#..../#.##./##..#/#...#/#...#/####."},
    {'c', "...../...../.###./#..../#..../#...#/.###."},
    {'d', "....#/....#/.##.#/#..##/#...#/#...#/.####"},
    {'e', "...../...../.###./#...#/#####/#..../.###."},
    {'f', "..##./.#..#/.#.../###../.#.../.#.../.#..."},
    {'g', "...../...../.####/#...#/#...#/#...#/.####/....#/.###."},
    {'h', "#..../#..../#.##./##..#/#...#/#...#/#...#"},
    {'i', "..#../...../.##../..#../..#../..#../.###."},
    {'j', "...#./...../..##./...#./...#./...#./...#./#..#./.##.."},
    {'k', "#..../#..../#..#./#.#../##.../#.#../#..#."},
    {'l', ".##../..#../..#../..#../..#../..#../.###."},
    {'m', "...../...../##.#./#.#.#/#.#.#/#...#/#...#"},
    {'n', "...../...../#.##./##..#/#...#/#...#/#...#"},
    {'o', "...../...../.###./#...#/#...#/#...#/.###."},
    {'p', "...../...../####./#...#/#...#/#...#/####./#..../#...."},
    {'q', "...../...../.####/#...#/#...#/#...#/.####/....#/....#"},
    {'r', "...../...../#.##./##..#/#..../#..../#...."},
    {'s', "...../...../.####/#..../.###./....#/####."},
    {'t', ".#.../.#.../###../.#.../.#.../.#..#/..##."},
    {'u', "...../...../#...#/#...#/#...#/#..##/.##.#"},
    {'v', "...../...../#...#/#...#/#...#/.#.#./..#.."},
    {'w', "...../...../#...#/#...#/#.#.#/#.#.#/.#.#."},
    {'x', "...../...../#...#/.#.#./..#../.#.#./#...#"},
    {'y', "...../...../#...#/#...#/#...#/#...#/.####/....#/.###."},
    {'z', "...../...../#####/...#./..#../.#.../#####"},
    {'{', "...#./..#../..#../.#.../..#../..#../...#."},
    {'|', "..#../..#../..#../..#../..#../..#../..#../..#../..#.."},
    {'}', ".#.../..#../..#../...#./..#../..#../.#..."},
    {'~', "...../...../.#.../#.#.#/...#."},
    {0x0131, "...../...../.##../..#../..#../..#../.###."},  // dotless i, the base of í and î
    {0x0142, ".##../..#../..##./.##../..#../..#../.###."},  // ł
    {0x0141, ".#.../.#.../.#.../.##../##.../.#.../.####"},  // Ł
    {0x0111, "....#/..###/.##.#/#..##/#...#/#...#/.####"},  // đ
    {0x0110, "###../#..#./#...#/###.#/#...#/#..#./###.."},  // Đ
    {0x00DF, ".##../#..#./#..#./#.#../#..#./#...#/#.##./#...."},  // ß
    {0x00A7, ".###./#..../.###./#...#/.###./....#/.###."},  // §
    {0x00B0, ".##../#..#./.##.."},                           // °
    {0x00D7, "...../#...#/.#.#./..#../.#.#./#...#"},         // ×
    {0x00F7, "...../..#../...../#####/...../..#.."},         // ÷
    {0x00A4, "...../#...#/.###./.#.#./.###./#...#"},         // ¤
    {0x00AC, "...../...../...../#####/....#"},               // ¬
    {0x00AB, "...../..#.#/.#.#./#.#../.#.#./..#.#"},         // «
    {0x00BB, "...../#.#../.#.#./..#.#/.#.#./#.#.."},         // »
    {0x00AD, "...../...../...../.###."},                     // soft hyphen
    {0x00A0, ""},                                            // no-break space
    {0x25A0, "...../#####/#####/#####/#####/#####"},         // ■
};

enum Accent { Acute, Caron, Circumflex, Diaeresis, Ring, DoubleAcute, Breve, DotAbove, Ogonek, Cedilla, Apostrophe };

// Two rows on the glyph's nine dot columns (0 to 8, the cell's columns 1 to 9): above
// the letter for the first eight, below the base line (rows 7 and 8) for ogonek and cedilla.
const char* const kAccentRows[][2] = {
    {".....#...", "...#....."},  // acute
    {"..#...#..", "....#...."},  // caron
    {"....#....", "..#...#.."},  // circumflex
    {"..#...#..", "........."},  // diaeresis
    {"...###...", "...#.#..."},  // ring
    {"....#..#.", "...#..#.."},  // double acute
    {"..#...#..", "...###..."},  // breve
    {"....#....", "........."},  // dot above
    {"......#..", ".......##"},  // ogonek
    {"....#....", "...##...."},  // cedilla
};

struct Composed {
    unsigned code;
    unsigned base;  // 0 for a lone accent
    Accent accent;
};

const Composed kComposed[] = {
    {0x00C7, 'C', Cedilla},   {0x00FC, 'u', Diaeresis}, {0x00E9, 'e', Acute},
    {0x00E2, 'a', Circumflex}, {0x00E4, 'a', Diaeresis}, {0x016F, 'u', Ring},
    {0x0107, 'c', Acute},     {0x00E7, 'c', Cedilla},   {0x00EB, 'e', Diaeresis},
    {0x0150, 'O', DoubleAcute}, {0x0151, 'o', DoubleAcute}, {0x00EE, 0x0131, Circumflex},
    {0x0179, 'Z', Acute},     {0x00C4, 'A', Diaeresis}, {0x0106, 'C', Acute},
    {0x00C9, 'E', Acute},     {0x0139, 'L', Acute},     {0x013A, 'l', Acute},
    {0x00F4, 'o', Circumflex}, {0x00F6, 'o', Diaeresis}, {0x013D, 'L', Apostrophe},
    {0x013E, 'l', Apostrophe}, {0x015A, 'S', Acute},    {0x015B, 's', Acute},
    {0x00D6, 'O', Diaeresis}, {0x00DC, 'U', Diaeresis}, {0x0164, 'T', Caron},
    {0x0165, 't', Apostrophe}, {0x010D, 'c', Caron},    {0x00E1, 'a', Acute},
    {0x00ED, 0x0131, Acute},  {0x00F3, 'o', Acute},     {0x00FA, 'u', Acute},
    {0x0104, 'A', Ogonek},    {0x0105, 'a', Ogonek},    {0x017D, 'Z', Caron},
    {0x017E, 'z', Caron},     {0x0118, 'E', Ogonek},    {0x0119, 'e', Ogonek},
    {0x017A, 'z', Acute},     {0x010C, 'C', Caron},     {0x015F, 's', Cedilla},
    {0x00C1, 'A', Acute},     {0x00C2, 'A', Circumflex}, {0x011A, 'E', Caron},
    {0x015E, 'S', Cedilla},   {0x017B, 'Z', DotAbove},  {0x017C, 'z', DotAbove},
    {0x0102, 'A', Breve},     {0x0103, 'a', Breve},     {0x010E, 'D', Caron},
    {0x00CB, 'E', Diaeresis}, {0x010F, 'd', Apostrophe}, {0x0147, 'N', Caron},
    {0x00CD, 'I', Acute},     {0x00CE, 'I', Circumflex}, {0x011B, 'e', Caron},
    {0x0162, 'T', Cedilla},   {0x016E, 'U', Ring},      {0x00D3, 'O', Acute},
    {0x00D4, 'O', Circumflex}, {0x0143, 'N', Acute},    {0x0144, 'n', Acute},
    {0x0148, 'n', Caron},     {0x0160, 'S', Caron},     {0x0161, 's', Caron},
    {0x0154, 'R', Acute},     {0x00DA, 'U', Acute},     {0x0155, 'r', Acute},
    {0x0170, 'U', DoubleAcute}, {0x00FD, 'y', Acute},   {0x00DD, 'Y', Acute},
    {0x0163, 't', Cedilla},   {0x0171, 'u', DoubleAcute}, {0x0158, 'R', Caron},
    {0x0159, 'r', Caron},
    {0x00B4, 0, Acute},       {0x02DD, 0, DoubleAcute}, {0x02DB, 0, Ogonek},
    {0x02C7, 0, Caron},       {0x02D8, 0, Breve},       {0x00B8, 0, Cedilla},
    {0x00A8, 0, Diaeresis},   {0x02D9, 0, DotAbove},
};

// Box drawing: the arms from the centre of the cell, 1 a single line, 2 a double one.
struct Box {
    unsigned code;
    int left, right, up, down;
};

const Box kBoxes[] = {
    {0x2502, 0, 0, 1, 1}, {0x2524, 1, 0, 1, 1}, {0x2563, 2, 0, 2, 2}, {0x2551, 0, 0, 2, 2},
    {0x2557, 2, 0, 0, 2}, {0x255D, 2, 0, 2, 0}, {0x2510, 1, 0, 0, 1}, {0x2514, 0, 1, 1, 0},
    {0x2534, 1, 1, 1, 0}, {0x252C, 1, 1, 0, 1}, {0x251C, 0, 1, 1, 1}, {0x2500, 1, 1, 0, 0},
    {0x253C, 1, 1, 1, 1}, {0x255A, 0, 2, 2, 0}, {0x2554, 0, 2, 0, 2}, {0x2569, 2, 2, 2, 0},
    {0x2566, 2, 2, 0, 2}, {0x2560, 0, 2, 2, 2}, {0x2550, 2, 2, 0, 0}, {0x256C, 2, 2, 2, 2},
    {0x2518, 1, 0, 1, 0}, {0x250C, 0, 1, 0, 1},
};

constexpr int kCentreColumn = 5;
constexpr int kCentreRow = 4;

void SetDot(DotGlyph& glyph, int row, int column)
{
    if (row >= DotGlyph::kTop && row < DotGlyph::kTop + DotGlyph::kRows && column >= 0 &&
        column < DotGlyph::kReach)
        glyph.rows[row - DotGlyph::kTop] |= static_cast<uint16_t>(1u << column);
}

bool FromPattern(unsigned code, DotGlyph& glyph)
{
    for (const Pattern& p : kPatterns) {
        if (p.code != code)
            continue;
        glyph = DotGlyph{};
        int row = 0, column = 0;
        for (const char* c = p.rows; *c; ++c) {
            if (*c == '/') {
                ++row;
                column = 0;
                continue;
            }
            if (*c == '#')
                SetDot(glyph, row, 2 * column + 1);
            ++column;
        }
        return true;
    }
    return false;
}

void AddAccent(DotGlyph& glyph, Accent accent, bool hasBase)
{
    if (accent == Apostrophe) {
        // A small stroke clear of the letter's top on its right, as ď, ť, ľ and Ľ are
        // written; the one of ď leans into the gap before the next letter.
        int right = 0;
        for (int column = 0; column < DotGlyph::kColumns; ++column)
            if ((glyph.Row(0) | glyph.Row(1)) & (1u << column))
                right = column;
        const int top = std::min(right + 4, DotGlyph::kReach - 1);
        SetDot(glyph, 0, top);
        SetDot(glyph, 1, top - 1);
        return;
    }
    int top = 0;
    if (accent == Ogonek || accent == Cedilla) {
        top = 7;
    } else if (hasBase && (glyph.Row(0) | glyph.Row(1))) {
        top = -2;  // above a capital or a tall small letter
    }
    for (int r = 0; r < 2; ++r)
        for (int column = 0; column < 9; ++column)
            if (kAccentRows[accent][r][column] == '#')
                SetDot(glyph, top + r, column + 1);
}

void AddBoxArms(DotGlyph& glyph, const Box& box)
{
    // A single line runs through the centre; a double one one dot row or two dot
    // columns to each side of it.
    auto horizontal = [&](int kind, int from, int to) {
        if (kind == 0)
            return;
        for (int column = from; column <= to; ++column) {
            if (kind == 1) {
                SetDot(glyph, kCentreRow, column);
            } else {
                SetDot(glyph, kCentreRow - 1, column);
                SetDot(glyph, kCentreRow + 1, column);
            }
        }
    };
    auto vertical = [&](int kind, int from, int to) {
        if (kind == 0)
            return;
        for (int row = from; row <= to; ++row) {
            if (kind == 1) {
                SetDot(glyph, row, kCentreColumn);
            } else {
                SetDot(glyph, row, kCentreColumn - 2);
                SetDot(glyph, row, kCentreColumn + 2);
            }
        }
    };
    horizontal(box.left, 0, kCentreColumn);
    horizontal(box.right, kCentreColumn, DotGlyph::kColumns - 1);
    vertical(box.up, 0, kCentreRow);
    vertical(box.down, kCentreRow, 8);
}

bool Shade(unsigned code, DotGlyph& glyph)
{
    glyph = DotGlyph{};
    for (int row = 0; row <= 8; ++row) {
        for (int column = 0; column < DotGlyph::kColumns; ++column) {
            bool dot = false;
            switch (code) {
            case 0x2591: dot = row % 2 == 0 && column % 4 == (row % 4 ? 2 : 0); break;  // ░
            case 0x2592: dot = (row + column) % 2 == 0; break;                          // ▒
            case 0x2593: dot = !(row % 2 == 0 && column % 4 == (row % 4 ? 2 : 0)); break;  // ▓
            case 0x2588: dot = true; break;                                             // █
            case 0x2584: dot = row >= 5; break;                                         // ▄
            case 0x2580: dot = row <= 4; break;                                         // ▀
            default: return false;
            }
            if (dot)
                SetDot(glyph, row, column);
        }
    }
    return true;
}

}  // namespace

bool FindDotGlyph(unsigned codePoint, DotGlyph& glyph)
{
    if (FromPattern(codePoint, glyph))
        return true;
    for (const Composed& c : kComposed) {
        if (c.code != codePoint)
            continue;
        glyph = DotGlyph{};
        if (c.base && !FromPattern(c.base, glyph))
            return false;
        AddAccent(glyph, c.accent, c.base != 0);
        return true;
    }
    for (const Box& box : kBoxes) {
        if (box.code == codePoint) {
            glyph = DotGlyph{};
            AddBoxArms(glyph, box);
            return true;
        }
    }
    return Shade(codePoint, glyph);
}
