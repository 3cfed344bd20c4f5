#include "runtime/rdd/dbf_table.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <functional>
#include <utility>

#include "runtime/rdd/spare_buffers.h"
#include "runtime/rdd/work_threads.h"

namespace xb::rdd {
namespace {

constexpr std::size_t kWindowBytes = 128 * 1024;
constexpr std::size_t kPackChunkBytes = 1024 * 1024;

Status Corrupt(const std::string& what) { return Status::Error(StatusCode::kCorrupt, what); }

OpenOptions FileOptions(const TableOpenOptions& o) {
  OpenOptions f;
  f.access = o.read_only ? Access::kRead : Access::kReadWrite;
  f.share = o.shared ? Share::kShared : Share::kExclusive;
  return f;
}

// Syncs run one after another on a thread kept for them, so a pack can go on reading while its
// file is made durable; a packed table takes its place there too, after its sync.
std::future<Status> SyncAside(std::function<Status()> sync) {
  static AsideQueue* const queue = new AsideQueue;  // never freed: its thread waits on it for good
  return queue->Add(std::move(sync));
}

void StampToday(dbf::Header* h) {
  dbf::CivilDate(Today(), &h->year, &h->month, &h->day);
}

// Removes those of `paths` that exist; the first that cannot be removed is told.
Status RemoveExisting(FileSystem& fs, const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    if (!fs.Exists(path)) continue;
    Status s = fs.Remove(path);
    if (!s.ok()) return std::move(s).InFile(path);
  }
  return Status();
}

}  // namespace

