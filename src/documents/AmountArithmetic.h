// The money arithmetic of the cash tax document: sums that carry a null or invalid
// operand through to the printed "-", the percent rate turned into a fraction, and
// results too large to hold, which are data errors rather than wrong numbers.
#pragma once

#include "printer/AmountFormat.h"

inline Amount ZeroAmount() { return {0, ValueStatus::Valid}; }
inline Amount OneAmount() { return {10000, ValueStatus::Valid}; }

// value / divisor, truncated toward zero; an amount that is not valid comes back as it is.
Amount DivideAmount(const Amount& amount, int divisor);
// Null when either is null, else invalid when either is invalid (both with value 0);
// otherwise the sum. A sum beyond 64 bits raises HostError naming what (the fields
// summed): no page may show an amount that was never computed.
Amount AddAmounts(const Amount& a, const Amount& b, const char* what);
// MultiplyAmounts, raising HostError naming what when the product does not fit.
Amount MultiplyChecked(const Amount& a, const Amount& b, const char* what);
// The data error of an amount that cannot be represented.
[[noreturn]] void ThrowAmountOutOfRange(const std::string& what);
