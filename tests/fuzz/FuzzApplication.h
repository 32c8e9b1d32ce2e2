#pragma once

// One headless application object for a fuzz target (fonts, clipboard), made on first use.

#include <QGuiApplication>
#include <cstdlib>

inline void AssureApplicationFuzz() {
  static int argc = 1;
  static char nom[] = "fuzz";
  static char* argv[] = {nom, nullptr};
  static QGuiApplication* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return new QGuiApplication(argc, argv);
  }();
  (void)app;
}
