// Choosing RAW or drawn for a document from the port name, the queue's driver and the
// Rezim setting. A text-only queue is told by its driver's name alone: creating a device
// context for it fails on some systems and works on others.
#include "printer/PrintRoute.h"

#include <windows.h>
#include <winspool.h>

#include <vector>

#include "framework/FormatText.h"
#include "framework/SystemText.h"
#include "printer/PrinterPort.h"

namespace {

const char kTextOnly[] = "Generic / Text Only";

std::string Trimmed(const std::string& name)
{
    const size_t first = name.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return name.substr(first, name.find_last_not_of(" \t") - first + 1);
}

// The queue's driver, or empty with the reason in failure.
std::string QueueDriver(const std::string& queue, std::string& failure)
{
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSA defaults = {nullptr, nullptr, PRINTER_ACCESS_USE};
    if (!OpenPrinterA(const_cast<char*>(queue.c_str()), &printer, &defaults)) {
        failure = SystemText(GetLastError());
        return {};
    }
    DWORD needed = 0;
    GetPrinterA(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed ? needed : 1);
    std::string driver;
    if (needed && GetPrinterA(printer, 2, buffer.data(), needed, &needed)) {
        const auto* info = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
        driver = info->pDriverName ? info->pDriverName : "";
    } else {
        failure = SystemText(GetLastError());
    }
    ClosePrinter(printer);
    return driver;
}

}  // namespace

bool DriverTakesEscp(const std::string& driver)
{
    if (CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, driver.c_str(), -1, kTextOnly, -1) == CSTR_EQUAL)
        return true;
    std::string upper = driver;
    CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
    return upper.find("ESC/P") != std::string::npos;
}

DocumentRoute ChooseDocumentRoute(const std::string& portName, PrintRezim rezim)
{
    DocumentRoute route;
    const std::string port = Trimmed(portName);
    if (rezim == PrintRezim::Escp) {
        route.why = "Rezim=escp v Quillet.ini: data ESC/P (RAW)";
        return route;
    }
    if (ClassifyPort(port) != PortWay::Queue) {
        if (rezim == PrintRezim::Grafika) {
            route.way = DocumentWay::Refused;
            route.why = FormatText("Grafický tisk (Rezim=grafika v Quillet.ini) jde jen na tiskárnu "
                                   "nainstalovanou ve Windows a port '%s' jí není.\n\nV Nastavení vyberte "
                                   "tiskárnu Windows, nebo režim tisku Automaticky či Jehličková tiskárna.",
                                   port.c_str());
        } else {
            route.why = FormatText("port %s není tiskárna Windows: data ESC/P (RAW)", port.c_str());
        }
        return route;
    }
    route.queue = port;
    std::string failure;
    route.driver = QueueDriver(port, failure);
    if (rezim == PrintRezim::Grafika) {
        route.way = DocumentWay::Drawn;
        route.why = FormatText("Rezim=grafika v Quillet.ini: kreslí se přes ovladač '%s' tiskárny '%s'",
                               route.driver.c_str(), port.c_str());
    } else if (route.driver.empty()) {
        route.why = FormatText("ovladač tiskárny '%s' nelze zjistit (%s): data ESC/P (RAW)", port.c_str(),
                               failure.empty() ? "neznámý" : failure.c_str());
    } else if (DriverTakesEscp(route.driver)) {
        route.why = FormatText("tiskárna '%s' má ovladač '%s': data ESC/P (RAW)", port.c_str(),
                               route.driver.c_str());
    } else {
        route.way = DocumentWay::Drawn;
        route.why = FormatText("tiskárna '%s' má ovladač '%s', který ESC/P nezná: doklad se kreslí přes ovladač",
                               port.c_str(), route.driver.c_str());
    }
    return route;
}
