// The interface through which run-time compiled text reaches work areas and fields,
// without the runtime depending on the table engine: the table engine implements it and
// installs it with SetWorkAreaHost(). Work areas are numbered from 1; 0 means none.
//
// The macro compiler resolves a bare name at evaluation time: a field of the current
// area first, then a PRIVATE/PUBLIC variable. `alias->name` reads the field of that area
// (`M->name` and `MEMVAR->name` a variable, `FIELD->name` a field of the current area);
// `alias->( expr )` selects the area, evaluates, and selects the previous area again.
// Compiled code caches a field's position per area and re-resolves it when the area's
// stamp changes, so a stamp must change whenever the area's table (and so its field list)
// changes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/value.h"

namespace xb {

class WorkAreaHost {
 public:
  virtual ~WorkAreaHost() = default;

  virtual int CurrentArea() = 0;
  // Selects an area (numbers beyond the open ones are allowed, as SELECT allows);
  // returns the previously selected area.
  virtual int SelectArea(int area) = 0;
  // The area of an alias (case-insensitive), 0 when no open area has it.
  virtual int AreaOfAlias(std::string_view alias) = 0;
  // 1-based position of a field (upper-case name) in an area's table; 0 when the area
  // has no table or no such field.
  virtual int FieldPos(int area, std::string_view upperName) = 0;
  // Changes whenever the table open in the area changes (open, close, another table).
  virtual std::uint64_t AreaStamp(int area) = 0;
  // Reads / writes a field of the current record of an area. They raise their own
  // errors (through the error block) for locks, types and widths.
  virtual Value GetField(int area, int pos) = 0;
  virtual void PutField(int area, int pos, const Value& v) = 0;
  // GetField for text built in one buffer: a character field ("C") is appended to `out`
  // (true); any other field's value is put in `other` (false). Hosts that can read the
  // field's bytes in place override it.
  virtual bool AppendField(int area, int pos, std::string& out, Value& other);
};

// The installed host, or nullptr (then names are never fields and aliases do not exist).
WorkAreaHost* GetWorkAreaHost();
// Installs a host (nullptr removes it); returns the previous one.
WorkAreaHost* SetWorkAreaHost(WorkAreaHost* host);

}  // namespace xb
