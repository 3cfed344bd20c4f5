#include "data/currency_functions.h"

#include <algorithm>
#include <cmath>
#include <type_traits>
#include <vector>

#include "data/data_ui.h"
#include "data/display_masks.h"
#include "runtime/function_table.h"
#include "runtime/rdd/workareas.h"
#include "runtime/symbol.h"

namespace data {
namespace {

using xb::Args;
using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

// The area of an alias (the selected one for an empty alias); nullptr when it has no table.
WorkArea* AreaOf(std::string_view alias) {
  WorkAreas& areas = WorkAreas::Get();
  std::string name(alias);
  while (!name.empty() && name.back() == ' ') name.pop_back();
  WorkArea* area = name.empty() ? &areas.Current() : areas.Area(areas.AreaOfAlias(xb::UpperName(name)));
  return area && area->used() ? area : nullptr;
}

// A field of the current record by name; NIL when the table has no such field.
Value FieldOf(WorkArea& area, std::string_view name) {
  const int pos = area.FieldPos(name);
  return pos ? area.GetField(pos) : Value();
}

std::string Text(const Value& v) { return v.IsString() ? std::string(v.AsString()) : std::string(); }

struct Slot {
  double rate = 0, base = 0;
  bool used() const { return rate != 0 || base != 0; }
};

// The slot array of a slot: grown to its three numbers when shorter.
xb::Array SlotAt(const xb::Array& slots, std::size_t i) {
  xb::Array slot = slots.Get(i).Deref().AsArray();
  if (!slot) return slot;
  if (slot.size() < 3) {
    const std::size_t old = slot.size();
    slot.Resize(3);
    for (std::size_t k = old; k < 3; ++k) slot[k] = Value::Integer(0);
  }
  return slot;
}

double Num(const xb::Array& slot, std::size_t i) { return slot.Get(i).Deref().AsDouble(); }

double SurchargeRate(std::string_view vat_alias, double rate) {
  WorkArea* vat = AreaOf(vat_alias);
  if (!vat || vat_alias.empty()) return 0;
  const int rate_field = vat->FieldPos("NPORCIVA"), surcharge_field = vat->FieldPos("NPORCREQ");
  if (!rate_field || !surcharge_field) return 0;
  const std::uint32_t record = vat->recno();
  double surcharge = 0;
  for (vat->GoTop(); !vat->eof(); vat->Skip(1)) {
    if (std::fabs(vat->GetField(rate_field).AsDouble() - rate) < 0.005) {
      surcharge = vat->GetField(surcharge_field).AsDouble();
      break;
    }
  }
  vat->GoTo(record);
  return surcharge;
}

// Company settings that answer the value held before and store a value of their type.
void PreviousLogical(std::string_view name, bool CompanySettings::*setting) {
  xb::RegisterFunction(name, [setting](Args& a) {
    const bool previous = CurrentCompany().*setting;
    if (a.Arg(1).IsLogical()) CurrentCompany().*setting = a.Log(1);
    return Value::Logical(previous);
  });
}

template <class Field>
Value Column(Field Currency::*field) {
  xb::Array out = xb::Array::New();
  for (const Currency& c : CurrentCompany().currencies) {
    if constexpr (std::is_same_v<Field, std::string>) out.Append(Value::String(c.*field));
    else if constexpr (std::is_same_v<Field, bool>) out.Append(Value::Logical(c.*field));
    else out.Append(Value::Number(c.*field));
  }
  return Value(out);
}

// Digits given to CMASPREC / CMASRES are stored, each when it is a number.
void StoreDigits(const Args& a, int* integers, int* decimals) {
  if (a.Arg(2).IsNumber()) *integers = static_cast<int>(a.Int(2));
  if (a.Arg(3).IsNumber()) *decimals = static_cast<int>(a.Int(3));
}

}  // namespace

void ResetCurrentCompany() { CurrentCompany() = CompanySettings{}; }

void Mascaras(std::string_view alias) {
  WorkArea* area = AreaOf(alias);
  if (!area) return;
  auto num = [&](std::string_view name) { return FieldOf(*area, name).AsDouble(); };
  auto integer = [&](std::string_view name) { return static_cast<int>(FieldOf(*area, name).AsInt()); };
  Currency c;
  c.code = Text(FieldOf(*area, "CCODDIV"));
  c.price_decimals = integer("NDECPREC");
  c.result_decimals = integer("NDECRES");
  c.euro_value = num("NVALEURO99");
  c.rate = num("NTASACONV");
  c.euro_zone = FieldOf(*area, "LZONAEURO").AsLogical();
  c.value = num("NVALDIV");
  c.price_mask = MakeMask(MaskKind::kPrice, integer("NENTPREC"), c.price_decimals);
  c.result_mask = MakeMask(MaskKind::kResult, integer("NENTRES"), c.result_decimals);
  c.result_mask_zero = MakeMask(MaskKind::kResult, integer("NENTRES"), c.result_decimals, true);
  CurrentCompany().AddCurrency(c);
}

double nValDiv(std::string_view alias) {
  WorkArea* area = AreaOf(alias);
  if (!area) return 0;
  DocumentCurrency d;
  d.code = Text(FieldOf(*area, "CCODDIV"));
  if (area->FieldPos("NVALEURO99")) d.euro_value99 = FieldOf(*area, "NVALEURO99").AsDouble();
  d.euro_value = FieldOf(*area, "NVALEURO").AsDouble();
  d.value = FieldOf(*area, "NVALDIV").AsDouble();
  return DocumentValue(CurrentCompany(), d);
}

void IniIvas(const xb::Array& slots) {
  if (!slots) return;
  for (Value& item : slots) {
    Value& v = item.IsRef() ? item.AsRefCell()->value : item;
    if (v.IsNumber()) {
      v = Value::Integer(0);
    } else if (const xb::Array slot = v.AsArray()) {
      for (Value& n : slot)
        if (n.Deref().IsNumber()) n.AssignThrough(Value::Integer(0));
    }
  }
}

bool ActIvas(double rate, double base, const xb::Array& slots, std::string_view vat_alias, bool warn) {
  std::vector<xb::Array> list;
  for (std::size_t i = 0; slots && i < slots.size() && list.size() < 3; ++i)
    if (xb::Array slot = SlotAt(slots, i)) list.push_back(slot);
  auto used = [](const xb::Array& s) { return Num(s, 0) != 0 || Num(s, 1) != 0; };
  for (const xb::Array& s : list) {
    if (used(s) && std::fabs(Num(s, 0) - rate) < 0.005) {
      s[1] = Value::Number(Num(s, 1) + base);
      return true;
    }
  }
  for (const xb::Array& s : list) {
    if (used(s)) continue;
    s[0] = Value::Number(rate);
    s[1] = Value::Number(base);
    s[2] = Value::Number(SurchargeRate(vat_alias, rate));
    // In order of rate, the empty slots last: the slot arrays change places in the list.
    std::vector<Value> order;
    for (std::size_t i = 0; i < slots.size(); ++i) order.push_back(slots.Get(i));
    std::stable_sort(order.begin(), order.end(), [&](const Value& a, const Value& b) {
      const xb::Array x = a.Deref().AsArray(), y = b.Deref().AsArray();
      if (!x || !y) return static_cast<bool>(x) && !y;
      if (used(x) != used(y)) return used(x);
      return used(x) && Num(x, 0) < Num(y, 0);
    });
    for (std::size_t i = 0; i < order.size(); ++i) slots[i] = order[i];
    return true;
  }
  if (warn)
    Ui().MsgStop(JoinLines({"No podemos utilizar más de tres tipos de I.V.A.", "en una misma factura"}), "Atención");
  return false;
}

void RegisterCurrencyFunctions() {
  xb::RegisterFunction("CCODDIVEMP", [](Args& a) {
    Value previous = Value::String(CurrentCompany().currency);
    if (a.Arg(1).IsString()) CurrentCompany().currency = std::string(a.Str(1));
    return previous;
  });
  xb::RegisterFunction("LEMPEURO", [](Args&) { return Value::Logical(CurrentCompany().euro()); });
  PreviousLogical("LIRPFAGR", &CompanySettings::irpf_on_vat);
  PreviousLogical("LGRAFCLI", &CompanySettings::statistics);
  PreviousLogical("LDTOPP", &CompanySettings::discount_pp);
  PreviousLogical("LDTOESP", &CompanySettings::discount_esp);

  xb::RegisterFunction("MASCARAS", [](Args& a) {
    Mascaras(a.Str(1));
    return Value();
  });
  xb::RegisterFunction("ADIVISAS", [](Args&) { return Column(&Currency::code); });
  xb::RegisterFunction("AVALEUROS", [](Args&) { return Column(&Currency::euro_value); });
  xb::RegisterFunction("ATASACONV", [](Args&) { return Column(&Currency::rate); });
  xb::RegisterFunction("ALZONAEURO", [](Args&) { return Column(&Currency::euro_zone); });
  xb::RegisterFunction("AVALDIV", [](Args&) { return Column(&Currency::value); });

  // MAKEMASK(nKind, nIntegers, nDecimals, lBlankZero)
  xb::RegisterFunction("MAKEMASK", [](Args& a) {
    const MaskKind kind = a.Int(1) == 2 ? MaskKind::kResult : MaskKind::kPrice;
    return Value::String(MakeMask(kind, static_cast<int>(a.Int(2)), static_cast<int>(a.Int(3)), a.Log(4)));
  });
  // CMASPREC(cCurrency, nIntegers, nDecimals)
  xb::RegisterFunction("CMASPREC", [](Args& a) {
    CompanySettings& c = CurrentCompany();
    StoreDigits(a, &c.price_integers, &c.price_decimals);
    return Value::String(PriceMask(c, a.Str(1)));
  });
  // CMASRES(cCurrency, nIntegers, nDecimals, lBlankZero)
  xb::RegisterFunction("CMASRES", [](Args& a) {
    CompanySettings& c = CurrentCompany();
    StoreDigits(a, &c.result_integers, &c.result_decimals);
    return Value::String(ResultMask(c, a.Str(1), a.Log(4)));
  });
  // CMASEURO(cPicture, lToEuros): by default, to euros unless the company works in euros.
  xb::RegisterFunction("CMASEURO", [](Args& a) {
    const bool to_euros = a.Arg(2).IsLogical() ? a.Log(2) : !CurrentCompany().euro();
    return Value::String(cMasEuro(a.Str(1), to_euros));
  });
  xb::RegisterFunction("PTS2EUROS", [](Args& a) {
    const PesetaPicture p = Pts2Euros(CurrentCompany(), a.Str(1));
    return Value(xb::Array::Of({Value::Double(p.rate, 3), Value::String(p.mask)}));
  });
  // NCHANGEDIVPTS(nAmount, cCurrency, nValue, lReverse, nRate)
  xb::RegisterFunction("NCHANGEDIVPTS", [](Args& a) {
    return Value::Number(
        ChangeCurrency(CurrentCompany(), a.Num(1), a.Str(2), a.Num(3), a.Log(4), a.Num(5)));
  });
  xb::RegisterFunction("NROUNDEURO", [](Args& a) { return Value::Double(RoundEuro(a.Num(1)), 2); });
  xb::RegisterFunction("NVALDIV", [](Args& a) { return Value::Number(nValDiv(a.Str(1))); });
  xb::RegisterFunction("NDECRES", [](Args& a) {
    return Value::Integer(ResultDecimals(CurrentCompany(), MaskCurrency(CurrentCompany(), a.Str(1))));
  });
  xb::RegisterFunction("NMAYOR", [](Args& a) { return Value::Integer(nMayor(a.Num(1), a.Num(2), a.Num(3))); });
  xb::RegisterFunction("INIIVAS", [](Args& a) {
    IniIvas(a.Arr(1));
    return Value();
  });
  // ACTIVAS(nRate, nBase, aSlots, cVatAlias, lWarn)
  xb::RegisterFunction("ACTIVAS", [](Args& a) {
    return Value::Logical(ActIvas(a.Num(1), a.Num(2), a.Arr(3), a.Str(4), a.Log(5)));
  });
}

}  // namespace data
