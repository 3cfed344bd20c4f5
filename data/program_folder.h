// The folder of the running program, from the module file name of the running instance.
#pragma once

#include <string>

namespace data {

// The folder with its trailing separator; empty when the system does not say.
std::string ProgramFolder();

}  // namespace data
