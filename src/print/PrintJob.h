// Sending a document laid out whole to the agenda's printer in one piece, so that a
// failure never leaves half a document: the way it takes (the printer's own ESC/P bytes,
// or drawn through a queue's driver) is chosen here, beside the sending.
#pragma once

#include <string>

#include "config/AgendaConfig.h"
#include "documents/Documents.h"
#include "printer/PrintRoute.h"

// Sends a whole document to config.Port. False when the printer did not take all of it;
// failure then holds the one message for the user (code page 1250), naming the port and
// the system's reason. Nothing is shown here.
// way, where given, is the way it took or would have taken (Refused: none).
bool SendDocument(const AgendaConfig& config, const DocumentJob& job, std::string& failure,
                  DocumentWay* way = nullptr);
