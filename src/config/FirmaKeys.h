// The settings of section "Firma" of Quillet.ini, each key described once in kFirmaKeys:
// its name, the type of its value, its default and range, and the settings dialog's
// control for it. Loading, the copy a print works from, the settings dialog and the
// installation check all go by this list.
#pragma once

#include <string>

#include "printer/PrintRoute.h"
#include "res/resource.h"

// The values, each in the member named as its key. Texts are code page 1250 and empty
// until loaded; a number or a choice starts at its default.
struct FirmaSettings {
    std::string Nazev, Ulice, Mesto, PSC, ICO, DIC, RegCislo, Tel, Fax;
    std::string Port;
    int PortTimeout = 30;                 // seconds one write to the port may take
    PrintRezim Rezim = PrintRezim::Auto;  // ESC/P or drawn, or as the queue's driver says
    int KopieDanovyDoklad = 1;            // copies of each document in its one job
    int KopieDodaciList = 1;
    // New documents printed as they come, each kind on its own, of everybody or only of
    // the one whose name is in the documents' "Vystavil".
    bool AutoTiskDanovyDoklad = false;
    bool AutoTiskDodaciList = false;
    std::string AutoTiskVystavil;
};

// How a key's text becomes its value. A number or a choice that is missing, or not one
// the type allows, takes the member's value in a FirmaSettings made afresh.
enum class FirmaType {
    Text,       // as written; at most 259 characters arrive
    WholeText,  // as written, however long
    Number,     // a whole number from min to max, as strtol reads one
    Digit,      // one digit from min to max, with blanks around it
    Choice,     // one of the choices' values, in any case
    Check,      // 1 on, 0 off, with blanks around it; a check box in the dialog
};

struct FirmaChoice {
    const char* value;  // as the file holds it
    const char* shown;  // in the dialog's list
};

struct FirmaKey {
    const char* name;
    FirmaType type;
    std::string FirmaSettings::*text = nullptr;   // Text, WholeText
    int FirmaSettings::*number = nullptr;         // Number, Digit
    PrintRezim FirmaSettings::*choice = nullptr;  // Choice: the index of its value
    bool FirmaSettings::*flag = nullptr;          // Check
    const char* missing = "";                     // Text, WholeText: the value of a missing key
    int min = 0, max = 0;                         // Number, Digit
    const FirmaChoice* choices = nullptr;         // Choice
    int choiceCount = 0;
    // The settings dialog's control; the dialog writes every key that has one, in the
    // list's order, and leaves the others as they are in the file.
    int control = 0;
    const char* counted = nullptr;  // Number, Digit in the dialog: what it counts, for its message
};

constexpr FirmaKey FirmaText(const char* name, std::string FirmaSettings::*member, int control,
                             const char* missing = "", FirmaType type = FirmaType::Text)
{
    FirmaKey key{name, type};
    key.text = member;
    key.missing = missing;
    key.control = control;
    return key;
}

constexpr FirmaKey FirmaNumber(const char* name, int FirmaSettings::*member, FirmaType type, int min, int max,
                               int control = 0, const char* counted = nullptr)
{
    FirmaKey key{name, type};
    key.number = member;
    key.min = min;
    key.max = max;
    key.control = control;
    key.counted = counted;
    return key;
}

template <int Count>
constexpr FirmaKey FirmaChoiceOf(const char* name, PrintRezim FirmaSettings::*member,
                                 const FirmaChoice (&choices)[Count], int control)
{
    FirmaKey key{name, FirmaType::Choice};
    key.choice = member;
    key.choices = choices;
    key.choiceCount = Count;
    key.control = control;
    return key;
}

constexpr FirmaKey FirmaCheck(const char* name, bool FirmaSettings::*member, int control)
{
    FirmaKey key{name, FirmaType::Check};
    key.flag = member;
    key.control = control;
    return key;
}

// The print modes in the order of PrintRezim.
inline constexpr FirmaChoice kRezimChoices[] = {
    {"auto", "Automaticky"}, {"escp", "Jehličková tiskárna (ESC/P)"}, {"grafika", "Grafický tisk"}};

// Every key, in the order the settings dialog writes them.
inline constexpr FirmaKey kFirmaKeys[] = {
    FirmaText("Nazev", &FirmaSettings::Nazev, IDC_NAZEV),
    FirmaText("Ulice", &FirmaSettings::Ulice, IDC_ULICE),
    FirmaText("Mesto", &FirmaSettings::Mesto, IDC_MESTO),
    FirmaText("PSC", &FirmaSettings::PSC, IDC_PSC),
    FirmaText("Tel", &FirmaSettings::Tel, IDC_TEL),
    FirmaText("Fax", &FirmaSettings::Fax, IDC_FAX),
    FirmaText("ICO", &FirmaSettings::ICO, IDC_ICO),
    FirmaText("DIC", &FirmaSettings::DIC, IDC_DIC),
    FirmaText("RegCislo", &FirmaSettings::RegCislo, IDC_REGCISLO),
    // A port name cut short would lead somewhere else: it arrives whole, to be refused.
    FirmaText("Port", &FirmaSettings::Port, IDC_PORT, "LPT1:", FirmaType::WholeText),
    // Not in the dialog. A longer wait would keep the setup program, which reads the key
    // too (installer/Quillet.nsi), waiting for a print that cannot end.
    FirmaNumber("PortTimeout", &FirmaSettings::PortTimeout, FirmaType::Number, 1, 300),
    FirmaChoiceOf("Rezim", &FirmaSettings::Rezim, kRezimChoices, IDC_REZIM),
    FirmaNumber("KopieDanovyDoklad", &FirmaSettings::KopieDanovyDoklad, FirmaType::Digit, 1, 9,
                IDC_KOPIE_DANOVY_DOKLAD, "Počet kopií"),
    FirmaNumber("KopieDodaciList", &FirmaSettings::KopieDodaciList, FirmaType::Digit, 1, 9, IDC_KOPIE_DODACI_LIST,
                "Počet kopií"),
    FirmaCheck("AutoTiskDanovyDoklad", &FirmaSettings::AutoTiskDanovyDoklad, IDC_AUTO_DANOVY_DOKLAD),
    FirmaCheck("AutoTiskDodaciList", &FirmaSettings::AutoTiskDodaciList, IDC_AUTO_DODACI_LIST),
    FirmaText("AutoTiskVystavil", &FirmaSettings::AutoTiskVystavil, IDC_AUTO_VYSTAVIL),
};

// Every key of the file at iniPath into settings.
void ReadFirmaSettings(const std::string& iniPath, FirmaSettings& settings);
// Writes every key the dialog shows, empty texts as empty keys; stops at the first key
// that cannot be written, false then.
bool WriteFirmaSettings(const std::string& iniPath, const FirmaSettings& settings);

// A number key's value from its text; false when the text is not one the type allows.
bool ParseFirmaNumber(const FirmaKey& key, const std::string& text, int& value);
// The message for a number typed into the dialog that ParseFirmaNumber refuses.
std::string FirmaNumberRefusal(const FirmaKey& key);
