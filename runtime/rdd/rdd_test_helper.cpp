// A second process for the table engine's tests. It opens a table, does one thing to it and
// reports through its exit code: 0 done, the OS code of a failed open (2, 3, 5, 32 ...),
// 40 when a lock was refused, 86 when it ended itself on purpose, 1 for anything else.
//
//   open   TABLE SCHEME shared|exclusive READY RELEASE  hold the table open
//   rlock  TABLE SCHEME RECNO READY RELEASE             hold a record lock
//   flock  TABLE SCHEME READY RELEASE                   hold the file lock
//   hold-append TABLE SCHEME READY RELEASE              append a record and hold it
//   append TABLE SCHEME COUNT TAG                       append COUNT records "TAG<n>" with memos
//   pack   TABLE SCHEME DIE_AT                          pack; end the process abruptly at the
//                                                       DIE_AT-th change of a file (0: never)
// SCHEME is "clipper" (NTX driver: Clipper locks, DBT memo) or "foxpro" (CDX driver:
// FoxPro locks, FPT memo).
//   xbase  EXPR...   evaluates xBase expressions in turn: "=EXPR" must give .T. (else the
//                    exit code is 10 + its position), "@ready:FILE" writes FILE, "@wait:FILE"
//                    waits for FILE; errors take the default (the error block answers .F.)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "runtime/runtime.h"
#include "runtime/rdd/dbf_table.h"
#include "runtime/rdd/workareas.h"
#include "runtime/rdd/faulty_file_system.h"
#include "runtime/rdd/test_process.h"

using namespace xb::rdd;

namespace {

int Fail(const Status& s) {
  std::fprintf(stderr, "rdd_test_helper: %s\n", s.message().c_str());
  if (s.code() == StatusCode::kLocked) return 40;
  if (s.code() == StatusCode::kIo && s.os_code() > 1 && s.os_code() < 40) return s.os_code();
  return 1;
}

TableOpenOptions Options(const std::string& scheme, bool shared) {
  TableOpenOptions o;
  o.shared = shared;
  o.lock_scheme = scheme == "foxpro" ? LockScheme::kFoxPro : LockScheme::kClipper;
  o.memo_kind = scheme == "foxpro" ? xb::rdd::dbf::MemoKind::kFpt : xb::rdd::dbf::MemoKind::kDbt;
  return o;
}

int HoldUntilReleased(const std::string& ready, const std::string& release) {
  testing::TouchFile(ready);
  return testing::WaitForFile(release, std::chrono::seconds(120)) ? 0 : 1;
}

}  // namespace

int RunXBase(int argc, char** argv) {
  xb::InitRuntime();
  InitTables();
  xb::SetErrorBlock(xb::Value(xb::Block::Native([](xb::Args& a) {
    const auto* e = static_cast<const xb::Error*>(a.Arg(1).AsObject().get());
    std::fprintf(stderr, "rdd_test_helper: %s\n", xb::ErrorText(*e).c_str());
    return xb::Value::Logical(false);
  })));
  for (int i = 2; i < argc; ++i) {
    const std::string step = argv[i];
    if (step.rfind("@ready:", 0) == 0) {
      testing::TouchFile(step.substr(7));
    } else if (step.rfind("@wait:", 0) == 0) {
      if (!testing::WaitForFile(step.substr(6), std::chrono::seconds(120))) return 1;
    } else if (step[0] == '=') {
      if (!xb::EvalMacro(step.substr(1)).AsLogical()) return 10 + i;
    } else {
      xb::EvalMacro(step);
    }
  }
  WorkAreas::Get().CloseAll();
  return 0;
}

int main(int argc, char** argv) {
  if (argc >= 2 && std::string(argv[1]) == "xbase") return RunXBase(argc, argv);
  if (argc < 3) return 1;
  const std::string cmd = argv[1], path = argv[2];
  auto arg = [&](int i) { return i < argc ? std::string(argv[i]) : std::string(); };
  std::unique_ptr<DbfTable> t;

  if (cmd == "open") {
    Status s = DbfTable::Open(RealFileSystem(), path, Options(arg(3), arg(4) == "shared"), &t);
    if (!s.ok()) return Fail(s);
    return HoldUntilReleased(arg(5), arg(6));
  }
  if (cmd == "rlock" || cmd == "flock" || cmd == "hold-append") {
    Status s = DbfTable::Open(RealFileSystem(), path, Options(arg(3), true), &t);
    if (s.ok()) {
      if (cmd == "rlock") s = t->LockRecord(static_cast<std::uint32_t>(std::atoi(arg(4).c_str())));
      if (cmd == "flock") s = t->LockFile();
      if (cmd == "hold-append") s = t->Append();
    }
    if (!s.ok()) return Fail(s);
    const int first = cmd == "rlock" ? 5 : 4;
    return HoldUntilReleased(arg(first), arg(first + 1));
  }
  if (cmd == "append") {
    Status s = DbfTable::Open(RealFileSystem(), path, Options(arg(3), true), &t);
    if (!s.ok()) return Fail(s);
    const int count = std::atoi(arg(4).c_str());
    const std::string tag = arg(5);
    for (int i = 1; i <= count; ++i) {
      s = t->Append();
      for (int tries = 0; s.code() == StatusCode::kLocked && tries < 200; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        s = t->Append();
      }
      const std::string code = tag + std::to_string(i);
      if (s.ok()) s = t->PutCharacter(0, code);
      if (s.ok()) s = t->PutMemo(5, "memo de " + code);
      if (s.ok()) s = t->UnlockAll();
      if (!s.ok()) return Fail(s);
    }
    s = t->Close();
    return s.ok() ? 0 : Fail(s);
  }
  if (cmd == "pack") {
    FaultyFileSystem fs(RealFileSystem());
    const long die_at = std::atol(arg(4).c_str());
    fs.before_change = [die_at](long change) {
      if (change == die_at) std::_Exit(86);
    };
    Status s = DbfTable::Open(fs, path, Options(arg(3), false), &t);
    if (s.ok()) s = t->Pack();
    if (s.ok()) s = t->Close();
    return s.ok() ? 0 : Fail(s);
  }
  return 1;
}
