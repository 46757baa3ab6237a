#include "HostTestSupport.h"

#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// Every test runs in an OLE apartment, as Quillet's only thread does.
class OleEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override { OleUninitialize(); }
};

const auto* const g_ole = ::testing::AddGlobalTestEnvironment(new OleEnvironment);

}  // namespace

std::wstring Description(const HostError& error)
{
    if (!error.ErrorInfo())
        return {};
    BSTR text = nullptr;
    if (FAILED(error.ErrorInfo()->GetDescription(&text)) || !text)
        return {};
    std::wstring result(text, SysStringLen(text));
    SysFreeString(text);
    return result;
}

std::string ReadBytes(const std::string& path)
{
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        throw std::runtime_error("cannot read " + path);
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    return bytes;
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        throw std::runtime_error("cannot write " + path);
}

const std::vector<TableOperation>& OperationsAfterOpen()
{
    static const std::vector<TableOperation> operations = {
        {"CloseTable", [](HostTable& t) { t.CloseTable(); }},
        {"RecordCount", [](HostTable& t) { t.RecordCount(); }},
        {"MoveFirst", [](HostTable& t) { t.MoveFirst(); }},
        {"MoveLast", [](HostTable& t) { t.MoveLast(); }},
        {"MovePrev", [](HostTable& t) { t.MovePrev(); }},
        {"MoveNext", [](HostTable& t) { t.MoveNext(); }},
        {"FieldValue", [](HostTable& t) { t.FieldValue("Tag"); }},
        {"Seek", [](HostTable& t) { t.Seek(1); }},
        {"SetIndex", [](HostTable& t) { t.SetIndex("Tag"); }},
    };
    return operations;
}
