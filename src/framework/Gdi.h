// Scoped owners for GDI objects, device contexts, menus and loaded modules: whatever is
// created here is deleted, released or freed by its owner's destructor.
#pragma once

#include <windows.h>

#include <utility>

// A GDI object (bitmap, brush, pen, font, palette) deleted by DeleteObject.
template <class T>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(T object) : object_(object) {}
    GdiObject(GdiObject&& other) noexcept : object_(other.Release()) {}
    GdiObject& operator=(GdiObject&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    ~GdiObject() { Reset(); }

    T Get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    T Release() { return std::exchange(object_, nullptr); }
    void Reset(T object = nullptr)
    {
        if (object_)
            DeleteObject(object_);
        object_ = object;
    }

private:
    T object_ = nullptr;
};

using Bitmap = GdiObject<HBITMAP>;
using Brush = GdiObject<HBRUSH>;
using Font = GdiObject<HFONT>;

// The header of a 32-bit picture whose rows run from the top, as a DIB section or
// StretchDIBits takes it.
inline BITMAPINFO TopDownBitmapInfo(int width, int height)
{
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    return bmi;
}

// A device context made by CreateDC or CreateIC (a printer's), deleted by DeleteDC.
class CreatedDC {
public:
    explicit CreatedDC(HDC dc) : dc_(dc) {}
    CreatedDC(const CreatedDC&) = delete;
    CreatedDC& operator=(const CreatedDC&) = delete;
    ~CreatedDC()
    {
        if (dc_)
            DeleteDC(dc_);
    }
    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HDC dc_;
};

// A memory device context made by CreateCompatibleDC, deleted by DeleteDC as well.
class MemoryDC : public CreatedDC {
public:
    explicit MemoryDC(HDC compatibleWith) : CreatedDC(CreateCompatibleDC(compatibleWith)) {}
};

// The device context of a window (or of the screen, for a null window) from GetDC,
// given back by ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC()
    {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint ... EndPaint around the paint handling of a window.
class PaintDC {
public:
    explicit PaintDC(HWND window) : window_(window) { dc_ = BeginPaint(window_, &paint_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    ~PaintDC() { EndPaint(window_, &paint_); }
    HDC Get() const { return dc_; }
    const PAINTSTRUCT& Paint() const { return paint_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// An object selected into a device context for a scope; the one it replaced is put back.
class SelectObjectScope {
public:
    SelectObjectScope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    SelectObjectScope(const SelectObjectScope&) = delete;
    SelectObjectScope& operator=(const SelectObjectScope&) = delete;
    ~SelectObjectScope()
    {
        if (previous_ && previous_ != HGDI_ERROR)
            SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A menu loaded or created by the program, destroyed by DestroyMenu.
class UniqueMenu {
public:
    UniqueMenu() = default;
    explicit UniqueMenu(HMENU menu) : menu_(menu) {}
    UniqueMenu(UniqueMenu&& other) noexcept : menu_(std::exchange(other.menu_, nullptr)) {}
    UniqueMenu& operator=(UniqueMenu&& other) noexcept
    {
        std::swap(menu_, other.menu_);
        return *this;
    }
    UniqueMenu(const UniqueMenu&) = delete;
    UniqueMenu& operator=(const UniqueMenu&) = delete;
    ~UniqueMenu()
    {
        if (menu_)
            DestroyMenu(menu_);
    }
    HMENU Get() const { return menu_; }
    explicit operator bool() const { return menu_ != nullptr; }

private:
    HMENU menu_ = nullptr;
};

// A library loaded by LoadLibrary, freed by FreeLibrary.
class UniqueModule {
public:
    UniqueModule() = default;
    explicit UniqueModule(HMODULE module) : module_(module) {}
    UniqueModule(UniqueModule&& other) noexcept : module_(std::exchange(other.module_, nullptr)) {}
    UniqueModule& operator=(UniqueModule&& other) noexcept
    {
        std::swap(module_, other.module_);
        return *this;
    }
    UniqueModule(const UniqueModule&) = delete;
    UniqueModule& operator=(const UniqueModule&) = delete;
    ~UniqueModule()
    {
        if (module_)
            FreeLibrary(module_);
    }
    HMODULE Get() const { return module_; }
    explicit operator bool() const { return module_ != nullptr; }
    FARPROC Proc(const char* name) const { return module_ ? GetProcAddress(module_, name) : nullptr; }

private:
    HMODULE module_ = nullptr;
};
