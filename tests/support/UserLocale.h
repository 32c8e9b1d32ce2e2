#pragma once

// The C library put in a French (else German) locale for the length of a test, as Qt does at the
// start of the desktop program under such a user's settings: "," is then its decimal point.

#include <QLocale>
#include <QString>
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

// One named locale ("ar_EG.UTF-8") for the length of a test, for the C library and as Qt's default
// locale, as the desktop program takes both from a user's settings. Inactive, and nothing changed,
// when the C library does not have it (.ci/run generates it).
class LocaleNommee {
 public:
  explicit LocaleNommee(const char* nom) {
    const char* avant = std::setlocale(LC_ALL, nullptr);
    avant_ = avant != nullptr ? avant : "C";
    if (std::setlocale(LC_ALL, nom) == nullptr) return;
    actif_ = true;
    QLocale::setDefault(QLocale(QString::fromLatin1(nom).section(QLatin1Char('.'), 0, 0)));
  }
  ~LocaleNommee() {
    if (!actif_) return;
    std::setlocale(LC_ALL, avant_.c_str());
    QLocale::setDefault(qtAvant_);
  }
  LocaleNommee(const LocaleNommee&) = delete;
  LocaleNommee& operator=(const LocaleNommee&) = delete;
  bool Active() const { return actif_; }

 private:
  std::string avant_;
  QLocale qtAvant_;
  bool actif_ = false;
};
