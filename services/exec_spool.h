// The program-execution spool TQZExec32: programs the management panel is asked to run.
// An instance is a record object (TExStruct) with nIdInstance, nMsgType, cFullPath,
// cDirExec, cProgID, cFuncName, cParams, lWaitRun, bCallBack, lAutoExec and lShowProgress;
// the panel's result of a run evaluates its callback. An instance that waits for its run
// shows "Realizando proceso, espere..." until the result comes, or until the panel is gone.
// One spool serves the whole program (OEXECSPOOL).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/value.h"
#include "ui/core/tdialog.h"
#include "ui/core/tstruct.h"

namespace svc {

struct ExecParams {
  int message_type = 1003;
  std::string full_path;
  std::string folder = ".\\";
  std::string function_name;
  std::string parameters;
  bool wait = false;
  xb::Value callback;  // evaluated with (identifier, result)
  bool auto_run = false;
  bool show_progress = true;
};

class TQZExec32 : public xb::Object {
 public:
  TQZExec32();
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  // NEWEXE32 is NewGeneric with message type 1003 and no function name. Queues the instance
  // (run at once with the auto-run flag); its identifier.
  std::uint32_t NewGeneric(const ExecParams& params);
  // Runs the instance with that identifier (default the last queued): one that waits under
  // the wait dialog when the panel is there, any other sent at once.
  void RunInstance(const xb::Value& id = {});
  // Sends its ExecInstanceRecord: trimmed path and folder, parameters trimmed and escaped.
  void RunSingleInstance(ui::TExStruct& instance);
  // The modal wait dialog of an instance that waits; the instance is sent once it shows.
  void CreateDlgWait(ui::TExStruct& instance);
  // The reply at `lparam` under `code`: 1003 goes to HandleEvent, 1005 and 1006 are notices.
  void ReadInfo(int code, LPARAM lparam);
  // A run's result: the wait dialog of a waiting instance closes, its callback runs with
  // (identifier, result). The instance stays queued.
  void HandleEvent(int code, const xb::Value& id, const xb::Value& result);
  xb::Ref<ui::TExStruct> GetInstanceFromID(const xb::Value& id) const;
  bool DelInstance(const xb::Value& id);
  void End();

  // The wait dialog open now, or nullptr (tests).
  ui::TDialog* WaitDialog() const { return wait_dialog_.get(); }

  xb::Array aInstances;

 private:
  void CloseWaitDialog();

  ui::DialogRef wait_dialog_;
  std::uint32_t waiting_id_ = 0;
  bool closing_ = false;
};

// OEXECSPOOL: the program's spool, made on first call (INITEXECSYSTEM); OEXECSPOOL(.F.) or
// ExecSpoolIfAny only answers an existing one. ENDEXECSYSTEM: the spool ends.
xb::Ref<TQZExec32> oExecSpool();
xb::Ref<TQZExec32> ExecSpoolIfAny();
void EndExecSystem();

// Registers TQZEXEC32, OEXECSPOOL, INITEXECSYSTEM and ENDEXECSYSTEM.
void RegisterExecSpoolFunctions();

}  // namespace svc
