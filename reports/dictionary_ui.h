// What the dictionary's file routines need from the windows above them: the progress dialog
// of the index run, the small dialog of the structure check and the text of the consistency
// check. The windowed implementation is installed by reports/win; without it nothing shows.
#pragma once

#include <string>
#include <string_view>

#include "runtime/value.h"

namespace reports {

class DictionaryUi {
 public:
  virtual ~DictionaryUi() = default;

  // "TI_INDEXBAR": opened before the first table is indexed; its meter counts `total`
  // tables. The meter and the label of the table's name as objects (nil without them).
  virtual void OpenIndexBar(int total) {}
  virtual xb::Value IndexMeter() { return {}; }
  virtual xb::Value IndexSay() { return {}; }
  virtual void CloseIndexBar() {}

  // " Comprobando estructuras": shown while the structures are compared.
  virtual void OpenStructCheck() {}
  virtual void StructCheckTable(std::string_view table) {}
  virtual void CloseStructCheck() {}

  // "TD_CHECK": the consistency check's lines as they are written; the end enables the
  // button that closes it (and waits for it in a windowed run).
  virtual void OpenCheck() {}
  virtual void CheckLine(std::string_view line) {}
  virtual void EndCheck() {}
};

DictionaryUi& DictUi();
// Puts `ui` in use (nullptr: none); returns the one that was.
DictionaryUi* SetDictUi(DictionaryUi* ui);

}  // namespace reports
