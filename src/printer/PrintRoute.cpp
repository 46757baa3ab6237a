// Choosing RAW or drawn for a document from the port name, the queue's driver and the
// Rezim setting. A text-only queue is told by its driver's name alone: creating a device
// context for it fails on some systems and works on others.
#include "printer/PrintRoute.h"

#include <windows.h>
#include <winspool.h>

#include <vector>

#include "framework/FormatText.h"
#include "framework/SystemText.h"
#include "framework/WideText.h"
#include "printer/PortNames.h"
#include "printer/PrinterPort.h"

namespace {

const wchar_t kTextOnly[] = L"Generic / Text Only";

// The queue's driver, or empty with the reason in failure.
std::string QueueDriver(const std::string& queue, std::string& failure)
{
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ACCESS_USE};
    std::wstring name = ToWide(queue);
    if (!OpenPrinterW(&name[0], &printer, &defaults)) {
        failure = SystemText(GetLastError());
        return {};
    }
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed ? needed : 1);
    std::string driver;
    if (needed && GetPrinterW(printer, 2, buffer.data(), needed, &needed)) {
        const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
        driver = info->pDriverName ? ToCp1250Shown(info->pDriverName) : "";
    } else {
        failure = SystemText(GetLastError());
    }
    ClosePrinter(printer);
    return driver;
}

}  // namespace

bool DriverTakesEscp(const std::string& driver)
{
    std::wstring wide = ToWide(driver);
    if (CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wide.c_str(), int(wide.size()), kTextOnly, -1) ==
        CSTR_EQUAL)
        return true;
    CharUpperBuffW(&wide[0], static_cast<DWORD>(wide.size()));
    return wide.find(L"ESC/P") != std::wstring::npos;
}

DocumentRoute ChooseDocumentRoute(const std::string& portName, PrintRezim rezim)
{
    DocumentRoute route;
    const std::string port = TrimmedPortName(portName);
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
