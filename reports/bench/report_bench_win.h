// The report benchmark's windowed outputs (Windows only): the report run on the printer (the
// test printer of the Wine prefix), its preview and HTML pages, under the run's wait dialog.
#pragma once

#include <string>

namespace reports::bench {

struct OutputTiming {
  bool printed = false;
  double seconds = 0;
  // The longest time the wait dialog was not let paint and answer (between two of its calls),
  // and the run's step at its end.
  double longest_silence = 0;
  std::string silence_before;
  std::string note;  // pages, files, what the output showed
};

// Resources, controls, printing and the run's dialogs, once.
bool InitWindowedOutputs(std::string* error);

// Runs the report to "impresora", "vista" (the preview, closed as soon as it shows) or "html"
// (its pages in `folder`\html).
OutputTiming RunOutput(const std::string& report, const std::string& output, const std::string& folder);

}  // namespace reports::bench
