// Late-bound calls into automation servers through IDispatch.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <span>

#include "contenda/com_ptr.h"
#include "contenda/variant.h"

namespace contenda {

// Locale of the calls that do not name one: neutral, so member names are the English ones.
inline constexpr LCID kNeutralLcid = 0;

// Invokes member `id`. `args` are in their natural order (first argument first); `result`
// may be null. A server exception comes back as the code it carries.
HRESULT Invoke(IDispatch* target, DISPID id, WORD flags, std::span<const VARIANT> args,
               Variant* result, LCID lcid = kNeutralLcid);

// The same by member name. A failed name look-up returns its code and makes no call.
HRESULT InvokeByName(IDispatch* target, const wchar_t* name, WORD flags,
                     std::span<const VARIANT> args, Variant* result, LCID lcid = kNeutralLcid);

HRESULT GetProperty(IDispatch* target, const wchar_t* name, Variant& value);
HRESULT PutProperty(IDispatch* target, const wchar_t* name, const VARIANT& value);
HRESULT CallMethod(IDispatch* target, const wchar_t* name, std::span<const VARIANT> args,
                   Variant* result);

// Calls by published DISPID whose failure ends the operation: they raise ComError.
Variant GetById(IDispatch* target, DISPID id);
void PutById(IDispatch* target, DISPID id, const VARIANT& value);
Variant CallById(IDispatch* target, DISPID id, std::span<const VARIANT> args = {});
// A call that must answer an object; anything else raises ComError(E_POINTER).
ComPtr<IDispatch> CallForObject(IDispatch* target, DISPID id, std::span<const VARIANT> args = {});

}  // namespace contenda
