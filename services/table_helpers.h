// Small helpers over the table engine and the data-access layer for the services' own
// tables: their structures and tags, files copied and erased through the engine's file
// system (so tests may keep tables in memory), and the selected area's fields by name.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/rdd/workarea.h"
#include "runtime/value.h"

namespace svc {

struct FieldDef {
  std::string name;
  char type = 'C';
  int length = 0;
  int decimals = 0;
};

struct TagDef {
  std::string name;
  std::string key;
  bool unique = false;
};

bool FileExists(const std::string& path);
void EraseFile(const std::string& path);
// Copies a whole file; false when either side fails (the target may then be incomplete).
bool CopyWholeFile(const std::string& from, const std::string& to);
// Copies a whole file to a temporary name beside `to`, which then takes its place: `to` is
// either the old file or the whole copy. False (and `to` untouched) when a step fails.
bool ReplaceWithCopy(const std::string& from, const std::string& to);

// The index file of a table (`folder` + `name` + the driver's index extension), and the
// table file itself (".dbf").
std::string IndexOf(const std::string& table);
std::string DbfOf(const std::string& table);

// Creates (replacing) the table `table` (folder and name, no extension) with `fields`, after
// erasing its index file. False when the engine refuses.
bool CreateTable(const std::string& table, const std::vector<FieldDef>& fields);
// Creates the tags on the selected area, in order.
void CreateTags(const std::vector<TagDef>& tags);

// Opens `table` through LNETUSE in a new area under `alias`; exclusive or shared.
bool OpenTable(const std::string& table, const std::string& alias, bool exclusive, int retries = 1);
// Opens quietly: no message when the table cannot be opened.
bool OpenTableQuietly(const std::string& table, const std::string& alias, bool exclusive);
// Closes the selected area.
void CloseArea();

// The selected area.
xb::rdd::WorkArea& Area();
// A field of the selected area's current record by name (NIL when there is no such field).
xb::Value Field(std::string_view name);
std::string FieldText(std::string_view name);  // raw bytes of a text field
bool FieldLogical(std::string_view name);
double FieldNumber(std::string_view name);
bool HasField(std::string_view name);
void PutField(std::string_view name, const xb::Value& value);

// DBSEEK on the selected area's controlling order.
bool Seek(const xb::Value& key);
void SelectOrder(int order);
void SelectOrder(std::string_view tag);

// Calls a public function by name.
xb::Value Call(std::string_view name, std::initializer_list<xb::Value> args = {});
// Calls a public function when it is registered; NIL otherwise.
xb::Value CallIfThere(std::string_view name, std::initializer_list<xb::Value> args = {});

// Puts the selected area back when the scope ends.
class SelectedAreaScope {
 public:
  SelectedAreaScope();
  ~SelectedAreaScope();
  SelectedAreaScope(const SelectedAreaScope&) = delete;
  SelectedAreaScope& operator=(const SelectedAreaScope&) = delete;

 private:
  int area_;
};

// Closes an area that the scope opened when the scope ends (pair it with a
// SelectedAreaScope to select again the area selected before).
class OpenedArea {
 public:
  OpenedArea() = default;
  // Takes the area selected now.
  explicit OpenedArea(bool opened);
  ~OpenedArea();
  OpenedArea(const OpenedArea&) = delete;
  OpenedArea& operator=(const OpenedArea&) = delete;
  explicit operator bool() const { return area_ != 0; }
  int number() const { return area_; }
  // Takes the area selected now (closing the one held before).
  void Adopt();
  void Select() const;
  void Close();
  // Gives the area up without closing it; answers its number.
  int Release() { return std::exchange(area_, 0); }

 private:
  int area_ = 0;
};

}  // namespace svc
