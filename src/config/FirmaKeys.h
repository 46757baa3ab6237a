// The ten keys of section "Firma" of Quillet.ini, kept in one place so that
// AgendaConfig::Load and the settings dialog read and write the same keys in the same order.
#pragma once

#include <string>

#include "printer/PrintRoute.h"

// One key and the member that holds its value; Owner has the ten members named as the keys.
template <class Owner>
struct FirmaKey {
    const char* name;
    std::string Owner::*value;
    const char* defaultValue;  // for a missing key only; a key present but empty stays empty
    bool whole = false;        // read however long it is, not cut to 259 characters
};

// The keys in the order they are read and written.
template <class Owner>
constexpr FirmaKey<Owner> kFirmaKeys[] = {
    {"Nazev", &Owner::Nazev, ""},
    {"Ulice", &Owner::Ulice, ""},
    {"Mesto", &Owner::Mesto, ""},
    {"PSC", &Owner::PSC, ""},
    {"Tel", &Owner::Tel, ""},
    {"Fax", &Owner::Fax, ""},
    {"ICO", &Owner::ICO, ""},
    {"DIC", &Owner::DIC, ""},
    {"RegCislo", &Owner::RegCislo, ""},
    // A port name cut short would lead somewhere else: it arrives whole, to be refused.
    {"Port", &Owner::Port, "LPT1:", true},
};

// One key of section "Firma"; values longer than 259 characters arrive cut, unless whole.
std::string ReadFirmaKey(const std::string& iniPath, const char* key, const char* defaultValue, bool whole = false);
// Key "PortTimeout" of section "Firma", which the settings dialog leaves alone: how many
// seconds one write to the printer may take. kDefaultPortTimeout when the key is missing
// or not a whole number from 1 to kMaxPortTimeout: a longer wait would keep the setup
// program waiting for a print that cannot end.
constexpr int kDefaultPortTimeout = 30;
constexpr int kMaxPortTimeout = 300;
int ReadPortTimeout(const std::string& iniPath);

// Keys "Rezim" (auto, escp, grafika; anything else is auto) and "KopieDanovyDoklad",
// "KopieDodaciList" (how many times each document is printed, 1 to 9; anything else is 1),
// written by the settings dialog after the ten keys.
PrintRezim ReadRezim(const std::string& iniPath);
const char* RezimValue(PrintRezim rezim);
constexpr int kMaxCopies = 9;
int ReadCopies(const std::string& iniPath, const char* key);
// The number of copies a text gives: 1 to 9, or 0 when it is not such a number.
int ParseCopies(const std::string& text);
bool WritePrintKeys(const std::string& iniPath, PrintRezim rezim, int copiesTax, int copiesDelivery);

// Writes one key of section "Firma"; an empty value is written as an empty key, not removed.
bool WriteFirmaKey(const std::string& iniPath, const char* key, const std::string& value);

template <class Owner>
void ReadFirma(const std::string& iniPath, Owner& owner)
{
    for (const auto& key : kFirmaKeys<Owner>)
        owner.*key.value = ReadFirmaKey(iniPath, key.name, key.defaultValue, key.whole);
}

// Writes all ten keys, empty ones too; stops at the first key that cannot be written.
template <class Owner>
bool WriteFirma(const std::string& iniPath, const Owner& owner)
{
    for (const auto& key : kFirmaKeys<Owner>) {
        if (!WriteFirmaKey(iniPath, key.name, owner.*key.value))
            return false;
    }
    return true;
}
