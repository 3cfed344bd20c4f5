// Browse trees without windows: one fixture tree built with the statements, its line codes
// and browse lines, moving over it, opening and closing, and who deletes which picture.
#include "ui/controls/ttreeitem.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/memvar.h"
#include "runtime/test_env.h"
#include "ui/controls/tlinklist.h"
#include "ui/controls/tree_builder.h"

namespace ui {
namespace {

using xb::Args;
using xb::Value;

// Stand-ins of the bridge's picture functions: tree lines 101..107, strip slots by name,
// file pictures 501, 502 ..., and a record of what was deleted.
struct Pictures {
  std::map<std::string, int> strip_loads;
  std::vector<std::string> file_reads;
  std::vector<std::int64_t> deleted;
};
Pictures* g_pictures = nullptr;

class TreeTest : public xb::testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    g_pictures = &pictures;
    xb::RegisterFunction("ATREEBMPS", [](Args&) {
      xb::Array list = xb::Array::New();
      for (int i = 101; i <= 107; ++i) list.Append(Value::Integer(i));
      return Value(list);
    });
    xb::RegisterFunction("XLOADBITMAP", [](Args& a) {
      const std::string name(a.Str(2));
      if (name == "NOSUCH") return Value();
      int& loads = g_pictures->strip_loads[name];
      ++loads;
      const int slot = static_cast<int>(g_pictures->strip_loads.size());
      return Value(xb::Array::Of({Value::Integer(slot), Value::Integer(16), Value::Integer(16)}));
    });
    xb::RegisterFunction("READBITMAP", [](Args& a) {
      g_pictures->file_reads.emplace_back(a.Str(2));
      return Value::Integer(500 + static_cast<int>(g_pictures->file_reads.size()));
    });
    xb::RegisterFunction("DELETEOBJECT", [](Args& a) {
      g_pictures->deleted.push_back(a.Int(1));
      return Value::Logical(true);
    });
    RegisterTreeItems();
  }
  void TearDown() override {
    while (TreeDepth() > 0) TreeEnd();
    g_pictures = nullptr;
    RuntimeTest::TearDown();
  }

  // Empresas (Altas, Bajas (Antiguas)), Usuarios, Grupos.
  xb::Ref<TLinkList> Fixture() {
    const Value tree = TreeBegin("CARPETA", "CARPETA_ABIERTA");
    TreeItem("Empresas", "", "", "", "", false);
    TreeBegin("HOJA", "");
    TreeItem("Altas", "", "", "alta.bmp", "", false);
    TreeItem("Bajas", "", "", "", "", false);
    TreeBegin("", "");
    TreeItem("Antiguas", "", "", "alta.bmp", "", false);
    TreeEnd();
    TreeEnd();
    TreeItem("Usuarios", "", "", "", "", false);
    TreeItem("Grupos", "", "", "", "", false);
    TreeEnd();
    auto* list = dynamic_cast<TLinkList*>(tree.AsObject().get());
    list->Draw();
    return xb::Ref<TLinkList>(list);
  }
  static std::vector<std::string> Shown(TLinkList& list) {
    std::vector<std::string> lines;
    for (TTreeItem* item = list.First(); item != nullptr; item = item->GetNext()) lines.push_back(item->cPrompt);
    return lines;
  }
  static TTreeItem* Find(TLinkList& list, const std::string& prompt) {
    TTreeItem* found = nullptr;
    list.Eval([&](TTreeItem& item) {
      if (item.cPrompt == prompt) found = &item;
    });
    return found;
  }
  static std::int64_t Slot(const Value& picture) { return picture.IsArray() ? picture.AsArray().Get(0).AsInt() : -1; }

  Pictures pictures;
};

