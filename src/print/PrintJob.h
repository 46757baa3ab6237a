// One document's print job: the whole listing laid out in memory first, then sent to
// the agenda's printer in one piece, so that a failure never leaves half a document.
#pragma once

#include <string>

#include "config/AgendaConfig.h"

struct DocumentJob {
    std::string name;   // the spooler's document name, "Quillet – daňový doklad 123" (code page 1250)
    std::string number; // the document's number, "123"
    std::string bytes;  // the whole ESC/P listing, from ESC @ to its form feed
    int copies = 1;     // how many times the document is printed in this one job
};

// Sends a whole document to config.Port. False when the printer did not take all of it;
// failure then holds the one message for the user (code page 1250), naming the port and
// the system's reason. Nothing is shown here.
bool SendDocument(const AgendaConfig& config, const DocumentJob& job, std::string& failure);
