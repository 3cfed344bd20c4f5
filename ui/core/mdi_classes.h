// Registers the runtime classes of the MDI frame, client and child and GETWNDFRAME.
#pragma once

namespace ui {

void RegisterMdiClasses();

}  // namespace ui
