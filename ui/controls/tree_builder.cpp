#include "ui/controls/tree_builder.h"

#include <map>
#include <string>
#include <vector>

#include "runtime/function_table.h"
#include "ui/controls/tlinklist.h"
#include "ui/controls/ttreeitem.h"

namespace ui {
namespace {

using xb::Args;
using xb::Value;

struct Level {
  xb::Ref<TLinkList> list;
  Value bmp_open, bmp_close;
};

struct Builder {
  std::vector<Level> stack;
  std::map<std::string, Value> pictures;  // by "R:" or "F:" and the upper-case name
};

Builder& State() {
  static auto* state = new Builder;  // lives for the program
  return *state;
}

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

// A resource picture in the image strip: its triple, NIL when it cannot be had.
Value StripPicture(const std::string& name) {
  if (name.empty()) return {};
  const std::string key = "R:" + Upper(name);
  Builder& b = State();
  if (auto it = b.pictures.find(key); it != b.pictures.end()) return it->second;
  if (!xb::IsFunctionRegistered("XLOADBITMAP")) return {};
  const Value triple = xb::CallFunction("XLOADBITMAP", {Value::Integer(0), Value::String(name)});
  if (!triple.IsArray()) return {};
  b.pictures[key] = triple;
  return triple;
}

// A picture read from a file, owned by the outermost tree.
Value FilePicture(const std::string& file) {
  if (file.empty()) return {};
  const std::string key = "F:" + Upper(file);
  Builder& b = State();
  if (auto it = b.pictures.find(key); it != b.pictures.end()) return it->second;
  if (!xb::IsFunctionRegistered("READBITMAP")) return {};
  const Value handle = xb::CallFunction("READBITMAP", {Value::Integer(0), Value::String(file)});
  if (!handle.IsNumber() || handle.AsInt() == 0) return {};
  b.pictures[key] = handle;
  b.stack.front().list->Own(handle);
  return handle;
}

bool Empty(const Value& picture) { return picture.IsNil() || (picture.IsNumber() && picture.AsInt() == 0); }

}  // namespace

int TreeDepth() { return static_cast<int>(State().stack.size()); }

Value TreeBegin(const std::string& bmp_open, const std::string& bmp_close) {
  Level level;
  level.list = xb::MakeRef<TLinkList>();
  level.bmp_open = StripPicture(bmp_open);
  level.bmp_close = StripPicture(bmp_close);
  if (Empty(level.bmp_open)) level.bmp_open = level.bmp_close;
  if (Empty(level.bmp_close)) level.bmp_close = level.bmp_open;
  State().stack.push_back(level);
  return level.list->Self();
}

Value TreeItem(const std::string& prompt, const std::string& res_open, const std::string& res_close,
               const std::string& file_open, const std::string& file_close, bool opened) {
  Builder& b = State();
  if (b.stack.empty()) return {};
  Value open = !res_open.empty() ? StripPicture(res_open) : FilePicture(file_open);
  Value close = !res_close.empty() ? StripPicture(res_close) : FilePicture(file_close);
  if (Empty(open)) open = close;  // one picture serves for both
  if (Empty(close)) close = open;
  const Level& level = b.stack.back();
  if (Empty(open)) {
    open = level.bmp_open;
    close = level.bmp_close;
  }
  xb::Ref<TTreeItem> item = level.list->Add(prompt, TreeDepth(), open, close, opened);
  item->own_pictures = false;
  return item->Self();
}

Value TreeEnd() {
  Builder& b = State();
  if (b.stack.empty()) return {};
  Level ended = b.stack.back();
  b.stack.pop_back();
  if (b.stack.empty()) {
    b.pictures.clear();
    return ended.list->Self();
  }
  TTreeItem* parent = b.stack.back().list->Last();
  TTreeItem* first = ended.list->First();
  if (parent != nullptr && first != nullptr) {
    parent->oTree = xb::ObjectRef(ended.list.get());
    if (Empty(parent->hBmpOpen) && Empty(parent->hBmpClose)) {
      parent->hBmpOpen = ended.bmp_open;
      parent->hBmpClose = ended.bmp_close;
    }
    first->oPrev = xb::ObjectRef(parent);
    ended.list->Last()->SetNext(parent->Next());
  }
  return ended.list->Self();
}

void RegisterTreeItems() {
  (void)TTreeItem::Cls();
  (void)TLinkList::Cls();
  xb::RegisterFunction("TTREEITEM", [](Args&) { return Value(xb::MakeRef<TTreeItem>()); });
  xb::RegisterFunction("TLINKLIST", [](Args&) { return Value(xb::MakeRef<TLinkList>()); });
  xb::RegisterFunction("GETTREEBMPS", [](Args&) { return Value(GetTreeBmps()); });
  xb::RegisterFunction("TREEBEGIN", [](Args& a) { return TreeBegin(std::string(a.Str(1)), std::string(a.Str(2))); });
  xb::RegisterFunction("_TREEITEM", [](Args& a) {
    return TreeItem(std::string(a.Str(1)), std::string(a.Str(2)), std::string(a.Str(3)), std::string(a.Str(4)),
                    std::string(a.Str(5)), a.Log(6));
  });
  xb::RegisterFunction("TREEEND", [](Args&) { return TreeEnd(); });
}

}  // namespace ui
