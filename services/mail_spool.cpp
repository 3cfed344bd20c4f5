#include "services/mail_spool.h"

#include <algorithm>
#include <cstdlib>

#include "runtime/function_table.h"
#include "services/panel_link.h"
#include "services/spool_support.h"
#include "ui/bridge/message_loop.h"
#include "ui/core/screen_waits.h"

namespace svc {
namespace {

using xb::Args;
using xb::Value;

constexpr unsigned kSendingNotice = 3000;
constexpr std::size_t kAddressListWidth = 256;

xb::Ref<TQZSpoolMsg>& Spool() {
  static auto* spool = new xb::Ref<TQZSpoolMsg>();
  return *spool;
}

std::string Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

// A list argument as an array: a text is one element, anything else none.
Value AsArray(const Value& list) {
  if (list.IsArray()) return list;
  if (list.IsString()) return Value(xb::Array::Of({list}));
  return Value(xb::Array::New());
}

ui::TExStruct* Entry(const Value& v) { return v.IsObject() ? dynamic_cast<ui::TExStruct*>(v.AsObject().get()) : nullptr; }

}  // namespace

// ---- list helpers ---------------------------------------------------------------------------------

std::vector<std::string> String2Array(std::string_view text, std::string_view separator) {
  std::vector<std::string> tokens;
  if (separator.empty()) separator = ";";
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t at = text.find(separator, start);
    const std::string_view token = text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start);
    if (!token.empty()) tokens.emplace_back(token);
    if (at == std::string_view::npos) break;
    start = at + separator.size();
  }
  return tokens;
}

std::vector<std::string> ListItems(const Value& list) {
  std::vector<std::string> raw;
  if (list.IsString()) {
    raw.emplace_back(list.AsString());
  } else if (list.IsArray()) {
    for (const Value& item : list.AsArray())
      if (item.IsString()) raw.emplace_back(item.AsString());
  }
  if (raw.size() == 1 && raw.front().find(',') != std::string::npos) raw = String2Array(raw.front(), ",");
  std::vector<std::string> items;
  for (const std::string& item : raw) items.push_back(Trim(item));
  return items;
}

std::string Array2String(const Value& list, std::size_t width, std::string_view separator) {
  const std::vector<std::string> items = ListItems(list);
  if (items.empty()) return {};
  std::string joined;
  for (const std::string& item : items) {
    if (!joined.empty()) joined += separator;
    joined += item;
  }
  joined.resize(width, ' ');
  return joined;
}

std::string Array2Xml(const Value& files) {
  struct Group {
    std::string folder;
    std::string names;
  };
  std::vector<Group> groups;
  for (const std::string& file : ListItems(files)) {
    if (file.empty()) continue;
    const std::size_t slash = file.find_last_of('\\');
    const std::string folder = slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
    auto group = std::find_if(groups.begin(), groups.end(), [&](const Group& g) { return g.folder == folder; });
    if (group == groups.end()) {
      groups.push_back({folder, name});
    } else {
      group->names += ";" + name;
    }
  }
  std::string notation;
  for (const Group& g : groups) notation += "<DIR " + g.folder + ">" + g.names + "</DIR>";
  return notation;
}

// ---- the spool ------------------------------------------------------------------------------------

TQZSpoolMsg::TQZSpoolMsg() : xb::Object(Cls()), aMsgs(xb::Array::New()) {}

void TQZSpoolMsg::Traverse(xb::GcVisitor& visitor) {
  xb::Object::Traverse(visitor);
  if (aMsgs && aMsgs.rep()) visitor.Visit(aMsgs.rep());
}

void TQZSpoolMsg::ClearValues() {
  xb::Object::ClearValues();
  aMsgs = xb::Array::New();
}

