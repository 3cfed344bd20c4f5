// The table drivers, known by name: "DBFCDX" (FPT memos, CDX indexes, FoxPro locks),
// "DBFNTX" (DBT memos, NTX indexes, Clipper locks) and "ADS", which is this same engine
// with CDX indexes and FPT memos. A driver here is only the choice of those three formats.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "runtime/rdd/dbf_format.h"
#include "runtime/rdd/lock.h"
#include "runtime/rdd/order_bag.h"

namespace xb::rdd {

struct Driver {
  std::string name;
  dbf::MemoKind memo = dbf::MemoKind::kFpt;
  LockScheme locks = LockScheme::kFoxPro;
  BagKind bag = BagKind::kCdx;
  std::string bag_extension;  // ".cdx", ".ntx"
};

// A driver by name (any case); nullptr when no driver has that name.
const Driver* FindDriver(std::string_view name);

// RDDREGISTER: 0 when registered now, 1 when it already was, 3 for an unknown name.
int RegisterDriver(std::string_view name);
// The registered drivers' names, in the order they were registered.
std::vector<std::string> RegisteredDrivers();

// RDDSETDEFAULT: the default driver (the one DBUSEAREA and DBCREATE take without a name).
const Driver& DefaultDriver();
// Makes a registered driver the default; false for an unknown or unregistered name.
bool SetDefaultDriver(std::string_view name);

// Drivers back to their start: all three registered (they are linked in), DBFNTX the default.
void ResetDrivers();

}  // namespace xb::rdd
