// The mail spool TQZSpoolMsg: the e-mail messages handed to the management panel, each
// kept until the panel reports its result, which runs the message's callback. A message is a
// record object (TExStruct) with nId, aDest, aCC, aCCO, cSubject, cMsgText, aFiles,
// bCallBack, lShowDialog and lAutoSend. One spool serves the whole program (OMAILSPOOL).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/value.h"
#include "ui/core/tstruct.h"

namespace svc {

struct MailParams {
  xb::Value recipients, copies, blind_copies;  // arrays of addresses (a text counts as one)
  std::string subject = "Asunto";
  std::string text = " ";
  xb::Value files;                             // an array of file paths
  xb::Value callback;                          // evaluated with (identifier, result)
  bool show_dialog = true;
  bool auto_send = false;
};

class TQZSpoolMsg : public xb::Object {
 public:
  TQZSpoolMsg();
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  // Queues the message (and sends it at once with the auto-send flag); its identifier.
  std::uint32_t NewMsg(const MailParams& params);
  // Sends the message with that identifier (default the last queued) under a small notice
  // that stays up for three seconds while messages run. False when it is not queued.
  bool SendMsg(const xb::Value& id = {});
  // The panel's reply at `lparam` handed to HandleEvent.
  void ReadInfo(LPARAM lparam);
  // The message's callback with (identifier, result); the message leaves the queue.
  void HandleEvent(const xb::Value& id, const xb::Value& result);
  // The message with that identifier (compared as unsigned 32-bit numbers), or nullptr.
  xb::Ref<ui::TExStruct> GetMsgFromId(const xb::Value& id) const;
  bool DelMsg(const xb::Value& id);
  void End();

  xb::Array aMsgs;
};

// OMAILSPOOL: the program's spool, made on first call (INITMAILSYSTEM). MailSpoolIfAny
// (OMAILSPOOL(.F.), as the window classes ask): the spool when it exists, without making one.
// ENDMAILSYSTEM: the spool ends.
xb::Ref<TQZSpoolMsg> oMailSpool();
xb::Ref<TQZSpoolMsg> MailSpoolIfAny();
void EndMailSystem();

// STRING2ARRAY: the non-empty tokens of the text between separators.
std::vector<std::string> String2Array(std::string_view text, std::string_view separator);
// The elements of a list argument as trimmed texts: an array (a single element holding ","
// is split at the commas), or one text.
std::vector<std::string> ListItems(const xb::Value& list);
// ARRAY2STRING: the items joined by the separator, padded with blanks or cut to `width`.
std::string Array2String(const xb::Value& list, std::size_t width = 512, std::string_view separator = ";");
// ARRAY2XML: the files grouped by folder in order of first appearance, each group
// "<DIR " + folder (with its "\") + ">" + names joined by ";" + "</DIR>".
std::string Array2Xml(const xb::Value& files);

// Registers TQZSPOOLMSG, OMAILSPOOL, INITMAILSYSTEM, ENDMAILSYSTEM, ARRAY2STRING,
// STRING2ARRAY and ARRAY2XML.
void RegisterMailSpoolFunctions();

}  // namespace svc
