// A scriptable object for the Word and Excel stand-ins.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "contenda/com_ptr.h"

namespace contenda::standins {

// The arguments of an automation call in their natural order (first argument first).
using Arguments = std::vector<const VARIANT*>;
// A member's behaviour: fills `result` (which may be null) and answers the call's code.
using MemberHandler = std::function<HRESULT(WORD flags, const Arguments& args, VARIANT* result)>;

// An automation object with named members, each call recorded in the journal under
// "<name>.<member>" and failing when the journal plans it. Answers IUnknown, IDispatch and
// the interfaces it is made with (taken as dual interfaces of IDispatch); a planned failure of
// "<name>.QueryInterface" refuses every other interface with that code. Reference counted;
// freed with the last reference. Planned failures of "lookup <name>.<member>" fail the name
// look-up.
class AutomationStandin final : public IDispatch {
 public:
  static ComPtr<AutomationStandin> Create(std::string name, std::vector<IID> interfaces = {});

  // A member callable by name and by `id`.
  void AddMember(const std::wstring& member, DISPID id, MemberHandler handler);
  const std::string& name() const { return name_; }
  // References held, by tests and by whoever the object was given to.
  LONG references() const { return refs_; }
  // Live stand-in objects of every kind: 0 once everything handed out was released.
  static LONG live();

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                             DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* info, UINT* bad_arg) override;

 private:
  AutomationStandin(std::string name, std::vector<IID> interfaces);
  ~AutomationStandin();

  struct Member {
    std::wstring name;
    MemberHandler handler;
  };
  std::string name_;
  std::vector<IID> interfaces_;
  std::map<DISPID, Member> members_;
  LONG refs_ = 1;
};

// How a value reads in the journal: numbers as they are, text in double quotes, true/false,
// "-" for an argument left out, "nothing" for an empty object.
std::string Describe(const VARIANT& value);
std::string Narrow(const std::wstring& text);  // Windows-1252, as the tests' literals are

// Values handlers answer with.
void SetObject(VARIANT* result, IDispatch* object);  // takes a reference of its own
void SetText(VARIANT* result, const std::wstring& text);
void SetInt(VARIANT* result, LONG value);
void SetBool(VARIANT* result, bool value);
std::wstring TextArg(const VARIANT& value);
LONG IntArg(const VARIANT& value);

}  // namespace contenda::standins
