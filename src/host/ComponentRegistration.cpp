// The host component's registration as the registry holds it. Under WoW64 the registry
// keeps two views of the classes, and CoCreateInstance looks only in the view of the
// calling program's bitness; a class registered in the other view fails exactly as an
// unregistered one (REGDB_E_CLASSNOTREG), so the views are read here to tell them apart.
#include "host/ComponentRegistration.h"

#include <cstdio>

#include "framework/Files.h"
#include "framework/Gdi.h"
#include "host/ComponentApartment.h"
#include "host/HostErrorText.h"
#include "host/HostTable.h"

namespace {

const char kServerKey[] = "CLSID\\{86BCE057-6381-4224-A0BD-25E115FBAD94}\\InprocServer32";

bool SixtyFourBitWindows()
{
#ifdef _WIN64
    return true;
#else
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
}

// The server key in one view: its default value (the DLL) and its ThreadingModel value.
// HKEY_CLASSES_ROOT is the merged view on Windows; Wine does not merge the user's classes
// into it, so both halves are read too. The first key that names a DLL counts.
struct ServerKey {
    std::string server;
    std::string threadingModel;
};

std::string StringValue(HKEY key, const char* name)
{
    char value[MAX_PATH * 4] = {};
    DWORD size = sizeof value;
    // Without RRF_NOEXPAND a REG_EXPAND_SZ value comes back expanded, as REG_SZ.
    if (RegGetValueA(key, nullptr, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return {};
    return value;
}

ServerKey ServerIn(REGSAM view)
{
    const struct {
        HKEY root;
        const char* prefix;
    } places[] = {
        {HKEY_CLASSES_ROOT, ""},
        {HKEY_CURRENT_USER, "Software\\Classes\\"},
        {HKEY_LOCAL_MACHINE, "Software\\Classes\\"},
    };
    for (const auto& place : places) {
        HKEY key = nullptr;
        const std::string path = std::string(place.prefix) + kServerKey;
        if (RegOpenKeyExA(place.root, path.c_str(), 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS)
            continue;
        ServerKey found{StringValue(key, nullptr), StringValue(key, "ThreadingModel")};
        RegCloseKey(key);
        if (!found.server.empty())
            return found;
    }
    return {};
}

// A DLL named without a folder is found through the search order, which cannot be
// followed from here; only a full path can be tested.
bool NamesMissingFile(const std::string& server)
{
    return server.find('\\') != std::string::npos && !FileExists(server);
}

}  // namespace

const std::string& ComponentRegistration::Own() const
{
    return sizeof(void*) == 8 ? server64 : server32;
}

const std::string& ComponentRegistration::Other() const
{
    return sizeof(void*) == 8 ? server32 : server64;
}

ComponentRegistration FindComponentRegistration()
{
    const ServerKey server32 = ServerIn(KEY_WOW64_32KEY);
    // On 32-bit Windows the flag is ignored and would read the same view again.
    const ServerKey server64 = SixtyFourBitWindows() ? ServerIn(KEY_WOW64_64KEY) : ServerKey{};
    ComponentRegistration registration;
    registration.server32 = server32.server;
    registration.server64 = server64.server;
    registration.threadingModel = (sizeof(void*) == 8 ? server64 : server32).threadingModel;
    return registration;
}

bool ComponentWantsMultithreaded()
{
    return lstrcmpiA(FindComponentRegistration().threadingModel.c_str(), "Free") == 0;
}

bool ThreadingModelFailure(HRESULT result, const ComponentRegistration& registration)
{
    return result == E_NOINTERFACE && !registration.Own().empty() && !NamesMissingFile(registration.Own());
}

const char* OwnBitness()
{
    return sizeof(void*) == 8 ? "64" : "32";
}

const char* OtherBitness()
{
    return sizeof(void*) == 8 ? "32" : "64";
}

std::string ComponentProblem(HRESULT result)
{
    const ComponentRegistration registration = FindComponentRegistration();
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
    std::string why;
    if (!registration.Own().empty()) {
        if (NamesMissingFile(registration.Own())) {
            why = "registrovaný soubor " + registration.Own() + " neexistuje";
        } else if (ThreadingModelFailure(result, registration)) {
            const std::string& model = registration.threadingModel;
            why = registration.Own() + ": komponentu s " +
                  (model.empty() ? std::string("bez ThreadingModel (jen hlavní vlákno)")
                                 : "ThreadingModel „" + model + "“") +
                  " dostává Quillet jen přes proxy a její rozhraní nelze mezi vlákny předávat "
                  "(chybí proxy/stub pro marshalling)";
        } else {
            // Registered and there: the result itself is all there is to say.
            why = registration.Own() + ": " + HostErrorText(result);
            if (why.find(code) != std::string::npos)
                return why;
        }
    } else if (!registration.Other().empty()) {
        why = std::string("je registrována jen pro ") + OtherBitness() + "bitové programy (" + registration.Other() +
              "), Quillet je " + OwnBitness() + "bitový";
    } else {
        why = "není registrována";
    }
    return why + " (" + code + ")";
}

std::string CreationFailureText(HRESULT result)
{
    return "Databázovou komponentu MoneyS3 (mon2kdbe.dll) nelze vytvořit: " + ComponentProblem(result) +
           ".\nSpusťte quillet-print --check.";
}

namespace {

// The component as the host installs it: mon2kdbe.dll in the host's own folder, the one
// that holds MonS3.ini. Empty when there is no host or no such file.
std::string InstalledHostComponent(const std::string& monS3Ini)
{
    const size_t slash = monS3Ini.find_last_of('\\');
    if (slash == std::string::npos || slash < 2 || monS3Ini[1] != ':')
        return {};
    const std::string dll = monS3Ini.substr(0, slash + 1) + "mon2kdbe.dll";
    return FileExists(dll) ? dll : std::string();
}

}  // namespace

HRESULT RegisterHostComponent(const std::string& dllPath)
{
    // By its full path; its own dependencies are looked for beside it.
    UniqueModule module(LoadLibraryExA(dllPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!module)
        return HRESULT_FROM_WIN32(GetLastError());
    using Entry = HRESULT(STDAPICALLTYPE*)();
    const auto entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(module.Proc("DllRegisterServer")));
    if (!entry)
        return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    return entry();
}

std::string ProbeHostComponent(ComponentApartment& apartment, const std::string& monS3Ini)
{
    // A local handle, let go at once: only whether the component can be created counts.
    const HostTable probe = CreateHostTable();
    // Registered, the class failed for another reason (its DLL missing, say), which
    // registering something else would only hide. The registry itself is asked: Wine
    // reports an unregistered class as a missing key.
    if (!probe.Empty() || !FindComponentRegistration().Own().empty())
        return {};
    // Without the host there is no component to register; the agenda's loading says so.
    if (monS3Ini.empty())
        return {};
    const std::string dll = InstalledHostComponent(monS3Ini);
    HRESULT result = REGDB_E_CLASSNOTREG;
    if (!dll.empty()) {
        result = RegisterHostComponent(dll);
        if (FAILED(result))
            return "Databázovou komponentu MoneyS3 " + dll + " nelze zaregistrovat: " + HostErrorText(result) +
                   ".\nSpusťte quillet-print --check.";
        // Nothing of the component is held here, so the thread may change apartments.
        result = apartment.Enter();
        if (SUCCEEDED(result)) {
            const HostTable again = CreateHostTable();
            if (!again.Empty())
                return {};
            result = again.CreationResult();
        }
    }
    return CreationFailureText(result);
}
