// TMeter: a progress bar painted by the framework's meter painter. Its value lives outside
// the meter, behind bSetGet; Set clamps it to 0..nTotal, stores it and repaints once the
// value is at least 1 % of the total.
//
//   double done = 0;
//   auto meter = xb::MakeRef<TMeter>();
//   meter->ReDefine({.id = 101, .set_get = ValueBlock(&done), .total = 100, .parent = dialog});
//   meter->Set(40);
#pragma once

#include <optional>
#include <string>

#include "ui/bridge/painters.h"
#include "ui/core/tcontrol.h"

namespace ui {

class TMeter : public TControl {
 public:
  TMeter();
  static const xb::Class& Cls();

  static constexpr COLORREF kBarColour = 16711680;      // blue
  static constexpr COLORREF kBarTextColour = 16777215;  // white

  struct NewParams {
    int row = 0;
    int col = 0;
    xb::Value set_get{};                      // NIL: a block answering 1
    double total = 10;
    WindowRef parent{};                       // none: the default window
    int width = 300;
    int height = 20;
    bool update = false;
    bool pixel = false;                       // else rows of 14 and columns of 8 pixels
    xb::Ref<TFont> font{};
    std::string text = std::string(1, '\0');  // a lone NUL: no text
    bool no_percentage = false;
    std::optional<COLORREF> clr_pane{};       // none: the parent's
    std::optional<COLORREF> clr_text{};       // none: the parent's
    COLORREF clr_bar = kBarColour;
    COLORREF clr_bar_text = kBarTextColour;
    bool design = false;
  };
  TMeter& New(const NewParams& params);

  struct ReDefineParams {
    int id = 0;
    xb::Value set_get{};
    double total = 10;
    WindowRef parent{};
    bool update = false;
    xb::Ref<TFont> font{};
    std::string text = std::string(1, '\0');
    bool no_percentage = false;
    std::optional<COLORREF> clr_pane{};
    std::optional<COLORREF> clr_text{};
    COLORREF clr_bar = kBarColour;
    COLORREF clr_bar_text = kBarTextColour;
  };
  TMeter& ReDefine(const ReDefineParams& params);
  // The meter's value, total, text and colours without a window of its own: a TMeterGroup
  // paints it (params.id and params.parent name its place there).
  TMeter& Define(const ReDefineParams& params);

  void Initiate(HWND dialog) override;
  // A NIL value becomes 0; the font (own or parent's) and the colours are set.
  void Default() override;
  Answer Display() override;
  Answer Paint() override;
  // What Paint draws (font and colours, the percentage, the text), on any DC.
  MeterPaintParams PaintParams() const;
  // Stores the value (none: the current one) clamped to 0..nTotal; repaints and lets
  // pending messages run once it is at least 1 % of the total.
  void Set(std::optional<double> value = {});
  void SetTotal(double total);
  double Current() const;
  // The percentage painted: value * 100 / nTotal (a total of 0 counts as 1).
  int Percent() const;

  double nTotal = 10;
  double nRefresh = 0;
  COLORREF nClrBar = kBarColour;
  COLORREF nClrBText = kBarTextColour;
  std::string cText;
  bool lPercentage = true;

 private:
  void Setup(const xb::Value& set_get, double total, const WindowRef& parent, bool update,
             const xb::Ref<TFont>& font, const std::string& text, bool no_percentage,
             std::optional<COLORREF> pane, std::optional<COLORREF> text_colour, COLORREF bar,
             COLORREF bar_text);
};

}  // namespace ui