TEST_F(TreeTest, LineCodesAndBrowseLines) {
  auto tree = Fixture();
  struct Case {
    const char* prompt;
    const char* draw;
    std::vector<std::int64_t> tree_cells;  // the cells before the item's picture
  } cases[] = {
      {"Empresas", "2", {104}},        // first: code 2; with a closed sub-tree: the "+" branch
      {"Altas", "12", {101, 102}},
      {"Bajas", "16", {101, 106}},     // the last sibling with a closed sub-tree
      {"Antiguas", "102", {101, 0, 102}},  // no line beside a last sibling's children
      {"Usuarios", "2", {102}},
      {"Grupos", "3", {103}},
  };
  for (const Case& c : cases) {
    TTreeItem* item = Find(*tree, c.prompt);
    ASSERT_NE(item, nullptr) << c.prompt;
    EXPECT_EQ(item->cDraw, c.draw) << c.prompt;
    const xb::Array label = item->GetLabel();
    ASSERT_EQ(label.size(), static_cast<std::size_t>(item->nLevel + 2)) << c.prompt;
    for (std::size_t i = 0; i < c.tree_cells.size(); ++i) EXPECT_EQ(label.Get(i).AsInt(), c.tree_cells[i]) << c.prompt << " cell " << i;
    EXPECT_EQ(label.Get(label.size() - 1).AsString(), c.prompt);
    EXPECT_EQ(item->ColSizes().size(), static_cast<std::size_t>(item->nLevel + 2));
  }
  // Pictures: the tree's defaults, a file's, one default serving for both states.
  const std::int64_t carpeta = Slot(Find(*tree, "Empresas")->hBmpOpen);
  EXPECT_EQ(carpeta, Slot(Find(*tree, "Usuarios")->hBmpOpen));
  EXPECT_EQ(Find(*tree, "Altas")->hBmpOpen.AsInt(), 501);
  EXPECT_EQ(Find(*tree, "Antiguas")->hBmpOpen.AsInt(), 501);  // one read per name
  EXPECT_EQ(Slot(Find(*tree, "Bajas")->hBmpOpen), Slot(Find(*tree, "Bajas")->hBmpClose));
  EXPECT_EQ(pictures.file_reads.size(), 1u);
  for (const auto& [name, loads] : pictures.strip_loads) EXPECT_EQ(loads, 1) << name;
  // A closed item shows hBmpOpen, an open one hBmpClose.
  TTreeItem* empresas = Find(*tree, "Empresas");
  EXPECT_EQ(Slot(empresas->GetLabel().Get(1)), Slot(empresas->hBmpOpen));
  empresas->Open();
  EXPECT_EQ(Slot(empresas->GetLabel().Get(1)), Slot(empresas->hBmpClose));
  EXPECT_EQ(empresas->GetLabel().Get(0).AsInt(), 105);  // the "-" branch
  EXPECT_EQ(empresas->GetText(), " - 2Empresas");
  EXPECT_EQ(Find(*tree, "Grupos")->GetText(), "   3Grupos");
  tree->End();
}

TEST_F(TreeTest, ASingleItemIsAPlainBranch) {
  const Value tree = TreeBegin("", "");
  TreeItem("Solo", "", "", "", "", false);
  auto* list = dynamic_cast<TLinkList*>(TreeEnd().AsObject().get());
  list->Draw();
  EXPECT_EQ(list->First()->cDraw, "2");
  const xb::Array label = list->First()->GetLabel();
  ASSERT_EQ(label.size(), 3u);
  EXPECT_EQ(label.Get(0).AsInt(), 102);
  EXPECT_EQ(label.Get(1).AsInt(), 0);  // no picture
  EXPECT_EQ(list->nCount(), 1);
}

TEST_F(TreeTest, OpeningAndClosingChangeTheLinesShown) {
  auto tree = Fixture();
  using Lines = std::vector<std::string>;
  EXPECT_EQ(Shown(*tree), (Lines{"Empresas", "Usuarios", "Grupos"}));
  EXPECT_EQ(tree->nCount(), 3);
  TTreeItem* empresas = Find(*tree, "Empresas");
  TTreeItem* bajas = Find(*tree, "Bajas");
  struct Step {
    TTreeItem* toggled;
    Lines shown;
  } steps[] = {
      {empresas, {"Empresas", "Altas", "Bajas", "Usuarios", "Grupos"}},
      {bajas, {"Empresas", "Altas", "Bajas", "Antiguas", "Usuarios", "Grupos"}},
      {empresas, {"Empresas", "Usuarios", "Grupos"}},  // closed: its open child stays hidden
      {empresas, {"Empresas", "Altas", "Bajas", "Antiguas", "Usuarios", "Grupos"}},
  };
  for (const Step& s : steps) {
    s.toggled->Toggle();
    EXPECT_EQ(Shown(*tree), s.shown);
    EXPECT_EQ(tree->nCount(), static_cast<int>(s.shown.size()));
  }
  // Backwards, as shown.
  Lines back;
  for (TTreeItem* item = tree->GetLast(); item != nullptr; item = item->GetPrev()) back.insert(back.begin(), item->cPrompt);
  EXPECT_EQ(back, steps[3].shown);
  EXPECT_EQ(tree->GetLast()->cPrompt, "Grupos");
  // An item without a sub-tree does not open.
  TTreeItem* grupos = Find(*tree, "Grupos");
  grupos->Toggle();
  EXPECT_FALSE(grupos->lOpened);
}

