// The calendar date picker QZ_MSGDATE: a small modal dialog with one month as a grid of day
// buttons (Monday first), a menu that moves it by months and years, adds or subtracts days
// or takes today, and the chosen date in words above. The module also holds the day-count
// prompt MSGGET and the long date text DDATETOSTRING.
#pragma once

#include <string>

#include "runtime/value.h"
#include "ui/core/tdialog.h"

namespace ui {

// QZ_MSGDATE(dDate, cTitle, oGet): the date chosen (a day button, "&Hoy", "&Aceptar" or
// Enter), or the argument as it was passed when the dialog is closed otherwise. With oGet,
// the field receives the chosen date, or on closing the date the dialog opened with (none
// when the argument was empty or missing).
xb::Value QzMsgDate(const xb::Value& date, const xb::Value& title = {}, const xb::Value& get = {});

// MSGGET(cTitle, cPrompt, @nValue): a number asked in a small dialog; true when accepted,
// otherwise the value is put back.
bool MsgGet(const std::string& title, const std::string& prompt, xb::Value& value);

// MOVECALENDAR(oDlg, nAction, bSetDate): moves the calendar dialog from its chosen day
// (action 1 previous month, 2 next month, 3 previous year, 4 next year, 5 add days, 6
// subtract days, both asked with MSGGET), renumbers its day buttons and gives the new date
// to the block.
void MoveCalendar(TDialog& dialog, int action, const xb::Value& set_date);

// Registers QZ_MSGDATE, DDATETOSTRING, MSGGET and MOVECALENDAR.
void RegisterCalendar();

}  // namespace ui
