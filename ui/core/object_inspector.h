// The object inspector (OINSPECT, OINSPECT2): a modal dialog titled with the object's class,
// listing its data one line each: the name, the type letter and the value as the error log
// writes it. Windows open it on their object when the middle button is pressed with Ctrl
// held. In a run nobody watches it does not show.
#pragma once

#include <string>
#include <vector>

#include "runtime/value.h"

namespace ui {

// The lines the inspector lists for an object (none for a value that is not an object).
std::vector<std::string> InspectorLines(const xb::Value& object);
void InspectObject(const xb::Value& object);

// Registers OINSPECT and OINSPECT2.
void RegisterObjectInspector();

}  // namespace ui
