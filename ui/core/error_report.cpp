#include "ui/core/error_report.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cctype>

#include "runtime/array.h"
#include "runtime/function_table.h"
#include "runtime/number.h"
#include "runtime/proc_stack.h"
#include "runtime/rdd/driver.h"
#include "runtime/rdd/order_bag.h"
#include "runtime/rdd/workareas.h"
#include "ui/bridge/resources.h"
#include "ui/bridge/system_wrappers.h"
#include "ui/core/value_text.h"
#include "ui/core/tcontrol.h"

namespace ui {
namespace {

constexpr const char* kEol = "\r\n";
constexpr int kLastLevel = 73;  // levels first .. 73 (2 .. 73 from ERRORDIALOG)

std::string Int(std::int64_t n) { return std::to_string(n); }

std::string Transform(std::int64_t n, const char* picture) {
  return std::string(xb::CallFunction("TRANSFORM", {xb::Value::Integer(n), xb::Value::String(picture)}).AsString());
}

std::string PadRight(std::string text, size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

class Writer {
 public:
  void Section(const char* title, const char* underline) {
    text_ += kEol;
    Line(title);
    Line(underline);
  }
  void Line(const std::string& line) {
    text_ += line;
    text_ += kEol;
  }
  std::string& text() { return text_; }

 private:
  std::string text_;
};

void Application(Writer& w) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  std::int64_t size = 0;
  std::string date;
  if (GetFileAttributesExA(path, GetFileExInfoStandard, &data)) {
    size = (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    FILETIME local = {};
    SYSTEMTIME st = {};
    FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
    FileTimeToSystemTime(&local, &st);
    date = std::string(xb::CallFunction("DTOC", {xb::Value::FromDate(xb::Date::FromYmd(st.wYear, st.wMonth, st.wDay))})
                           .AsString());
  }
  const std::int64_t handles = xb::CallFunction("SETHANDLECOUNT").AsInt();
  w.Section("Aplicacion", "==========");
  w.Line(std::string(" Ruta y Nombre: ") + path);
  w.Line(" Tamaño: " + Transform(size, "9,999,999") + " bytes Fecha : " + date);
  w.Line("   Maximo nº manejadores de ficheros: ( SetHandleCount() )" + PaddedNumber(handles, 3));
  w.Line(" Error ocurrido el: " + std::string(xb::CallFunction("DTOC", {xb::CallFunction("DATE")}).AsString()) + ", " +
         std::string(xb::CallFunction("TIME").AsString()));
}

void Arguments(Writer& w, const xb::Error& error) {
  if (!error.args.IsArray()) return;
  w.Line(" Args:");
  int n = 0;
  for (const xb::Value& arg : error.args.AsArray()) {
    w.Line(" [" + PaddedNumber(++n, 4) + "] = " + std::string(1, arg.ValType()) + " " + CValToChar(arg));
  }
}

std::vector<std::string> CallLines(int first_level) {
  std::vector<std::string> lines;
  for (int level = first_level; level <= kLastLevel + first_level - 2; ++level) {
    const std::string_view name = xb::ProcName(level);
    if (name.empty()) continue;
    lines.push_back(" Llamado desde " + std::string(name) + "(" + Int(xb::ProcLine(level)) + ")");
  }
  return lines;
}

std::vector<std::string> RunningPrograms() {
  std::vector<std::string> titles;
  EnumWindows(
      [](HWND hwnd, LPARAM out) -> BOOL {
        auto& list = *reinterpret_cast<std::vector<std::string>*>(out);
        char title[256] = {};
        if (IsWindowVisible(hwnd) && GetWindowTextA(hwnd, title, sizeof title) > 0 &&
            std::find(list.begin(), list.end(), title) == list.end()) {
          list.emplace_back(title);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&titles));
  return titles;
}

void System(Writer& w) {
  const DWORD version = GetVersion();
  const int windows_major = LOBYTE(LOWORD(version));
  const int windows_minor = HIBYTE(LOWORD(version));
  const int base_major = HIBYTE(HIWORD(version)) % 100;
  const int base_minor = LOBYTE(HIWORD(version)) % 100;
  w.Section("Sistema", "=======");
  w.Line(" Tipo de CPU: " + CpuName(ReadCpuid()));
  w.Line(HardwareMemoryLine(NextMem() / 1024));
  w.Line(" Recursos sistema libres: % " + Int(GetFreeSystemResources(0)));
  w.Line(" Recursos GDI : % " + Int(GetFreeSystemResources(1)));
  w.Line(" Recursos usuario : % " + Int(GetFreeSystemResources(2)));
  w.Line(" Versiones Windows y MsDos: " + PaddedNumber(windows_major, 2) + "." + PaddedNumber(windows_minor, 2) + ", " +
         PaddedNumber(base_major, 2) + "." + PaddedNumber(base_minor, 2));
  const std::vector<std::string> programs = RunningPrograms();
  w.Line(" Total aplicaciones Windows activas: " + PaddedNumber(static_cast<std::int64_t>(programs.size()), 3));
  for (size_t i = 0; i < programs.size(); ++i) {
    w.Line(" " + PaddedNumber(static_cast<std::int64_t>(i + 1), 3) + " " + programs[i]);
  }
}

void Variables(Writer& w, int first_level) {
  w.Section("Variables en uso", "================");
  w.Line(" Procedimiento Tipo Valor");
  w.Line(" ==========================");
  for (int level = first_level; level <= kLastLevel + first_level - 2; ++level) {
    const std::string_view name = xb::ProcName(level);
    if (name.empty()) continue;
    w.Line(" " + std::string(name));
    int n = 0;
    for (const xb::Value& param : xb::ProcArgs(level)) {
      const xb::Value& value = param.Deref();
      w.Line(" Param " + PaddedNumber(++n, 3) + ": " + std::string(1, value.ValType()) + " " + CGetInfo(value));
    }
    // The runtime keeps no locals of its procedures: none are reported.
  }
}

void Tables(Writer& w) {
  w.Section("RDDs Enlazados", "==============");
  for (const std::string& driver : xb::rdd::RegisteredDrivers()) w.Line(" " + driver);
  w.Section("Bases de datos en uso", "=====================");
  auto& areas = xb::rdd::WorkAreas::Get();
  for (int number = 1; number <= 255; ++number) {
    xb::rdd::WorkArea* area = areas.Area(number);
    if (area == nullptr || !area->used()) continue;
    const bool selected = areas.CurrentArea() == number;
    w.Line(PaddedNumber(number, 3) + ": " + (selected ? "=> " : " ") + PadRight(area->alias(), 15) +
           std::string(20, ' ') + "RddName: " + area->driver().name);
    w.Line(" ==============================");
    w.Line(" RecNo RecCount BOF EOF");
    w.Line(" " + Transform(area->recno(), "99999") + " " + Transform(area->RecordCount(), "99999") + " " +
           CValToChar(xb::Value::Logical(area->bof())) + " " + CValToChar(xb::Value::Logical(area->eof())));
    w.Line(" Indices en uso " + std::string(23, ' ') + "TagName");
    const int orders = std::min(area->OrderCount(), 15);
    for (int order = 1; order <= orders; ++order) {
      const xb::rdd::Tag* tag = area->OrderAt(order);
      if (tag == nullptr || tag->Info().key.empty()) continue;
      const bool controlling = area->controlling_order() == order;
      w.Line(std::string(8, ' ') + (controlling ? "=> " : " ") + PadRight(tag->Info().key, 35) + tag->Info().name);
    }
    // The table engine keeps no relations between work areas.
    w.Line(" Relaciones en uso");
  }
}

void Memory(Writer& w) {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  // No 16-bit data segment here: its figures stay 0.
  w.Section("Clases en uso :", "===============");
  w.Section("Análisis de memoria", "===================");
  w.Line(" Consumo de memoria estática ");
  w.Line(" Segmento DATOS : 64k");
  w.Line(" Tamaño Inicial: 0 bytes (SYMP=0, Stack=0, Heap=0)");
  w.Line(" Stack : 65535 bytes");
  w.Line(" 0 Variables estáticas: 0 bytes");
  w.Line(" Consumo de Memorica Dinámica :");
  w.Line(" Valor Actual : " + Int(static_cast<std::int64_t>(counters.WorkingSetSize)) + " bytes");
  w.Line(" Valor máximo : " + Int(static_cast<std::int64_t>(counters.PeakWorkingSetSize)) + " bytes");
}

}  // namespace

std::string HardwareMemoryLine(std::uint64_t extended_kb) {
  const std::int64_t memory = static_cast<std::int64_t>(extended_kb) + 768;
  return " Memoria Hardware : " + Int(memory) + " (" + Int(memory / 1024) + " megas)";
}

std::string ErrorMessage(const xb::Error& e) {
  std::string message;
  if (e.osCode != 0) {
    message = "(Error DOS " + Int(e.osCode) + ") ";
  } else {
    message = e.severity > xb::ES_WARNING ? "Error " : "Atención";
  }
  message += e.subsystem.empty() ? "???" : e.subsystem;
  message += "/" + Int(e.subCode);
  if (!e.description.empty()) message += " " + e.description;
  if (!e.filename.empty()) {
    message += ": " + e.filename;
  } else if (!e.operation.empty()) {
    message += ": " + e.operation;
  }
  return message;
}

std::string CGetInfo(const xb::Value& v) {
  if (v.IsString()) return "\"" + std::string(v.AsString()) + "\"";
  if (v.IsObject()) return "Clase: " + v.AsObject()->ClassName();
  if (v.IsArray()) return "Longitud: " + PaddedNumber(static_cast<std::int64_t>(v.AsArray().size()), 4);
  return CValToChar(v);
}

std::string InfoVersion() {
  std::string text = kEol;
  text += "Información sobre la versión.";
  text += kEol;
  text += "=============================";
  text += kEol;
  const xb::Value version = xb::IsFunctionRegistered("AQZVERSION") ? xb::CallFunction("AQZVERSION") : xb::Value();
  if (version.IsArray()) {
    for (const xb::Value& entry : version.AsArray()) {
      const xb::Array pair = entry.AsArray();
      if (!pair || pair.size() < 2) continue;
      std::string name(pair.Get(0).AsString());
      for (size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        name[i] = static_cast<char>(i == 0 ? std::toupper(c) : std::tolower(c));
      }
      text += " " + name + ": " + CValToChar(pair.Get(1)) + kEol;
    }
  }
  text += kEol;
  return text;
}

ErrorReport BuildErrorReport(const xb::Error& error, int first_level) {
  Writer w;
  Application(w);
  w.text() += InfoVersion();
  w.Line(" Descripción del error: " + ErrorMessage(error));
  Arguments(w, error);
  ErrorReport report;
  report.calls = CallLines(first_level);
  w.Section("Secuencia de llamadas", "=====================");
  for (const std::string& line : report.calls) w.Line(line);
  System(w);
  Variables(w, first_level);
  Tables(w);
  Memory(w);
  report.text = std::move(w.text());
  return report;
}

}  // namespace ui
