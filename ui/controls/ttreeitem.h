// TTreeItem: one line of a tree shown in a record browse (TWBrowse:SetTree). Items of one
// list are linked in display order through oPrev/oNext; an item may own a sub-list (oTree, a
// TLinkList) shown while it is open. The last item of a sub-list points on (oNext) to the
// item that follows its parent, so GetNext walks the visible lines and GetPrev walks back.
//
// Each item draws itself as one browse line: a tree-line picture for every ancestor level
// (cDraw, one code a level: 0 nothing, 1 vertical line, 2 branch, 3 last branch, 4/5 branch
// with a closed/open sub-tree, 6/7 the same for the last sibling), then its own picture and
// its prompt.
//
// Pictures are strip triples {slot, width, height} (XLOADBITMAP) or bitmap handles. An
// item deletes only handles given to it (New, TLinkList:Add); pictures the tree builder
// loaded belong to the outermost tree.
//
// Nothing here needs Windows: pictures are asked of the public functions ATREEBMPS and
// DELETEOBJECT by name.
#pragma once

#include <string>

#include "runtime/object.h"
#include "runtime/value.h"

namespace ui {

class TLinkList;

class TTreeItem : public xb::Object {
 public:
  TTreeItem();
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  // New(cPrompt, nLevel, hBmpOpen, hBmpClose): closed, nothing drawn yet.
  TTreeItem& New(const std::string& prompt, int level, xb::Value bmp_open = {}, xb::Value bmp_close = {});

  TLinkList* Tree() const;
  TTreeItem* Prev() const;
  TTreeItem* Next() const;
  bool HasTree() const;

  void Open();
  void Close();
  void Toggle();
  // The line after this one as shown: the sub-tree's first item when open, else oNext.
  TTreeItem* GetNext() const;
  // The line before this one as shown.
  TTreeItem* GetPrev() const;
  // Moves up to n lines (back when negative); n becomes the lines moved. The item reached.
  TTreeItem* Skip(int& n);
  // This item's codes after `prefix`, then its sub-tree's.
  void Draw(const std::string& prefix);
  // The browse line: nLevel + 1 picture cells and the prompt.
  xb::Array GetLabel() const;
  // nLevel + 1 columns of 16 pixels and one of 300.
  xb::Array ColSizes() const;
  std::string GetText() const;
  // oNext, and that of the sub-tree's last item (and so on down).
  void SetNext(TTreeItem* item);
  // Leaves the list: the neighbours are linked to each other.
  void Delete();
  // A new item at this level after this one (after its sub-tree).
  xb::Ref<TTreeItem> Add(const std::string& prompt);
  // Deletes the handles it was given and forgets its pictures.
  void End();

  // The last sibling of its list (nothing after it at its own level).
  bool IsLastSibling() const;
  bool IsFirstOfList() const;

  std::string cDraw;
  std::string cPrompt;
  xb::ObjectRef oPrev, oNext, oTree;
  bool lOpened = false;
  int nLevel = 1;
  xb::Value hBmpOpen, hBmpClose;
  xb::Value Cargo;

  // The list the item is in (set by the list's Add and the item's Add).
  xb::ObjectRef oList;
  // False for items whose pictures belong to a tree (the builder's).
  bool own_pictures = true;

  xb::Value Self() { return AsValue(); }
};

// GETTREEBMPS: the seven tree-line pictures (ATREEBMPS), read once; an empty array when
// there is no such function.
xb::Array GetTreeBmps();

}  // namespace ui
