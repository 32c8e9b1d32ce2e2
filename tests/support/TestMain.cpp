// The tests' main: a headless application object (fonts, clipboard, images), then every test.
#ifdef MORVO_TESTS_WIDGETS
#include <QApplication>
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
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