TEST_F(TreeTest, AnOpenLastItemCarriesTheLineDownWhenALowerLevelFollows) {
  auto tree = Fixture();
  TTreeItem* bajas = Find(*tree, "Bajas");  // the last of its list; "Usuarios", a level up, follows
  TTreeItem* antiguas = Find(*tree, "Antiguas");
  struct Case {
    bool open;
    const char* draw;
    std::vector<std::int64_t> cells;
  } cases[] = {
      {false, "102", {101, 0, 102}},
      {true, "112", {101, 101, 102}},  // a vertical line below the open last item
  };
  for (const Case& c : cases) {
    if (c.open) bajas->Open();
    else bajas->Close();
    tree->Draw();
    EXPECT_EQ(antiguas->cDraw, c.draw) << c.open;
    const xb::Array label = antiguas->GetLabel();
    for (std::size_t i = 0; i < c.cells.size(); ++i) EXPECT_EQ(label.Get(i).AsInt(), c.cells[i]) << c.open << " cell " << i;
  }
  // Open, but the last item of the whole tree: nothing follows, no line.
  TreeBegin("", "");
  TreeItem("Uno", "", "", "", "", false);
  TreeBegin("", "");
  TreeItem("Hijo", "", "", "", "", false);
  TreeEnd();
  auto* list = dynamic_cast<TLinkList*>(TreeEnd().AsObject().get());
  list->First()->Open();
  list->Draw();
  EXPECT_EQ(Find(*list, "Hijo")->cDraw, "02");
  list->End();
  tree->End();
}

TEST_F(TreeTest, SkipStopsAtTheEnds) {
  auto tree = Fixture();
  Find(*tree, "Empresas")->Open();  // Empresas, Altas, Bajas, Usuarios, Grupos
  struct Case {
    const char* from;
    int n;
    int moved;
    const char* reached;
  } cases[] = {
      {"Usuarios", 5, 1, "Grupos"},  // from the second-last line
      {"Grupos", -10, -4, "Empresas"},
      {"Altas", 2, 2, "Usuarios"},
      {"Usuarios", -1, -1, "Bajas"},
      {"Empresas", 0, 0, "Empresas"},
      {"Empresas", -1, 0, "Empresas"},
  };
  for (const Case& c : cases) {
    int n = c.n;
    TTreeItem* reached = Find(*tree, c.from)->Skip(n);
    EXPECT_EQ(n, c.moved) << c.from << " " << c.n;
    EXPECT_EQ(reached->cPrompt, c.reached) << c.from << " " << c.n;
  }
  // By reference from compiled text.
  xb::DeclarePublic(xb::Intern("OITEM"));
  xb::SetMemvar(xb::Intern("OITEM"), Find(*tree, "Usuarios")->Self());
  EXPECT_EQ(xb::EvalMacro("(n := 5, oItem := oItem:Skip(@n), n)").AsInt(), 1);
  EXPECT_EQ(xb::EvalMacro("oItem:cPrompt").AsString(), "Grupos");
}

