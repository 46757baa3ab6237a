// Sums and divisions of money values with their status.
#include "documents/AmountArithmetic.h"

Amount DivideAmount(const Amount& amount, int divisor)
{
    if (amount.status != ValueStatus::Valid)
        return amount;
    return {amount.value / divisor, ValueStatus::Valid};
}

Amount AddAmounts(const Amount& a, const Amount& b)
{
    if (a.status == ValueStatus::Null || b.status == ValueStatus::Null)
        return {0, ValueStatus::Null};
    if (a.status == ValueStatus::Invalid || b.status == ValueStatus::Invalid)
        return {0, ValueStatus::Invalid};
    int64_t sum = 0;
    if (__builtin_add_overflow(a.value, b.value, &sum))
        return {0, ValueStatus::Invalid};
    return {sum, ValueStatus::Valid};
}
