// What both spools share: their entries are record objects, identifiers are compared as
// the unsigned 32-bit numbers the panel gives back, and their notices are small pop-up
// dialogs of one text in the default dialog font.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/value.h"
#include "ui/core/tdialog.h"
#include "ui/core/tstruct.h"

namespace svc {

// The identifier a value stands for (a number, or a text read as one); none otherwise.
std::optional<std::uint32_t> IdentifierOf(const xb::Value& value, bool texts = false);

// A member of an entry, by name.
xb::Value EntryValue(ui::TExStruct& entry, std::string_view member);
std::uint32_t EntryId(ui::TExStruct& entry, std::string_view member);

// A block that does nothing (the default callback).
xb::Value NoCallback();

// A pop-up dialog, without caption, showing `text` in the middle; modal or modeless as
// activated.
ui::DialogRef NoticeDialog(const std::string& text);

}  // namespace svc
