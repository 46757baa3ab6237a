// Money amounts, dates and host field values turned into the short texts that the
// picker shows and the documents print.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <string>

#include "printer/CharMap852.h"

enum class ValueStatus { Valid = 0, Invalid = 1, Null = 2 };

// A money value in ten-thousandths, as OLE's CURRENCY holds it.
struct Amount {
    int64_t value = 0;
    ValueStatus status = ValueStatus::Valid;

    static Amount FromCurrency(CURRENCY cy) { return {cy.int64, ValueStatus::Valid}; }
};

// An OLE automation date (days from 30 December 1899).
struct DateValue {
    double date = 0;
    ValueStatus status = ValueStatus::Valid;
};

std::string FormatDate(const DateValue& date);
// A string value is converted into codePage: the printed text's code page, or CP_ACP for
// what a dialog shows.
std::string VariantToText(const VARIANT& value, UINT codePage = kTextCodePage);
// unit in ten-thousandths (100 = 0.01); mode 'M' rounds halves away from zero.
std::string FormatMoney(const Amount& amount, int32_t unit, char mode);
// The amount rounded to a multiple of unit; invalid when the rounded value does not fit.
Amount RoundAmount(const Amount& amount, const Amount& unit, char mode);
// a × b truncated toward zero to four decimals, exact wherever the result fits; the
// statuses of a and b are not looked at. A product beyond 64 bits is invalid (value 0),
// never a wrapped number: the only way this returns an invalid amount.
Amount MultiplyAmounts(const Amount& a, const Amount& b);
