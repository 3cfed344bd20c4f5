#include "services/table_helpers.h"

#include <memory>

#include "data/table_access.h"
#include "runtime/array.h"
#include "runtime/function_table.h"
#include "runtime/rdd/driver.h"
#include "runtime/rdd/workareas.h"

namespace svc {
namespace {

using xb::Value;

xb::rdd::WorkAreas& Areas() { return xb::rdd::WorkAreas::Get(); }
xb::rdd::FileSystem& Fs() { return Areas().file_system(); }

}  // namespace

bool FileExists(const std::string& path) { return Fs().Exists(path); }

void EraseFile(const std::string& path) {
  if (Fs().Exists(path)) (void)Fs().Remove(path);
}

bool CopyWholeFile(const std::string& from, const std::string& to) {
  std::unique_ptr<xb::rdd::File> in, out;
  xb::rdd::OpenOptions read;
  read.access = xb::rdd::Access::kRead;
  read.share = xb::rdd::Share::kShared;
  if (!Fs().Open(from, read, &in).ok()) return false;
  xb::rdd::OpenOptions write;
  write.create = true;
  write.truncate = true;
  if (!Fs().Open(to, write, &out).ok()) return false;
  std::string buffer(1 << 16, '\0');
  for (std::uint64_t offset = 0;;) {
    std::size_t got = 0;
    if (!in->Read(offset, buffer.data(), buffer.size(), &got).ok()) return false;
    if (got == 0) break;
    if (!out->Write(offset, buffer.data(), got).ok()) return false;
    offset += got;
  }
  return out->Sync().ok();
}

bool ReplaceWithCopy(const std::string& from, const std::string& to) {
  const std::string temporary = to + ".$$$";
  if (!CopyWholeFile(from, temporary) || !Fs().Rename(temporary, to).ok()) {
    EraseFile(temporary);
    return false;
  }
  return true;
}

std::string IndexOf(const std::string& table) { return data::IndexFileOf(table + ".dbf"); }
std::string DbfOf(const std::string& table) { return table + ".dbf"; }

bool CreateTable(const std::string& table, const std::vector<FieldDef>& fields) {
  EraseFile(IndexOf(table));
  xb::Array structure = xb::Array::New();
  for (const FieldDef& f : fields)
    structure.Append(Value(xb::Array::Of({Value::String(f.name), Value::String(std::string(1, f.type)),
                                          Value::Integer(f.length), Value::Integer(f.decimals)})));
  SelectedAreaScope keep;
  return xb::CallFunction("DBCREATE", {Value::String(DbfOf(table)), Value(structure)}).AsLogical() &&
         FileExists(DbfOf(table));
}

void CreateTags(const std::vector<TagDef>& tags) {
  for (const TagDef& t : tags)
    xb::CallFunction("ORDCREATE", {Value(), Value::String(t.name), Value::String(t.key), Value(),
                                   Value::Logical(t.unique)});
}

bool OpenTable(const std::string& table, const std::string& alias, bool exclusive, int retries) {
  data::NetUseOptions options;
  options.exclusive = exclusive;
  options.retries = retries;
  options.alias = alias;
  return data::lNetUse(table, options);
}

bool OpenTableQuietly(const std::string& table, const std::string& alias, bool exclusive) {
  if (!FileExists(DbfOf(table))) return false;
  bool opened = false;
  {
    data::QuietTableFailures quiet;
    opened = data::_DbUseArea(true, "", table, alias, !exclusive, false);
  }
  data::nErrorCode(0);
  xb::rdd::WorkArea& area = Areas().Current();
  return opened && !Areas().net_error() && area.used() && area.alias() == xb::UpperName(alias);
}

void CloseArea() {
  if (Areas().Current().used()) Areas().Current().Close();
}

xb::rdd::WorkArea& Area() { return Areas().Current(); }

Value Field(std::string_view name) {
  xb::rdd::WorkArea& area = Area();
  const int pos = area.FieldPos(name);
  return pos ? area.GetField(pos) : Value();
}

std::string FieldText(std::string_view name) { return std::string(Field(name).AsString()); }
bool FieldLogical(std::string_view name) { return Field(name).AsLogical(); }
double FieldNumber(std::string_view name) { return Field(name).AsDouble(); }
bool HasField(std::string_view name) { return Area().FieldPos(name) != 0; }

void PutField(std::string_view name, const Value& value) {
  xb::rdd::WorkArea& area = Area();
  if (const int pos = area.FieldPos(name)) area.PutField(pos, value);
}

bool Seek(const Value& key) { return xb::CallFunction("DBSEEK", {key}).AsLogical(); }
void SelectOrder(int order) { xb::CallFunction("ORDSETFOCUS", {Value::Integer(order)}); }
void SelectOrder(std::string_view tag) { xb::CallFunction("ORDSETFOCUS", {Value::String(tag)}); }

Value Call(std::string_view name, std::initializer_list<Value> args) { return xb::CallFunction(name, args); }

Value CallIfThere(std::string_view name, std::initializer_list<Value> args) {
  return xb::IsFunctionRegistered(name) ? xb::CallFunction(name, args) : Value();
}

SelectedAreaScope::SelectedAreaScope() : area_(Areas().CurrentArea()) {}
SelectedAreaScope::~SelectedAreaScope() { Areas().SelectArea(area_); }

OpenedArea::OpenedArea(bool opened) : area_(opened ? Areas().CurrentArea() : 0) {}

OpenedArea::~OpenedArea() { Close(); }

void OpenedArea::Adopt() {
  Close();
  area_ = Areas().CurrentArea();
}

void OpenedArea::Select() const {
  if (area_) Areas().SelectArea(area_);
}

void OpenedArea::Close() {
  if (!area_) return;
  if (xb::rdd::WorkArea* area = Areas().Area(area_); area && area->used()) area->Close();
  area_ = 0;
}

}  // namespace svc
