// TLinkList: the items of one level of a browse tree (TTreeItem), first to last; the outer
// list of a tree is what TWBrowse:SetTree shows.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "runtime/object.h"
#include "runtime/value.h"

namespace ui {

class TTreeItem;

class TLinkList : public xb::Object {
 public:
  TLinkList();
  ~TLinkList() override;
  static const xb::Class& Cls();

  TTreeItem* First() const;
  TTreeItem* Last() const;

  // Appends an item (level 0: that of the first item, or 1), open or closed.
  xb::Ref<TTreeItem> Add(const std::string& prompt, int level = 0, xb::Value bmp_open = {},
                         xb::Value bmp_close = {}, bool opened = false);
  // Appends an item made elsewhere.
  void Append(TTreeItem& item);
  void OpenAll();
  // The last line shown: the last item, or the last line of its sub-tree when it is open.
  TTreeItem* GetLast() const;
  // The lines shown from the first item on.
  int nCount() const;
  void Draw(const std::string& prefix = {});
  // Every item, sub-trees first.
  void Eval(const std::function<void(TTreeItem&)>& visit);
  // Ends every item, then deletes the pictures the tree holds.
  void End();
  // A picture handle this tree owns (the builder's pictures from files).
  void Own(const xb::Value& handle) { own_.push_back(handle); }

  xb::ObjectRef oFirst, oLast;
  xb::Value Self() { return AsValue(); }

 private:
  std::vector<xb::Value> own_;
};

// Deletes a bitmap handle through DELETEOBJECT (nothing for 0 or a strip triple).
void DeletePicture(const xb::Value& picture);

// Registers TTREEITEM, TLINKLIST, GETTREEBMPS and the builder's TREEBEGIN, _TREEITEM and
// TREEEND by name.
void RegisterTreeItems();

}  // namespace ui
