#include "runtime/symbol.h"

#include <memory>
#include <string>
#include <unordered_map>

namespace xb {

class SymbolTable {
 public:
  static SymbolTable& Get() {
    static SymbolTable* table = new SymbolTable;  // never destroyed: symbols outlive statics
    return *table;
  }
  const Symbol& Intern(std::string_view name) {
    std::string upper = UpperName(name);
    auto it = map_.find(upper);
    if (it != map_.end()) return *it->second;
    auto* s = new Symbol(upper);
    map_.emplace(std::move(upper), s);
    return *s;
  }
  const Symbol* Find(std::string_view name) {
    auto it = map_.find(UpperName(name));
    return it == map_.end() ? nullptr : it->second;
  }

 private:
  std::unordered_map<std::string, Symbol*> map_;
};

std::string UpperName(std::string_view name) {
  if (name.size() > Symbol::kMaxLength) name = name.substr(0, Symbol::kMaxLength);
  std::string s(name);
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

const Symbol& Intern(std::string_view name) { return SymbolTable::Get().Intern(name); }
const Symbol* FindSymbol(std::string_view name) { return SymbolTable::Get().Find(name); }

}  // namespace xb
