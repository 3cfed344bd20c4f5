#include "runtime/rdd/driver.h"

#include <algorithm>

#include "runtime/symbol.h"

namespace xb::rdd {
namespace {

const Driver kDrivers[] = {
    {"DBFNTX", dbf::MemoKind::kDbt, LockScheme::kClipper, BagKind::kNtx, ".ntx"},
    {"DBFCDX", dbf::MemoKind::kFpt, LockScheme::kFoxPro, BagKind::kCdx, ".cdx"},
    {"ADS", dbf::MemoKind::kFpt, LockScheme::kFoxPro, BagKind::kCdx, ".cdx"},
};

struct Registry {
  std::vector<const Driver*> registered{&kDrivers[0], &kDrivers[1], &kDrivers[2]};
  const Driver* default_driver = &kDrivers[0];
};

Registry& State() {
  static Registry registry;
  return registry;
}

bool IsRegistered(const Driver* d) {
  const auto& r = State().registered;
  return std::find(r.begin(), r.end(), d) != r.end();
}

}  // namespace

const Driver* FindDriver(std::string_view name) {
  const std::string upper = UpperName(name);
  for (const Driver& d : kDrivers)
    if (d.name == upper) return &d;
  return nullptr;
}

int RegisterDriver(std::string_view name) {
  const Driver* d = FindDriver(name);
  if (!d) return 3;
  if (IsRegistered(d)) return 1;
  State().registered.push_back(d);
  return 0;
}

std::vector<std::string> RegisteredDrivers() {
  std::vector<std::string> names;
  for (const Driver* d : State().registered) names.push_back(d->name);
  return names;
}

const Driver& DefaultDriver() { return *State().default_driver; }

bool SetDefaultDriver(std::string_view name) {
  const Driver* d = FindDriver(name);
  if (!d || !IsRegistered(d)) return false;
  State().default_driver = d;
  return true;
}

void ResetDrivers() { State() = Registry(); }

}  // namespace xb::rdd
