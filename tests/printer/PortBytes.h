// Helpers for comparing what reached the port: literal byte strings and a comparison that
// explains a mismatch through the ESC/P decoder.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "support/EscpDiff.h"

inline std::string Bytes(std::initializer_list<int> bytes)
{
    std::string out;
    for (int b : bytes)
        out += static_cast<char>(b);
    return out;
}

// What Open sends for character table 5 and a page length of 6 inches.
inline const std::string kInit = Bytes({0x1B, 0x40, 0x1B, 0x28, 0x74, 0x03, 0x00, 0x01, 0x0A, 0x00,
                                        0x1B, 0x74, 0x01, 0x1B, 0x78, 0x00, 0x1B, 0x43, 0x00, 0x06,
                                        0x1B, 0x30, 0x1B, 0x21, 0x00});

#define EXPECT_PORT_BYTES(expected, actual) \
    EXPECT_EQ(expected, actual) << EscpDiff(expected, actual)
