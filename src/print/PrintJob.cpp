// Sending a document laid out whole: the only place a print's bytes leave for the printer.
#include "print/PrintJob.h"

#include "documents/Documents.h"

bool SendDocument(const AgendaConfig& config, const DocumentJob& job, std::string& failure)
{
    return SendDocumentPage(config, job.name, job.bytes, job.copies, failure);
}
