#include "contenda/variant.h"

#include <new>

namespace contenda {

Variant& Variant::operator=(Variant&& other) noexcept {
  if (this != &other) {
    VariantClear(&v_);
    v_ = other.v_;
    VariantInit(&other.v_);
  }
  return *this;
}

Variant Variant::Text(std::wstring_view text) {
  Variant v;
  BSTR s = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (!s) throw std::bad_alloc();
  V_VT(&v.v_) = VT_BSTR;
  V_BSTR(&v.v_) = s;
  return v;
}

void Variant::Clear() {
  VariantClear(&v_);
  VariantInit(&v_);  // a value VariantClear refused to clear is dropped as well
}

VARIANT Int32Arg(LONG value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_I4;
  V_I4(&v) = value;
  return v;
}

VARIANT BoolArg(bool value) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BOOL;
  V_BOOL(&v) = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

VARIANT OmittedArg() {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_ERROR;
  V_ERROR(&v) = DISP_E_PARAMNOTFOUND;
  return v;
}

IUnknown* ObjectPointer(const VARIANT& value) {
  if (V_VT(&value) == VT_DISPATCH) return V_DISPATCH(&value);
  if (V_VT(&value) == VT_UNKNOWN) return V_UNKNOWN(&value);
  return nullptr;
}

ComPtr<IDispatch> ObjectOf(const VARIANT& value) {
  ComPtr<IDispatch> object;
  if (V_VT(&value) == VT_DISPATCH) {
    object = ComPtr<IDispatch>::Share(V_DISPATCH(&value));
  } else if (V_VT(&value) == VT_UNKNOWN && V_UNKNOWN(&value)) {
    QueryInto(V_UNKNOWN(&value), IID_IDispatch, object);
  }
  return object;
}

HRESULT Int32Of(const VARIANT& value, LONG& number) {
  Variant converted;
  HRESULT hr = VariantChangeType(converted.Put(), const_cast<VARIANT*>(&value), 0, VT_I4);
  number = SUCCEEDED(hr) ? V_I4(&converted.get()) : 0;
  return hr;
}

std::wstring TextOf(const VARIANT& value) {
  if (V_VT(&value) == VT_BSTR) {
    BSTR s = V_BSTR(&value);
    return s ? std::wstring(s, SysStringLen(s)) : std::wstring();
  }
  // An object's default value would be a call into the object: not text.
  if (V_VT(&value) == VT_DISPATCH || V_VT(&value) == VT_UNKNOWN) return {};
  Variant text;
  if (FAILED(VariantChangeType(text.Put(), const_cast<VARIANT*>(&value), 0, VT_BSTR))) return {};
  return TextOf(text.get());
}

}  // namespace contenda
