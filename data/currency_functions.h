// The currency helpers and display masks as xBase text calls them: the company's currency
// settings (CCODDIVEMP, LEMPEURO, LIRPFAGR, LGRAFCLI, LDTOPP, LDTOESP; each stores when given a
// value and answers the one held before), the currency table built from `Divisas` records
// (MASCARAS) and its readers, the masks (MAKEMASK, CMASPREC, CMASRES, CMASEURO, PTS2EUROS),
// the conversions (NCHANGEDIVPTS, NROUNDEURO, NVALDIV, NDECRES) and the VAT slots of an
// invoice (INIIVAS, ACTIVAS, NMAYOR). They work on CurrentCompany().
#pragma once

#include <string_view>

#include "data/currency.h"
#include "runtime/array.h"

namespace data {

// MASCARAS: the currency of the current record of the `Divisas` area `alias` (empty: the
// selected area) joins the company's table, or updates the entry of its code, with its masks.
void Mascaras(std::string_view alias = {});

// NVALDIV: the currency value of the current document of the area `alias`.
double nValDiv(std::string_view alias = {});

// VAT slots of an invoice: an array of three slots, each an array whose first elements are
// {VAT rate, base, equivalence-surcharge rate}. INIIVAS sets every number of every slot to 0.
void IniIvas(const xb::Array& slots);
// ACTIVAS: adds `base` to the slot of `rate`, or takes the first empty slot for it (its
// surcharge rate NPORCREQ from the VAT table `vat_alias`, where NPORCIVA is the rate), and
// keeps the slots in order of rate, empty ones last. A fourth rate finds no slot: false, and
// with `warn` the message "No podemos utilizar más de tres tipos de I.V.A." / "en una misma
// factura".
bool ActIvas(double rate, double base, const xb::Array& slots, std::string_view vat_alias = {}, bool warn = false);

// The company back to its start (tests; before another company's settings are read).
void ResetCurrentCompany();

void RegisterCurrencyFunctions();

}  // namespace data
