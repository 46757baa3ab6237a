// The published interface of the host's table component (mon2kdbe.dll): one instance is
// one open table. The slot of each operation in the function table is fixed; the slots
// between them belong to operations Quillet never calls.
#pragma once

#include <windows.h>
#include <oaidl.h>

// {86BCE057-6381-4224-A0BD-25E115FBAD94}
inline constexpr CLSID CLSID_Mon2kDbeTable = {
    0x86BCE057, 0x6381, 0x4224, {0xA0, 0xBD, 0x25, 0xE1, 0x15, 0xFB, 0xAD, 0x94}};
// {7E84DC18-FC16-4C15-A0B0-E5A1B4DC4BA4}
inline constexpr IID IID_IMon2kDbeTable = {
    0x7E84DC18, 0xFC16, 0x4C15, {0xA0, 0xB0, 0xE5, 0xA1, 0xB4, 0xDC, 0x4B, 0xA4}};

// Slots 0-2 IUnknown, 3-6 IDispatch; the slot number of each method is in its comment.
struct IMon2kDbeTable : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Reserved7() = 0;                               // 7
    virtual HRESULT STDMETHODCALLTYPE Reserved8() = 0;                               // 8
    virtual HRESULT STDMETHODCALLTYPE OpenTable(VARIANT path, long* status) = 0;     // 9
    virtual HRESULT STDMETHODCALLTYPE CloseTable() = 0;                              // 10
    virtual HRESULT STDMETHODCALLTYPE RecordCount(long* count) = 0;                  // 11
    virtual HRESULT STDMETHODCALLTYPE Reserved12() = 0;                              // 12
    virtual HRESULT STDMETHODCALLTYPE Reserved13() = 0;                              // 13
    virtual HRESULT STDMETHODCALLTYPE MoveFirst(long* status) = 0;                   // 14
    virtual HRESULT STDMETHODCALLTYPE MoveLast(long* status) = 0;                    // 15
    virtual HRESULT STDMETHODCALLTYPE MovePrev(long* status) = 0;                    // 16
    virtual HRESULT STDMETHODCALLTYPE Reserved17() = 0;                              // 17
    virtual HRESULT STDMETHODCALLTYPE MoveNext(long* status) = 0;                    // 18
    virtual HRESULT STDMETHODCALLTYPE Reserved19() = 0;                              // 19
    virtual HRESULT STDMETHODCALLTYPE Reserved20() = 0;                              // 20
    virtual HRESULT STDMETHODCALLTYPE Reserved21() = 0;                              // 21
    virtual HRESULT STDMETHODCALLTYPE Reserved22() = 0;                              // 22
    virtual HRESULT STDMETHODCALLTYPE Reserved23() = 0;                              // 23
    virtual HRESULT STDMETHODCALLTYPE FieldValue(BSTR name, VARIANT* value) = 0;     // 24
    virtual HRESULT STDMETHODCALLTYPE Reserved25() = 0;                              // 25
    virtual HRESULT STDMETHODCALLTYPE Reserved26() = 0;                              // 26
    virtual HRESULT STDMETHODCALLTYPE Seek(VARIANT key, long* status) = 0;           // 27
    virtual HRESULT STDMETHODCALLTYPE Reserved28() = 0;                              // 28
    virtual HRESULT STDMETHODCALLTYPE Reserved29() = 0;                              // 29
    virtual HRESULT STDMETHODCALLTYPE Reserved30() = 0;                              // 30
    virtual HRESULT STDMETHODCALLTYPE Reserved31() = 0;                              // 31
    virtual HRESULT STDMETHODCALLTYPE Reserved32() = 0;                              // 32
    virtual HRESULT STDMETHODCALLTYPE Reserved33() = 0;                              // 33
    virtual HRESULT STDMETHODCALLTYPE Reserved34() = 0;                              // 34
    virtual HRESULT STDMETHODCALLTYPE Reserved35() = 0;                              // 35
    virtual HRESULT STDMETHODCALLTYPE Reserved36() = 0;                              // 36
    virtual HRESULT STDMETHODCALLTYPE Reserved37() = 0;                              // 37
    virtual HRESULT STDMETHODCALLTYPE Reserved38() = 0;                              // 38
    virtual HRESULT STDMETHODCALLTYPE Reserved39() = 0;                              // 39
    virtual HRESULT STDMETHODCALLTYPE SetIndex(BSTR field, long* status) = 0;        // 40
};

// Seek's status when the key was found and its record made current.
inline constexpr long kMon2kSeekFound = 7;
