// Helpers for comparing what reached the port: literal byte strings and a comparison that
// explains a mismatch through the ESC/P decoder.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "EscpDecode.h"

inline std::string Bytes(std::initializer_list<int> bytes)
{
    std::string out;
    for (int b : bytes)
        out += static_cast<char>(b);
    return out;
}

#define EXPECT_PORT_BYTES(expected, actual) \
    EXPECT_EQ(expected, actual) << EscpDiff(expected, actual)
