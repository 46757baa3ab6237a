// Sums, products and divisions of money values with their status.
#include "documents/AmountArithmetic.h"

#include "host/HostTable.h"

void ThrowAmountOutOfRange(const std::string& what)
{
    throw HostError(DISP_E_OVERFLOW, "Částka mimo rozsah: " + what);
}

Amount DivideAmount(const Amount& amount, int divisor)
{
    if (amount.status != ValueStatus::Valid)
        return amount;
    return {amount.value / divisor, ValueStatus::Valid};
}

Amount AddAmounts(const Amount& a, const Amount& b, const char* what)
{
    if (a.status == ValueStatus::Null || b.status == ValueStatus::Null)
        return {0, ValueStatus::Null};
    if (a.status == ValueStatus::Invalid || b.status == ValueStatus::Invalid)
        return {0, ValueStatus::Invalid};
    int64_t sum = 0;
    if (__builtin_add_overflow(a.value, b.value, &sum))
        ThrowAmountOutOfRange(what);
    return {sum, ValueStatus::Valid};
}

Amount MultiplyChecked(const Amount& a, const Amount& b, const char* what)
{
    const Amount product = MultiplyAmounts(a, b);
    if (product.status != ValueStatus::Valid)
        ThrowAmountOutOfRange(what);
    return product;
}
