// Two tools of the report generator built in code: a plain browse of the selected area
// (TI_BROWSE) and an inspector of an object's data (TI_OBJECTINSPECTOR).
#pragma once

#include <string>
#include <vector>

#include "runtime/value.h"

namespace reports {

// TI_BROWSE: the selected area's records in a browse, with "&Imprimir" (TI_REPORT of the
// browse, when the program has it) and "&Salir".
void Browse(const std::string& title = "Browse");

// One line of an inspector: the data's name, its type and its value as text.
struct InspectedData {
  std::string name;
  std::string type;
  std::string value;
  xb::Value data;  // objects and arrays open an inspector of their own
};
// The lines of an object (every DATA, by name) or an array (each element).
std::vector<InspectedData> InspectedLines(const xb::Value& value);
// TI_OBJECTINSPECTOR: " Inspector : " + the class name over its lines.
void ObjectInspector(const xb::Value& value);

// Registers TI_BROWSE and TI_OBJECTINSPECTOR.
void RegisterInspectors();

}  // namespace reports
