// Owning VARIANT and the argument values that automation calls pass.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

#include "contenda/com_ptr.h"

namespace contenda {

// Owns what a VARIANT holds and clears it on destruction; move-only.
class Variant {
 public:
  Variant() { VariantInit(&v_); }
  Variant(Variant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
  Variant& operator=(Variant&& other) noexcept;
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { VariantClear(&v_); }

  // A VT_BSTR holding `text`; raises std::bad_alloc when the string cannot be made.
  static Variant Text(std::wstring_view text);

  const VARIANT& get() const { return v_; }
  VARTYPE type() const { return V_VT(&v_); }
  // Out parameter of a call; what was held is cleared first.
  VARIANT* Put() {
    Clear();
    return &v_;
  }
  void Clear();

 private:
  VARIANT v_;
};

// Plain argument values that own nothing.
VARIANT Int32Arg(LONG value);
VARIANT BoolArg(bool value);
// An optional argument left out: VT_ERROR carrying DISP_E_PARAMNOTFOUND.
VARIANT OmittedArg();

// The object a value holds, borrowed: only a VT_DISPATCH or VT_UNKNOWN value with a non-null
// pointer holds one.
IUnknown* ObjectPointer(const VARIANT& value);

// The dispatch interface of the object a value holds. Only a VT_DISPATCH or VT_UNKNOWN
// value with a non-null pointer holds an object; anything else gives an empty pointer.
ComPtr<IDispatch> ObjectOf(const VARIANT& value);

// The value as a 32-bit number, converted when it is of another type.
HRESULT Int32Of(const VARIANT& value, LONG& number);

// The value as text: a string as it is, other types converted; empty when it has no text form.
std::wstring TextOf(const VARIANT& value);

}  // namespace contenda
