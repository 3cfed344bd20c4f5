// word_standin.dll: stands for Word's registered server. COM loads it, through the tests'
// activation context, for the class that "Word.Application" names; it hands out the class
// object the test program gave it, so every Word made lives in the test program.
#include <windows.h>
#include <unknwn.h>

namespace {
IClassFactory* g_factory = nullptr;
}

extern "C" {

void __cdecl SetWordClassObject(IClassFactory* factory) { g_factory = factory; }

HRESULT __stdcall DllGetClassObject(REFCLSID, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!g_factory) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory->QueryInterface(iid, out);
}

// The class object belongs to the test program: the library stays until the process ends.
HRESULT __stdcall DllCanUnloadNow() { return S_FALSE; }

}  // extern "C"
