#pragma once

// The --help and --version that both Morvo programs answer alike, and their way of telling a bad
// command line.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <cstdio>

#include "platform/FileNames.h"

class AideEtVersion {
 public:
  // Adds --help (-h) and --version to the parser, before the program's own options.
  AideEtVersion(QCommandLineParser& p, const char* programme) : p_(p), programme_(programme) {
    p_.addOption(aide_);
    p_.addOption(version_);
  }

  // 0 once --help or --version is answered on the standard output, else -1.
  int Repond() const {
    if (p_.isSet(aide_)) {
      std::fputs(qPrintable(p_.helpText().replace(QStringLiteral("<executable_name>"),
                                                  QString::fromLatin1(programme_))),
                 stdout);
      return 0;
    }
    if (p_.isSet(version_)) {
      std::printf("%s %s\n", programme_, MORVO_VERSION);
      return 0;
    }
    return -1;
  }

  // Tells a bad command line on the standard error, in one line whatever the names in it hold; the
  // exit status, 1.
  int Erreur(const QString& texte) const {
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", programme_, qPrintable(NomLisible(texte)), programme_);
    return 1;
  }

 private:
  QCommandLineParser& p_;
  const char* programme_;
  const QCommandLineOption aide_{{QStringLiteral("h"), QStringLiteral("help")},
                                 QStringLiteral("Shows this help and exits.")};
  const QCommandLineOption version_{QStringLiteral("version"),
                                    QStringLiteral("Shows the program's name and version and exits.")};
};
