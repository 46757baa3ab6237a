// The program's entry: the one application object, created before start-up runs.
#include <windows.h>

#include "app/TrayApp.h"

namespace {

CTrayApp theApp;

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    theApp.InitInstance();
    return 0;
}
