#include "output/printer_table.h"

#include <windows.h>

#include <cmath>
#include <cstdlib>

#include "data/program_settings.h"
#include "data/table_access.h"
#include "runtime/function_table.h"
#include "services/user_session.h"
#include "ui/core/msg_box.h"

namespace output {
namespace {

using xb::Args;
using xb::Value;

std::vector<svc::FieldDef> MakeFields() {
  std::vector<svc::FieldDef> f = {{"CNOMBRE", 'C', 64}, {"CDRIVER", 'C', 33}, {"CPUERTO", 'C', 33},
                                  {"CDESCRI", 'C', 128}, {"NACTIVA", 'C', 1}};
  for (int k = 1; k <= 3; ++k) {
    const std::string n = std::to_string(k);
    f.push_back({"CFACENAME" + n, 'C', 32});
    f.push_back({"NHEIGHT" + n, 'N', 6});
    f.push_back({"NWEIGHT" + n, 'N', 6});
    f.push_back({"LITALIC" + n, 'L', 1});
    f.push_back({"LUNDERLIN" + n, 'L', 1});
    f.push_back({"LSTRIKEOU" + n, 'L', 1});
    for (const char* name : {"NCHARSET", "NOUTPRECI", "NCLIPPREC", "NQUALITY", "NPITCHFAM", "NPITCHFTM"})
      f.push_back({name + n, 'N', 4});
  }
  f.push_back({"NSALTOLMM", 'N', 5, 1});
  f.push_back({"NLINEASPIE", 'N', 2});
  f.push_back({"NCODIMPRES", 'N', 3});
  return f;
}

bool Exists(const std::string& file) { return svc::FileExists(file); }

const char* Role(int printer) { return printer == 1 ? "principal" : "secundaria"; }

}  // namespace

std::string GesPrnTable() { return data::cPathStart() + "GesPrn" + svc::cCodUser(); }

const std::vector<svc::FieldDef>& GesPrnFields() {
  static const std::vector<svc::FieldDef> fields = MakeFields();
  return fields;
}

const std::vector<svc::TagDef>& GesPrnTags() {
  static const std::vector<svc::TagDef> tags = {{"nActiva", "NACTIVA"}, {"nCodImpres", "NCODIMPRES"}};
  return tags;
}

bool CreaImprDbf() {
  if (!svc::CreateTable(GesPrnTable(), GesPrnFields())) return false;
  NtxImprDbf();
  return true;
}

void NtxImprDbf() {
  const std::string table = GesPrnTable();
  if (!Exists(svc::DbfOf(table))) return;
  svc::EraseFile(svc::IndexOf(table));
  data::CheckMdx(svc::DbfOf(table));
  svc::SelectedAreaScope keep;
  if (!svc::OpenTable(table, "_QzGesPrn", true)) return;
  svc::OpenedArea area(true);
  svc::CreateTags(GesPrnTags());
}

void EnsureGesPrn() {
  const std::string table = GesPrnTable();
  if (!Exists(svc::DbfOf(table))) CreaImprDbf();
  else if (!Exists(svc::IndexOf(table))) NtxImprDbf();
}

bool LInfoImpre(PrinterNamesRow& row, int printer) {
  if (printer != 1 && printer != 2) {
    ui::MsgStop(Value::String("La impresora solicitada debe ser la principal o la secundaria"), "Error de Impresora");
    return false;
  }
  EnsureGesPrn();
  bool found = false;
  {
    svc::SelectedAreaScope keep;
    if (!svc::OpenTable(GesPrnTable(), "_QzGesPrn", false)) return false;
    svc::OpenedArea area(true);
    svc::SelectOrder(1);
    found = svc::Seek(Value::String(std::to_string(printer)));
    if (found) {
      auto trim = [](std::string s) {
        while (!s.empty() && s.back() == ' ') s.pop_back();
        return s;
      };
      row.name = trim(svc::FieldText("CNOMBRE"));
      row.port = trim(svc::FieldText("CPUERTO"));
      row.driver = trim(svc::FieldText("CDRIVER"));
    }
  }
  if (!found) {
    ui::MsgStop(Value::String(std::string("No se pudo seleccionar la impresora ") + Role(printer) + "."),
                "Error de Impresora");
  }
  return found;
}

xb::Array LeeFontDatos(int font, int printer) {
  xb::Array description = xb::Array::New(14);
  if (font < 1 || font > 3 || !Exists(svc::DbfOf(GesPrnTable()))) return description;
  svc::SelectedAreaScope keep;
  if (!svc::OpenTableQuietly(GesPrnTable(), "_QzGesPrn", false)) return description;
  svc::OpenedArea area(true);
  svc::SelectOrder(1);
  if (!svc::Seek(Value::String(std::to_string(printer)))) return description;
  const std::string n = std::to_string(font);
  description[0] = svc::Field("NHEIGHT" + n);
  description[1] = Value::Integer(0);
  description[2] = Value::Integer(0);
  description[3] = Value::Integer(0);
  description[4] = svc::Field("NWEIGHT" + n);
  description[5] = svc::Field("LITALIC" + n);
  description[6] = svc::Field("LUNDERLIN" + n);
  description[7] = svc::Field("LSTRIKEOU" + n);
  description[8] = svc::Field("NCHARSET" + n);
  description[9] = svc::Field("NOUTPRECI" + n);
  description[10] = svc::Field("NCLIPPREC" + n);
  description[11] = svc::Field("NQUALITY" + n);
  description[12] = svc::Field("NPITCHFAM" + n);
  std::string face = svc::FieldText("CFACENAME" + n);
  while (!face.empty() && face.back() == ' ') face.pop_back();
  description[13] = Value::String(face);
  return description;
}

std::pair<std::string, std::string> NombresImpresora(int printer) {
  const std::string table = GesPrnTable();
  if (!Exists(svc::DbfOf(table)) || !Exists(svc::IndexOf(table)))
    return {"No hay ninguna impresora instalada en la aplicacion", ""};
  svc::SelectedAreaScope keep;
  if (!svc::OpenTableQuietly(table, "_QzGesPrn", false)) return {"No hay ninguna impresora instalada en la aplicacion", ""};
  svc::OpenedArea area(true);
  svc::SelectOrder(1);
  if (!svc::Seek(Value::String(std::to_string(printer)))) return {"No hay impresoras instaladas en la aplicacion", ""};
  auto trim = [](std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
  };
  return {trim(svc::FieldText("CNOMBRE")), trim(svc::FieldText("CPUERTO"))};
}

int TwPix(int axis, double twips, HDC dc) {
  const int dpi = ::GetDeviceCaps(dc, axis == 1 ? LOGPIXELSX : LOGPIXELSY);
  return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

int PixTw(int axis, double pixels, HDC dc) {
  const int dpi = ::GetDeviceCaps(dc, axis == 1 ? LOGPIXELSX : LOGPIXELSY);
  return dpi == 0 ? 0 : static_cast<int>(std::lround(pixels * 1440.0 / dpi));
}

int MmPix(int axis, double mm, HDC dc) {
  const int dpi = ::GetDeviceCaps(dc, axis == 1 ? LOGPIXELSX : LOGPIXELSY);
  return static_cast<int>(std::lround(mm * dpi / 25.4));
}

double PixMm(int axis, int pixels, HDC dc) {
  const int dpi = ::GetDeviceCaps(dc, axis == 1 ? LOGPIXELSX : LOGPIXELSY);
  return dpi == 0 ? 0 : static_cast<int>(pixels * 254.0 / dpi) / 10.0;
}

void RegisterPrinterTable() {
  using xb::RegisterFunction;
  RegisterFunction("CREAIMPRDBF", [](Args&) { return Value::Logical(CreaImprDbf()); });
  RegisterFunction("NTXIMPRDBF", [](Args&) {
    NtxImprDbf();
    return Value();
  });
  // LINFOIMPRE( @cName, @cPort, @cDriver, nPrinter )
  RegisterFunction("LINFOIMPRE", [](Args& a) {
    PrinterNamesRow row;
    const bool found = LInfoImpre(row, a.IsNil(4) ? 1 : static_cast<int>(a.Int(4)));
    if (found) {
      a.SetRef(1, Value::String(row.name));
      a.SetRef(2, Value::String(row.port));
      a.SetRef(3, Value::String(row.driver));
    }
    return Value::Logical(found);
  });
  RegisterFunction("LEEFONTDATOS", [](Args& a) {
    return Value(LeeFontDatos(static_cast<int>(a.Int(1)), a.IsNil(2) ? 1 : static_cast<int>(a.Int(2))));
  });
  RegisterFunction("NOMBRESIMPRESORA", [](Args& a) {
    const auto [name, port] = NombresImpresora(a.IsNil(1) ? 1 : static_cast<int>(a.Int(1)));
    return Value(xb::Array::Of({Value::String(name), Value::String(port)}));
  });
  auto dc_of = [](const Args& a, int n) { return reinterpret_cast<HDC>(static_cast<std::intptr_t>(a.Int(n))); };
  RegisterFunction("TWPIX", [dc_of](Args& a) { return Value::Integer(TwPix(static_cast<int>(a.Int(1)), a.Num(2), dc_of(a, 3))); });
  RegisterFunction("PIXTW", [dc_of](Args& a) { return Value::Integer(PixTw(static_cast<int>(a.Int(1)), a.Num(2), dc_of(a, 3))); });
  RegisterFunction("TWLPIX", [dc_of](Args& a) { return Value::Integer(TwPix(static_cast<int>(a.Int(1)), a.Num(2), dc_of(a, 3))); });
  RegisterFunction("PIXTWL", [dc_of](Args& a) { return Value::Integer(PixTw(static_cast<int>(a.Int(1)), a.Num(2), dc_of(a, 3))); });
  RegisterFunction("MMPIX", [dc_of](Args& a) { return Value::Integer(MmPix(static_cast<int>(a.Int(1)), a.Num(2), dc_of(a, 3))); });
  RegisterFunction("PIXMM", [dc_of](Args& a) {
    return Value::Number(PixMm(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), dc_of(a, 3)));
  });
}

}  // namespace output
