// The money arithmetic of the cash tax document: sums that carry a null or invalid
// operand through to the printed "-", and the percent rate turned into a fraction.
#pragma once

#include "printer/AmountFormat.h"

inline Amount ZeroAmount() { return {0, ValueStatus::Valid}; }
inline Amount OneAmount() { return {10000, ValueStatus::Valid}; }

// value / divisor, truncated toward zero; an amount that is not valid comes back as it is.
Amount DivideAmount(const Amount& amount, int divisor);
// Null when either is null, else invalid when either is invalid (both with value 0);
// otherwise the sum, invalid when it does not fit 64 bits.
Amount AddAmounts(const Amount& a, const Amount& b);
