// The Czech sample material of the host generator: goods with their units, prices and VAT
// rates, customers, clerks and stock-card notes. Text is code page 1250.
#pragma once

#include <cstdint>

namespace samplehost {

struct Goods {
    const char* name;
    const char* catalogue;  // prefix of the catalogue designation
    const char* unit;
    std::int64_t price;     // without VAT, ten-thousandths
    int rate;               // VAT percent: 0, 5 or 22
    int quantityDecimals;   // 0 for pieces, more for goods sold by weight or length
};

struct Customer {
    const char* name;
    const char* street;
    const char* town;
    const char* postcode;
    const char* ico;       // empty for a private person
    const char* contact;   // who takes the goods over
};

extern const Goods kGoods[];
extern const int kGoodsCount;
extern const Customer kCustomers[];
extern const int kCustomersCount;
extern const char* const kClerks[];
extern const int kClerksCount;
extern const char* const kCardNotes[];
extern const int kCardNotesCount;
extern const char* const kTextRows[];
extern const int kTextRowsCount;
extern const char* const kVariants[];
extern const int kVariantsCount;

}  // namespace samplehost