TEST_F(TreeTest, AddingAndDeletingItems) {
  auto tree = Fixture();
  TTreeItem* empresas = Find(*tree, "Empresas");
  empresas->Open();
  Find(*tree, "Bajas")->Open();
  using Lines = std::vector<std::string>;
  empresas->Add("Clientes");  // after its sub-tree
  EXPECT_EQ(Shown(*tree), (Lines{"Empresas", "Altas", "Bajas", "Antiguas", "Clientes", "Usuarios", "Grupos"}));
  Find(*tree, "Bajas")->Add("Nuevas");  // the last of a sub-list
  EXPECT_EQ(Shown(*tree), (Lines{"Empresas", "Altas", "Bajas", "Antiguas", "Nuevas", "Clientes", "Usuarios", "Grupos"}));
  EXPECT_EQ(empresas->Tree()->Last()->cPrompt, "Nuevas");
  Find(*tree, "Grupos")->Add("Permisos");
  EXPECT_EQ(tree->Last()->cPrompt, "Permisos");
  Find(*tree, "Altas")->Delete();
  EXPECT_EQ(empresas->Tree()->First()->cPrompt, "Bajas");
  EXPECT_EQ(Find(*tree, "Bajas")->GetPrev(), empresas);
  Find(*tree, "Permisos")->Delete();
  EXPECT_EQ(tree->Last()->cPrompt, "Grupos");
  EXPECT_EQ(Shown(*tree), (Lines{"Empresas", "Bajas", "Antiguas", "Nuevas", "Clientes", "Usuarios", "Grupos"}));
  EXPECT_EQ(tree->GetLast()->GetNext(), nullptr);
}

TEST_F(TreeTest, WhoDeletesWhichPicture) {
  {
    auto tree = Fixture();
    TTreeItem* altas = Find(*tree, "Altas");
    altas->End();  // the builder's picture belongs to the tree
    EXPECT_TRUE(pictures.deleted.empty());
    EXPECT_TRUE(altas->hBmpOpen.IsNil());
    tree->End();
    EXPECT_EQ(pictures.deleted, (std::vector<std::int64_t>{501}));  // once, strip triples never
  }
  // Handles given to items are theirs; one given to two items is deleted once.
  pictures.deleted.clear();
  auto list = xb::MakeRef<TLinkList>();
  list->Add("Uno", 1, Value::Integer(900), Value::Integer(900));
  list->Add("Dos", 0, Value::Integer(900), Value::Integer(901));
  list->End();
  EXPECT_EQ(pictures.deleted, (std::vector<std::int64_t>{900, 901}));
  pictures.deleted.clear();
  auto item = xb::MakeRef<TTreeItem>();
  item->New("Suelto", 1, Value::Integer(902), Value::Integer(903));
  item->End();
  item->End();
  EXPECT_EQ(pictures.deleted, (std::vector<std::int64_t>{902, 903}));
}

TEST_F(TreeTest, StatementsOutsideATreeDoNothing) {
  EXPECT_TRUE(TreeEnd().IsNil());
  EXPECT_TRUE(TreeItem("Fuera", "", "", "", "", false).IsNil());
  EXPECT_EQ(TreeDepth(), 0);
  // Nested from compiled text; a sub-tree opened and closed where the outer tree has no item
  // yet hangs nowhere.
  const Value tree = xb::EvalMacro(
      "(TreeBegin(), TreeBegin(), _TreeItem('Perdido'), TreeEnd(), _TreeItem('A', , , , , .T.), TreeBegin('HOJA'),"
      " _TreeItem('A1'), TreeEnd(), TreeEnd())");
  EXPECT_EQ(TreeDepth(), 0);
  auto* list = dynamic_cast<TLinkList*>(tree.AsObject().get());
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(Shown(*list), (std::vector<std::string>{"A", "A1"}));  // opened when built
  EXPECT_EQ(list->First()->Tree()->First()->nLevel, 2);
  // The parent without pictures takes its sub-tree's.
  EXPECT_TRUE(list->First()->hBmpOpen.IsArray());
  EXPECT_EQ(Slot(list->First()->hBmpOpen), Slot(list->First()->Tree()->First()->hBmpOpen));
  EXPECT_EQ(xb::EvalMacro("Len(GetTreeBmps())").AsInt(), 7);
  // A picture that cannot be had is none.
  xb::EvalMacro("(TreeBegin('NOSUCH'), _TreeItem('X'), TreeEnd())");
  EXPECT_EQ(TreeDepth(), 0);
}

}  // namespace
}  // namespace ui
