// Screen resolution: the functions of later Windows versions are looked up when first
// needed, so that the program still starts on Windows 7.
#include "framework/Dpi.h"

#include "framework/Gdi.h"

namespace {

template <class Function>
Function User32Function(const char* name)
{
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

}  // namespace

unsigned WindowDpi(HWND window)
{
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    if (getDpiForWindow && window) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi > 0)
            return dpi;
    }
    WindowDC dc(window);
    const int dpi = dc ? GetDeviceCaps(dc.Get(), LOGPIXELSX) : 0;
    return dpi > 0 ? static_cast<unsigned>(dpi) : kDefaultDpi;
}

int ScaledForDpi(int pixels, unsigned dpi)
{
    return MulDiv(pixels, static_cast<int>(dpi), static_cast<int>(kDefaultDpi));
}

void TakeOverDpiChanges(HWND dialog)
{
    using SetBehaviourFunction = BOOL(WINAPI*)(HWND, DIALOG_DPI_CHANGE_BEHAVIORS, DIALOG_DPI_CHANGE_BEHAVIORS);
    static const auto setBehaviour = User32Function<SetBehaviourFunction>("SetDialogDpiChangeBehavior");
    if (setBehaviour)
        setBehaviour(dialog, DDC_DISABLE_ALL, DDC_DISABLE_ALL);
}
