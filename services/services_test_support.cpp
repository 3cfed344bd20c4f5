#include "services/services_test_support.h"

#include <windows.h>

#include "data/data_functions.h"
#include "data/program_settings.h"
#include "data/table_access.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/driver.h"
#include "services/password.h"
#include "services/services.h"
#include "services/table_helpers.h"
#include "services/user_look.h"
#include "services/user_tables.h"
#include "tests/support/pump.h"
#include "ui/bridge/resources.h"
#include "ui/controls/controls.h"
#include "ui/controls/tbtnbmp.h"
#include "ui/controls/tbutton.h"

namespace svc::testing {

using xb::Value;

void MessageLog::RunMessages(std::uint32_t wait_ms) {
  vdr::test::PumpPending();
  if (wait_ms) ::Sleep(wait_ms > 50 ? 50 : wait_ms);
}

std::uint32_t MessageLog::TickCount() { return ::GetTickCount(); }

void ServicesTest::SetUp() {
  FrameworkTest::SetUp();
  ASSERT_NE(ui::SetResources("VDRE.DLL"), nullptr);
  ui::InitControls();
  errors.clear();
  xb::rdd::InitTables();
  xb::rdd::ResetTables();
  data::RegisterDataFunctions();
  data::ResetProgramSettings();
  data::nErrorCode(0);
  xb::SetValue(xb::SET_DELETED, Value::Logical(true));
  xb::SetValue(xb::SET_EXCLUSIVE, Value::Logical(true));
  xb::rdd::SetDefaultDriver("ADS");
  memory_ = std::make_unique<xb::rdd::MemoryFileSystem>();
  areas().set_file_system(memory_.get());
  previous_ui_ = data::SetDataUi(&log_);
  RegisterServiceFunctions();
  ResetServices();
  memory_->MakeFolder("..\\DBF");
  memory_->MakeFolder("..\\INF");
  data::cPathStart(kStart);
  data::cPathInforme(kReports);
  // The program's error block, as its error dialog answers "&Defecto".
  xb::SetErrorBlock(Value(xb::Block::Native([this](xb::Args& a) {
    errors.push_back(xb::ErrorRef(dynamic_cast<xb::Error*>(a.Arg(1).AsObject().get())));
    return Value::Logical(false);
  })));
}

void ServicesTest::TearDown() {
  xb::SetErrorBlock(Value());
  xb::rdd::ResetTables();
  areas().set_file_system(nullptr);
  data::SetDataUi(previous_ui_);
  memory_.reset();
  ResetServices();
  data::ResetProgramSettings();
  xb::ResetSets();
  ui::FreeResources();
  FrameworkTest::TearDown();
}

void ServicesTest::WriteTable(const std::string& table, const std::vector<std::pair<std::string, std::string>>& structure,
                              const std::vector<Rec>& records,
                              const std::vector<std::pair<std::string, std::string>>& tags) {
  std::vector<FieldDef> fields;
  for (const auto& [name, spec] : structure) {
    FieldDef f;
    f.name = name;
    f.type = spec[0];
    const std::size_t dot = spec.find('.');
    f.length = std::stoi(spec.substr(1, dot == std::string::npos ? std::string::npos : dot - 1));
    f.decimals = dot == std::string::npos ? 0 : std::stoi(spec.substr(dot + 1));
    fields.push_back(f);
  }
  ASSERT_TRUE(CreateTable(table, fields)) << table;
  SelectedAreaScope keep;
  ASSERT_TRUE(OpenTable(table, "_Write", true));
  OpenedArea area(true);
  for (const Rec& rec : records) {
    Area().Append();
    for (const auto& [field, value] : rec) PutField(field, value);
  }
  std::vector<TagDef> tag_defs;
  for (const auto& [name, key] : tags) tag_defs.push_back({name, key});
  CreateTags(tag_defs);
  Area().Commit();
}

std::vector<Rec> ServicesTest::Records(const std::string& table) {
  std::vector<Rec> records;
  SelectedAreaScope keep;
  if (!OpenTable(table, "_Read", false)) return records;
  OpenedArea area(true);
  Area().SetControllingOrder(0);
  for (Call("DBGOTOP"); !Area().eof(); Area().Skip(1)) {
    Rec rec;
    for (int f = 1; f <= Area().FieldCount(); ++f) rec.emplace_back(Area().FieldAt(f)->name, Area().GetField(f));
    records.push_back(rec);
  }
  return records;
}

Value ServicesTest::FieldOf(const std::string& table, const std::string& key_field, const std::string& key,
                            const std::string& field) {
  for (const Rec& rec : Records(table)) {
    Value key_value, wanted;
    for (const auto& [name, value] : rec) {
      if (name == key_field) key_value = value;
      if (name == field) wanted = value;
    }
    if (std::string(xb::RTrim(key_value.AsString())) == key) return wanted;
  }
  return {};
}

void ServicesTest::AddUser(const std::string& code, const std::string& name, const std::string& password,
                           const std::string& access, const std::string& group, bool active) {
  qzw_CreaUsuarios(true, false);
  SelectedAreaScope keep;
  ASSERT_TRUE(OpenTable(UsuariosTable(), "_AddUser", false));
  OpenedArea area(true);
  ASSERT_TRUE(data::lNetRecAdd());
  PutField("CCODIGO", S(code));
  PutField("CNOMBRE", S(name));
  PutField("CCLAVE", S(cEncripta(password)));
  PutField("LACTIVO", L(active));
  PutField("ACCESOS1", S(access));
  PutField("LLOGO", L(true));
  PutField("GRUPO", S(group));
  Area().Commit();
  Area().Unlock();
}

void ServicesTest::AddGroup(const std::string& code, const std::string& name,
                            const std::array<std::string, 4>& access) {
  SelectedAreaScope keep;
  ASSERT_TRUE(OpenTable(GrpUserTable(), "_G", false));
  OpenedArea area(true);
  ASSERT_TRUE(data::lNetRecAdd());
  PutField("CODIGO", S(code));
  PutField("DESCRIPC", S(name));
  for (int i = 0; i < 4; ++i) PutField("ACCESOS" + std::to_string(i + 1), S(access[i]));
  Area().Commit();
  Area().Unlock();
}

void ServicesTest::GoTo(const std::string& alias, const std::string& code) {
  SelectedAreaScope keep;
  areas().SelectArea(areas().AreaOfAlias(alias));
  SelectOrder(1);
  ASSERT_TRUE(Seek(S(code))) << alias << " " << code;
}

void ServicesTest::WriteFonts(const std::vector<Rec>& fonts) {
  WriteTable(FontsTable(),
             {{"NFONT", "N3"}, {"CFACENAME", "C25"}, {"LBOLD", "L1"}, {"LITALIC", "L1"}, {"NWIDTH", "N6.2"},
              {"NHEIGHT", "N6.2"}, {"NCOLOR", "N10"}},
             fonts, {{"Fonts", "nFont"}, {"Nombre", "Upper( cFaceName ) + Str( nColor, 10 )"}});
}

xb::Ref<ui::TMdiFrame> ServicesTest::OpenMainFrame(int width, int height) {
  ShowMessages();
  auto frame = xb::MakeRef<ui::TMdiFrame>();
  ui::TMdiFrame::NewParams p;
  p.top = 10;
  p.left = 10;
  p.bottom = 10 + height - 1;
  p.right = 10 + width - 1;
  p.pixel = true;
  p.caption = "Vendaro";
  frame->New(p);
  made_.push_back(frame->hWnd);
  ShowWindow(frame->hWnd, SW_SHOW);
  frame->ReSize(SIZE_RESTORED, 0, 0);
  vdr::test::PumpPending();
  data::SetMainWindow(Value(xb::ObjectRef(frame)));
  return frame;
}

void ServicesTest::WriteMenuTable(const std::vector<MenuRow>& rows, const std::string& name) {
  std::vector<Rec> records;
  for (const MenuRow& row : rows)
    records.push_back({{"TIPOMENU", N(row.kind)},
                       {"NAME", S(row.name)},
                       {"ITEM", S(row.item)},
                       {"ACTION", S(row.action)},
                       {"CONTROL", L(row.control)},
                       {"MARK", L(row.mark)}});
  WriteTable(std::string(kStart) + name,
             {{"TIPOMENU", "N1"}, {"NAME", "C20"}, {"ITEM", "C40"}, {"ACTION", "C100"}, {"MSG", "C80"},
              {"DISK", "C30"}, {"ACELERA1", "N3"}, {"ACELERA2", "N3"}, {"NHELP", "N9"}, {"MARK", "L1"},
              {"CONTROL", "L1"}},
             records);
}

std::string RecText(const Rec& rec) {
  std::string text;
  for (const auto& [name, value] : rec) text += name + "=" + std::string(value.AsString()) + " ";
  return text;
}

const std::vector<HotKeyCase>& HotKeyCases() {
  static const std::vector<HotKeyCase> cases = {
      {"+ del teclado numérico", {VK_ADD}, 'A'},
      {"-", {VK_OEM_MINUS}, 'E'},
      {"- del teclado numérico", {VK_SUBTRACT}, 'E'},
      {"f", {'F'}, 'F'},
      {"F mayúscula", {VK_SHIFT, 'F'}, 'F'},
      {"Intro", {VK_RETURN}, 'M'},
      {"Insert", {VK_INSERT}, '\0'},
      {"F4", {VK_F4}, '\0'},
      {"F5", {VK_F5}, '\0'},
      {"1 del teclado numérico", {VK_NUMPAD1}, '\0'},
      {"q, sin botón", {'Q'}, '\0'},
  };
  return cases;
}

std::shared_ptr<std::string> RecordClicks(const std::vector<ui::WindowRef>& controls) {
  auto record = std::make_shared<std::string>();
  for (const ui::WindowRef& control : controls) {
    const Value& tip = control->cToolTip;
    if (!tip.IsString() || tip.AsString().size() < 3 || tip.AsString()[0] != '(') continue;
    const char letter = tip.AsString()[1];
    const Value recorder(xb::Block::Native([record, letter](xb::Args&) {
      *record += letter;
      return Value();
    }));
    if (auto* bar_button = dynamic_cast<ui::TBtnBmp*>(control.get())) bar_button->bAction = recorder;
    else if (auto* button = dynamic_cast<ui::TButton*>(control.get())) button->bAction = recorder;
  }
  return record;
}

void PressOn(HWND focus, const std::vector<WORD>& keys) {
  ::SetForegroundWindow(::GetAncestor(focus, GA_ROOT));
  ::SetFocus(focus);
  vdr::test::PumpPending();
  std::vector<INPUT> input;
  for (WORD key : keys) {
    INPUT i = {};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = key;
    input.push_back(i);
  }
  for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
    INPUT i = {};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = *it;
    i.ki.dwFlags = KEYEVENTF_KEYUP;
    input.push_back(i);
  }
  ::SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
  // The key's messages, and the character that translating them posts.
  vdr::test::PumpUntil([] { return (::GetQueueStatus(QS_INPUT | QS_POSTMESSAGE) & 0xFFFF0000u) == 0; }, 1000);
  vdr::test::PumpPending();
}

}  // namespace svc::testing
