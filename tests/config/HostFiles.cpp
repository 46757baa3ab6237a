// Host installation files for the configuration tests.
#include "config/HostFiles.h"

#include <windows.h>

#include <stdexcept>

bool PathExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The outermost folder that had to be created, or empty when all existed.
static std::string CreateFolders(const std::string& filePath)
{
    std::string outermost;
    for (size_t pos = filePath.find('\\', 3); pos != std::string::npos; pos = filePath.find('\\', pos + 1)) {
        const std::string folder = filePath.substr(0, pos);
        if (!PathExists(folder) && CreateDirectoryA(folder.c_str(), nullptr) && outermost.empty())
            outermost = folder;
    }
    return outermost;
}

bool WriteBytes(const std::string& path, const std::string& bytes)
{
    CreateFolders(path);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
    CloseHandle(file);
    return ok;
}

SetAside::SetAside(std::string path) : path_(std::move(path))
{
    if (!PathExists(path_))
        return;
    aside_ = path_ + ".qlt-aside";
    RemoveTree(aside_);
    if (!MoveFileA(path_.c_str(), aside_.c_str()))
        throw std::runtime_error("cannot move aside " + path_);
}

SetAside::~SetAside()
{
    RemoveTree(path_);
    if (!aside_.empty())
        MoveFileA(aside_.c_str(), path_.c_str());
}

HostFiles::~HostFiles()
{
    for (auto it = created_.rbegin(); it != created_.rend(); ++it)
        RemoveTree(*it);
}

void HostFiles::WriteIni(const std::string& path, const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    Write(path, text);
}

void HostFiles::Write(const std::string& path, const std::string& bytes)
{
    const bool isNew = !PathExists(path);
    const std::string folder = CreateFolders(path);
    if (!folder.empty())
        created_.push_back(folder);
    else if (isNew)
        created_.push_back(path);
    if (!WriteBytes(path, bytes))
        throw std::runtime_error("cannot write " + path);
}

std::string ProgramFolder()
{
    char path[MAX_PATH * 4] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string exe(path, length);
    return exe.substr(0, exe.rfind('\\') + 1);
}