std::int32_t Today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#if defined(_WIN32)
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return dbf::DayNumber(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

DbfTable::DbfTable(FileSystem& fs, std::string path, TableOpenOptions options)
    : fs_(fs), path_(std::move(path)), options_(options) {}

DbfTable::~DbfTable() {
  if (file_) (void)Close();
}

Status DbfTable::Create(FileSystem& fs, const std::string& path,
                        const std::vector<dbf::FieldSpec>& specs, dbf::MemoKind memo_kind) {
  dbf::Header header;
  std::vector<dbf::Field> fields;
  XB_RETURN_IF_ERROR(dbf::Layout(specs, memo_kind, &header, &fields));
  StampToday(&header);
  std::unique_ptr<File> file;
  OpenOptions options;
  options.create = true;
  options.truncate = true;
  XB_RETURN_IF_ERROR(fs.Open(path, options, &file).InFile(path));
  std::string bytes = dbf::EncodeHeaderArea(header, fields);
  bytes.push_back(dbf::kEndOfFile);
  XB_RETURN_IF_ERROR(file->Write(0, bytes.data(), bytes.size()).InFile(path));
  if (header.memo_kind() != dbf::MemoKind::kNone) {
    const std::string memo_path = PathWithExtension(path, MemoExtension(memo_kind));
    std::unique_ptr<MemoFile> memo;
    XB_RETURN_IF_ERROR(CreateMemoFile(fs, memo_path, memo_kind, &memo).InFile(memo_path));
    XB_RETURN_IF_ERROR(memo->Flush().InFile(memo_path));
  }
  return Status();
}

Status DbfTable::Open(FileSystem& fs, const std::string& path, const TableOpenOptions& options,
                      std::unique_ptr<DbfTable>* table) {
  std::unique_ptr<DbfTable> t(new DbfTable(fs, path, options));
  XB_RETURN_IF_ERROR(fs.Open(path, FileOptions(options), &t->file_).InFile(path));
  XB_RETURN_IF_ERROR(t->Load().InFile(path));
  for (const auto& f : t->fields_) {
    if (f.type != 'M') continue;
    const std::string memo_path = PathWithExtension(path, MemoExtension(options.memo_kind));
    XB_RETURN_IF_ERROR(OpenMemoFile(fs, memo_path, options.memo_kind, FileOptions(options), &t->memo_)
                           .WithContext(PathName(memo_path))
                           .InFile(memo_path));
    break;
  }
  XB_RETURN_IF_ERROR(t->GoTo(1));
  *table = std::move(t);
  return Status();
}

// Reads and checks the header; the record count is cut to the records the file holds.
Status DbfTable::Load() {
  std::string head(dbf::kHeaderSize, '\0');
  XB_RETURN_IF_ERROR(file_->ReadExact(0, head.data(), head.size()).WithContext("cabecera"));
  XB_RETURN_IF_ERROR(dbf::DecodeHeader(head, &header_));
  std::string area(header_.header_length, '\0');
  XB_RETURN_IF_ERROR(file_->ReadExact(0, area.data(), area.size()).WithContext("cabecera"));
  XB_RETURN_IF_ERROR(dbf::DecodeFields(area, header_, &fields_));
  blank_.assign(header_.record_length, ' ');
  std::uint32_t count = 0;
  XB_RETURN_IF_ERROR(ReadCountFromFile(&count));
  count_ = count;
  window_capacity_ = options_.shared ? 1u
                                     : static_cast<std::uint32_t>(std::max<std::size_t>(1, kWindowBytes / header_.record_length));
  window_.clear();
  window_dirty_.clear();
  window_count_ = 0;
  return Status();
}

Status DbfTable::ReadCountFromFile(std::uint32_t* count) {
  std::uint64_t size = 0;
  XB_RETURN_IF_ERROR(file_->Size(&size));
  if (size < header_.header_length) return Corrupt("el fichero es más corto que su cabecera");
  char raw[4];
  XB_RETURN_IF_ERROR(file_->ReadExact(4, raw, sizeof raw));
  const std::uint32_t stated = static_cast<std::uint32_t>(static_cast<unsigned char>(raw[0])) |
                               static_cast<std::uint32_t>(static_cast<unsigned char>(raw[1])) << 8 |
                               static_cast<std::uint32_t>(static_cast<unsigned char>(raw[2])) << 16 |
                               static_cast<std::uint32_t>(static_cast<unsigned char>(raw[3])) << 24;
  const std::uint64_t held = (size - header_.header_length) / header_.record_length;
  *count = static_cast<std::uint32_t>(std::min<std::uint64_t>(stated, held));
  return Status();
}

int DbfTable::FieldIndex(std::string_view name) const {
  std::string upper(name);
  while (!upper.empty() && upper.back() == ' ') upper.pop_back();
  while (!upper.empty() && upper.front() == ' ') upper.erase(upper.begin());
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  for (std::size_t i = 0; i < fields_.size(); ++i)
    if (fields_[i].name == upper) return static_cast<int>(i);
  return -1;
}

Status DbfTable::RecordCount(std::uint32_t* count) {
  if (options_.shared && !file_locked_) {
    std::uint32_t n = 0;
    XB_RETURN_IF_ERROR(ReadCountFromFile(&n));
    count_ = std::max(count_, n);
  }
  *count = count_;
  return Status();
}

char* DbfTable::MutableRecord() {
  const std::size_t index = recno_ - window_first_;
  window_dirty_[index] = 1;
  hot_ = true;
  header_changed_ = true;
  return window_.data() + index * header_.record_length;
}

Status DbfTable::GoTo(std::uint32_t record) {
  XB_RETURN_IF_ERROR(WriteRecord());
  if (options_.shared && record > count_ && !file_locked_) {
    std::uint32_t n = 0;
    XB_RETURN_IF_ERROR(ReadCountFromFile(&n));
    count_ = std::max(count_, n);
  }
  if (record == 0 || record > count_) {
    phantom_ = true;
    recno_ = count_ + 1;
    return Status();
  }
  const bool cached = !options_.shared && record >= window_first_ && record < window_first_ + window_count_;
  if (!cached) {
    Status s = LoadWindow(record);
    if (!s.ok()) {
      // Nothing sound to stand on: the phantom record.
      phantom_ = true;
      recno_ = count_ + 1;
      return s;
    }
  }
  phantom_ = false;
  recno_ = record;
  return Status();
}

Status DbfTable::GoToChecked(std::uint32_t record) {
  const std::uint32_t checked = std::exchange(checked_recno_, 0);
  // A walk along the window reads a whole window (LoadWindow).
  const bool walk = !options_.shared && window_count_ > 0 &&
                    (record == window_first_ + window_count_ || record + 1 == window_first_);
  const bool cached = !options_.shared && record >= window_first_ && record < window_first_ + window_count_;
  if (checked == 0 || record != checked || record > count_ || walk || cached) return GoTo(record);
  XB_RETURN_IF_ERROR(WriteRecord());
  XB_RETURN_IF_ERROR(FlushWindow());
  window_.swap(checked_);
  window_first_ = record;
  window_count_ = static_cast<std::uint32_t>(window_.size() / header_.record_length);
  window_dirty_.assign(window_count_, 0);
  phantom_ = false;
  recno_ = record;
  return Status();
}

// Reads records around `record` into the window: a whole window when the table is being
// walked (the record follows the window, or precedes it when walking backwards), a few
// kilobytes when it is reached at random (by an index), so a seek reads little.
Status DbfTable::LoadWindow(std::uint32_t record) {
  XB_RETURN_IF_ERROR(FlushWindow());
  const std::size_t rl = header_.record_length;
  std::uint32_t first = record;
  std::uint32_t want = static_cast<std::uint32_t>(std::max<std::size_t>(1, 4096 / rl));
  if (window_count_ > 0 && record == window_first_ + window_count_) {
    want = window_capacity_;
  } else if (window_count_ > 0 && record + 1 == window_first_) {
    want = window_capacity_;
    first = record >= want ? record - want + 1 : 1;
  }
  want = std::min(want, window_capacity_);
  std::uint32_t n = std::min<std::uint32_t>(want, count_ - first + 1);
  window_.resize(n * rl);
  std::size_t got = 0;
  XB_RETURN_IF_ERROR(file_->Read(header_.header_length + static_cast<std::uint64_t>(first - 1) * rl,
                                 window_.data(), window_.size(), &got));
  n = static_cast<std::uint32_t>(got / rl);
  if (first + n <= record) {
    window_count_ = 0;
    return Corrupt("no se puede leer el registro " + std::to_string(record));
  }
  window_.resize(n * rl);
  window_first_ = first;
  window_count_ = n;
  window_dirty_.assign(n, 0);
  return Status();
}

// Writes the changed records of the window in runs; the run that ends at the last record
// carries the end-of-file mark with it.
Status DbfTable::FlushWindow() {
  const std::size_t rl = header_.record_length;
  // Memos first: a record on disk never points past its memo file's data.
  if (memo_ && !options_.shared && std::find(window_dirty_.begin(), window_dirty_.end(), 1) != window_dirty_.end())
    XB_RETURN_IF_ERROR(memo_->Flush());
  std::uint32_t i = 0;
  while (i < window_count_) {
    if (!window_dirty_[i]) {
      ++i;
      continue;
    }
    std::uint32_t j = i;
    while (j < window_count_ && window_dirty_[j]) ++j;
    const std::uint32_t first = window_first_ + i;
    // Shared tables never write the mark here: another process may have appended since.
    const bool last = !options_.shared && first + (j - i) - 1 == count_;
    std::string bytes = window_.substr(i * rl, (j - i) * rl);
    if (last) bytes.push_back(dbf::kEndOfFile);
    XB_RETURN_IF_ERROR(file_->Write(header_.header_length + static_cast<std::uint64_t>(first - 1) * rl,
                                    bytes.data(), bytes.size()));
    std::fill(window_dirty_.begin() + i, window_dirty_.begin() + j, 0);
    i = j;
  }
  return Status();
}

Status DbfTable::WriteRecord() {
  if (!hot_) return Status();
  hot_ = false;
  if (!options_.shared) return Status();  // the window writes it
  return FlushWindow();
}

Status DbfTable::WriteHeader() {
  header_.record_count = count_;
  StampToday(&header_);
  const std::string bytes = dbf::EncodeHeader(header_);
  XB_RETURN_IF_ERROR(file_->Write(0, bytes.data(), bytes.size()));
  header_changed_ = false;
  return Status();
}

// Other processes append to a shared table, so the count written is the one the file
// holds, under the header lock.
Status DbfTable::WriteSharedHeader() {
  const TableLockLayout layout = lock_layout();
  XB_RETURN_IF_ERROR(LockWaiting(*file_, layout.Header(), kShortLockWait));
  std::uint64_t size = 0;
  Status s = file_->Size(&size);
  if (s.ok()) {
    count_ = static_cast<std::uint32_t>((size - header_.header_length) / header_.record_length);
    s = WriteHeader();
  }
  Status u = file_->Unlock(layout.Header().offset, layout.Header().length);
  return s.ok() ? u : s;
}

Status DbfTable::Commit(bool durable) {
  XB_RETURN_IF_ERROR(Settle());
  XB_RETURN_IF_ERROR(WriteRecord());
  XB_RETURN_IF_ERROR(FlushWindow());
  if (header_changed_ && !options_.read_only)
    XB_RETURN_IF_ERROR(options_.shared ? WriteSharedHeader() : WriteHeader());
  if (memo_) XB_RETURN_IF_ERROR(memo_->Flush());
  if (durable && !options_.read_only) {
    XB_RETURN_IF_ERROR(file_->Sync());
    if (memo_) XB_RETURN_IF_ERROR(memo_->Sync());
  }
  return Status();
}

Status DbfTable::Close() {
  if (!file_) return Status();
  Status first;
  auto keep = [&first](Status s) {
    if (first.ok() && !s.ok()) first = std::move(s);
  };
  keep(Settle());
  if (!file_) {
    memo_.reset();
    if (!followers_.empty()) keep(SettleFollowers(followers_placed_));
    return first;
  }
  if (!options_.read_only) {
    keep(WriteRecord());
    keep(FlushWindow());
    if (header_changed_) keep(options_.shared ? WriteSharedHeader() : WriteHeader());
    if (memo_) keep(memo_->Flush());
  }
  keep(UnlockAll());
  memo_.reset();
  file_.reset();
  if (!followers_.empty()) keep(SettleFollowers(followers_placed_));
  return first;
}

Status DbfTable::CheckChange(bool* ignore) {
  *ignore = false;
  XB_RETURN_IF_ERROR(Settle());
  if (options_.read_only) return Status::Error(StatusCode::kReadOnly, "tabla abierta sólo para lectura");
  if (phantom_) {
    *ignore = true;
    return Status();
  }
  if (options_.shared && !file_locked_ && !locks_.count(recno_))
    return Status::Error(StatusCode::kUnlocked, "el registro " + std::to_string(recno_) + " no está bloqueado");
  return Status();
}

static Status WrongType(const dbf::Field& f) {
  return Status::Error(StatusCode::kDataType, "tipo de dato no válido para el campo " + f.name);
}

Status DbfTable::PutCharacter(int field, std::string_view text) {
  const dbf::Field& f = fields_.at(static_cast<std::size_t>(field));
  if (f.type != 'C') return WrongType(f);
  bool ignore;
  XB_RETURN_IF_ERROR(CheckChange(&ignore));
  if (!ignore) dbf::EncodeCharacter(MutableRecord(), f, text);
  return Status();
}

Status DbfTable::PutNumber(int field, double value) {
  const dbf::Field& f = fields_.at(static_cast<std::size_t>(field));
  if (f.type != 'N') return WrongType(f);
  bool ignore;
  XB_RETURN_IF_ERROR(CheckChange(&ignore));
  if (ignore) return Status();
  return dbf::EncodeNumber(MutableRecord(), f, value);
}

Status DbfTable::PutDate(int field, std::int32_t day_number) {
  const dbf::Field& f = fields_.at(static_cast<std::size_t>(field));
  if (f.type != 'D') return WrongType(f);
  bool ignore;
  XB_RETURN_IF_ERROR(CheckChange(&ignore));
  if (!ignore) dbf::EncodeDate(MutableRecord(), f, day_number);
  return Status();
}

Status DbfTable::PutLogical(int field, bool value) {
  const dbf::Field& f = fields_.at(static_cast<std::size_t>(field));
  if (f.type != 'L') return WrongType(f);
  bool ignore;
  XB_RETURN_IF_ERROR(CheckChange(&ignore));
  if (!ignore) dbf::EncodeLogical(MutableRecord(), f, value);
  return Status();
}

Status DbfTable::PutMemo(int field, std::string_view text) {
  const dbf::Field& f = fields_.at(static_cast<std::size_t>(field));
  if (f.type != 'M' || !memo_) return WrongType(f);
  bool ignore;
  XB_RETURN_IF_ERROR(CheckChange(&ignore));
  if (ignore) return Status();
  const std::uint32_t old_block = dbf::DecodeMemoBlock(record(), f);
  std::uint32_t block = 0;
  XB_RETURN_IF_ERROR(memo_->Write(old_block, text, &block));
  dbf::EncodeMemoBlock(MutableRecord(), f, block);
  return Status();
}

Status DbfTable::SetDeleted(bool deleted) {
  bool ignore;
  XB_RETURN_IF_ERROR(CheckChange(&ignore));
  if (!ignore) MutableRecord()[0] = deleted ? dbf::kDeleted : dbf::kLive;
  return Status();
}

Status DbfTable::PutRecord(std::string_view bytes) {
  if (bytes.size() != header_.record_length)
    return Status::Error(StatusCode::kInvalid, "longitud de registro distinta");
  bool ignore;
  XB_RETURN_IF_ERROR(CheckChange(&ignore));
  if (!ignore) std::memcpy(MutableRecord(), bytes.data(), bytes.size());
  return Status();
}

Status DbfTable::GetMemo(int field, std::string* text) {
  const dbf::Field& f = fields_.at(static_cast<std::size_t>(field));
  text->clear();
  if (f.type != 'M' || !memo_) return WrongType(f);
  const std::uint32_t block = dbf::DecodeMemoBlock(record(), f);
  if (block == 0) return Status();
  return memo_->Read(block, text);
}

Status DbfTable::IsDeleted(std::uint32_t record, bool* deleted) {
  *deleted = false;
  if (!phantom_ && record == recno_) {
    *deleted = this->deleted();
    return Status();
  }
  if (record == 0 || record > count_) return Status();
  if (!options_.shared && record >= window_first_ && record < window_first_ + window_count_) {
    *deleted = window_[(record - window_first_) * header_.record_length] == dbf::kDeleted;
    return Status();
  }
  const std::size_t rl = header_.record_length;
  const std::uint64_t at = header_.header_length + static_cast<std::uint64_t>(record - 1) * rl;
  checked_recno_ = 0;
  if (options_.shared || std::find(window_dirty_.begin(), window_dirty_.end(), 1) == window_dirty_.end()) {
    // What GoTo would read for it (the record, or a few kilobytes from it): the move that
    // usually follows takes it (GoToChecked).
    const std::uint32_t want = std::min({static_cast<std::uint32_t>(std::max<std::size_t>(1, 4096 / rl)),
                                         window_capacity_, count_ - record + 1});
    checked_.resize(want * rl);
    std::size_t got = 0;
    XB_RETURN_IF_ERROR(file_->Read(at, checked_.data(), checked_.size(), &got));
    if (got >= rl) {
      checked_.resize(got / rl * rl);
      checked_recno_ = record;
      *deleted = checked_[0] == dbf::kDeleted;
      return Status();
    }
  }
  char flag = dbf::kLive;
  XB_RETURN_IF_ERROR(file_->ReadExact(at, &flag, 1));
  *deleted = flag == dbf::kDeleted;
  return Status();
}

Status DbfTable::Append(bool keep_locks) {
  if (options_.read_only) return Status::Error(StatusCode::kReadOnly, "tabla abierta sólo para lectura");
  XB_RETURN_IF_ERROR(Settle());
  XB_RETURN_IF_ERROR(WriteRecord());
  if (count_ == 0xFFFFFFFEu) return Status::Error(StatusCode::kDataWidth, "la tabla está llena");
  return options_.shared ? AppendShared(keep_locks) : AppendExclusive();
}

Status DbfTable::AppendExclusive() {
  const bool contiguous = window_count_ > 0 && window_first_ + window_count_ == count_ + 1 &&
                          window_count_ < window_capacity_;
  if (!contiguous) {
    XB_RETURN_IF_ERROR(FlushWindow());
    window_.clear();
    window_dirty_.clear();
    window_first_ = count_ + 1;
    window_count_ = 0;
  }
  window_ += blank_;
  window_dirty_.push_back(1);
  ++window_count_;
  ++count_;
  recno_ = count_;
  phantom_ = false;
  header_changed_ = true;
  return Status();
}

Status DbfTable::AppendShared(bool keep_locks) {
  if (!keep_locks && !file_locked_) {
    for (std::uint32_t r : std::vector<std::uint32_t>(locks_.begin(), locks_.end()))
      XB_RETURN_IF_ERROR(UnlockRecord(r));
  }
  const TableLockLayout layout = lock_layout();
  Status s = LockWaiting(*file_, layout.Header(), kShortLockWait);
  if (!s.ok()) {
    if (s.code() == StatusCode::kLocked)
      return Status::Error(StatusCode::kLocked, "no se pudo bloquear la tabla para añadir un registro");
    return s;
  }
  auto body = [&]() -> Status {
    std::uint64_t size = 0;
    XB_RETURN_IF_ERROR(file_->Size(&size));
    const std::uint64_t held = (size - header_.header_length) / header_.record_length;
    if (held >= 0xFFFFFFFEu) return Status::Error(StatusCode::kDataWidth, "la tabla está llena");
    const std::uint32_t record = static_cast<std::uint32_t>(held) + 1;
    if (!file_locked_) XB_RETURN_IF_ERROR(LockRecord(record));
    std::string bytes = blank_;
    bytes.push_back(dbf::kEndOfFile);
    XB_RETURN_IF_ERROR(file_->Write(header_.header_length + static_cast<std::uint64_t>(record - 1) * header_.record_length,
                                    bytes.data(), bytes.size()));
    count_ = record;
    XB_RETURN_IF_ERROR(WriteHeader());
    window_ = blank_;
    window_first_ = record;
    window_count_ = 1;
    window_dirty_.assign(1, 0);
    recno_ = record;
    phantom_ = false;
    return Status();
  };
  s = body();
  Status u = file_->Unlock(layout.Header().offset, layout.Header().length);
  return s.ok() ? u : s;
}

TableLockLayout DbfTable::lock_layout() const {
  TableLockLayout l;
  l.scheme = options_.lock_scheme;
  l.structural_index = header_.structural_index();
  l.header_length = header_.header_length;
  l.record_length = header_.record_length;
  return l;
}

Status DbfTable::LockRecord(std::uint32_t record) {
  if (!options_.shared || file_locked_ || locks_.count(record)) return Status();
  if (record == 0) return Status::Error(StatusCode::kInvalid, "número de registro no válido");
  const LockRange range = lock_layout().Record(record);
  XB_RETURN_IF_ERROR(file_->Lock(range.offset, range.length));
  locks_.insert(record);
  // The copy read before the lock may be stale: another process may have changed the record
  // since. Read it again now that nobody else can, or its changes would be written over.
  if (record == recno_ && !phantom_ && !hot_) return GoTo(record);
  return Status();
}

Status DbfTable::UnlockRecord(std::uint32_t record) {
  if (!options_.shared || !locks_.count(record)) return Status();
  if (record == recno_) XB_RETURN_IF_ERROR(WriteRecord());
  const LockRange range = lock_layout().Record(record);
  locks_.erase(record);
  return file_->Unlock(range.offset, range.length);
}

Status DbfTable::LockFile() {
  if (!options_.shared || file_locked_) return Status();
  XB_RETURN_IF_ERROR(UnlockAll());
  const LockRange range = lock_layout().File();
  XB_RETURN_IF_ERROR(file_->Lock(range.offset, range.length));
  file_locked_ = true;
  // Records appended by others before the lock count; none can be appended under it.
  std::uint32_t n = 0;
  XB_RETURN_IF_ERROR(ReadCountFromFile(&n));
  count_ = std::max(count_, n);
  if (!phantom_ && !hot_) return GoTo(recno_);  // as for a record lock
  return Status();
}

Status DbfTable::UnlockAll() {
  if (!options_.shared) return Status();
  Status first = WriteRecord();
  if (file_locked_) {
    const LockRange range = lock_layout().File();
    Status s = file_->Unlock(range.offset, range.length);
    if (first.ok()) first = std::move(s);
    file_locked_ = false;
  }
  for (std::uint32_t r : locks_) {
    const LockRange range = lock_layout().Record(r);
    Status s = file_->Unlock(range.offset, range.length);
    if (first.ok()) first = std::move(s);
  }
  locks_.clear();
  return first;
}

bool DbfTable::IsRecordLocked(std::uint32_t record) const {
  return !options_.shared || file_locked_ || locks_.count(record) != 0;
}

std::vector<std::uint32_t> DbfTable::LockedRecords() const {
  return std::vector<std::uint32_t>(locks_.begin(), locks_.end());
}

Status DbfTable::LostMemos(const MemoCheck& memos, char* record, bool clear, std::uint32_t* lost) {
  for (const dbf::Field* f : memos.fields) {
    const std::uint32_t block = dbf::DecodeMemoBlock(std::string_view(record, header_.record_length), *f);
    if (block == 0) continue;
    bool whole = static_cast<std::uint64_t>(block) * memo_->block_size() < memos.size;
    if (whole && memos.cut) XB_RETURN_IF_ERROR(memo_->WholeWithin(block, memos.size, &whole));
    if (whole) continue;
    if (clear) dbf::EncodeMemoBlock(record, *f, 0);
    ++*lost;
  }
  return Status();
}

// Whether a pack would change the file: a deleted record, a header or an end of file that
// is not as a pack writes it, a memo pointer to a memo the memo file does not hold whole.
// Reads the records in chunks of `buffer`.
Status DbfTable::PackHasWork(std::string& buffer, const MemoCheck& memos, bool* work, const RecordShown& shown,
                             std::uint32_t* told, bool* first_read) {
  *work = true;
  *told = 0;
  *first_read = false;
  if (header_changed_ || header_.record_count != count_) return Status();
  std::uint64_t size = 0;
  XB_RETURN_IF_ERROR(file_->Size(&size));
  const std::size_t rl = header_.record_length;
  const std::uint64_t end = header_.header_length + std::uint64_t(count_) * rl;
  if (size != end + 1) return Status();
  const std::uint32_t chunk = static_cast<std::uint32_t>((buffer.size() - 1) / rl);
  for (std::uint32_t r = 1; r <= count_;) {
    const std::uint32_t n = std::min<std::uint32_t>(count_ - r + 1, chunk);
    XB_RETURN_IF_ERROR(file_->ReadExact(header_.header_length + static_cast<std::uint64_t>(r - 1) * rl, buffer.data(), n * rl));
    *first_read = r == 1;
    for (std::uint32_t i = 0; i < n; ++i) {
      if (buffer[i * rl] == dbf::kDeleted) return Status();
      std::uint32_t lost = 0;
      if (!memos.fields.empty()) XB_RETURN_IF_ERROR(LostMemos(memos, buffer.data() + i * rl, false, &lost));
      if (lost) return Status();
      if (shown) Show(shown, buffer.data() + i * rl, r + i);
      *told = r + i;
    }
    r += n;
  }
  *first_read = false;
  char eof = 0;
  XB_RETURN_IF_ERROR(file_->ReadExact(end, &eof, 1));
  *work = eof != dbf::kEndOfFile;
  return Status();
}

void DbfTable::Show(const RecordShown& shown, const char* bytes, std::uint32_t recno) {
  shown_ = bytes;
  recno_ = recno;
  phantom_ = false;
  shown(recno);
}

Status DbfTable::Pack(PackDamage* damage) { return PackTable(false, damage, {}); }

Status DbfTable::PackSyncingAside(PackDamage* damage, const RecordShown& shown) {
  return PackTable(true, damage, shown);
}

Status DbfTable::PackTable(bool aside, PackDamage* damage, const RecordShown& shown) {
  if (options_.read_only) return Status::Error(StatusCode::kReadOnly, "tabla abierta sólo para lectura");
  if (options_.shared) return Status::Error(StatusCode::kShared, "compactar necesita uso exclusivo");
  XB_RETURN_IF_ERROR(Settle());
  XB_RETURN_IF_ERROR(WriteRecord());
  XB_RETURN_IF_ERROR(FlushWindow());
  PackDamage found;
  found.stated_records = header_.record_count;
  found.missing_records = missing_records();

  // Memo pointers are checked against the memo file's size; in a file cut short of its
  // data, each memo is read for its length too.
  MemoCheck memos;
  if (memo_) {
    for (const dbf::Field& f : fields_)
      if (f.type == 'M') memos.fields.push_back(&f);
    std::uint64_t stated_end = 0;
    if (!memos.fields.empty()) XB_RETURN_IF_ERROR(memo_->Extent(&memos.size, &stated_end));
    memos.cut = stated_end > memos.size;
  }

  // One buffer, sized to the table, for the records read and the live ones written.
  const std::size_t rl = header_.record_length;
  const std::size_t chunk_bytes = std::max<std::size_t>(
      rl, static_cast<std::size_t>(std::min<std::uint64_t>(std::uint64_t(count_) * rl, kPackChunkBytes)) / rl * rl);
  std::string buffer = TakeSpare<std::string>(chunk_bytes + 1);
  buffer.resize(chunk_bytes + 1);
  Status s = PackWith(buffer, memos, aside, &found, shown);
  if (shown_ || (shown && !s.ok())) {
    // The records shown lay in the buffer: back to one of the table's own.
    shown_ = nullptr;
    if (is_open()) (void)GoTo(1);
  }
  GiveBack(std::move(buffer));
  if (s.ok() && damage) *damage = found;
  return s;
}

Status DbfTable::PackWith(std::string& buffer, const MemoCheck& memos, bool aside, PackDamage* found,
                          const RecordShown& shown) {
  bool work = true;
  std::uint32_t told = 0;
  bool first_read = false;
  XB_RETURN_IF_ERROR(PackHasWork(buffer, memos, &work, shown, &told, &first_read));
  shown_ = nullptr;
  if (!work) return GoTo(1);
  const std::size_t rl = header_.record_length;
  const std::size_t chunk_bytes = (buffer.size() - 1) / rl * rl;

  const std::string temp = PathWithExtension(path_, ".pk$");
  std::unique_ptr<File> out;
  OpenOptions create;
  create.create = true;
  create.truncate = true;
  XB_RETURN_IF_ERROR(fs_.Open(temp, create, &out).WithContext(PathName(temp)));

  auto copy = [&]() -> Status {
    dbf::Header packed = header_;
    StampToday(&packed);
    std::string area(header_.header_length, '\0');
    XB_RETURN_IF_ERROR(file_->ReadExact(0, area.data(), area.size()));
    std::uint64_t at = header_.header_length;
    std::uint32_t live = 0;
    const std::uint32_t chunk = static_cast<std::uint32_t>(chunk_bytes / rl);
    std::uint32_t r = 1;
    do {
      const std::uint32_t n = std::min<std::uint32_t>(count_ - r + 1, chunk);
      // The first chunk may still be in the buffer, as the check read it.
      if (r > 1 || !first_read)
        XB_RETURN_IF_ERROR(file_->ReadExact(header_.header_length + static_cast<std::uint64_t>(r - 1) * rl, buffer.data(), n * rl));
      // The live records move down over the deleted ones, within the buffer.
      std::size_t kept = 0;
      for (std::uint32_t i = 0; i < n; ++i) {
        if (buffer[i * rl] == dbf::kDeleted) continue;
        if (kept != i * rl) std::memmove(buffer.data() + kept, buffer.data() + i * rl, rl);
        // The first records were checked already, their memos found whole, and shown.
        if (!memos.fields.empty() && live >= told)
          XB_RETURN_IF_ERROR(LostMemos(memos, buffer.data() + kept, true, &found->memo_pointers_cleared));
        ++live;
        if (shown && live > told) Show(shown, buffer.data() + kept, live);
        kept += rl;
      }
      r += n;
      if (r > count_) buffer[kept++] = dbf::kEndOfFile;
      if (kept) XB_RETURN_IF_ERROR(out->Write(at, buffer.data(), kept));
      at += kept;
    } while (r <= count_);
    packed.record_count = live;
    const std::string head = dbf::EncodeHeader(packed);
    std::memcpy(area.data(), head.data(), head.size());
    XB_RETURN_IF_ERROR(out->Write(0, area.data(), area.size()));
    return aside ? Status() : out->Sync();
  };
  Status s = copy();
  shown_ = nullptr;
  if (!s.ok()) {
    out.reset();
    (void)fs_.Remove(temp);
    return s;
  }
  if (aside) {
    // The packed file is read from now on; the old one stays in place until Settle.
    auto pending = std::make_unique<PendingPack>();
    pending->temp = temp;
    File* packed = out.get();
    pending->synced = SyncAside([packed] { return packed->Sync(); });
    pending->old = std::move(file_);
    file_ = std::move(out);
    pending_ = std::move(pending);
    hot_ = false;
    header_changed_ = false;
    s = Load();
    if (s.ok()) s = GoTo(1);
    if (!s.ok()) (void)Settle();
    return s;
  }
  // The table's own handle must go before the file can be replaced (Windows).
  file_.reset();
  s = fs_.RenameAndClose(std::move(out), temp, path_);
  if (!s.ok()) (void)fs_.Remove(temp);
  Status reopened = ReopenAfterPack();
  return s.ok() ? reopened : s;
}

Status DbfTable::Settle() {
  if (!pending_) return Status();
  std::unique_ptr<PendingPack> pending = std::move(pending_);
  Status synced = pending->synced.get();
  if (synced.ok()) synced = RemoveExisting(fs_, pending->removals);
  followers_ = std::move(pending->followers);
  followers_placed_ = synced.ok();
  if (!synced.ok()) {
    // Back to the table as it was: it never left its place.
    file_.reset();
    (void)fs_.Remove(pending->temp);
    file_ = std::move(pending->old);
    Status s = Load();
    if (s.ok()) s = GoTo(1);
    if (!s.ok()) {
      file_.reset();
      memo_.reset();
    }
    return synced;
  }
  pending->old.reset();
  Status s = fs_.RenameAndClose(std::move(file_), pending->temp, path_);
  if (!s.ok()) {
    (void)fs_.Remove(pending->temp);
    followers_placed_ = false;
  }
  Status reopened = ReopenAfterPack();
  return s.ok() ? reopened : s;
}

Status DbfTable::RemoveBeforePlacing(const std::string& path) {
  if (!pending_) return RemoveExisting(fs_, {path});
  pending_->removals.push_back(path);
  return Status();
}

void DbfTable::FollowPack(std::string temp, std::string path) {
  if (pending_) pending_->followers.emplace_back(std::move(temp), std::move(path));
  else followers_.emplace_back(std::move(temp), std::move(path));
}

Status DbfTable::SettleFollowers(bool placed) {
  Status first;
  for (auto& [temp, path] : followers_) {
    Status s = placed ? fs_.Rename(temp, path) : fs_.Remove(temp);
    if (!s.ok() && placed) (void)fs_.Remove(temp);
    if (!s.ok() && first.ok() && placed) first = std::move(s);
  }
  followers_.clear();
  return first;
}

Status DbfTable::CloseUnplaced(std::unique_ptr<PackPlacement>* placement) {
  placement->reset();
  // A change settles the pack first: with one still pending there is nothing to write.
  if (!pending_ || !file_ || hot_ || header_changed_) return Close();
  auto p = std::make_unique<PackPlacement>();
  p->fs_ = &fs_;
  p->path_ = path_;
  p->temp_ = std::move(pending_->temp);
  p->old_ = std::move(pending_->old);
  p->synced_ = std::move(pending_->synced);
  p->removals_ = std::move(pending_->removals);
  p->followers_ = std::move(pending_->followers);
  p->packed_ = std::move(file_);
  pending_.reset();
  Status s;
  if (memo_ && !options_.read_only) s = memo_->Flush();
  memo_.reset();
  *placement = std::move(p);
  return s;
}

Status PackPlacement::Place() {
  if (placing_.valid()) return placing_.get();
  return PlaceNow();
}

void PackPlacement::PlaceAside() {
  if (!fs_ || placing_.valid()) return;
  placing_ = SyncAside([this] { return PlaceNow(); });
}

Status PackPlacement::PlaceNow() {
  if (!fs_) return Status();
  FileSystem& fs = *fs_;
  fs_ = nullptr;
  Status s = synced_.get();
  if (s.ok()) s = RemoveExisting(fs, removals_);
  // The old table's handle goes before the packed file can take its place (Windows); the packed
  // file's goes with the rename.
  old_.reset();
  if (s.ok()) s = fs.RenameAndClose(std::move(packed_), temp_, path_);
  packed_.reset();
  if (!s.ok()) {
    (void)fs.Remove(temp_);
    for (const auto& f : followers_) (void)fs.Remove(f.first);
    followers_.clear();
    return s;
  }
  for (const auto& [temp, path] : followers_) {
    Status r = fs.Rename(temp, path);
    if (r.ok()) continue;
    (void)fs.Remove(temp);
    if (s.ok()) s = std::move(r);
  }
  followers_.clear();
  return s;
}

void PackPlacement::Discard() {
  if (placing_.valid()) {
    (void)placing_.get();  // placed, or not, on the sync thread
    return;
  }
  if (!fs_) return;
  if (synced_.valid()) synced_.wait();  // the sync thread still uses the packed file
  packed_.reset();
  old_.reset();
  (void)fs_->Remove(temp_);
  for (const auto& f : followers_) (void)fs_->Remove(f.first);
  followers_.clear();
  fs_ = nullptr;
}

Status DbfTable::ReopenAfterPack() {
  locks_.clear();
  file_locked_ = false;
  hot_ = false;
  header_changed_ = false;
  Status s = fs_.Open(path_, FileOptions(options_), &file_);
  if (s.ok()) s = Load();
  if (!s.ok()) {
    file_.reset();
    memo_.reset();
    return std::move(s).WithContext("no se pudo reabrir la tabla tras compactarla");
  }
  return GoTo(1);
}

Status DbfTable::Zap() {
  if (options_.read_only) return Status::Error(StatusCode::kReadOnly, "tabla abierta sólo para lectura");
  if (options_.shared) return Status::Error(StatusCode::kShared, "vaciar necesita uso exclusivo");
  XB_RETURN_IF_ERROR(Settle());
  hot_ = false;
  window_.clear();
  window_dirty_.clear();
  window_count_ = 0;
  window_first_ = 1;
  count_ = 0;
  XB_RETURN_IF_ERROR(file_->Truncate(header_.header_length));
  header_.record_count = 0;
  StampToday(&header_);
  std::string bytes = dbf::EncodeHeader(header_);
  XB_RETURN_IF_ERROR(file_->Write(0, bytes.data(), bytes.size()));
  const char eof = dbf::kEndOfFile;
  XB_RETURN_IF_ERROR(file_->Write(header_.header_length, &eof, 1));
  header_changed_ = false;
  if (memo_) XB_RETURN_IF_ERROR(memo_->Zap());
  return GoTo(1);
}

Status DbfTable::SetStructuralIndex(bool present) {
  if (options_.read_only) return Status::Error(StatusCode::kReadOnly, "tabla abierta sólo para lectura");
  const std::uint8_t flags = present ? (header_.flags | dbf::kFlagStructuralIndex)
                                     : (header_.flags & ~dbf::kFlagStructuralIndex);
  if (flags == header_.flags) return Status();
  const char byte = static_cast<char>(flags);
  if (pending_) {
    // Into the packed file, still aside: synced again after its first sync, before it can
    // take the table's place, so the handle is kept and the table never opened again. When
    // the flag cannot be written, the packed file never takes the place.
    const Status written = file_->Write(dbf::kFlagsOffset, &byte, 1);
    auto first = std::make_shared<std::future<Status>>(std::move(pending_->synced));
    File* packed = file_.get();
    pending_->synced = SyncAside([first, packed, written] {
      const Status s = first->get();
      if (!s.ok()) return s;
      return written.ok() ? packed->Sync() : written;
    });
    if (!written.ok()) return written;
    header_.flags = flags;
    return Status();
  }
  if (!locks_.empty() || file_locked_)
    return Status::Error(StatusCode::kInvalid, "no se puede cambiar el índice estructural con bloqueos activos");
  XB_RETURN_IF_ERROR(file_->Write(dbf::kFlagsOffset, &byte, 1));
  header_.flags = flags;
  return Status();
}

Status ClearStructuralIndexFlag(FileSystem& fs, const std::string& path) {
  OpenOptions options;
  options.share = Share::kShared;
  std::unique_ptr<File> file;
  XB_RETURN_IF_ERROR(fs.Open(path, options, &file));
  std::uint64_t size = 0;
  XB_RETURN_IF_ERROR(file->Size(&size));
  if (size < dbf::kHeaderSize) return Corrupt("no es una tabla: " + PathName(path));
  unsigned char flags = 0;
  std::size_t got = 0;
  XB_RETURN_IF_ERROR(file->Read(dbf::kFlagsOffset, &flags, 1, &got));
  if (got != 1) return Corrupt("no es una tabla: " + PathName(path));
  if ((flags & dbf::kFlagStructuralIndex) == 0) return Status();
  // Only the structural-index bit: the header's other flags stay as they are.
  flags = static_cast<unsigned char>(flags & ~dbf::kFlagStructuralIndex);
  return file->Write(dbf::kFlagsOffset, &flags, 1);
}

}  // namespace xb::rdd
