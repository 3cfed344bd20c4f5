#include "ui/bridge/metafiles.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "runtime/function_table.h"
#include "ui/bridge/wrapper_args.h"

namespace ui {
namespace {

using namespace wrap;

}  // namespace

std::optional<PlaceableMetafile> LoadPlaceableMetafile(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::optional<std::span<const std::uint8_t>> bits = wmf::PlaceableMetafileBits(bytes);
  if (!bits) return std::nullopt;
  PlaceableMetafile loaded;
  loaded.header = *wmf::ReadPlaceableHeader(bytes);
  loaded.metafile = ::SetMetaFileBitsEx(static_cast<UINT>(bits->size()), bits->data());
  if (loaded.metafile == nullptr) return std::nullopt;
  return loaded;
}

void RegisterMetafileFunctions() {
  using xb::RegisterFunction;
  RegisterFunction("CREATEMETAFILE", [](Args& a) {
    const std::string file = S(a, 1);
    return Ptr(::CreateMetaFileA(file.empty() ? nullptr : file.c_str()));
  });
  RegisterFunction("CLOSEMETAFILE", [](Args& a) { return Ptr(::CloseMetaFile(Hd<HDC>(a, 1))); });
  RegisterFunction("GETMETAFILE", [](Args& a) { return Ptr(::GetMetaFileA(S(a, 1).c_str())); });
  RegisterFunction("DELETEMETAFILE", [](Args& a) { return Log(::DeleteMetaFile(Hd<HMETAFILE>(a, 1))); });
  RegisterFunction("PLAYMETAFILE", [](Args& a) {
    return Log(::PlayMetaFile(Hd<HDC>(a, 1), Hd<HMETAFILE>(a, 2)));
  });
  // GETPMETAFILE(cFile, aInfo): aInfo of exactly 5 elements gets {top, left, bottom, right,
  // units per inch}.
  RegisterFunction("GETPMETAFILE", [](Args& a) {
    const std::optional<PlaceableMetafile> loaded = LoadPlaceableMetafile(S(a, 1));
    if (!loaded) return Num(-1);
    if (const xb::Array info = a.Arr(2); info && info.size() == 5) {
      const wmf::PlaceableHeader& h = loaded->header;
      info[0] = Num(h.top);
      info[1] = Num(h.left);
      info[2] = Num(h.bottom);
      info[3] = Num(h.right);
      info[4] = Num(h.units_per_inch);
    }
    return Ptr(loaded->metafile);
  });
}

}  // namespace ui