std::uint32_t TQZSpoolMsg::NewMsg(const MailParams& p) {
  auto message = xb::MakeRef<ui::TExStruct>();
  const std::uint32_t id = NewPanelIdentifier();
  message->AddMember("nId", "N", Value::Integer(id));
  message->AddMember("aDest", "A", AsArray(p.recipients));
  message->AddMember("aCC", "A", AsArray(p.copies));
  message->AddMember("aCCO", "A", AsArray(p.blind_copies));
  message->AddMember("cSubject", "C", Value::String(p.subject));
  message->AddMember("cMsgText", "C", Value::String(p.text));
  message->AddMember("aFiles", "A", AsArray(p.files));
  message->AddMember("bCallBack", "B", p.callback.IsBlock() ? p.callback : NoCallback());
  message->AddMember("lShowDialog", "L", Value::Logical(p.show_dialog));
  message->AddMember("lAutoSend", "L", Value::Logical(p.auto_send));
  aMsgs.Append(Value(xb::ObjectRef(message)));
  if (p.auto_send) SendMsg(Value::Integer(id));
  return id;
}

bool TQZSpoolMsg::SendMsg(const Value& id) {
  xb::Ref<ui::TExStruct> message;
  if (id.IsNil()) {
    if (!aMsgs.empty()) message = xb::Ref<ui::TExStruct>(Entry(aMsgs[aMsgs.size() - 1]));
  } else {
    message = GetMsgFromId(id);
  }
  if (!message) return false;
  ui::DialogRef notice = NoticeDialog("Enviando mensaje, espere....");
  notice->Activate({.centered = true, .modal = false});
  panel::MailMessageRecord record;
  record.id = EntryId(*message, "nId");
  record.recipients = Array2String(EntryValue(*message, "aDest"), kAddressListWidth);
  record.copies = Array2String(EntryValue(*message, "aCC"), kAddressListWidth);
  record.blind_copies = Array2String(EntryValue(*message, "aCCO"), kAddressListWidth);
  const Value subject = EntryValue(*message, "cSubject");
  const Value text = EntryValue(*message, "cMsgText");
  record.subject = subject.IsString() ? std::string(subject.AsString()) : std::string();
  record.text = text.IsString() ? std::string(text.AsString()) : std::string();
  record.attachments = Array2Xml(EntryValue(*message, "aFiles"));
  record.show_dialog = EntryValue(*message, "lShowDialog").AsLogical();
  const HWND program = AppHwnd();
  SendEmail(record, program, QzccHwnd());
  ui::WaitMilliseconds(kSendingNotice);
  if (notice->hWnd != nullptr) {
    notice->End(IDOK);
    ui::SysRefresh();
  }
  return true;
}

void TQZSpoolMsg::ReadInfo(LPARAM lparam) {
  const panel::Reply reply = mReadInfo(lparam);
  HandleEvent(Value::Integer(reply.id), Value::Integer(reply.result));
}

void TQZSpoolMsg::HandleEvent(const Value& id, const Value& result) {
  const std::optional<std::uint32_t> wanted = IdentifierOf(id, true);
  if (!wanted) return;
  const xb::Ref<ui::TExStruct> message = GetMsgFromId(Value::Integer(*wanted));
  if (!message) return;
  const double number = result.IsString() ? std::strtod(std::string(result.AsString()).c_str(), nullptr)
                        : result.IsNumber() ? result.AsDouble()
                                            : 0;
  DelMsg(Value::Integer(*wanted));
  const Value callback = EntryValue(*message, "bCallBack");
  if (callback.IsBlock()) callback.AsBlock().Eval({Value::Integer(*wanted), Value::Number(number)});
}

xb::Ref<ui::TExStruct> TQZSpoolMsg::GetMsgFromId(const Value& id) const {
  const std::optional<std::uint32_t> wanted = IdentifierOf(id);
  if (!wanted) return {};
  for (const Value& item : aMsgs) {
    ui::TExStruct* message = Entry(item);
    if (message != nullptr && EntryId(*message, "nId") == *wanted) return xb::Ref<ui::TExStruct>(message);
  }
  return {};
}

bool TQZSpoolMsg::DelMsg(const Value& id) {
  const xb::Ref<ui::TExStruct> message = GetMsgFromId(id);
  if (!message) return false;
  std::vector<Value>& items = aMsgs.Items();
  std::erase_if(items, [&](const Value& v) { return Entry(v) == message.get(); });
  return true;
}

void TQZSpoolMsg::End() { aMsgs.Items().clear(); }

