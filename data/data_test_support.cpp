#include "data/data_test_support.h"

#include "data/data_functions.h"
#include "data/program_settings.h"
#include "data/table_access.h"
#include "runtime/codepage.h"
#include "runtime/rdd/dbf_table.h"

namespace data::testing {
namespace {

std::string Key(const std::string& path) {
  return xb::Upper(xb::CodePageEn(), xb::rdd::PathName(path));
}

}  // namespace

bool RecordingUi::GiveUpLock(const std::vector<std::string>& texts) {
  questions.push_back(texts);
  if (on_question) on_question();
  if (give_up_answers.empty()) return true;
  const bool answer = give_up_answers.front();
  give_up_answers.pop_front();
  return answer;
}

bool RecordingUi::ConfirmDelete(bool touch_screen) {
  delete_questions.push_back(touch_screen);
  return confirm_delete;
}

void RecordingUi::RunMessages(std::uint32_t wait_ms) {
  ++message_runs;
  tick += wait_ms;
  if (on_messages) on_messages(Elapsed());
}

void FailingOpens::Fail(const std::string& name, int os_code, int times) { failures_[Key(name)] = {os_code, times}; }

std::vector<std::uint32_t> FailingOpens::OpenTimes(const std::string& name) const {
  const auto it = opens_.find(Key(name));
  return it == opens_.end() ? std::vector<std::uint32_t>() : it->second;
}

xb::rdd::Status FailingOpens::Open(const std::string& path, const xb::rdd::OpenOptions& options,
                                   std::unique_ptr<xb::rdd::File>* file) {
  const std::string key = Key(path);
  opens_[key].push_back(clock_.Elapsed());
  if (auto it = failures_.find(key); it != failures_.end() && it->second.times != 0) {
    if (it->second.times > 0) --it->second.times;
    return xb::rdd::Status::Io(it->second.os_code, xb::rdd::OsErrorText(it->second.os_code));
  }
  return base_.Open(path, options, file);
}

void DataTest::SetUp() {
  errors.clear();
  ui_ = RecordingUi();
  xb::InitRuntime();
  xb::ResetSets();
  xb::ReleaseAllMemvars();
  xb::rdd::InitTables();
  xb::rdd::ResetTables();
  RegisterDataFunctions();
  ResetProgramSettings();
  nErrorCode(0);
  xb::SetValue(xb::SET_DELETED, xb::Value::Logical(true));
  xb::SetValue(xb::SET_EXCLUSIVE, xb::Value::Logical(true));
  xb::rdd::SetDefaultDriver("ADS");
  memory_ = std::make_unique<xb::rdd::MemoryFileSystem>();
  failing_ = std::make_unique<FailingOpens>(*memory_, ui_);
  areas().set_file_system(failing_.get());
  previous_ui_ = SetDataUi(&ui_);
  // The program's error block, as its error dialog answers "&Defecto".
  xb::SetErrorBlock(xb::Value(xb::Block::Native([this](xb::Args& a) {
    errors.push_back(xb::ErrorRef(dynamic_cast<xb::Error*>(a.Arg(1).AsObject().get())));
    return xb::Value::Logical(false);
  })));
}

void DataTest::TearDown() {
  xb::SetErrorBlock(xb::Value());
  xb::rdd::ResetTables();
  areas().set_file_system(nullptr);
  SetDataUi(previous_ui_);
  failing_.reset();
  memory_.reset();
  ResetProgramSettings();
  xb::ResetSets();
}

void DataTest::CreateTable(const std::string& path, const std::vector<xb::rdd::dbf::FieldSpec>& fields,
                           int records, const std::function<void(xb::rdd::WorkArea&, int)>& fill) {
  const std::string folder = xb::rdd::PathFolder(path);
  if (!folder.empty()) memory_->MakeFolder(folder);
  const xb::rdd::Status created = xb::rdd::DbfTable::Create(*memory_, path, fields, xb::rdd::dbf::MemoKind::kFpt);
  ASSERT_TRUE(created.ok()) << created.message();
  if (records == 0) return;
  const int area = Use(path, "FILLING", false);
  ASSERT_GT(area, 0);
  xb::rdd::WorkArea& a = *areas().Area(area);
  for (int n = 1; n <= records; ++n) {
    ASSERT_TRUE(a.Append());
    if (fill) fill(a, n);
  }
  a.Close();
}

int DataTest::Use(const std::string& path, const std::string& alias, bool shared) {
  const bool opened = xb::CallFunction("DBUSEAREA", {xb::Value::Logical(true), xb::Value::String("ADS"),
                                                     xb::Value::String(path), xb::Value::String(alias),
                                                     xb::Value::Logical(shared)})
                          .AsLogical();
  return opened ? areas().CurrentArea() : 0;
}

}  // namespace data::testing
