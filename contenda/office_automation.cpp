#include "contenda/office_automation.h"

#include <utility>

#include "contenda/automation.h"
#include "contenda/com_error.h"
#include "contenda/office_ids.h"
#include "contenda/ole_container.h"
#include "contenda/variant.h"

namespace contenda {

namespace {

// The loaded document's `Application`; empty when there is no document, the document is not
// scriptable or its application cannot be read.
Variant ReadDocumentApplication(OleContainer& container) {
  Variant application;
  ComPtr<IDispatch> document;
  if (!container.holder().document() ||
      FAILED(QueryInto(container.holder().document(), IID_IDispatch, document)) || !document) {
    return application;
  }
  InvokeByName(document.Get(), L"Application", DISPATCH_PROPERTYGET, {}, &application,
               kApplicationLookupLcid);
  return application;
}

struct OfficeApplication {
  ComPtr<IDispatch> excel;
  ComPtr<IDispatch> word;
};

// Which application the value is. Not answering is an answer; any other failure raises.
OfficeApplication Recognise(const VARIANT& application, bool ask_word) {
  OfficeApplication office;
  IUnknown* object = ObjectPointer(application);
  if (!object) return office;
  auto ask = [object](REFIID iid, ComPtr<IDispatch>& face) {
    HRESULT hr = QueryInto(object, iid, face);
    if (FAILED(hr) && hr != E_NOINTERFACE) throw ComError(hr);
  };
  ask(kIidExcelApplication, office.excel);
  if (ask_word) ask(kIidWordApplication, office.word);
  return office;
}

// The mail merge of Word's active document; empty when there is no active document.
ComPtr<IDispatch> ActiveMailMerge(IDispatch* word) {
  Variant active;
  ThrowIfFailed(GetProperty(word, L"ActiveDocument", active));
  IUnknown* object = ObjectPointer(active.get());
  if (!object) return {};
  ComPtr<IDispatch> document;
  if (FAILED(QueryInto(object, kIidWordDocument, document)) || !document) throw ComError(E_POINTER);
  Variant merge;
  ThrowIfFailed(GetProperty(document.Get(), L"MailMerge", merge));
  return ObjectOf(merge.get());
}

struct ActiveSheet {
  bool any = false;             // some sheet is active
  ComPtr<IDispatch> worksheet;  // and it is a worksheet, not a chart
};

ActiveSheet ActiveSheetOf(IDispatch* excel) {
  Variant sheet;
  ThrowIfFailed(GetProperty(excel, L"ActiveSheet", sheet));
  ActiveSheet active;
  IUnknown* object = ObjectPointer(sheet.get());
  active.any = object != nullptr;
  if (object) QueryInto(object, kIidExcelWorksheet, active.worksheet);
  return active;
}

LONG CountOf(IDispatch* collection) {
  LONG number = 0;
  ThrowIfFailed(Int32Of(GetById(collection, excel::kCount).get(), number));
  return number;
}

ComPtr<IDispatch> FirstItem(IDispatch* collection) {
  VARIANT first = Int32Arg(1);
  return CallForObject(collection, excel::kItem, {&first, 1});
}

// The worksheet's first query table; empty when it has none. `result` takes the code of
// reading the collection.
ComPtr<IDispatch> FirstQueryTable(IDispatch* sheet, HRESULT& result) {
  Variant tables;
  result = GetProperty(sheet, L"QueryTables", tables);
  ComPtr<IDispatch> collection = ObjectOf(tables.get());
  if (!collection || CountOf(collection.Get()) == 0) return {};
  return FirstItem(collection.Get());
}

// The worksheet's first pivot table; empty when it has none. `result` takes the call's code.
ComPtr<IDispatch> FirstPivotTable(IDispatch* sheet, HRESULT& result) {
  VARIANT first = Int32Arg(1);
  Variant pivot;
  result = InvokeByName(sheet, L"PivotTables", DISPATCH_METHOD, {&first, 1}, &pivot, kNeutralLcid);
  return ObjectOf(pivot.get());
}

// The object that holds the worksheet's connection text and the DISPID of that property:
// the first query table, else the cache of the first pivot table.
std::pair<ComPtr<IDispatch>, DISPID> ConnectionHolder(IDispatch* sheet, HRESULT& result) {
  if (ComPtr<IDispatch> table = FirstQueryTable(sheet, result))
    return {std::move(table), excel::kQueryTableConnection};
  if (ComPtr<IDispatch> pivot = FirstPivotTable(sheet, result))
    return {CallForObject(pivot.Get(), excel::kPivotCache), excel::kPivotCacheConnection};
  return {};
}

// Reads the connection text into `text`, or with `write` replaces it by `text`.
HRESULT ConnectionText(OleContainer& container, std::wstring& text, bool write) {
  if (!container.holder().document()) return S_OK;
  HRESULT result = S_OK;
  try {
    Variant application = ReadDocumentApplication(container);
    OfficeApplication office = Recognise(application.get(), true);
    if (office.word) {
      if (ComPtr<IDispatch> merge = ActiveMailMerge(office.word.Get())) {
        Variant value;
        ThrowIfFailed(GetProperty(merge.Get(), L"DataSource", value));
        ComPtr<IDispatch> source = ObjectOf(value.get());
        if (!source) throw ComError(E_POINTER);
        if (write) {
          result = PutProperty(source.Get(), L"QueryString", Variant::Text(text).get());
        } else {
          result = GetProperty(source.Get(), L"QueryString", value);
          text = TextOf(value.get());
        }
      }
    }
    if (office.excel) {
      if (ComPtr<IDispatch> sheet = ActiveSheetOf(office.excel.Get()).worksheet) {
        auto [holder, property] = ConnectionHolder(sheet.Get(), result);
        if (holder) {
          Variant current = GetById(holder.Get(), property);
          if (write) {
            PutById(holder.Get(), property, Variant::Text(text).get());
          } else {
            text = TextOf(current.get());
          }
        }
      }
    }
  } catch (...) {
    result = 1;
  }
  return result;
}

}  // namespace

HRESULT CloseDocument(OleContainer& container) {
  Variant application = ReadDocumentApplication(container);
  DocumentHolder& holder = container.holder();
  if (!holder.document()) {
    container.DetachFrame();
    return S_OK;
  }
  // Closing empties the container, also when a step after the close raises.
  struct EmptyAtEnd {
    DocumentHolder& holder;
    ~EmptyAtEnd() { holder.Release(); }
  } empty_at_end{holder};

  HRESULT result = holder.document()->Close(OLECLOSE_NOSAVE);
  OfficeApplication office = Recognise(application.get(), true);
  IDispatch* to_quit = nullptr;
  if (office.word) {
    Variant documents;
    result = GetProperty(office.word.Get(), L"Documents", documents);
    if (ComPtr<IDispatch> collection = ObjectOf(documents.get())) {
      Variant count;
      ThrowIfFailed(GetProperty(collection.Get(), L"Count", count));
      LONG number = 0;
      ThrowIfFailed(Int32Of(count.get(), number));
      if (number == 0) to_quit = office.word.Get();
    }
  }
  // Excel goes only when no workbook is left: an active sheet of any kind, a chart as well,
  // belongs to a workbook the user still has open.
  if (office.excel && !ActiveSheetOf(office.excel.Get()).any) to_quit = office.excel.Get();
  if (to_quit) result = InvokeByName(to_quit, L"Quit", DISPATCH_METHOD, {}, nullptr, kQuitLcid);
  return result;
}

HRESULT RefreshExternalData(OleContainer& container) {
  Variant application = ReadDocumentApplication(container);
  OfficeApplication office = Recognise(application.get(), false);
  if (!office.excel) return 1;
  ComPtr<IDispatch> sheet = ActiveSheetOf(office.excel.Get()).worksheet;
  if (!sheet) return 1;
  HRESULT result = 1;
  try {
    if (ComPtr<IDispatch> table = FirstQueryTable(sheet.Get(), result)) {
      CallById(table.Get(), excel::kRefreshQueryTable);
    } else if (ComPtr<IDispatch> pivot = FirstPivotTable(sheet.Get(), result)) {
      ComPtr<IDispatch> cache = CallForObject(pivot.Get(), excel::kPivotCache);
      CallById(cache.Get(), excel::kRefreshPivotCache);
    }
  } catch (...) {
    result = 1;
  }
  return result;
}

HRESULT ReadConnectionText(OleContainer& container, std::wstring& text) {
  text.clear();
  return ConnectionText(container, text, false);
}

HRESULT WriteConnectionText(OleContainer& container, const std::wstring& text) {
  std::wstring copy = text;
  return ConnectionText(container, copy, true);
}

}  // namespace contenda
