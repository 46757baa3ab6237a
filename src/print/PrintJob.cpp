// Sending a document laid out whole: the only place a print's bytes leave for the printer.
#include "print/PrintJob.h"

#include "framework/FormatText.h"
#include "print/escp/EscpDraw.h"
#include "printer/JobCancel.h"
#include "printer/PrintRoute.h"
#include "printer/PrinterPort.h"

bool SendDocument(const AgendaConfig& config, const DocumentJob& job, std::string& failure, DocumentWay* way)
{
    // Counted before asking, so that the end of a session either waits for this job or
    // has given it up before it began.
    const SendingJob sending;
    if (PrintJobsCancelled()) {
        failure = PortCancelledFailure(config.Port);
        return false;
    }
    // The queue's driver decides between the printer's own bytes and drawing, unless
    // Rezim says which.
    const DocumentRoute route = ChooseDocumentRoute(config.Port, config.Rezim);
    if (way)
        *way = route.way;
    TracePort(FormatText("Způsob: %s; kopií %d", route.why.c_str(), job.copies));
    switch (route.way) {
    case DocumentWay::Refused:
        failure = route.why;
        return false;
    case DocumentWay::Drawn:
        return DrawEscpDocument(route.queue, job.name, job.bytes, job.copies, failure, nullptr,
                                [](int) { return !PrintJobsCancelled(); });
    case DocumentWay::Raw:
        break;
    }
    // The printer's own bytes, copies times over, as one job to the port.
    PortJob port;
    port.name = job.name;
    port.timeoutMs = static_cast<DWORD>(config.PortTimeout) * 1000;
    port.settingsFile = QuilletIniPath();
    return SendToPort(config.Port, port, job.bytes, job.copies, failure);
}
