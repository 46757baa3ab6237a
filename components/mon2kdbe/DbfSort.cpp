// Indexes sorted here and the binary search of Seek: numeric fields by their value, the
// others by their bytes, equal keys in file order.
#include "DbfTable.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "DbfFormat.h"
#include "DbfNumber.h"

double DbfTable::NumericKey(const Field& field, uint32_t record) const
{
    const unsigned char* p = Record(record) + field.offset;
    switch (field.type) {
    case 'I':
        return static_cast<int32_t>(Le32(p));
    case 'Y': {
        int64_t v;
        std::memcpy(&v, p, 8);
        return static_cast<double>(v) / 10000;
    }
    case 'B': {
        double v;
        std::memcpy(&v, p, 8);
        return std::isnan(v) ? -std::numeric_limits<double>::infinity() : v;
    }
    default: {
        // Blank and unreadable values sort before every number.
        const DbfNumber number = ScanNumber(p, field.length);
        double v = 0;
        long long whole = 0;
        if (number.blank)
            return -std::numeric_limits<double>::infinity();
        if (number.fractionDigits == 0 && ToScaled(number, 0, &whole) && whole > -(1LL << 53) && whole < (1LL << 53))
            return static_cast<double>(whole);
        return ToDouble(number, &v) ? v : -std::numeric_limits<double>::infinity();
    }
    }
}

void DbfTable::SetIndex(int index)
{
    // A lookup per printed row asks again for the index in force: only the position changes.
    if (index != indexField_) {
        indexField_ = -1;
        if (!MapIndexFile(index))
            BuildIndex(index);
        indexField_ = index;
    }
    position_ = 0;
}

void DbfTable::BuildIndex(int index)
{
    UnmapIndexFile();
    ReadFileOrder();  // the visible records, in any order: the sort below decides it
    const Field& field = fields_[index];
    if (IsNumericType(field.type)) {
        std::vector<std::pair<double, uint32_t>> keys;
        keys.reserve(order_.size());
        for (uint32_t record : order_)
            keys.emplace_back(NumericKey(field, record), record);
        // Record numbers break ties, which keeps equal keys in file order.
        std::sort(keys.begin(), keys.end());
        for (size_t i = 0; i < keys.size(); ++i)
            order_[i] = keys[i].second;
    } else {
        std::sort(order_.begin(), order_.end(), [&](uint32_t a, uint32_t b) {
            const int c = std::memcmp(Record(a) + field.offset, Record(b) + field.offset, field.length);
            return c < 0 || (c == 0 && a < b);
        });
    }
}

bool DbfTable::Seek(const VARIANT& key)
{
    if (indexField_ < 0)
        ThrowTableError(kErrNoIndex, L"Seek needs an index: no index is set");
    const Field& field = fields_[indexField_];
    const long count = Count();
    // Binary search over the index: the first position whose key is not below the one
    // sought, so that among equal keys the first in index order is found.
    auto firstNotBelow = [&](auto below) {
        long low = 0, high = count;
        while (low < high) {
            const long middle = low + (high - low) / 2;
            if (below(RecordAt(middle)))
                low = middle + 1;
            else
                high = middle;
        }
        return low;
    };
    VARIANT converted;
    VariantInit(&converted);
    long found = -1;
    if (IsNumericType(field.type)) {
        if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&key), 0, VT_R8)))
            ThrowTableError(DISP_E_TYPEMISMATCH, L"The key does not fit the index on field " + field.name);
        const double target = converted.dblVal;
        const long at = firstNotBelow([&](uint32_t record) { return NumericKey(field, record) < target; });
        if (at < count && NumericKey(field, RecordAt(at)) == target)
            found = at;
    } else {
        if (FAILED(VariantChangeType(&converted, const_cast<VARIANT*>(&key), 0, VT_BSTR)))
            ThrowTableError(DISP_E_TYPEMISMATCH, L"The key does not fit the index on field " + field.name);
        const UINT wideLength = SysStringLen(converted.bstrVal);
        std::string bytes(field.length, ' ');
        bool fits = wideLength <= field.length;
        if (fits && wideLength) {
            BOOL lossy = FALSE;
            std::string narrow(wideLength * 2, '\0');
            const int n = WideCharToMultiByte(kTableCodePage, 0, converted.bstrVal, wideLength, narrow.data(),
                                              static_cast<int>(narrow.size()), nullptr, &lossy);
            fits = n > 0 && size_t(n) <= field.length && !lossy;
            if (fits)
                bytes.replace(0, n, narrow.data(), n);
        }
        VariantClear(&converted);
        if (fits) {
            const long at = firstNotBelow([&](uint32_t record) {
                return std::memcmp(Record(record) + field.offset, bytes.data(), field.length) < 0;
            });
            if (at < count && std::memcmp(Record(RecordAt(at)) + field.offset, bytes.data(), field.length) == 0)
                found = at;
        }
    }
    if (found < 0)
        return false;
    position_ = found;
    return true;
}
