#include "runtime/rdd/workarea.h"

#include <atomic>

#include "runtime/error.h"
#include "runtime/macro.h"
#include "runtime/sets.h"
#include "runtime/workarea_host.h"
#include "runtime/rdd/bag_file_adapter.h"
#include "runtime/rdd/field_key.h"
#include "runtime/rdd/key_sort.h"

namespace xb::rdd {
namespace {

std::atomic<std::uint64_t> g_stamp{0};

int GenCodeOf(StatusCode code) {
  switch (code) {
    case StatusCode::kIo: return EG_WRITE;
    case StatusCode::kLocked: return EG_LOCK;
    case StatusCode::kCorrupt: return EG_CORRUPTION;
    case StatusCode::kDataWidth: return EG_DATAWIDTH;
    case StatusCode::kDataType: return EG_DATATYPE;
    case StatusCode::kReadOnly: return EG_READONLY;
    case StatusCode::kUnlocked: return EG_UNLOCKED;
    case StatusCode::kShared: return EG_SHARED;
    case StatusCode::kUnsupported: return EG_UNSUPPORTED;
    default: return EG_ARG;
  }
}

int SubCodeOf(int gen_code) {
  switch (gen_code) {
    case EG_OPEN: return subcode::kOpenTable;
    case EG_CREATE: return subcode::kCreateTable;
    case EG_READ: return subcode::kRead;
    case EG_WRITE: return subcode::kWrite;
    case EG_CORRUPTION: return subcode::kCorrupt;
    case EG_DATATYPE: return subcode::kDataType;
    case EG_DATAWIDTH: return subcode::kDataWidth;
    case EG_UNLOCKED: return subcode::kUnlocked;
    case EG_SHARED: return subcode::kShared;
    case EG_APPENDLOCK: return subcode::kAppendLock;
    case EG_READONLY: return subcode::kReadOnly;
    default: return 0;
  }
}

// Clears every member of `out` to an empty character value, keeping its text buffer for
// the next record.
void ClearKeyValue(KeyValue& out) {
  out.type = KeyType::kCharacter;
  out.text.clear();
  out.number = 0;
  out.julian = 0;
  out.logical = false;
  out.width = out.decimals = 0;
}

// The key or FOR value a macro-compiled block gives, as the bags take it (`out` cleared).
bool ToKeyValue(const Value& v, KeyValue* out) {
  if (v.IsString()) {
    out->text.assign(v.AsString());
  } else if (v.IsNumber()) {
    const int dec = v.Decimals();
    out->type = KeyType::kNumeric;
    out->number = v.AsDouble();
    out->width = v.Width() + (dec > 0 ? dec + 1 : 0);
    out->decimals = dec;
  } else if (v.IsDate()) {
    out->type = KeyType::kDate;
    out->julian = v.AsDate().julian;
  } else if (v.IsLogical()) {
    out->type = KeyType::kLogical;
    out->logical = v.AsLogical();
  } else {
    return false;
  }
  return true;
}

}  // namespace

bool RaiseTableError(const Status& status, std::string_view driver, const ErrorSite& site) {
  const int gen = site.gen_code ? site.gen_code : GenCodeOf(status.code());
  const int sub = site.sub_code ? site.sub_code : SubCodeOf(gen);
  std::string description(GenCodeDescription(gen));
  if (!status.message().empty()) description += ": " + status.message();
  ErrorRef e = MakeError(driver, gen, sub, site.operation, description);
  e->osCode = status.code() == StatusCode::kIo ? status.os_code() : 0;
  e->filename = site.filename.empty() ? status.file() : site.filename;
  e->canRetry = site.can_retry;
  e->canDefault = true;
  return Raise(e) == Recovery::Retry && site.can_retry;
}

// Key and FOR expressions: macro-compiled blocks evaluated with this area selected, so
// their field names are this area's fields whatever area the program has selected.
class WorkArea::Keys final : public ExpressionCompiler {
 public:
  explicit Keys(WorkArea& area) : area_(area) {}

  BagStatus Compile(std::string_view text, std::unique_ptr<KeyExpression>& out) override {
    SyntaxError error;
    std::optional<Block> block = TryCompileBlock(text, &error);
    if (!block)
      return BagStatus::Error(BagCode::kExpression, "expresión no válida: " + std::string(text) + " (" + error.message + ")");
    out = std::make_unique<Expression>(area_, *block, std::string(text), FieldKey::Compile(area_, text));
    return BagStatus::Ok();
  }

