// What the organisation window and the organisation share for the whole run: which companies
// are marked (the selection array, one element per record of `Empresa` plus one, indexed by
// record number: "S" marked, " " not), whether the company loop ran to its end, and whether
// the program was started for one company (parameter mode: the organisation starts by
// itself).
//
// The array is an xBase array, so the window's browse blocks read the same one; its C++
// accessors are the way to it for everyone else.
#pragma once

#include <cstdint>

#include "runtime/array.h"

namespace app {

// The selection array itself (the window's columns and actions work on it).
const xb::Array& SelectionArray();
// Sizes it to `company_records` + 1 elements, every one " " (nothing marked).
void ResetSelection(std::uint32_t company_records);
// Marks or unmarks the company of a record; false when the record is beyond the array.
bool MarkCompany(std::uint32_t record, bool marked);
void UnmarkAllCompanies();
bool IsCompanyMarked(std::uint32_t record);
int MarkedCompanyCount();

// Set when the company loop has organised every marked company; cleared by ResetSelection.
bool OrganisationDone();
void SetOrganisationDone(bool done);

// Parameter mode: the program was started with a company code.
bool ParameterMode();
void SetParameterMode(bool on);

}  // namespace app
