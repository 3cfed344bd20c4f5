#include "ui/controls/btn_image_store.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "runtime/array.h"
#include "runtime/function_table.h"
#include "runtime/symbol.h"
#include "ui/bridge/bitmaps.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/resources.h"

namespace ui {
namespace {

std::unique_ptr<BtnImageStore>& Instance() {
  static std::unique_ptr<BtnImageStore> store;
  return store;
}

HBITMAP ScreenBitmap(int width, int height) {
  WindowDC screen(nullptr);
  return CreateCompatibleBitmap(screen.get(), width, height);
}

std::string NameText(const PictureName& name) {
  if (const int* number = std::get_if<int>(&name)) return std::to_string(*number);
  return xb::UpperName(std::get<std::string>(name));
}

}  // namespace

BtnImageStore& BtnImageStore::Get() {
  auto& store = Instance();
  if (!store) store.reset(new BtnImageStore());
  return *store;
}

void BtnImageStore::Delete() { Instance().reset(); }

BtnImageStore::~BtnImageStore() {
  for (HBITMAP page : pages_) DeleteObject(page);
}

void BtnImageStore::AddPage() {
  HBITMAP page = ScreenBitmap(kPageWidth, kCell);
  MemoryDC dc;
  SelectionScope select(dc.get(), page);
  Brush red(CreateSolidBrush(RGB(255, 0, 0)));
  RECT all = {0, 0, kPageWidth, kCell};
  ::FillRect(dc.get(), &all, red.get());
  pages_.push_back(page);
}

HBITMAP BtnImageStore::LoadDirect(const PictureName& name) {
  if (const int* number = std::get_if<int>(&name)) {
    return LoadBitmapFrom(GetResources(), MAKEINTRESOURCEA(static_cast<WORD>(*number)));
  }
  const std::string& text = std::get<std::string>(name);
  if (text.empty()) return nullptr;
  if (text.find('.') != std::string::npos) return ReadBitmap(nullptr, text);
  return LoadBitmapFrom(GetResources(), text.c_str());
}

int BtnImageStore::Load(const PictureName& name) {
  const std::string key = NameText(name);
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].name == key) return static_cast<int>(i) + 1;
  }
  HBITMAP loaded = LoadDirect(name);
  Entry entry{key, std::min(NBmpWidth(loaded), kCell), std::min(NBmpHeight(loaded), kCell)};
  entries_.push_back(entry);
  const int slot = static_cast<int>(entries_.size());
  while (static_cast<int>(pages_.size()) <= PageOf(slot)) AddPage();
  if (loaded != nullptr) {
    MemoryDC to;
    MemoryDC from;
    SelectionScope select_to(to.get(), pages_[static_cast<size_t>(PageOf(slot))]);
    SelectionScope select_from(from.get(), loaded);
    BitBlt(to.get(), CellLeft(slot), 0, entry.width, entry.height, from.get(), 0, 0, SRCCOPY);
  }
  if (loaded != nullptr) DeleteObject(loaded);
  return slot;
}

const BtnImageStore::Entry* BtnImageStore::Slot(int slot) const {
  if (slot < 1 || slot > static_cast<int>(entries_.size())) return nullptr;
  return &entries_[static_cast<size_t>(slot) - 1];
}

void BtnImageStore::PaintMask(HDC dc, int slot, int row, int col, int width, int height) const {
  const Entry* e = Slot(slot);
  if (e == nullptr || e->width <= 0 || width <= 0 || height <= 0) return;
  // Stretched in a work bitmap first, so the transparent colour is the stretched picture's.
  Bitmap work(ScreenBitmap(width, height));
  MemoryDC work_dc;
  SelectionScope select_work(work_dc.get(), work.get());
  {
    MemoryDC page;
    SelectionScope select_page(page.get(), pages_[static_cast<size_t>(PageOf(slot))]);
    SetStretchBltMode(work_dc.get(), COLORONCOLOR);
    StretchBlt(work_dc.get(), 0, 0, width, height, page.get(), CellLeft(slot), 0, e->width, e->height, SRCCOPY);
  }
  DrawTransparent(dc, col, row, width, height, work_dc.get(), 0, 0, GetPixel(work_dc.get(), 0, 0));
}