 private:
  class Expression final : public KeyExpression {
   public:
    Expression(WorkArea& area, Block block, std::string text, std::unique_ptr<FieldKey> plan)
        : area_(area), block_(std::move(block)), text_(std::move(text)), plan_(std::move(plan)),
          record_alone_(KeyOfRecordAlone(text_)) {}
    bool OfRecordAlone() const override { return record_alone_; }
    bool AppendText(std::string& out, BagStatus* status) override {
      if (!plan_) return false;
      const std::size_t start = out.size();
      try {
        Value v;
        if (plan_->Append(out, v) == FieldKey::Result::kText) {
          *status = BagStatus::Ok();
          return true;
        }
      } catch (const UnhandledError& e) {
        out.resize(start);
        *status = Failed(e);
        return true;
      }
      out.resize(start);
      return false;
    }
    BagStatus Evaluate(KeyValue& out) override {
      ClearKeyValue(out);
      if (plan_) {
        try {
          Value v;
          switch (plan_->Append(out.text, v)) {
            case FieldKey::Result::kText: return BagStatus::Ok();
            case FieldKey::Result::kValue: return ToKey(v, out);
            case FieldKey::Result::kAsked: break;
          }
        } catch (const UnhandledError& e) {
          return Failed(e);
        }
      }
      WorkAreaHost* host = GetWorkAreaHost();
      const int previous = host ? host->SelectArea(area_.number()) : 0;
      struct Restore {
        WorkAreaHost* host;
        int area;
        ~Restore() {
          if (host) host->SelectArea(area);
        }
      } restore{host, previous};
      Value v;
      try {
        // Character keys are built straight into the key's text.
        if (block_.EvalString(out.text, v)) return BagStatus::Ok();
      } catch (const UnhandledError& e) {
        return Failed(e);
      }
      return ToKey(v, out);
    }

   private:
    BagStatus Failed(const UnhandledError& e) const {
      return BagStatus::Error(BagCode::kExpression, "error al evaluar " + text_ + ": " + e.what());
    }
    BagStatus ToKey(const Value& v, KeyValue& out) const {
      if (!ToKeyValue(v, &out))
        return BagStatus::Error(BagCode::kExpression, "la expresión " + text_ + " no da un valor de clave");
      return BagStatus::Ok();
    }

    WorkArea& area_;
    Block block_;
    std::string text_;
    std::unique_ptr<FieldKey> plan_;  // keys made of fields only: built without the block
    bool record_alone_;
  };

  WorkArea& area_;
};

class WorkArea::Records final : public RecordSource {
 public:
  explicit Records(WorkArea& area) : area_(area) {}
  std::uint32_t RecordCount() override { return area_.RecordCount(); }
  BagStatus GoTo(std::uint32_t recno) override { return ToBagStatus(area_.table_->GoTo(recno)); }
  BagStatus BeforeWrite() override {
    // A bag written aside takes its place after the table's: nothing to wait for.
    for (const auto& b : area_.bags_)
      if (b.aside) return BagStatus::Ok();
    return ToBagStatus(area_.table_->Settle());
  }

