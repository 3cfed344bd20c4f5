#include "output/emf_functions.h"

#include <cstdint>
#include <string>

#include "runtime/function_table.h"
#include "ui/core/msg_box.h"

namespace output {
namespace {

using xb::Args;
using xb::Value;

constexpr const char* kGdi = "gdi32.dll";

template <typename H = HANDLE>
H Hd(const Args& a, int n) {
  return reinterpret_cast<H>(static_cast<std::intptr_t>(a.Int(n)));
}

// Calls a gdi32 entry bound at the time of the call; NIL when the library cannot be loaded.
template <typename Fn, typename Call>
Value WithGdi(const char* entry, Call call) {
  HMODULE gdi = ::LoadLibraryA(kGdi);
  if (gdi == nullptr) {
    ui::MsgAlert(Value::String("Error code: " + std::to_string(::GetLastError()) + " loading " + kGdi));
    return Value();
  }
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(gdi, entry)));
  Value result = fn != nullptr ? call(fn) : Value();
  ::FreeLibrary(gdi);
  return result;
}

}  // namespace

HENHMETAFILE Wmf2Emf(const std::string& file) {
  HMETAFILE metafile = ::GetMetaFileA(file.c_str());
  if (metafile == nullptr) return nullptr;
  const UINT size = ::GetMetaFileBitsEx(metafile, 0, nullptr);
  HENHMETAFILE emf = nullptr;
  if (HGLOBAL block = size != 0 ? ::GlobalAlloc(GPTR, size) : nullptr) {
    if (::GetMetaFileBitsEx(metafile, size, block) == size) {
      emf = ::SetWinMetaFileBits(size, static_cast<const BYTE*>(block), nullptr, nullptr);
    }
    ::GlobalFree(block);
  }
  ::DeleteMetaFile(metafile);
  return emf;
}

void RegisterEmfFunctions() {
  using xb::RegisterFunction;
  RegisterFunction("GETMETAFBE", [](Args& a) {
    return WithGdi<UINT(WINAPI*)(HMETAFILE, UINT, LPVOID)>("GetMetaFileBitsEx", [&](auto fn) {
      return Value::Integer(fn(Hd<HMETAFILE>(a, 1), static_cast<UINT>(a.Int(2)), Hd<LPVOID>(a, 3)));
    });
  });
  RegisterFunction("SETWINMFB", [](Args& a) {
    return WithGdi<HENHMETAFILE(WINAPI*)(UINT, const BYTE*, HDC, const METAFILEPICT*)>(
        "SetWinMetaFileBits", [&](auto fn) {
          return Value::Integer(reinterpret_cast<std::intptr_t>(
              fn(static_cast<UINT>(a.Int(1)), Hd<const BYTE*>(a, 2), Hd<HDC>(a, 3), Hd<const METAFILEPICT*>(a, 4))));
        });
  });
  RegisterFunction("PLAYEMF", [](Args& a) {
    return WithGdi<BOOL(WINAPI*)(HDC, HENHMETAFILE, const RECT*)>("PlayEnhMetaFile", [&](auto fn) {
      return Value::Logical(fn(Hd<HDC>(a, 1), Hd<HENHMETAFILE>(a, 2), Hd<const RECT*>(a, 3)) != FALSE);
    });
  });
  RegisterFunction("DELETEEMF", [](Args& a) {
    return WithGdi<BOOL(WINAPI*)(HENHMETAFILE)>("DeleteEnhMetaFile", [&](auto fn) {
      return Value::Logical(fn(Hd<HENHMETAFILE>(a, 1)) != FALSE);
    });
  });
  RegisterFunction("GETEMFHEADER", [](Args& a) {
    return WithGdi<UINT(WINAPI*)(HENHMETAFILE, UINT, ENHMETAHEADER*)>("GetEnhMetaFileHeader", [&](auto fn) {
      return Value::Integer(fn(Hd<HENHMETAFILE>(a, 1), static_cast<UINT>(a.Int(2)), Hd<ENHMETAHEADER*>(a, 3)));
    });
  });
  RegisterFunction("WMF2EMF", [](Args& a) {
    return Value::Integer(reinterpret_cast<std::intptr_t>(Wmf2Emf(std::string(a.Str(1)))));
  });
}

}  // namespace output
