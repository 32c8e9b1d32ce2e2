#include <gtest/gtest.h>

#include <QString>
#include <vector>

#include "platform/StringTable.h"

namespace {

// The menu and message numbers that every one of the four language blocks holds.
std::vector<int> NumerosDesBlocs() {
  std::vector<int> n;
  const auto plage = [&n](int de, int a) {
    for (int i = de; i <= a; ++i) n.push_back(i);
  };
  plage(10, 38);
  n.push_back(40);
  n.push_back(51);
  plage(60, 64);
  plage(70, 88);
  plage(101, 106);
  n.push_back(109);
  n.push_back(110);
  plage(112, 129);
  plage(130, 151);
  plage(152, 153);
  plage(160, 190);
  return n;
}

}  // namespace

TEST(GuiLanguageTexts, EveryBlockHoldsTheMenuAndMessageTexts) {
  for (int base : {0, 400, 800, 1200}) {
    for (int n : NumerosDesBlocs()) {
      EXPECT_TRUE(TexteResExiste(base + n)) << "block " << base << ", text " << n;
      EXPECT_FALSE(TexteRes(base + n).isEmpty()) << "block " << base << ", text " << n;
    }
    // The padded Edit captions put blanks up to 30 characters before the key text.
    for (int n : {21, 22, 23, 25}) EXPECT_LT(TexteRes(base + n).size(), 30) << base << " " << n;
    // The Delete entry carries its own key text after a tab.
    EXPECT_TRUE(TexteRes(base + 24).contains(u'\t')) << base;
    // The terms of use are a text of several lines.
    EXPECT_GT(TexteRes(base + 167).size(), 10) << base;
    EXPECT_TRUE(TexteRes(base + 167).contains(QStringLiteral("\r\n"))) << base;
  }
  // The fifth block names its language only.
  EXPECT_FALSE(TexteResExiste(1600 + 110));
  EXPECT_FALSE(TexteResExiste(1600 + 11));
}