 private:
  WorkArea& area_;
};

WorkArea::WorkArea(int number) : number_(number) {}

WorkArea::~WorkArea() {
  // A program that ends with tables open still gets its last change, keys and headers
  // written; nothing can be reported any more.
  if (!used()) return;
  if (hot_) {
    (void)table_->WriteRecord();
    for (std::size_t i = 0; i < bags_.size(); ++i)
      (void)bags_[i].bag->UpdateKeys(table_->recno(), appended_ || i >= before_.size() ? nullptr : &before_[i]);
  }
  for (auto& b : bags_) (void)b.bag->Flush();
  bags_.clear();
  (void)table_->Close();
}

bool WorkArea::Raise(const Status& status, std::string_view operation, int sub_code) {
  ErrorSite site;
  site.operation = operation;
  site.sub_code = sub_code;
  site.filename = status.file().empty() && used() ? table_->path() : status.file();
  return RaiseTableError(status, driver_ ? driver_->name : DefaultDriver().name, site);
}

bool WorkArea::RaiseBagError(const BagStatus& status, std::string_view operation, int gen_code) {
  ErrorSite site;
  site.operation = operation;
  site.gen_code = gen_code;
  site.sub_code = status.code == BagCode::kCorrupt ? subcode::kCorrupt : subcode::kIndex;
  return RaiseTableError(FromBagStatus(status), driver_ ? driver_->name : DefaultDriver().name, site);
}

void WorkArea::Reset() {
  table_.reset();
  bags_.clear();
  before_.clear();
  alias_.clear();
  driver_ = nullptr;
  controlling_ = 0;
  bof_ = eof_ = true;
  found_ = top_ = bottom_ = hot_ = appended_ = false;
  stamp_ = ++g_stamp;
}

bool WorkArea::Open(FileSystem& fs, const OpenRequest& request) {
  if (used()) Close();
  TableOpenOptions options;
  options.shared = request.shared;
  options.read_only = request.read_only;
  options.lock_scheme = request.driver->locks;
  options.memo_kind = request.driver->memo;
  std::unique_ptr<DbfTable> table;
  for (;;) {
    Status s = DbfTable::Open(fs, request.path, options, &table);
    if (s.ok()) break;
    ErrorSite site;
    site.operation = "DBUSEAREA";
    site.gen_code = s.code() == StatusCode::kIo ? EG_OPEN : 0;
    site.sub_code = s.file() == request.path || s.file().empty() ? 0 : subcode::kOpenMemo;
    site.filename = s.file().empty() ? request.path : s.file();
    site.can_retry = s.code() == StatusCode::kIo;
    if (!RaiseTableError(s, request.driver->name, site)) return false;
  }
  fs_ = &fs;
  table_ = std::move(table);
  driver_ = request.driver;
  alias_ = request.alias;
  stamp_ = ++g_stamp;
  keys_ = std::make_unique<Keys>(*this);
  records_ = std::make_unique<Records>(*this);
  // The structural index opens with its table; a table whose index file is gone opens
  // without it, as after DELDBFMDX.
  if (request.open_structural_bag && driver_->bag == BagKind::kCdx && table_->structural_index()) {
    const std::string bag_path = StructuralBagPath();
    if (fs.Exists(bag_path) && !AddBag(bag_path, true)) {
      bags_.clear();
      (void)table_->Close();
      Reset();
      return false;
    }
  }
  GoTop();
  return true;
}

void WorkArea::Close() { CloseUnplaced(nullptr); }

void WorkArea::CloseUnplaced(std::unique_ptr<PackPlacement>* later) {
  if (later) later->reset();
  if (!used()) return;
  GoCold();
  for (auto& b : bags_) {
    const BagStatus s = b.bag->Flush();
    if (!s.ok()) RaiseBagError(s, "DBCLOSEAREA");
  }
  bags_.clear();
  const Status s = later ? table_->CloseUnplaced(later) : table_->Close();
  if (!s.ok()) Raise(s, "DBCLOSEAREA");
  Reset();
}

// ---- position ----------------------------------------------------------------------------

void WorkArea::GoTo(std::uint32_t record) {
  if (!used()) return;
  GoCold();
  found_ = top_ = bottom_ = false;
  const Status s = table_->GoTo(record);
  if (!s.ok()) Raise(s, "DBGOTO", subcode::kRead);
  bof_ = eof_ = table_->at_phantom();
}

void WorkArea::GoToTagPosition(const TagPosition& position) {
  GoTo(position.eof() ? 0 : position.recno);
}

void WorkArea::GoToChecked(std::uint32_t record) {
  if (!used()) return;
  GoCold();
  found_ = top_ = bottom_ = false;
  const Status s = table_->GoToChecked(record);
  if (!s.ok()) Raise(s, "DBGOTO", subcode::kRead);
  bof_ = eof_ = table_->at_phantom();
}

bool WorkArea::IsVisible(std::uint32_t record) {
  if (!Sets().deleted) return true;
  bool deleted = false;
  if (!table_->IsDeleted(record, &deleted).ok()) return true;
  return !deleted;
}

RecordFilter WorkArea::Visible() {
  if (used()) table_->ForgetChecked();
  if (!Sets().deleted) return {};
  return [this](std::uint32_t record) { return IsVisible(record); };
}

void WorkArea::GoTop() {
  if (!used()) return;
  if (Tag* tag = ControllingTag()) {
    GoCold();
    TagPosition pos;
    const BagStatus s = tag->GoTop(pos, Visible());
    if (!s.ok()) RaiseBagError(s, "DBGOTOP");
    GoToChecked(pos.eof() ? 0 : pos.recno);
    top_ = true;
    return;
  }
  GoTo(1);
  top_ = true;
  SkipFilter(1);
}

void WorkArea::GoBottom() {
  if (!used()) return;
  if (Tag* tag = ControllingTag()) {
    GoCold();
    TagPosition pos;
    const BagStatus s = tag->GoBottom(pos, Visible());
    if (!s.ok()) RaiseBagError(s, "DBGOBOTTOM");
    GoToChecked(pos.eof() ? 0 : pos.recno);
    bottom_ = true;
    return;
  }
  GoTo(RecordCount());
  bottom_ = true;
  SkipFilter(-1);
}

// One step in record-number order; off the top the area stays on record 1 with BOF set.
void WorkArea::SkipRaw(std::int64_t count) {
  const std::uint32_t at = table_->recno();
  if (count < 0 && static_cast<std::uint64_t>(-count) >= at) {
    GoTo(1);
    bof_ = true;
    return;
  }
  const std::int64_t target = static_cast<std::int64_t>(at) + count;
  GoTo(target > 0xFFFFFFFFLL ? 0 : static_cast<std::uint32_t>(target));
}

// Leaves records SET DELETED hides, moving on in `direction`. Backwards off the top it goes
// to the first visible record (BOF), or to the end when it came from GoBottom.
void WorkArea::SkipFilter(int direction) {
  if (!Sets().deleted) return;
  const bool from_bottom = bottom_;
  while (!bof_ && !eof_ && table_->deleted()) SkipRaw(direction);
  if (bof_ && direction < 0) {
    if (from_bottom) {
      GoTo(0);
    } else {
      GoTop();
      bof_ = true;
    }
  }
}

void WorkArea::Skip(std::int64_t count) {
  if (!used()) return;
  GoCold();
  found_ = false;
  top_ = bottom_ = false;
  if (count == 0) {
    const bool bof = bof_, eof = eof_;
    const Status s = table_->GoTo(table_->recno());
    if (!s.ok()) Raise(s, "DBSKIP", subcode::kRead);
    bof_ = bof;
    eof_ = eof;
    return;
  }
  if (Tag* tag = ControllingTag()) {
    if (table_->at_phantom()) {
      if (count > 0) {
        bof_ = false;
        return;
      }
      GoBottom();
      bottom_ = false;
      if (eof_) {
        bof_ = true;
        return;
      }
      if (++count == 0) return;
    }
    TagPosition pos;
    bool off_end = false;
    const BagStatus s = tag->Skip(table_->recno(), count, pos, off_end, Visible());
    if (!s.ok()) RaiseBagError(s, "DBSKIP");
    if (off_end || pos.eof()) {
      if (count > 0) {
        GoTo(0);
        bof_ = false;
      } else {
        GoTop();
        bof_ = true;
      }
      return;
    }
    GoToChecked(pos.recno);
    return;
  }
  const int step = count > 0 ? 1 : -1;
  for (std::int64_t n = count > 0 ? count : -count; n > 0; --n) {
    SkipRaw(step);
    SkipFilter(step);
    if (bof_ || eof_) break;
  }
  if (step < 0) eof_ = false;
  else bof_ = false;
}

std::uint32_t WorkArea::RecordCount() {
  if (!used()) return 0;
  std::uint32_t count = 0;
  const Status s = table_->RecordCount(&count);
  if (!s.ok()) Raise(s, "LASTREC", subcode::kRead);
  return count;
}

// ---- fields --------------------------------------------------------------------------------

const dbf::Field* WorkArea::FieldAt(int pos) const {
  if (!used() || pos < 1 || pos > FieldCount()) return nullptr;
  return &table_->fields()[static_cast<std::size_t>(pos - 1)];
}

Value WorkArea::GetField(int pos) {
  const dbf::Field* f = FieldAt(pos);
  if (!f) return Value();
  const std::string_view rec = table_->record();
  switch (f->type) {
    case 'C': return Value::String(dbf::FieldBytes(rec, *f));
    case 'N': return NumberFromField(dbf::DecodeNumber(rec, *f), f->length, f->decimals);
    case 'D': return Value::FromDate(Date{dbf::DecodeDate(rec, *f)});
    case 'L': return Value::Logical(dbf::DecodeLogical(rec, *f));
    default: {
      std::string text;
      for (;;) {
        const Status s = table_->GetMemo(pos - 1, &text);
        if (s.ok()) break;
        ErrorSite site;
        site.operation = "FIELDGET";
        site.gen_code = s.code() == StatusCode::kIo ? EG_READ : 0;
        site.can_retry = s.code() == StatusCode::kIo;
        if (!RaiseTableError(s, driver_->name, site)) {
          text.clear();
          break;
        }
      }
      return Value::Memo(text);
    }
  }
}

bool WorkArea::AppendField(int pos, std::string& out, Value& other) {
  const dbf::Field* f = FieldAt(pos);
  if (f && f->type == 'C') {
    out.append(dbf::FieldBytes(table_->record(), *f));
    return true;
  }
  other = GetField(pos);
  return false;
}

bool WorkArea::CheckedChange(std::string_view operation, bool* ignore) {
  const Status s = table_->CheckChange(ignore);
  if (s.ok()) return true;
  Raise(s, operation);
  return false;
}

bool WorkArea::PutField(int pos, const Value& v) {
  const dbf::Field* f = FieldAt(pos);
  if (!f) return false;
  const bool type_ok = f->type == 'C' || f->type == 'M' ? v.IsString()
                       : f->type == 'N'                 ? v.IsNumber()
                       : f->type == 'D'                 ? v.IsDate()
                                                        : v.IsLogical();
  if (!type_ok) {
    Raise(Status::Error(StatusCode::kDataType, "tipo de dato no válido para el campo " + f->name), "FIELDPUT");
    return false;
  }
  bool ignore = false;
  if (!CheckedChange("FIELDPUT", &ignore)) return false;
  if (ignore) return true;
  GoHot();
  const int index = pos - 1;
  Status s;
  switch (f->type) {
    case 'C': s = table_->PutCharacter(index, v.AsString()); break;
    case 'N': s = table_->PutNumber(index, v.AsDouble()); break;
    case 'D': s = table_->PutDate(index, v.AsDate().julian); break;
    case 'L': s = table_->PutLogical(index, v.AsLogical()); break;
    default: s = table_->PutMemo(index, v.AsString()); break;
  }
  if (s.ok()) return true;
  Raise(s, "FIELDPUT");
  return false;
}

// ---- changes -------------------------------------------------------------------------------

bool WorkArea::GoHot() {
  if (hot_) return true;
  before_.assign(bags_.size(), RecordKeys());
  for (std::size_t i = 0; i < bags_.size(); ++i) {
    const BagStatus s = bags_[i].bag->CurrentKeys(before_[i]);
    if (!s.ok()) RaiseBagError(s, "FIELDPUT");
  }
  hot_ = true;
  return true;
}

bool WorkArea::GoCold() {
  if (!used() || !hot_) return true;
  hot_ = false;
  bool ok = true;
  const Status s = table_->WriteRecord();
  if (!s.ok()) {
    Raise(s, "DBCOMMIT", subcode::kWrite);
    ok = false;
  }
  for (std::size_t i = 0; i < bags_.size(); ++i) {
    const BagStatus b = bags_[i].bag->UpdateKeys(table_->recno(), appended_ || i >= before_.size() ? nullptr : &before_[i]);
    if (!b.ok()) {
      RaiseBagError(b, "DBCOMMIT");
      ok = false;
    }
  }
  appended_ = false;
  return ok;
}

bool WorkArea::Append(bool unlock_others) {
  if (!used()) return false;
  GoCold();
  for (;;) {
    const Status s = table_->Append(/*keep_locks=*/!unlock_others);
    if (s.ok()) break;
    ErrorSite site;
    site.operation = "DBAPPEND";
    site.gen_code = s.code() == StatusCode::kLocked ? EG_APPENDLOCK : 0;
    site.can_retry = s.code() == StatusCode::kLocked;
    if (!RaiseTableError(s, driver_->name, site)) return false;
  }
  before_.clear();
  hot_ = appended_ = true;
  bof_ = eof_ = found_ = top_ = bottom_ = false;
  return true;
}

bool WorkArea::Delete() {
  if (!used()) return false;
  bool ignore = false;
  if (!CheckedChange("DBDELETE", &ignore)) return false;
  if (ignore || table_->deleted()) return true;
  GoHot();
  const Status s = table_->SetDeleted(true);
  if (!s.ok()) Raise(s, "DBDELETE");
  return s.ok();
}

bool WorkArea::Recall() {
  if (!used()) return false;
  bool ignore = false;
  if (!CheckedChange("DBRECALL", &ignore)) return false;
  if (ignore || !table_->deleted()) return true;
  GoHot();
  const Status s = table_->SetDeleted(false);
  if (!s.ok()) Raise(s, "DBRECALL");
  return s.ok();
}

void WorkArea::Commit() {
  if (!used()) return;
  GoCold();
  for (auto& b : bags_) {
    const BagStatus s = b.bag->Flush();
    if (!s.ok()) RaiseBagError(s, "DBCOMMIT");
  }
  const Status s = table_->Commit(Sets().hardcommit);
  if (!s.ok()) Raise(s, "DBCOMMIT", subcode::kWrite);
}

bool WorkArea::Pack(PackDamage* damage, bool sync_aside, TagKeys* keys) {
  if (!used()) return false;
  GoCold();
  // Open bags are rebuilt at once: the packed table must be in its place first.
  const bool aside = sync_aside && bags_.empty();
  Status s;
  if (aside && keys) {
    keys->Begin(table_->known_count());
    s = table_->PackSyncingAside(damage, [keys](std::uint32_t recno) { keys->Take(recno); });
    if (s.ok()) keys->Finish(*records_, table_->known_count());
  } else {
    s = aside ? table_->PackSyncingAside(damage) : table_->Pack(damage);
  }
  if (!s.ok()) {
    Raise(s, "__DBPACK");
    if (!table_->is_open()) Reset();  // the packed file could not be opened again
    return false;
  }
  const bool rebuilt = RebuildBags();
  GoTop();
  return rebuilt;
}

bool WorkArea::Zap() {
  if (!used()) return false;
  GoCold();
  const Status s = table_->Zap();
  if (!s.ok()) {
    Raise(s, "__DBZAP");
    return false;
  }
  const bool rebuilt = RebuildBags();
  GoTop();
  return rebuilt;
}

// ---- locks ---------------------------------------------------------------------------------

bool WorkArea::LockRecord(std::uint32_t record, bool keep_others) {
  if (!used()) return false;
  GoCold();
  if (!keep_others) Unlock(0);
  if (record == 0) record = table_->recno();
  if (record > table_->known_count() && record > RecordCount()) return true;  // the phantom record
  const Status s = table_->LockRecord(record);
  if (s.ok()) return true;
  if (s.code() != StatusCode::kLocked) Raise(s, "DBRLOCK");
  return false;
}

bool WorkArea::LockFile() {
  if (!used()) return false;
  GoCold();
  const Status s = table_->LockFile();
  if (s.ok()) return true;
  if (s.code() != StatusCode::kLocked) Raise(s, "FLOCK");
  return false;
}

void WorkArea::Unlock(std::uint32_t record) {
  if (!used()) return;
  GoCold();
  const Status s = record == 0 ? table_->UnlockAll() : table_->UnlockRecord(record);
  if (!s.ok()) Raise(s, "DBUNLOCK");
}

std::vector<std::uint32_t> WorkArea::LockList() const {
  return used() ? table_->LockedRecords() : std::vector<std::uint32_t>();
}

// ---- orders --------------------------------------------------------------------------------

int WorkArea::OrderCount() const {
  int n = 0;
  for (const auto& b : bags_) n += b.bag->TagCount();
  return n;
}

Tag* WorkArea::OrderAt(int order, OrderBag** bag) const {
  if (order < 1) return nullptr;
  for (const auto& b : bags_) {
    if (order <= b.bag->TagCount()) {
      if (bag) *bag = b.bag.get();
      return b.bag->TagAt(order - 1);
    }
    order -= b.bag->TagCount();
  }
  return nullptr;
}

ExpressionCompiler& WorkArea::key_compiler() { return *keys_; }
RecordSource& WorkArea::record_source() { return *records_; }

BagOptions WorkArea::bag_options() const {
  BagOptions o;
  o.shared = table_->shared();
  o.read_only = table_->read_only();
  return o;
}

std::string WorkArea::StructuralBagPath() const {
  return used() ? PathWithExtension(table_->path(), driver_->bag_extension) : std::string();
}

OrderBag* WorkArea::StructuralBag() const {
  for (const auto& b : bags_)
    if (b.structural) return b.bag.get();
  return nullptr;
}

bool WorkArea::AddBag(const std::string& path, bool structural) {
  if (!used()) return false;
  OpenOptions options;
  options.access = table_->read_only() ? Access::kRead : Access::kReadWrite;
  options.share = table_->shared() ? Share::kShared : Share::kExclusive;
  std::unique_ptr<File> file;
  for (;;) {
    const Status s = fs_->Open(path, options, &file);
    if (s.ok()) break;
    ErrorSite site;
    site.operation = "ORDLISTADD";
    site.gen_code = EG_OPEN;
    site.sub_code = subcode::kOpenIndex;
    site.filename = path;
    site.can_retry = true;
    if (!RaiseTableError(s, driver_->name, site)) return false;
  }
  std::unique_ptr<OrderBag> bag;
  const BagStatus s = driver_->bag == BagKind::kCdx
                          ? OpenCdx(MakeBagFile(std::move(file)), *keys_, bag_options(), bag)
                          : OpenNtx(MakeBagFile(std::move(file)), *keys_, bag_options(), bag);
  if (!s.ok()) {
    RaiseBagError(s, "ORDLISTADD", s.code == BagCode::kCorrupt ? EG_CORRUPTION : EG_OPEN);
    return false;
  }
  bags_.push_back({std::move(bag), path, structural});
  return true;
}

bool WorkArea::CreateBag(const std::string& path, bool structural) {
  if (!used()) return false;
  GoCold();
  // A bag of that file that is open goes first, so the file can be replaced.
  for (std::size_t i = 0; i < bags_.size(); ++i) {
    if (bags_[i].path != path) continue;
    bags_.erase(bags_.begin() + static_cast<std::ptrdiff_t>(i));
    controlling_ = 0;
    break;
  }
  OpenOptions options;
  options.share = table_->shared() ? Share::kShared : Share::kExclusive;
  options.create = true;
  options.truncate = true;
  // Built on the records of a pack not yet in place: beside its own name until the table is.
  const bool aside = structural && table_->pack_pending();
  const std::string file_path = aside ? PathWithExtension(path, ".cd$") : path;
  std::unique_ptr<File> file;
  for (;;) {
    const Status s = fs_->Open(file_path, options, &file);
    if (s.ok()) break;
    ErrorSite site;
    site.operation = "ORDCREATE";
    site.gen_code = EG_CREATE;
    site.sub_code = subcode::kCreateIndex;
    site.filename = path;
    site.can_retry = true;
    if (!RaiseTableError(s, driver_->name, site)) return false;
  }
  std::unique_ptr<OrderBag> bag;
  const BagStatus s = driver_->bag == BagKind::kCdx
                          ? CreateCdx(MakeBagFile(std::move(file)), *keys_, bag_options(), bag)
                          : CreateNtx(MakeBagFile(std::move(file)), *keys_, bag_options(), bag);
  if (!s.ok()) {
    RaiseBagError(s, "ORDCREATE", EG_CREATE);
    return false;
  }
  if (aside) table_->FollowPack(file_path, path);
  bags_.push_back({std::move(bag), path, structural, aside});
  if (structural && !table_->structural_index()) {
    const Status flag = table_->SetStructuralIndex(true);
    if (!flag.ok()) Raise(flag, "ORDCREATE", subcode::kWrite);
  }
  return true;
}

void WorkArea::CloseBags() {
  GoCold();
  std::vector<OpenBag> kept;
  for (auto& b : bags_)
    if (b.structural) kept.push_back(std::move(b));
  bags_ = std::move(kept);
  controlling_ = 0;
}

bool WorkArea::RebuildBags() {
  if (!used()) return false;
  GoCold();
  bool ok = true;
  for (auto& b : bags_) {
    const BagStatus s = b.bag->Rebuild(*records_);
    if (!s.ok()) {
      RaiseBagError(s, "ORDLISTREBUILD");
      ok = false;
    }
  }
  return ok;
}

}  // namespace xb::rdd