void BtnImageStore::PDisable(HDC dc, int slot, int row, int col, int width, int height, HBRUSH brush) const {
  const Entry* e = Slot(slot);
  if (e == nullptr || e->width <= 0 || width <= 0 || height <= 0) return;
  Bitmap work(ScreenBitmap(width, height));
  {
    MemoryDC work_dc;
    SelectionScope select_work(work_dc.get(), work.get());
    RECT all = {0, 0, width, height};
    ::FillRect(work_dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    MemoryDC page;
    SelectionScope select_page(page.get(), pages_[static_cast<size_t>(PageOf(slot))]);
    SetStretchBltMode(work_dc.get(), COLORONCOLOR);
    // The picture's ground becomes white too, so only its drawing shows embossed.
    const COLORREF ground = GetPixel(page.get(), CellLeft(slot), 0);
    Bitmap stretched(ScreenBitmap(width, height));
    MemoryDC stretched_dc;
    SelectionScope select_stretched(stretched_dc.get(), stretched.get());
    StretchBlt(stretched_dc.get(), 0, 0, width, height, page.get(), CellLeft(slot), 0, e->width, e->height,
               SRCCOPY);
    DrawTransparent(work_dc.get(), 0, 0, width, height, stretched_dc.get(), 0, 0, ground);
  }
  DrawStateA(dc, brush, nullptr, reinterpret_cast<LPARAM>(work.get()), 0, col, row, width, height,
             DST_BITMAP | DSS_DISABLED);
}

void BtnImageStore::PintaBmp(HDC dc, int slot, int row, int col) const {
  if (Slot(slot) == nullptr) return;
  MemoryDC page;
  SelectionScope select_page(page.get(), pages_[static_cast<size_t>(PageOf(slot))]);
  BitBlt(dc, col, row, kCell, kCell, page.get(), CellLeft(slot), 0, SRCCOPY);
}

SIZE FitPicture(int box_w, int box_h, int w, int h) {
  const int inner_w = box_w - 2;
  const int inner_h = box_h - 2;
  if (w <= 0 || h <= 0 || inner_w <= 0 || inner_h <= 0) return SIZE{std::max(w, 0), std::max(h, 0)};
  const bool fits_w = w < inner_w;
  const bool fits_h = h < inner_h;
  if (fits_w && fits_h) return SIZE{w, h};
  // Integer arithmetic: a picture scaled to the height is exactly that high.
  const auto to_height = [&] { return SIZE{static_cast<LONG>(w * inner_h / h), static_cast<LONG>(inner_h)}; };
  const auto to_width = [&] { return SIZE{static_cast<LONG>(inner_w), static_cast<LONG>(h * inner_w / w)}; };
  if (fits_w) return to_height();
  if (fits_h) return to_width();
  // The larger of h / inner_h and w / inner_w.
  return static_cast<long long>(h) * inner_w >= static_cast<long long>(w) * inner_h ? to_height() : to_width();
}

void RegisterBtnImageStore() {
  using xb::Args;
  using xb::Value;
  auto dc_arg = [](const Args& a, int n) { return reinterpret_cast<HDC>(static_cast<std::intptr_t>(a.Int(n))); };
  auto name_arg = [](const Args& a, int n) -> PictureName {
    if (a.Arg(n).IsNumber()) return static_cast<int>(a.Int(n));
    return std::string(a.Str(n));
  };
  auto I = [](const Args& a, int n) { return static_cast<int>(a.Int(n)); };
  xb::RegisterFunction("CREABMPBTN", [](Args&) {
    BtnImageStore::Get().AddPage();
    return Value();
  });
  xb::RegisterFunction("LOADBMP", [name_arg](Args& a) {
    if (a.Log(2)) return Value::Integer(reinterpret_cast<std::intptr_t>(BtnImageStore::LoadDirect(name_arg(a, 1))));
    return Value::Integer(BtnImageStore::Get().Load(name_arg(a, 1)));
  });
  xb::RegisterFunction("PAINTMASK", [dc_arg, I](Args& a) {
    BtnImageStore::Get().PaintMask(dc_arg(a, 1), I(a, 2), I(a, 3), I(a, 4), I(a, 5), I(a, 6));
    return Value();
  });
  xb::RegisterFunction("PDISABLE", [dc_arg, I](Args& a) {
    BtnImageStore::Get().PDisable(dc_arg(a, 1), I(a, 2), I(a, 3), I(a, 4), I(a, 5), I(a, 6),
                                  reinterpret_cast<HBRUSH>(static_cast<std::intptr_t>(a.Int(7))));
    return Value();
  });
  xb::RegisterFunction("PINTABMP", [dc_arg, I](Args& a) {
    BtnImageStore::Get().PintaBmp(dc_arg(a, 1), I(a, 2), I(a, 3), I(a, 4));
    return Value();
  });
  xb::RegisterFunction("GETHBMPBTN", [](Args&) {
    xb::Array pages = xb::Array::New();
    for (HBITMAP page : BtnImageStore::Get().Pages()) pages.Append(Value::Integer(reinterpret_cast<std::intptr_t>(page)));
    return Value(pages);
  });
  xb::RegisterFunction("GETACBTNS", [](Args&) {
    xb::Array list = xb::Array::New();
    for (const BtnImageStore::Entry& e : BtnImageStore::Get().Catalogue()) {
      list.Append(Value(xb::Array::Of({Value::String(e.name), Value::Integer(e.width), Value::Integer(e.height)})));
    }
    return Value(list);
  });
  xb::RegisterFunction("DELBMPBTN", [](Args&) {
    BtnImageStore::Delete();
    return Value();
  });
}

}  // namespace ui
