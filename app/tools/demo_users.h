// The users of the demo data tree, so that the program can be logged into: the user table
// `Usuarios` and the group table `GrpUser` in the layout every program of the suite reads,
// and the program's menu table `MenuVdrE`, whose option "ReIndex" is the organisation.
//
//   "00" Supervisor   password empty     every option, the organisation included
//   "01" Dependiente  password "TIENDA"  every option but the organisation
#pragma once

#include <string>
#include <string_view>

namespace app {

struct DemoUser {
  std::string_view code, name, password;
  bool organises;  // the option "ReIndex" is open to him
};
inline constexpr DemoUser kDemoUsers[] = {
    {"00", "Supervisor", "", true},
    {"01", "Dependiente", "TIENDA", false},
};

// The menu table's option of the organisation, and its record number (its place in the
// users' access strings).
inline constexpr std::string_view kReIndexOption = "ReIndex";
inline constexpr int kReIndexRecord = 2;

// Writes the three tables, with their indexes, into the start folder `folder` (with its
// separator), through the work areas. False with *error when one cannot be written.
bool WriteDemoUsers(const std::string& folder, std::string* error);

// The password as the user table keeps it: padded to 9 characters and scrambled with
// `extra` as a tenth byte, each byte from the ninth down taking the next one, modulo 87.
std::string ScrambledPassword(std::string_view password, unsigned char extra);

}  // namespace app
