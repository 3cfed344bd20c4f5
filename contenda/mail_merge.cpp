#include "contenda/mail_merge.h"

#include <array>

#include "contenda/ansi_text.h"
#include "contenda/automation.h"
#include "contenda/office_ids.h"
#include "contenda/variant.h"

namespace contenda {

namespace {

// The texts of a merge, made before Word is started so nothing can fail half-way for want of
// memory.
struct MergeTexts {
  Variant file;
  Variant source;
  Variant connection;
  Variant sql;
  VARIANT format;
};

template <size_t N>
std::array<VARIANT, N> AllOmitted() {
  std::array<VARIANT, N> args;
  args.fill(OmittedArg());
  return args;
}

// A call that answers an object: success without one is a failure too.
HRESULT ObjectResult(HRESULT hr, const Variant& value, ComPtr<IDispatch>& object) {
  object = ObjectOf(value.get());
  return SUCCEEDED(hr) && !object ? E_POINTER : hr;
}

// Opens the document hidden, attaches the data source and merges to a new document.
HRESULT Merge(IDispatch* word, const MergeTexts& texts) {
  PutProperty(word, L"Visible", BoolArg(false));
  Variant value;
  ComPtr<IDispatch> documents;
  HRESULT result = ObjectResult(GetProperty(word, L"Documents", value), value, documents);
  if (!documents) return result;

  auto open_args = AllOmitted<12>();  // FileName and eleven optional arguments
  open_args[0] = texts.file.get();
  ComPtr<IDispatch> document;
  result = ObjectResult(CallMethod(documents.Get(), L"Open", open_args, &value), value, document);
  if (!document) return result;

  ComPtr<IDispatch> merge;
  result = ObjectResult(GetProperty(document.Get(), L"MailMerge", value), value, merge);
  if (SUCCEEDED(result)) {
    // Name, Format, nine arguments left out, Connection, SQLStatement, SQLStatement1.
    auto source_args = AllOmitted<14>();
    source_args[0] = texts.source.get();
    source_args[1] = texts.format;
    source_args[11] = texts.connection.get();
    source_args[12] = texts.sql.get();
    result = CallMethod(merge.Get(), L"OpenDataSource", source_args, nullptr);
    if (result == S_OK) {
      // Merging with any other destination would print or mail the documents instead.
      result = PutProperty(merge.Get(), L"Destination", Int32Arg(kWordSendToNewDocument));
      if (SUCCEEDED(result)) {
        VARIANT pause = OmittedArg();
        result = CallMethod(merge.Get(), L"Execute", {&pause, 1}, nullptr);
      }
    }
  }
  CallMethod(document.Get(), L"Close", AllOmitted<3>(), nullptr);
  return result;
}

}  // namespace

HRESULT RunMailMerge(const char* path, const char* source, int flag, const char* connection,
                     const char* sql) {
  if (!path || !source) return E_POINTER;
  MergeTexts texts{Variant::Text(WideFromAnsi(path)), Variant::Text(WideFromAnsi(source)),
                   Variant::Text(WideFromAnsi(connection)), Variant::Text(WideFromAnsi(sql)),
                   BoolArg(flag != 0)};

  CLSID word_class;
  HRESULT result = CLSIDFromProgID(kWordProgId, &word_class);
  if (FAILED(result)) return result;
  // A Word of its own: never one the user is working in.
  ComPtr<IUnknown> created;
  result = CoCreateInstance(word_class, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                            IID_IUnknown, created.PutVoid());
  if (FAILED(result)) created.Detach();
  if (SUCCEEDED(result) && !created) result = E_POINTER;
  ComPtr<IDispatch> word;
  if (created) {
    result = QueryInto(created.Get(), kIidWordApplication, word);
    if (SUCCEEDED(result) && !word) result = E_NOINTERFACE;
  }
  if (!word) return result;

  try {
    result = Merge(word.Get(), texts);
  } catch (...) {
    result = 1;
  }
  // Word stays with the user, visible, with the merged document when there is one.
  PutProperty(word.Get(), L"Visible", BoolArg(true));
  Variant active;
  GetProperty(word.Get(), L"ActiveDocument", active);
  return result;
}

}  // namespace contenda
