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

int main(int argc, char** argv) {
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
