// SET values, by the numbers xBase gives them (Set(_SET_EXACT, .T.)), with typed fast
// access for the runtime and the table engine (xb::Sets().exact). Set values are changed
// only through SetValue(), which converts and checks like xBase SET(): a logical setting
// accepts .T./.F. or "ON"/"OFF", a numeric one a number, a text one a string; anything
// else leaves the setting unchanged; SET DATEFORMAT keeps the text as given. SET CENTURY has
// no number: Century()/SetCentury() change the year of the date format between "yy" and
// "yyyy", writing the format again in upper case when its year's digits change.
#pragma once

#include <string>

#include "runtime/value.h"

namespace xb {

enum SetId : int {
  SET_EXACT = 1, SET_FIXED = 2, SET_DECIMALS = 3, SET_DATEFORMAT = 4, SET_EPOCH = 5,
  SET_PATH = 6, SET_DEFAULT = 7, SET_EXCLUSIVE = 8, SET_SOFTSEEK = 9, SET_UNIQUE = 10,
  SET_DELETED = 11, SET_CANCEL = 12, SET_DEBUG = 13, SET_TYPEAHEAD = 14, SET_COLOR = 15,
  SET_CURSOR = 16, SET_CONSOLE = 17, SET_ALTERNATE = 18, SET_ALTFILE = 19, SET_DEVICE = 20,
  SET_EXTRA = 21, SET_EXTRAFILE = 22, SET_PRINTER = 23, SET_PRINTFILE = 24, SET_MARGIN = 25,
  SET_BELL = 26, SET_CONFIRM = 27, SET_ESCAPE = 28, SET_INSERT = 29, SET_EXIT = 30,
  SET_INTENSITY = 31, SET_SCOREBOARD = 32, SET_DELIMITERS = 33, SET_DELIMCHARS = 34,
  SET_WRAP = 35, SET_MESSAGE = 36, SET_MCENTER = 37, SET_SCROLLBREAK = 38,
  SET_EVENTMASK = 39, SET_VIDEOMODE = 40, SET_MBLOCKSIZE = 41, SET_MFILEEXT = 42,
  SET_STRICTREAD = 43, SET_OPTIMIZE = 44, SET_AUTOPEN = 45, SET_AUTORDER = 46,
  SET_AUTOSHARE = 47,
  SET_LANGUAGE = 100, SET_IDLEREPEAT = 101, SET_FILECASE = 102, SET_DIRCASE = 103,
  SET_DIRSEPARATOR = 104, SET_EOF = 105, SET_HARDCOMMIT = 106, SET_FORCEOPT = 107,
  SET_DBFLOCKSCHEME = 108, SET_DEFEXTENSIONS = 109, SET_EOL = 110, SET_TRIMFILENAME = 111,
  SET_CODEPAGE = 114, SET_OSCODEPAGE = 115, SET_DBCODEPAGE = 117,
};

struct SetValues {
  bool exact = false;
  bool fixed = false;
  int decimals = 2;
  std::string dateFormat = "MM/DD/YY";
  int epoch = 1900;
  std::string path;
  std::string defaultPath;
  bool exclusive = true;
  bool softseek = false;
  bool unique = false;
  bool deleted = false;
  bool cancel = true;
  bool debug = false;
  int typeahead = 50;
  std::string color = "W/N,N/W,N/N,N/N,N/W";
  int cursor = 1;
  bool console = true;
  bool alternate = false;
  std::string altfile;
  std::string device = "SCREEN";
  bool extra = false;
  std::string extrafile;
  bool printer = false;
  std::string printfile;
  int margin = 0;
  bool bell = false;
  bool confirm = false;
  bool escape = true;
  bool insert = false;
  bool exitKeys = false;
  bool intensity = true;
  bool scoreboard = true;
  bool delimiters = false;
  std::string delimchars = "::";
  bool wrap = false;
  int message = 0;
  bool mcenter = false;
  bool scrollbreak = true;
  int eventmask = 128;
  int videomode = 0;
  int mblocksize = 64;
  std::string mfileext;
  bool strictread = false;
  bool optimize = true;
  bool autopen = true;
  int autorder = 0;
  int autoshare = 0;
  std::string language = "EN";
  bool idlerepeat = true;
  int filecase = 0;
  int dircase = 0;
  std::string dirseparator = "\\";
  bool eof = true;
  bool hardcommit = true;
  bool forceopt = false;
  int dbflockscheme = 0;
  bool defextensions = true;
  std::string eol = "\r\n";
  bool trimfilename = false;
  std::string codepage = "EN";
  std::string oscodepage;
  std::string dbcodepage;
};

// The current settings (read-only; change them with SetValue).
const SetValues& Sets();

// SET(n): the current value of setting n; NIL for an unknown number.
Value GetSetValue(int id);
// SET(n, v): sets it when v has a usable type; returns the previous value.
Value SetValue(int id, const Value& v);

bool Century();
void SetCentury(bool on);

// Every setting back to its default (tests; the program start).
void ResetSets();

}  // namespace xb
