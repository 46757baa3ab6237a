// The one message with which a print and the document picker report a failure of the
// host's component: nothing has been printed when it is shown.
#pragma once

#include "framework/MessageBox.h"
#include "host/HostTable.h"

inline void ShowDataError(const HostError& error)
{
    ShowMessageBox("Nastala chyba při přístupu k datům\n\n:" + error.Text(), MB_OK);
}
