#include "services/exec_spool.h"

#include <algorithm>

#include "runtime/block.h"
#include "runtime/function_table.h"
#include "services/panel_link.h"
#include "services/spool_support.h"
#include "ui/core/ttimer.h"

namespace svc {
namespace {

using xb::Args;
using xb::Value;

constexpr int kWaitTick = 999;

xb::Ref<TQZExec32>& Spool() {
  static auto* spool = new xb::Ref<TQZExec32>();
  return *spool;
}

std::string Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

std::string TextOf(ui::TExStruct& entry, std::string_view member) {
  const Value v = EntryValue(entry, member);
  return v.IsString() ? std::string(v.AsString()) : std::string();
}

ui::TExStruct* Entry(const Value& v) { return v.IsObject() ? dynamic_cast<ui::TExStruct*>(v.AsObject().get()) : nullptr; }

}  // namespace

TQZExec32::TQZExec32() : xb::Object(Cls()), aInstances(xb::Array::New()) {}

void TQZExec32::Traverse(xb::GcVisitor& visitor) {
  xb::Object::Traverse(visitor);
  if (aInstances && aInstances.rep()) visitor.Visit(aInstances.rep());
  if (wait_dialog_) visitor.Visit(wait_dialog_.get());
}

void TQZExec32::ClearValues() {
  xb::Object::ClearValues();
  aInstances = xb::Array::New();
  wait_dialog_ = {};
}

std::uint32_t TQZExec32::NewGeneric(const ExecParams& p) {
  auto instance = xb::MakeRef<ui::TExStruct>();
  const std::uint32_t id = NewPanelIdentifier();
  instance->AddMember("nIdInstance", "N", Value::Integer(id));
  instance->AddMember("nMsgType", "N", Value::Integer(p.message_type));
  instance->AddMember("cFullPath", "C", Value::String(p.full_path));
  instance->AddMember("cDirExec", "C", Value::String(p.folder));
  instance->AddMember("cProgID", "C", Value());
  instance->AddMember("cFuncName", "C", Value::String(p.function_name));
  instance->AddMember("cParams", "C", Value::String(p.parameters));
  instance->AddMember("lWaitRun", "L", Value::Logical(p.wait));
  instance->AddMember("bCallBack", "B", p.callback.IsBlock() ? p.callback : NoCallback());
  instance->AddMember("lAutoExec", "L", Value::Logical(p.auto_run));
  instance->AddMember("lShowProgress", "L", Value::Logical(p.show_progress));
  aInstances.Append(Value(xb::ObjectRef(instance)));
  if (p.auto_run) RunInstance(Value::Integer(id));
  return id;
}

void TQZExec32::RunInstance(const Value& id) {
  xb::Ref<ui::TExStruct> instance;
  if (id.IsNil()) {
    if (!aInstances.empty()) instance = xb::Ref<ui::TExStruct>(Entry(aInstances[aInstances.size() - 1]));
  } else {
    instance = GetInstanceFromID(id);
  }
  if (!instance) return;
  // Without the panel nobody would ever close the wait dialog.
  if (EntryValue(*instance, "lWaitRun").AsLogical() && ::IsWindow(QzccHwnd())) CreateDlgWait(*instance);
  else RunSingleInstance(*instance);
}

void TQZExec32::RunSingleInstance(ui::TExStruct& instance) {
  panel::ExecInstanceRecord record;
  record.id = EntryId(instance, "nIdInstance");
  record.full_path = Trim(TextOf(instance, "cFullPath"));
  record.parameters = panel::Escape(Trim(TextOf(instance, "cParams")));
  record.folder = Trim(TextOf(instance, "cDirExec"));
  record.wait = EntryValue(instance, "lWaitRun").AsLogical();
  record.show_progress = EntryValue(instance, "lShowProgress").AsLogical();
  const int type = static_cast<int>(EntryValue(instance, "nMsgType").AsInt());
  const HWND program = AppHwnd();
  ExecInstance(record, type, QzccHwnd(), program);
}

void TQZExec32::CreateDlgWait(ui::TExStruct& instance) {
  const xb::Ref<ui::TExStruct> keep(&instance);
  const ui::DialogRef previous = wait_dialog_;
  const std::uint32_t previous_id = waiting_id_;
  ui::DialogRef dialog = NoticeDialog("Realizando proceso, espere...");
  dialog->lValidEsc = true;
  wait_dialog_ = dialog;
  waiting_id_ = EntryId(instance, "nIdInstance");
  closing_ = false;
  xb::Ref<ui::TTimer> timer;
  ui::TDialog* box = dialog.get();
  const Value init(xb::Block::Native([this, box, keep, &timer](Args&) {
    timer = ui::TTimer::New(kWaitTick, Value(xb::Block::Native([this, box](Args&) {
                              ::UpdateWindow(box->hWnd);
                              // The panel is gone: no result will come.
                              if (!::IsWindow(QzccHwnd()) && wait_dialog_.get() == box) CloseWaitDialog();
                              return Value();
                            })),
                            box);
    timer->Activate();
    RunSingleInstance(*keep);
    return Value::Logical(true);
  }));
  const Value valid(xb::Block::Native([this](Args&) { return Value::Logical(closing_); }));
  dialog->Activate({.centered = true, .valid = valid, .init = init});
  if (timer) timer->End();
  wait_dialog_ = previous;
  waiting_id_ = previous_id;
  closing_ = false;
}

void TQZExec32::CloseWaitDialog() {
  if (!wait_dialog_ || wait_dialog_->hWnd == nullptr) return;
  closing_ = true;
  wait_dialog_->End(IDOK);
}

void TQZExec32::ReadInfo(int code, LPARAM lparam) {
  const panel::Reply reply = mReadInfo(lparam);
  if (code == panel::kExecProgram) HandleEvent(code, Value::Integer(reply.id), Value::Integer(reply.result));
  // 1005 and 1006 are the panel's notices about a run: nothing to do with them.
}

void TQZExec32::HandleEvent(int, const Value& id, const Value& result) {
  const xb::Ref<ui::TExStruct> instance = GetInstanceFromID(id);
  if (!instance) return;
  const std::uint32_t wanted = EntryId(*instance, "nIdInstance");
  if (EntryValue(*instance, "lWaitRun").AsLogical() && waiting_id_ == wanted) CloseWaitDialog();
  const Value callback = EntryValue(*instance, "bCallBack");
  if (callback.IsBlock()) callback.AsBlock().Eval({Value::Integer(wanted), result});
}

xb::Ref<ui::TExStruct> TQZExec32::GetInstanceFromID(const Value& id) const {
  const std::optional<std::uint32_t> wanted = IdentifierOf(id);
  if (!wanted) return {};
  for (const Value& item : aInstances) {
    ui::TExStruct* instance = Entry(item);
    if (instance != nullptr && EntryId(*instance, "nIdInstance") == *wanted) return xb::Ref<ui::TExStruct>(instance);
  }
  return {};
}

bool TQZExec32::DelInstance(const Value& id) {
  const xb::Ref<ui::TExStruct> instance = GetInstanceFromID(id);
  if (!instance) return false;
  std::erase_if(aInstances.Items(), [&](const Value& v) { return Entry(v) == instance.get(); });
  return true;
}

void TQZExec32::End() { aInstances.Items().clear(); }

const xb::Class& TQZExec32::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    using xb::Object;
    auto self = [](Object& o) -> TQZExec32& { return xb::Class::Cast<TQZExec32>(o); };
    auto text = [](const Args& a, int n, std::string fallback) {
      return a.Arg(n).IsString() ? std::string(a.Str(n)) : fallback;
    };
    xb::Class& c = xb::Class::Define("TQZEXEC32");
    c.Property("AINSTANCES", [self](Object& o) { return Value(self(o).aInstances); }, nullptr);
    c.Method("NEW", [self](Object& o, Args&) {
      self(o).End();
      return o.AsValue();
    });
    c.Method("NEWEXE32", [self, text](Object& o, Args& a) {
      ExecParams p;
      p.full_path = text(a, 1, "");
      p.folder = text(a, 2, ".\\");
      p.parameters = text(a, 3, "");
      p.wait = a.Log(4, false);
      p.callback = a.Arg(5);
      p.auto_run = a.Log(6, false);
      p.show_progress = a.Log(7, true);
      return Value::Integer(self(o).NewGeneric(p));
    });
    c.Method("NEWGENERIC", [self, text](Object& o, Args& a) {
      ExecParams p;
      if (a.Arg(1).IsNumber()) p.message_type = static_cast<int>(a.Int(1));
      p.full_path = text(a, 2, "");
      p.folder = text(a, 3, ".\\");
      p.function_name = text(a, 4, "");
      p.parameters = text(a, 5, "");
      p.wait = a.Log(6, false);
      p.callback = a.Arg(7);
      p.auto_run = a.Log(8, false);
      p.show_progress = a.Log(9, true);
      return Value::Integer(self(o).NewGeneric(p));
    });
    c.Method("READINFO", [self](Object& o, Args& a) {
      self(o).ReadInfo(static_cast<int>(a.Int(1)), static_cast<LPARAM>(a.Int(2)));
      return Value();
    });
    c.Method("HANDLEEVENT", [self](Object& o, Args& a) {
      self(o).HandleEvent(static_cast<int>(a.Int(1)), a.Arg(2), a.Arg(3));
      return Value();
    });
    c.Method("RUNINSTANCE", [self](Object& o, Args& a) {
      self(o).RunInstance(a.Arg(1));
      return Value();
    });
    c.Method("RUNSINGLEINSTANCE", [self](Object& o, Args& a) {
      if (auto* instance = dynamic_cast<ui::TExStruct*>(a.Obj(1).get())) self(o).RunSingleInstance(*instance);
      return Value();
    });
    c.Method("CREATEDLGWAIT", [self](Object& o, Args& a) {
      if (auto* instance = dynamic_cast<ui::TExStruct*>(a.Obj(1).get())) self(o).CreateDlgWait(*instance);
      return Value();
    });
    c.Method("GETINSTANCEFROMID", [self](Object& o, Args& a) {
      const xb::Ref<ui::TExStruct> instance = self(o).GetInstanceFromID(a.Arg(1));
      return instance ? Value(xb::ObjectRef(instance)) : Value();
    });
    c.Method("DELINSTANCE", [self](Object& o, Args& a) { return Value::Logical(self(o).DelInstance(a.Arg(1))); });
    c.Method("END", [self](Object& o, Args&) {
      self(o).End();
      return Value();
    });
    return c;
  }();
  return cls;
}

xb::Ref<TQZExec32> oExecSpool() {
  if (!Spool()) Spool() = xb::MakeRef<TQZExec32>();
  return Spool();
}

xb::Ref<TQZExec32> ExecSpoolIfAny() { return Spool(); }

void EndExecSystem() {
  if (Spool()) Spool()->End();
  Spool() = {};
}

void RegisterExecSpoolFunctions() {
  (void)TQZExec32::Cls();
  xb::RegisterFunction("TQZEXEC32", [](Args&) { return Value(xb::ObjectRef(xb::MakeRef<TQZExec32>())); });
  xb::RegisterFunction("OEXECSPOOL", [](Args& a) {
    const xb::Ref<TQZExec32> spool = a.Log(1, true) ? oExecSpool() : ExecSpoolIfAny();
    return spool ? Value(xb::ObjectRef(spool)) : Value();
  });
  xb::RegisterFunction("INITEXECSYSTEM", [](Args&) { return Value(xb::ObjectRef(oExecSpool())); });
  xb::RegisterFunction("ENDEXECSYSTEM", [](Args&) {
    EndExecSystem();
    return Value();
  });
}

}  // namespace svc
