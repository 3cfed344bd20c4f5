// An index file of the file-system seam, as the order bags take it.
#pragma once

#include <memory>

#include "runtime/rdd/file_system.h"
#include "runtime/rdd/order_bag.h"

namespace xb::rdd {

std::unique_ptr<BagFile> MakeBagFile(std::unique_ptr<File> file);

// The bag result of a seam status (and the other way, for the work area's errors).
BagStatus ToBagStatus(const Status& status);
Status FromBagStatus(const BagStatus& status);

}  // namespace xb::rdd
