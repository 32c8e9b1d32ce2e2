// The tests' main: a headless application object (fonts, clipboard, images), then every test.
#ifdef MORVO_TESTS_WIDGETS
#include <QApplication>

#include "PrivateCups.h"
using ApplicationTests = QApplication;
#else
#include <QGuiApplication>
using ApplicationTests = QGuiApplication;
#endif

#include <gtest/gtest.h>

#include <QLocale>
#include <clocale>
#include <cstdio>
#include <cstring>

namespace {

// The re-runs under another locale name it with --test-locale=NAME (beside LC_ALL): where that
// locale is not installed, the C library would silently run them under "C", so they are skipped
// with the reason instead of passing for what they did not test.
bool LocaleDuTestAbsente(int& argc, char** argv) {
  constexpr const char* option = "--test-locale=";
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], option, std::strlen(option)) != 0) continue;
    const char* nom = argv[i] + std::strlen(option);
    for (int j = i; j < argc; ++j) argv[j] = argv[j + 1];
    --argc;
    if (std::setlocale(LC_ALL, nom) != nullptr) {
      std::setlocale(LC_ALL, "C");
      return false;
    }
    std::printf("[  SKIPPED ] the locale %s is not installed (see `locale -a`; the README's test command "
                "generates it): this test did not run under it\n",
                nom);
    return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (LocaleDuTestAbsente(argc, argv)) return 0;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ApplicationTests app(argc, argv);
#ifdef MORVO_TESTS_WIDGETS
  // The window tests print only to the print system they start themselves, never to the
  // machine's.
  CupsPrive::SocketDuProcessus();
#endif
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
