// Self-registration of mon2kdbe.dll: what DllRegisterServer writes, that DllUnregisterServer
// takes exactly that away, that the class can be created again afterwards, and a caller
// in the wrong apartment for its threading model.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "HostTestSupport.h"
#include "host/ComponentRegistration.h"
#include "host/HostTable.h"

namespace {

const char kClassKey[] = "CLSID\\{86BCE057-6381-4224-A0BD-25E115FBAD94}";
const char kServerKey[] = "CLSID\\{86BCE057-6381-4224-A0BD-25E115FBAD94}\\InprocServer32";

using Entry = HRESULT(STDAPICALLTYPE*)();

std::string ComponentPath()
{
    char self[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path(self, n);
    return path.substr(0, path.find_last_of('\\') + 1) + "mon2kdbe.dll";
}

bool KeyExists(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The string value, or "<none>" when the key or the value is missing.
std::string StringValue(HKEY root, const std::string& path, const char* name)
{
    char value[1024];
    DWORD size = sizeof value;
    if (RegGetValueA(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return "<none>";
    return value;
}

class Component {
public:
    Component() : module_(LoadLibraryA(ComponentPath().c_str())) {}
    ~Component()
    {
        // Leave the prefix as the other tests expect it, whatever happened here.
        if (module_) {
            Call("DllRegisterServer");
            FreeLibrary(module_);
        }
    }
    bool Loaded() const { return module_ != nullptr; }
    HRESULT Call(const char* entry) const
    {
        auto f = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module_, entry)));
        return f ? f() : E_FAIL;
    }

private:
    HMODULE module_;
};

TEST(Registration, UnregisterRemovesWhatRegisterWrote)
{
    Component component;
    ASSERT_TRUE(component.Loaded()) << ComponentPath();
    ASSERT_EQ(component.Call("DllRegisterServer"), S_OK);
    EXPECT_TRUE(_stricmp(StringValue(HKEY_CLASSES_ROOT, kServerKey, nullptr).c_str(), ComponentPath().c_str()) == 0)
        << StringValue(HKEY_CLASSES_ROOT, kServerKey, nullptr);
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, kServerKey, "ThreadingModel"), "Apartment");
    EXPECT_FALSE(CreateHostTable().Empty());

    ASSERT_EQ(component.Call("DllUnregisterServer"), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, std::string("Software\\Classes\\") + kClassKey));
    EXPECT_TRUE(CreateHostTable().Empty());
    // Unregistering twice is harmless.
    EXPECT_EQ(component.Call("DllUnregisterServer"), S_OK);

    ASSERT_EQ(component.Call("DllRegisterServer"), S_OK);
    HostTable table = CreateHostTable();
    EXPECT_FALSE(table.Empty());
}

TEST(Registration, UnregisterLeavesWhatOthersAddedBesideIt)
{
    Component component;
    ASSERT_TRUE(component.Loaded());
    ASSERT_EQ(component.Call("DllRegisterServer"), S_OK);
    const std::string progId = std::string(kClassKey) + "\\ProgID";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, progId.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("Someone.Else"), 13);
    RegCloseKey(key);

    ASSERT_EQ(component.Call("DllUnregisterServer"), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kServerKey));
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, progId, nullptr), "Someone.Else");
    EXPECT_EQ(StringValue(HKEY_CLASSES_ROOT, kClassKey, nullptr), "<none>");

    RegDeleteKeyA(HKEY_CLASSES_ROOT, progId.c_str());
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kClassKey);
    ASSERT_EQ(component.Call("DllRegisterServer"), S_OK);
    EXPECT_FALSE(CreateHostTable().Empty());
}

TEST(Registration, FactoryAnswersOnlyItsClass)
{
    Component component;
    ASSERT_TRUE(component.Loaded());
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    HMODULE module = GetModuleHandleA("mon2kdbe.dll");
    ASSERT_TRUE(module);
    auto get = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    ASSERT_TRUE(get);
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(get(IID_IMon2kDbeTable, IID_IClassFactory, factory.PutVoid()), CLASS_E_CLASSNOTAVAILABLE);
    ASSERT_EQ(get(CLSID_Mon2kDbeTable, IID_IClassFactory, factory.PutVoid()), S_OK);
    ComPtr<IUnknown> outer;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, outer.PutVoid()), S_OK);
    ComPtr<IUnknown> aggregated;
    EXPECT_EQ(factory->CreateInstance(outer.Get(), IID_IUnknown, aggregated.PutVoid()), CLASS_E_NOAGGREGATION);
    // OleRun on the object succeeds: it is running as soon as it exists.
    EXPECT_EQ(OleRun(outer.Get()), S_OK);
}

// A thread in another apartment than the threading model asks for gets a proxy, which
// cannot carry the interface; the reason names the model rather than the installation.
TEST(Registration, AProxyWithoutMarshallingIsNamedAsTheCause)
{
    Component component;  // registered again at the end, as "Apartment"
    ASSERT_TRUE(component.Loaded());
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CLASSES_ROOT, kServerKey, "ThreadingModel", REG_SZ, "Free", 5));
    std::string text;
    std::thread([&] {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        text = Raised([] { CreateHostTable().RecordCount(); }).Text();
        CoUninitialize();
    }).join();
    EXPECT_EQ("Databázovou komponentu MoneyS3 (mon2kdbe.dll) nelze vytvořit: " + FindComponentRegistration().Own() +
                  ": komponentu s ThreadingModel „Free“ dostává Quillet jen přes proxy a její rozhraní nelze "
                  "mezi vlákny předávat (chybí proxy/stub pro marshalling) (0x80004002).\n"
                  "Spusťte quillet-print --check.",
              text);
}

}  // namespace
