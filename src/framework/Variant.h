// An owned OLE VARIANT, cleared when it goes out of scope.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <utility>

class OleVariant {
public:
    OleVariant() { VariantInit(&v_); }
    ~OleVariant() { VariantClear(&v_); }
    OleVariant(OleVariant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
    OleVariant& operator=(OleVariant&& other) noexcept
    {
        if (this != &other) {
            VariantClear(&v_);
            v_ = other.v_;
            VariantInit(&other.v_);
        }
        return *this;
    }
    OleVariant(const OleVariant&) = delete;
    OleVariant& operator=(const OleVariant&) = delete;

    const VARIANT& Get() const { return v_; }
    VARIANT& Get() { return v_; }
    // For out-parameters: clears what is held first.
    VARIANT* Put() { VariantClear(&v_); return &v_; }

private:
    VARIANT v_;
};
