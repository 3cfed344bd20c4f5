#include "contenda/tests/automation_standin.h"

#include <oleauto.h>

#include "contenda/tests/call_journal.h"

namespace contenda::standins {

namespace {

LONG g_live = 0;

std::string CallText(const std::string& object, const std::wstring& member, WORD flags,
                     const Arguments& args) {
  std::string text = object + "." + Narrow(member);
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    return text + " = " + (args.empty() ? "?" : Describe(*args.back()));
  }
  if (flags & DISPATCH_METHOD) {
    text += "(";
    for (size_t i = 0; i < args.size(); ++i) text += (i ? ", " : "") + Describe(*args[i]);
    text += ")";
  }
  return text;
}

}  // namespace

ComPtr<AutomationStandin> AutomationStandin::Create(std::string name, std::vector<IID> interfaces) {
  return ComPtr<AutomationStandin>::Adopt(new AutomationStandin(std::move(name), std::move(interfaces)));
}

AutomationStandin::AutomationStandin(std::string name, std::vector<IID> interfaces)
    : name_(std::move(name)), interfaces_(std::move(interfaces)) {
  ++g_live;
}

AutomationStandin::~AutomationStandin() { --g_live; }

LONG AutomationStandin::live() { return g_live; }

void AutomationStandin::AddMember(const std::wstring& member, DISPID id, MemberHandler handler) {
  members_[id] = Member{member, std::move(handler)};
}

STDMETHODIMP AutomationStandin::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  bool known = iid == IID_IUnknown || iid == IID_IDispatch;
  if (!known) {
    if (HRESULT hr = Journal().PlannedFailure(name_ + ".QueryInterface"); FAILED(hr)) return hr;
  }
  for (const IID& face : interfaces_) known = known || iid == face;
  if (!known) return E_NOINTERFACE;
  *out = static_cast<IDispatch*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) AutomationStandin::AddRef() { return static_cast<ULONG>(++refs_); }

STDMETHODIMP_(ULONG) AutomationStandin::Release() {
  LONG left = --refs_;
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

STDMETHODIMP AutomationStandin::GetTypeInfoCount(UINT* count) {
  *count = 0;
  return S_OK;
}

STDMETHODIMP AutomationStandin::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }

STDMETHODIMP AutomationStandin::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                              DISPID* ids) {
  if (count != 1) return E_INVALIDARG;
  std::string member = name_ + "." + Narrow(names[0]);
  if (HRESULT hr = Journal().PlannedFailure("lookup " + member); FAILED(hr)) return hr;
  for (const auto& [id, known] : members_) {
    if (_wcsicmp(known.name.c_str(), names[0]) == 0) {
      ids[0] = id;
      return S_OK;
    }
  }
  ids[0] = DISPID_UNKNOWN;
  return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP AutomationStandin::Invoke(DISPID id, REFIID, LCID lcid, WORD flags,
                                       DISPPARAMS* params, VARIANT* result, EXCEPINFO* info,
                                       UINT*) {
  auto member = members_.find(id);
  if (member == members_.end()) return DISP_E_MEMBERNOTFOUND;
  Arguments args;
  for (UINT i = params ? params->cArgs : 0; i > 0; --i) args.push_back(&params->rgvarg[i - 1]);
  std::string call = CallText(name_, member->second.name, flags, args);
  // Keep the object alive through its own handler, which may drop the last outside reference.
  ComPtr<AutomationStandin> self = ComPtr<AutomationStandin>::Share(this);
  if (HRESULT hr = Journal().Record(call, lcid); FAILED(hr)) {
    if (Journal().FailsAsException(CallJournal::MemberOf(call)) && info) {
      *info = EXCEPINFO{};
      info->scode = hr;
      info->bstrDescription = SysAllocString(L"Error de la aplicación");
      return DISP_E_EXCEPTION;
    }
    return hr;
  }
  if (result) VariantInit(result);
  return member->second.handler(flags, args, result);
}

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(1252, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string narrow(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(1252, 0, text.data(), static_cast<int>(text.size()), narrow.data(), n,
                      nullptr, nullptr);
  return narrow;
}

std::string Describe(const VARIANT& value) {
  switch (V_VT(&value)) {
    case VT_I4:
      return std::to_string(V_I4(&value));
    case VT_BSTR:
      return "\"" + Narrow(TextArg(value)) + "\"";
    case VT_BOOL:
      return V_BOOL(&value) == VARIANT_TRUE ? "true" : V_BOOL(&value) ? "bool?" : "false";
    case VT_ERROR:
      return V_ERROR(&value) == DISP_E_PARAMNOTFOUND ? "-" : "error";
    case VT_EMPTY:
      return "empty";
    case VT_DISPATCH:
    case VT_UNKNOWN:
      return V_UNKNOWN(&value) ? "object" : "nothing";
    default:
      return "vt" + std::to_string(V_VT(&value));
  }
}

void SetObject(VARIANT* result, IDispatch* object) {
  if (!result) return;
  V_VT(result) = VT_DISPATCH;
  V_DISPATCH(result) = object;
  if (object) object->AddRef();
}

void SetText(VARIANT* result, const std::wstring& text) {
  if (!result) return;
  V_VT(result) = VT_BSTR;
  V_BSTR(result) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

void SetInt(VARIANT* result, LONG value) {
  if (!result) return;
  V_VT(result) = VT_I4;
  V_I4(result) = value;
}

void SetBool(VARIANT* result, bool value) {
  if (!result) return;
  V_VT(result) = VT_BOOL;
  V_BOOL(result) = value ? VARIANT_TRUE : VARIANT_FALSE;
}

std::wstring TextArg(const VARIANT& value) {
  if (V_VT(&value) != VT_BSTR || !V_BSTR(&value)) return {};
  return std::wstring(V_BSTR(&value), SysStringLen(V_BSTR(&value)));
}

LONG IntArg(const VARIANT& value) { return V_VT(&value) == VT_I4 ? V_I4(&value) : -1; }

}  // namespace contenda::standins
