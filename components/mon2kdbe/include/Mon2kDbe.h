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

// The slots after IUnknown's (0-2) and IDispatch's (3-6), in the order of the function
// table: OPERATION(slot, name, (parameters), (arguments)) for the operations Quillet calls,
// RESERVED(slot) for the others, each a method Reserved<slot>() without parameters. The
// interface below is written from this list, and so is each table that implements it.
#define MON2K_TABLE_SLOTS(OPERATION, RESERVED) \
    RESERVED(7) RESERVED(8) \
    OPERATION(9, OpenTable, (VARIANT path, long* status), (path, status)) \
    OPERATION(10, CloseTable, (), ()) \
    OPERATION(11, RecordCount, (long* count), (count)) \
    RESERVED(12) RESERVED(13) \
    OPERATION(14, MoveFirst, (long* status), (status)) \
    OPERATION(15, MoveLast, (long* status), (status)) \
    OPERATION(16, MovePrev, (long* status), (status)) \
    RESERVED(17) \
    OPERATION(18, MoveNext, (long* status), (status)) \
    RESERVED(19) RESERVED(20) RESERVED(21) RESERVED(22) RESERVED(23) \
    OPERATION(24, FieldValue, (BSTR name, VARIANT* value), (name, value)) \
    RESERVED(25) RESERVED(26) \
    OPERATION(27, Seek, (VARIANT key, long* status), (key, status)) \
    RESERVED(28) RESERVED(29) RESERVED(30) RESERVED(31) RESERVED(32) RESERVED(33) \
    RESERVED(34) RESERVED(35) RESERVED(36) RESERVED(37) RESERVED(38) RESERVED(39) \
    OPERATION(40, SetIndex, (BSTR field, long* status), (field, status))

#define MON2K_DECLARE_OPERATION(slot, name, parameters, arguments) \
    virtual HRESULT STDMETHODCALLTYPE name parameters = 0;
#define MON2K_DECLARE_RESERVED(slot) virtual HRESULT STDMETHODCALLTYPE Reserved##slot() = 0;
struct IMon2kDbeTable : public IDispatch {
    MON2K_TABLE_SLOTS(MON2K_DECLARE_OPERATION, MON2K_DECLARE_RESERVED)
};
#undef MON2K_DECLARE_OPERATION
#undef MON2K_DECLARE_RESERVED

// The list's slot numbers are its places: each one follows the one before.
#define MON2K_SLOT_OF_OPERATION(slot, name, parameters, arguments) slot,
#define MON2K_SLOT_OF_RESERVED(slot) slot,
inline constexpr int kMon2kTableSlots[] = {MON2K_TABLE_SLOTS(MON2K_SLOT_OF_OPERATION, MON2K_SLOT_OF_RESERVED)};
#undef MON2K_SLOT_OF_OPERATION
#undef MON2K_SLOT_OF_RESERVED
static_assert([] {
    for (int place = 0; place < static_cast<int>(sizeof kMon2kTableSlots / sizeof *kMon2kTableSlots); ++place)
        if (kMon2kTableSlots[place] != 7 + place)
            return false;
    return true;
}(), "MON2K_TABLE_SLOTS lists the slots 7 to 40 in order");

// Seek's status when the key was found and its record made current.
inline constexpr long kMon2kSeekFound = 7;
