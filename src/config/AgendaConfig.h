// AgendaConfig: where the host's data lies (agenda and year last opened) and the
// settings from Quillet.ini: the seller's header data, the printer port, how documents go.
#pragma once

#include <string>
#include <vector>

#include "config/FirmaKeys.h"

// The settings of section "Firma" (FirmaKeys.h) are members of their own names.
class AgendaConfig : public FirmaSettings {
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
