#include "shell/Languages.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

#include "shell/Config.h"

bool EcritLangues() {
  bool ok = EcritConfig(QStringLiteral("Langue ="), u' ' + NomLangue(NumLangue));
  ok = EcritConfig(QStringLiteral("LangueMenu ="), u' ' + NomLangue(NumLangueMenu)) && ok;
  ok = EcritConfig(QStringLiteral("LangueAide ="), u' ' + NomLangue(NumLangueAide)) && ok;
  ok = EcritConfig(QStringLiteral("LangueMasq ="), u' ' + NomLangue(NumLangueMasq)) && ok;
  return ok;
}

void ChargeTraductionsQt() {
  static std::unique_ptr<QTranslator> traduction;
  static QString codeCharge;
  const QString code = CodeLangue(NumLangueMenu > 0 ? NumLangueMenu : 1);
  if (QCoreApplication::instance() == nullptr || code == codeCharge) return;
  codeCharge = code;
  if (traduction) QCoreApplication::removeTranslator(traduction.get());
  traduction = std::make_unique<QTranslator>();
  if (code.isEmpty() ||
      !traduction->load(QStringLiteral("qtbase_") + code, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    return;
  QCoreApplication::installTranslator(traduction.get());
}
