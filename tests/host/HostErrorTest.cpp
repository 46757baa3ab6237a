// The texts of HostError, and E_POINTER for every operation on an empty handle.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "HostTestSupport.h"
#include "host/HostTable.h"

namespace {

// The system's own text for a code, when it has one.
bool SystemText(HRESULT result, std::string* text)
{
    char buffer[2048];
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                   static_cast<DWORD>(result), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), buffer,
                                   sizeof buffer, nullptr);
    if (n == 0)
        return false;
    *text = std::string(buffer, n);
    return true;
}

TEST(HostErrorText, FallsBackToDispatchNumbersAndHexadecimal)
{
    const struct {
        HRESULT result;
        const char* text;
    } cases[] = {
        {static_cast<HRESULT>(0x80040201), "IDispatch error #1"},
        {static_cast<HRESULT>(0x80040205), "IDispatch error #5"},
        {static_cast<HRESULT>(0x800403E8), "IDispatch error #488"},
        {static_cast<HRESULT>(0x80041200), "IDispatch error #4096"},
        {static_cast<HRESULT>(0x8004FFFF), "IDispatch error #65023"},
        {static_cast<HRESULT>(0x80040200), "Unknown error 0x80040200"},
        {static_cast<HRESULT>(0x80050200), "Unknown error 0x80050200"},
        {static_cast<HRESULT>(0x8003FFFF), "Unknown error 0x8003FFFF"},
        {static_cast<HRESULT>(0x80051234), "Unknown error 0x80051234"},
        {static_cast<HRESULT>(0x8004A200), "IDispatch error #40960"},
        {static_cast<HRESULT>(0xC0040201), "Unknown error 0xC0040201"},
        {static_cast<HRESULT>(0x00040201), "Unknown error 0x40201"},
    };
    int fallbacks = 0;
    for (const auto& c : cases) {
        std::string system;
        if (SystemText(c.result, &system)) {
            // A system text wins over the fallback (real Windows has some of these).
            EXPECT_EQ(HostErrorText(c.result) + "\r\n", system);
            continue;
        }
        ++fallbacks;
        EXPECT_EQ(HostErrorText(c.result), c.text);
        const HostError error(c.result);
        EXPECT_EQ(error.Text(), c.text);
        EXPECT_STREQ(error.what(), c.text);
        EXPECT_EQ(error.Result(), c.result);
    }
    EXPECT_GE(fallbacks, 8);
}

TEST(HostErrorText, SystemTextLosesOnlyItsLineEnd)
{
    // Codes the system has texts for, including ones for which Wine has none.
    for (HRESULT result : {HRESULT(ERROR_FILE_NOT_FOUND), HRESULT(ERROR_ACCESS_DENIED),
                           HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), E_POINTER, E_OUTOFMEMORY}) {
        std::string system;
        const std::string text = HostErrorText(result);
        if (!SystemText(result, &system)) {
            char fallback[64];
            std::snprintf(fallback, sizeof fallback, "Unknown error 0x%lX", static_cast<unsigned long>(result));
            EXPECT_EQ(text, fallback);
            continue;
        }
        ASSERT_GE(system.size(), 2u);
        ASSERT_EQ(system.substr(system.size() - 2), "\r\n") << system;
        EXPECT_EQ(text, system.substr(0, system.size() - 2));
    }
    // Wine has the Win32 texts; without them this test proves nothing.
    std::string system;
    EXPECT_TRUE(SystemText(ERROR_FILE_NOT_FOUND, &system));
}

TEST(HostError, EmptyHandleRaisesEPointerForEveryOperation)
{
    std::vector<TableOperation> operations = {{"OpenTable", [](HostTable& t) { t.OpenTable("C:\\SkSezDok"); }}};
    operations.insert(operations.end(), OperationsAfterOpen().begin(), OperationsAfterOpen().end());
    HostTable empty;
    HostTable released = CreateHostTable();
    ASSERT_FALSE(released.Empty());
    released.Release();
    for (auto* table : {&empty, &released}) {
        ASSERT_TRUE(table->Empty());
        for (const auto& [name, call] : operations) {
            const HostError error = Raised([&] { call(*table); });
            EXPECT_EQ(error.Result(), E_POINTER) << name;
            EXPECT_FALSE(error.ErrorInfo()) << name;
            EXPECT_EQ(error.Text(), HostErrorText(E_POINTER)) << name;
        }
    }
}

TEST(HostError, CopiesShareTheErrorObject)
{
    HostTable table = CreateHostTable();
    const HostError error = Raised([&] { table.RecordCount(); });
    ASSERT_TRUE(error.ErrorInfo());
    const HostError copy = error;
    EXPECT_EQ(copy.ErrorInfo().Get(), error.ErrorInfo().Get());
    EXPECT_EQ(Description(copy), Description(error));
}

}  // namespace
