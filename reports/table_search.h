// Searches behind the magnifier of code fields: the rows of a table a user may choose from
// (those of a filter value whose product condition holds, by description), the choice, and
// the code and description put back into the edit field and its label; and the search of a
// browse by the letter typed.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/value.h"

namespace reports {

// The magnifier's key.
inline constexpr int kMagnifierKey = 43;

struct ChoiceQuery {
  std::string code_field;
  std::string alias;
  xb::Value order{};
  std::string filter_field{};
  xb::Value filter_value{};
};

struct ChoiceRow {
  xb::Value code;
  std::string description;
};

// The rows of the query's table, in order of their description ("Descripc", else
// "Descrip"): with a filter field, those whose field is the filter value; with a field
// `PRODUCTOS` that is not blank, those where it holds (each distinct text compiled once; one
// that does not compile or gives no logical hides its row). The table is left where it was.
std::vector<ChoiceRow> ChoiceRows(const ChoiceQuery& query);

// The dialog that lets the user pick a row ("TI_DbChoice"): the position chosen, or none.
using ChoicePicker =
    std::function<std::optional<std::size_t>(const std::string& title, const std::vector<ChoiceRow>& rows,
                                             const xb::Value& owner)>;
void SetChoicePicker(ChoicePicker picker);

// The choice dialog over rows made by the caller: the position chosen, or none.
std::optional<std::size_t> PickChoice(const std::string& title, const std::vector<ChoiceRow>& rows,
                                      const xb::Value& owner = {});

// TI_UDBLFINBIN: the code of the row chosen, NIL when none was; `description` receives its
// description.
xb::Value uDblFinBin(const ChoiceQuery& query, std::string_view title, const xb::Value& owner = {},
                     std::string* description = nullptr);

// TI_UFIND: with the magnifier key the choice puts its code into `edit` and its description
// into `label`; without a filter value where a filter field is given it only gives `edit` the
// focus back. True when the key was not the magnifier's.
bool uFind(int key, const xb::Value& edit, const xb::Value& dialog, std::string_view title, const ChoiceQuery& query,
           const xb::Value& label);

// TI_BUSCATECLA: a letter seeks the browse's table softly by the letter in upper case.
void BuscaTecla(const xb::Value& browse, int key);

// Registers TI_UDBLFINBIN, TI_UFIND and TI_BUSCATECLA.
void RegisterTableSearch();

}  // namespace reports