const xb::Class& TQZSpoolMsg::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    using xb::Object;
    auto self = [](Object& o) -> TQZSpoolMsg& { return xb::Class::Cast<TQZSpoolMsg>(o); };
    xb::Class& c = xb::Class::Define("TQZSPOOLMSG");
    c.Property("AMSGS", [self](Object& o) { return Value(self(o).aMsgs); }, nullptr);
    c.Method("NEW", [self](Object& o, Args&) {
      self(o).End();
      return o.AsValue();
    });
    c.Method("NEWMSG", [self](Object& o, Args& a) {
      MailParams p;
      p.recipients = a.Arg(1);
      p.copies = a.Arg(2);
      p.blind_copies = a.Arg(3);
      if (a.Arg(4).IsString()) p.subject = std::string(a.Str(4));
      if (a.Arg(5).IsString()) p.text = std::string(a.Str(5));
      p.files = a.Arg(6);
      p.callback = a.Arg(7);
      p.show_dialog = a.Log(8, true);
      p.auto_send = a.Log(9, false);
      return Value::Integer(self(o).NewMsg(p));
    });
    c.Method("SENDMSG", [self](Object& o, Args& a) { return Value::Logical(self(o).SendMsg(a.Arg(1))); });
    c.Method("HANDLEEVENT", [self](Object& o, Args& a) {
      self(o).HandleEvent(a.Arg(1), a.Arg(2));
      return Value();
    });
    c.Method("READINFO", [self](Object& o, Args& a) {
      self(o).ReadInfo(static_cast<LPARAM>(a.Int(1)));
      return Value();
    });
    c.Method("GETMSGFROMID", [self](Object& o, Args& a) {
      const xb::Ref<ui::TExStruct> message = self(o).GetMsgFromId(a.Arg(1));
      return message ? Value(xb::ObjectRef(message)) : Value();
    });
    c.Method("DELMSG", [self](Object& o, Args& a) { return Value::Logical(self(o).DelMsg(a.Arg(1))); });
    c.Method("END", [self](Object& o, Args&) {
      self(o).End();
      return Value();
    });
    return c;
  }();
  return cls;
}

xb::Ref<TQZSpoolMsg> oMailSpool() {
  if (!Spool()) Spool() = xb::MakeRef<TQZSpoolMsg>();
  return Spool();
}

xb::Ref<TQZSpoolMsg> MailSpoolIfAny() { return Spool(); }

void EndMailSystem() {
  if (Spool()) Spool()->End();
  Spool() = {};
}

void RegisterMailSpoolFunctions() {
  (void)TQZSpoolMsg::Cls();
  xb::RegisterFunction("TQZSPOOLMSG", [](Args&) { return Value(xb::ObjectRef(xb::MakeRef<TQZSpoolMsg>())); });
  xb::RegisterFunction("OMAILSPOOL", [](Args& a) {
    const xb::Ref<TQZSpoolMsg> spool = a.Log(1, true) ? oMailSpool() : MailSpoolIfAny();
    return spool ? Value(xb::ObjectRef(spool)) : Value();
  });
  xb::RegisterFunction("INITMAILSYSTEM", [](Args&) { return Value(xb::ObjectRef(oMailSpool())); });
  xb::RegisterFunction("ENDMAILSYSTEM", [](Args&) {
    EndMailSystem();
    return Value();
  });
  xb::RegisterFunction("ARRAY2STRING", [](Args& a) {
    const std::size_t width = a.Arg(2).IsNumber() ? static_cast<std::size_t>(std::max<std::int64_t>(0, a.Int(2))) : 512;
    const std::string separator = a.Arg(3).IsString() ? std::string(a.Str(3)) : ";";
    return Value::String(Array2String(a.Arg(1), width, separator));
  });
  xb::RegisterFunction("STRING2ARRAY", [](Args& a) {
    xb::Array tokens = xb::Array::New();
    for (const std::string& token : String2Array(a.Str(1), a.Arg(2).IsString() ? a.Str(2) : ";"))
      tokens.Append(Value::String(token));
    return Value(tokens);
  });
  xb::RegisterFunction("ARRAY2XML", [](Args& a) { return Value::String(Array2Xml(a.Arg(1))); });
}

}  // namespace svc
