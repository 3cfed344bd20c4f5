#include "data/display_masks.h"

#include <gtest/gtest.h>

namespace data {
namespace {

TEST(DisplayMasks, DigitGroupsDecimalsAndRanges) {
  struct Case {
    MaskKind kind;
    int integers, decimals;
    bool zero;
    const char* mask;
  };
  const Case cases[] = {
      {MaskKind::kPrice, 7, 2, false, "@E 9,999,999.99"},
      {MaskKind::kPrice, 3, 0, false, "@E 999"},
      {MaskKind::kPrice, 4, 3, false, "@E 9,999.999"},
      {MaskKind::kPrice, 6, 6, false, "@E 999,999.999999"},
      {MaskKind::kPrice, 10, 2, false, "@E 9,999,999,999.99"},
      {MaskKind::kPrice, 2, 2, false, "@E 9,999,999,999.999999"},   // out of range: default
      {MaskKind::kPrice, 11, 2, false, "@E 9,999,999,999.999999"},
      {MaskKind::kResult, 5, 2, false, "@E 99,999.99"},
      {MaskKind::kResult, 12, 0, false, "@E 999,999,999,999"},
      {MaskKind::kResult, 9, 2, true, "@EZ 999,999,999.99"},
      {MaskKind::kResult, 4, 2, false, "@E 999,999,999,999.999"},
      {MaskKind::kResult, 13, 2, true, "@EZ 999,999,999,999.999"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mask);
    EXPECT_EQ(MakeMask(c.kind, c.integers, c.decimals, c.zero), c.mask);
  }
}

TEST(DisplayMasks, PesetaPicturesBecomeEuroPicturesAndBack) {
  struct Case {
    const char* picture;
    bool to_euros;
    const char* mask;
  };
  const Case cases[] = {
      {"@E 99,999,999", true, "@E 999,999.99"},
      {"@E 9,999,999", true, "@E 99,999.99"},
      {"@E 999", true, "@E 9.99"},
      {"@EZ 9,999,999,999.999999", true, "@EZ 99,999,999,999,999.99"},
      {"999999", true, "9,999.99"},
      {"", true, ""},
      {"@E 9,999.99", false, "@E 999,999"},
      {"@E 999,999.99", false, "@E 99,999,999"},
      {"@E 99,999", false, "@E 9,999,999"},
      {"@E 99", false, "@E 9999"},  // without groups, none are made
      {"@!", false, "@!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.picture);
    EXPECT_EQ(cMasEuro(c.picture, c.to_euros), c.mask);
  }
}

}  // namespace
}  // namespace data
