#include "support/TempFile.h"

#include <windows.h>

#include <atomic>
#include <stdexcept>

TempFile::TempFile(const std::string& hint)
{
    char dir[MAX_PATH];
    char name[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    if (!GetTempFileNameA(dir, hint.c_str(), 0, name))
        throw std::runtime_error("GetTempFileName failed");
    path_ = name;
    DeleteFileA(path_.c_str());  // tests decide whether the file exists
}

TempFile::~TempFile()
{
    DeleteFileA(path_.c_str());
}

std::string FileBytes(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string bytes;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0)
        bytes.append(buf, got);
    CloseHandle(h);
    return bytes;
}

std::string TempFile::Read() const
{
    const std::string bytes = FileBytes(path_);
    return bytes == "<missing>" ? std::string() : bytes;
}

void TempFile::Write(const std::string& bytes) const
{
    HANDLE h = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot write " + path_);
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

TempDir::TempDir(const std::string& hint)
{
    static std::atomic<int> serial{0};
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    for (;;) {
        path_ = std::string(dir) + hint + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
        if (CreateDirectoryA(path_.c_str(), nullptr))
            return;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error("cannot create " + path_);
    }
}

TempDir::~TempDir()
{
    RemoveTree(path_);
}

void RemoveTree(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        return;
    }
    WIN32_FIND_DATAA data;
    HANDLE found = FindFirstFileA((path + "\\*").c_str(), &data);
    if (found != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            if (name != "." && name != "..")
                RemoveTree(path + "\\" + name);
        } while (FindNextFileA(found, &data));
        FindClose(found);
    }
    RemoveDirectoryA(path.c_str());
}
