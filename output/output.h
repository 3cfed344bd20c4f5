// The output layer: the framework printer TPrinter with its preview, the metafile control,
// and the framework's report engine. InitOutput registers their runtime classes and public
// functions and installs the engine that prints a browse's report; call it after
// InitControls.
#pragma once

namespace output {

void InitOutput();

}  // namespace output
