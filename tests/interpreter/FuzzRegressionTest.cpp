// Malformed program texts: each run must return, whatever it reports.

#include <gtest/gtest.h>

#include "RunFixture.h"
#include "interpreter/Interpreter.h"

namespace {

class FuzzRegressionTest : public RunFixture {
 protected:
  void SetUp() override {
    RunFixture::SetUp();
    LimiteInstructions = 10000;
  }
  void TearDown() override {
    LimiteInstructions = 0;
    RunFixture::TearDown();
  }
};

TEST_F(FuzzRegressionTest, NastyInputsReturn) {
  const QString nul(QChar(0));
  const QStringList entrees = {
      QString(),
      QStringLiteral("_"),
      QStringLiteral(" _"),
      QStringLiteral("_\r\n_"),
      QStringLiteral("_\r\n_\r\n_ _"),
      QStringLiteral("%"),
      QStringLiteral("%%%"),
      QStringLiteral("="),
      QStringLiteral("IF"),
      QStringLiteral("ELSEIF"),
      QStringLiteral("!!!"),
      QStringLiteral("A:\r\nA:"),
      QStringLiteral("%A\r\n"),
      QString(40000, QLatin1Char('X')),
      QStringLiteral("%A = ") + QString(5000, QLatin1Char('9')),
      QStringLiteral("GRAD = ") + QString(5000, QLatin1Char(',')),
      QString(5000, QLatin1Char('%')),
      QStringLiteral("\r\r\n\n\r%A = 1\n\r\r\n_\r"),
      QStringLiteral("%A = 1") + nul + QStringLiteral("2\r\n") + nul + QStringLiteral("\r\n%B") + nul,
      QStringLiteral("%A = \""),
      QStringLiteral("%A == 1"),
      QStringLiteral("GOTO"),
      QStringLiteral("%K = %\r\nX%K"),
      QStringLiteral("%M = %M\r\n%M"),
      QStringLiteral("\t_\t"),
      QStringLiteral("' _\r\n%A = 1 _"),
      QStringLiteral("%A = \"'\"\"'\"'"),
      QStringLiteral(":\r\n:"),
  };
  for (const QString& entree : entrees) {
    Run(entree);
    EXPECT_TRUE(Session().MnuVisualiserActif) << entree.left(40).toStdString();
  }
}

}  // namespace
