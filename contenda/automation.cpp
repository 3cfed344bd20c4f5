#include "contenda/automation.h"

#include <array>

#include "contenda/com_error.h"

namespace contenda {

namespace {

// Word and Excel take at most 16 positional arguments in the calls made here.
constexpr size_t kMaxArgs = 16;

// The code a server exception carries, when it carries one.
HRESULT CodeOf(EXCEPINFO& info) {
  if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
  HRESULT hr = FAILED(info.scode) ? info.scode : DISP_E_EXCEPTION;
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrHelpFile);
  return hr;
}

}  // namespace

HRESULT Invoke(IDispatch* target, DISPID id, WORD flags, std::span<const VARIANT> args,
               Variant* result, LCID lcid) {
  if (!target) return E_POINTER;
  if (args.size() > kMaxArgs) return E_INVALIDARG;
  // DISPPARAMS lists the arguments last to first; the copies are shallow, the caller owns them.
  std::array<VARIANT, kMaxArgs> reversed;
  for (size_t i = 0; i < args.size(); ++i) reversed[args.size() - 1 - i] = args[i];
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{};
  params.rgvarg = args.empty() ? nullptr : reversed.data();
  params.cArgs = static_cast<UINT>(args.size());
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    params.rgdispidNamedArgs = &named;
    params.cNamedArgs = 1;
  }
  EXCEPINFO info{};
  UINT bad_arg = 0;
  HRESULT hr = target->Invoke(id, IID_NULL, lcid, flags, &params, result ? result->Put() : nullptr,
                              &info, &bad_arg);
  if (hr == DISP_E_EXCEPTION) hr = CodeOf(info);
  if (FAILED(hr) && result) result->Clear();
  return hr;
}

HRESULT InvokeByName(IDispatch* target, const wchar_t* name, WORD flags,
                     std::span<const VARIANT> args, Variant* result, LCID lcid) {
  if (result) result->Clear();
  if (!target) return E_POINTER;
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  HRESULT hr = target->GetIDsOfNames(IID_NULL, names, 1, lcid, &id);
  if (FAILED(hr)) return hr;
  return Invoke(target, id, flags, args, result, lcid);
}

HRESULT GetProperty(IDispatch* target, const wchar_t* name, Variant& value) {
  return InvokeByName(target, name, DISPATCH_PROPERTYGET, {}, &value);
}

HRESULT PutProperty(IDispatch* target, const wchar_t* name, const VARIANT& value) {
  return InvokeByName(target, name, DISPATCH_PROPERTYPUT, {&value, 1}, nullptr);
}

HRESULT CallMethod(IDispatch* target, const wchar_t* name, std::span<const VARIANT> args,
                   Variant* result) {
  return InvokeByName(target, name, DISPATCH_METHOD, args, result);
}

Variant GetById(IDispatch* target, DISPID id) {
  Variant value;
  ThrowIfFailed(Invoke(target, id, DISPATCH_PROPERTYGET, {}, &value));
  return value;
}

void PutById(IDispatch* target, DISPID id, const VARIANT& value) {
  ThrowIfFailed(Invoke(target, id, DISPATCH_PROPERTYPUT, {&value, 1}, nullptr));
}

Variant CallById(IDispatch* target, DISPID id, std::span<const VARIANT> args) {
  Variant value;
  ThrowIfFailed(Invoke(target, id, DISPATCH_METHOD, args, &value));
  return value;
}

ComPtr<IDispatch> CallForObject(IDispatch* target, DISPID id, std::span<const VARIANT> args) {
  Variant value = CallById(target, id, args);
  ComPtr<IDispatch> object = ObjectOf(value.get());
  if (!object) throw ComError(E_POINTER);
  return object;
}

}  // namespace contenda
