#pragma once

// Fonts, painting and text documents need a QGuiApplication; the suites share one.

#include <QGuiApplication>

inline void AssureApplicationQt() {
  if (QCoreApplication::instance()) return;
  static int argc = 1;
  static char nom[] = "tests_platform";
  static char* argv[] = {nom, nullptr};
  new QGuiApplication(argc, argv);
}
