// The work areas of the program: numbered from 1 (up to 65534, far more than the 255 xBase
// programs count on), one of them selected, each found by number or by alias. They are the
// runtime's WorkAreaHost, through which compiled text reads `alias->field` and fields by
// name, and they keep NETERR() and the file system the tables live on.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/rdd/file_system.h"
#include "runtime/rdd/workarea.h"
#include "runtime/workarea_host.h"

namespace xb::rdd {

class WorkAreas final : public WorkAreaHost {
 public:
  static constexpr int kMaxAreas = 65534;

  static WorkAreas& Get();

  // WorkAreaHost.
  int CurrentArea() override { return current_; }
  int SelectArea(int area) override;
  int AreaOfAlias(std::string_view alias) override;
  int FieldPos(int area, std::string_view upper_name) override;
  std::uint64_t AreaStamp(int area) override;
  Value GetField(int area, int pos) override;
  bool AppendField(int area, int pos, std::string& out, Value& other) override;
  void PutField(int area, int pos, const Value& v) override;

  // The selected area, and an area by number (nullptr out of 1..kMaxAreas).
  WorkArea& Current() { return *Area(current_); }
  WorkArea* Area(int number);
  // The lowest numbered area without a table.
  int FirstFreeArea();
  // Area of an alias or of a number given as text ("3"); 0 when none.
  int Resolve(const Value& area_or_alias);
  void CloseAll();

  bool net_error() const { return net_error_; }
  void set_net_error(bool on) { net_error_ = on; }

  FileSystem& file_system() { return *fs_; }
  // The file system new tables open on (tests use memory); nullptr: the real one.
  void set_file_system(FileSystem* fs) { fs_ = fs ? fs : &RealFileSystem(); }

 private:
  WorkAreas();
  std::vector<std::unique_ptr<WorkArea>> areas_;
  int current_ = 1;
  bool net_error_ = false;
  FileSystem* fs_;
};

// Selects again, when the scope ends, the area that was selected when it began.
class SelectedArea {
 public:
  SelectedArea() : area_(WorkAreas::Get().CurrentArea()) {}
  ~SelectedArea() { WorkAreas::Get().SelectArea(area_); }
  SelectedArea(const SelectedArea&) = delete;
  SelectedArea& operator=(const SelectedArea&) = delete;

 private:
  int area_;
};

// Registers the table functions (DBUSEAREA, FIELDGET, RLOCK, RDDSETDEFAULT ...) and installs
// the work areas as the runtime's host. Call after xb::InitRuntime(); safe to call again.
void InitTables();

// Closes every table and puts drivers, NETERR and the file system back to their start.
void ResetTables();

}  // namespace xb::rdd
