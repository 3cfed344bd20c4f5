// The log-in: the user picks his name from the list of users, types his password and is
// marked active in the user table until the log-out at the end of the program. Also the
// question that ends the program, and the closing step.
#pragma once

#include <string>

#include "runtime/value.h"

namespace svc {

struct LoginParams {
  bool dialog = true;         // false: no identification, the configuration record only
  int tries = 3;              // wrong passwords that end the log-in
  std::string version_file{};  // empty: "VersionE.Dbf" of the start folder
  std::string bitmap = "BMPENTRADA_ZAFRE";
  bool create = false;        // the user tables are created when missing
  bool touch = false;         // touch-screen mode
};

// LIDENTIFICA: reads the version record, makes or repairs the user tables, and (with the
// dialog) lets the user identify himself: true when someone logged in (or without the
// dialog, once the tables open). The main program passes its own version table and the
// bitmap "BMPENTVDRE".
bool lIdentifica(const LoginParams& params);

// LCHECKIN: the check of the selected user of the user table open under `alias` against the
// typed password (the first 8 characters count, in any case). An active user is refused
// without counting a try (also when another station logged him in meanwhile: his mark is
// read again once his record is locked); a wrong password counts one in `failed`. On success
// the user is identified, marked active and his configuration and colours are loaded.
bool lCheckIn(const std::string& alias, const std::string& typed, int* failed);

// Whether the typed text is the password scrambled in `scrambled` (the first 8 characters,
// in any case).
bool PasswordMatches(const std::string& typed, const std::string& scrambled);

// LTERMINAR: asks whether to end the program (without asking: true).
bool lTerminar(bool ask = true);
// TERMINAR: ends the main window.
void Terminar();
// CIERRE: the closing step: ends the current line printer when there is one.
void Cierre();
// QZCURDRIVE: the current folder's drive letter, upper case, without the colon.
std::string QzCurDrive();

// Registers LIDENTIFICA, LCHECKIN, LTERMINAR, TERMINAR, CIERRE and QZCURDRIVE.
void RegisterLoginFunctions();

}  // namespace svc
