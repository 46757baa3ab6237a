// Which way a document goes to its printer: the printer's own ESC/P bytes as a RAW job,
// or drawn page by page through the queue's Windows driver for a printer that does not
// speak ESC/P (laser, inkjet, a PDF printer).
#pragma once

#include <string>

// Key "Rezim" of section "Firma": auto lets the queue's driver decide.
enum class PrintRezim { Auto, Escp, Grafika };

enum class DocumentWay {
    Raw,      // ESC/P bytes to the port, whatever it is
    Drawn,    // drawn through the driver of a printer queue
    Refused,  // drawing asked for on a port that is not a printer queue
};

struct DocumentRoute {
    DocumentWay way = DocumentWay::Raw;
    std::string queue;   // the printer queue the port names, empty for devices, shares, files
    std::string driver;  // that queue's driver, where the spooler says
    // Why, in one Czech sentence for --check and --verbose; for Refused the message for
    // the user (code page 1250).
    std::string why;
};

// Decides from the port name and the setting; asks the spooler for the queue's driver.
// A queue whose driver cannot be learned is sent ESC/P, as it always was.
DocumentRoute ChooseDocumentRoute(const std::string& port, PrintRezim rezim);

// Whether a driver prints ESC/P bytes as they are: "Generic / Text Only" and drivers
// whose names say ESC/P.
bool DriverTakesEscp(const std::string& driver);
