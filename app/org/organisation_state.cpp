#include "app/org/organisation_state.h"

#include "runtime/value.h"

namespace app {
namespace {

xb::Array& Selection() {
  static xb::Array selection = xb::Array::New(1);
  return selection;
}

bool g_done = false;
bool g_parameter_mode = false;

xb::Value Element(bool marked) { return xb::Value::String(marked ? "S" : " "); }

}  // namespace

const xb::Array& SelectionArray() { return Selection(); }

void ResetSelection(std::uint32_t company_records) {
  // The same array object stays: a browse block that captured it sees the new size.
  Selection().Items().assign(static_cast<std::size_t>(company_records) + 1, Element(false));
  g_done = false;
}

bool MarkCompany(std::uint32_t record, bool marked) {
  if (record == 0 || record > Selection().size()) return false;
  Selection()[record - 1] = Element(marked);
  return true;
}

void UnmarkAllCompanies() {
  for (xb::Value& element : Selection().Items()) element = Element(false);
}

bool IsCompanyMarked(std::uint32_t record) {
  if (record == 0 || record > Selection().size()) return false;
  const xb::Value& element = Selection()[record - 1];
  return element.IsString() && element.AsString() == "S";
}

int MarkedCompanyCount() {
  int count = 0;
  for (std::uint32_t r = 1; r <= Selection().size(); ++r) count += IsCompanyMarked(r);
  return count;
}

bool OrganisationDone() { return g_done; }
void SetOrganisationDone(bool done) { g_done = done; }

bool ParameterMode() { return g_parameter_mode; }
void SetParameterMode(bool on) { g_parameter_mode = on; }

}  // namespace app
