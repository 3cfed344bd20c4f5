// What the listing driver needs of the HTML export for destinations 32 and 128: the device
// made current in place of the listing printer, its pages written and placed, its end.
#pragma once

#include <string>

#include "output/tprinter2.h"

namespace output {

// A TQZWebLS for the listing's title and orientation, measuring on printer `printer`; its
// Ok() is false when the work folder or the printer could not be made (after the message).
xb::Ref<TPrinter2> NewHtmlListingDevice(const std::string& title, bool landscape, int printer, int destination);
// Writes and places the pages (the device's Activate).
void ActivateHtmlListingDevice(const xb::Ref<TPrinter2>& device);
// Ends the builder and the printer, and clears the current printer.
void EndHtmlListingDevice(const xb::Ref<TPrinter2>& device);

}  // namespace output
