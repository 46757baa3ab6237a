// AgendaConfig: where the host's data lies (agenda and year last opened) and the
// seller's header data, printer port and print settings from Quillet.ini.
#pragma once

#include <string>
#include <vector>

#include "printer/PrintRoute.h"

class AgendaConfig {
public:
    AgendaConfig() = default;
    virtual ~AgendaConfig();
    AgendaConfig(const AgendaConfig&) = delete;
    AgendaConfig& operator=(const AgendaConfig&) = delete;

    // Finds the host through its INI files and reads Quillet.ini; failures are reported
    // to the user and leave the fields as they were.
    void Load();
    // Every value Load sets, taken from another configuration. A print on a thread of its
    // own works from such a copy.
    void CopySettings(const AgendaConfig& from);

    std::string Nazev, Ulice, Mesto, PSC, ICO, DIC, RegCislo, Tel, Fax;
    std::string Port;
    int PortTimeout = 30;   // seconds one write to the port may take, 1 to 300
    PrintRezim Rezim = PrintRezim::Auto;  // ESC/P or drawn, or as the queue's driver says
    int KopieDanovyDoklad = 1;            // copies of each document in its one job, 1 to 9
    int KopieDodaciList = 1;
    std::string AgendaDir;  // ends in one backslash
    std::string YearDir;    // ends in one backslash
};

// The full path of Quillet.ini: the executable's folder followed by "Quillet.ini".
std::string QuilletIniPath();

// The folder of the host's common files, with its Setup.ini, below a program-files folder.
extern const char kHostCommonFiles[];

// The host's installation as Load finds it: the first Setup.ini of the known places
// (empty when there is none), the MonS3.ini that it names, and the program-files folders
// looked in on the way, in order.
struct HostLocation {
    std::string setupIni;
    std::string monS3Ini;
    std::vector<std::string> searched;
};
HostLocation FindHost();
