#pragma once

// The C library put in a French (else German) locale for the length of a test, as Qt does at the
// start of the desktop program under such a user's settings: "," is then its decimal point.

#include <clocale>
#include <string>

class LocaleUtilisateur {
 public:
  LocaleUtilisateur() {
    const char* avant = std::setlocale(LC_ALL, nullptr);
    avant_ = avant != nullptr ? avant : "C";
    for (const char* nom : {"fr_FR.UTF-8", "de_DE.UTF-8"}) {
      if (std::setlocale(LC_ALL, nom) != nullptr) {
        nom_ = nom;
        break;
      }
    }
  }
  ~LocaleUtilisateur() { std::setlocale(LC_ALL, avant_.c_str()); }
  LocaleUtilisateur(const LocaleUtilisateur&) = delete;
  LocaleUtilisateur& operator=(const LocaleUtilisateur&) = delete;
  // False when neither locale is installed (.ci/run generates them).
  bool Active() const { return !nom_.empty(); }

 private:
  std::string avant_;
  std::string nom_;
};
