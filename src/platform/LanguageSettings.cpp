#include "platform/LanguageSettings.h"

#include <QDir>

#include "platform/FileLookup.h"
#include "platform/FileNames.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/StringTable.h"
#include "platform/TextFile.h"

using namespace legacy;

int NumLangue = 0;
int BaseLangue = 0;
int NumLangueMenu = 0;
int BaseLangueMenu = 0;
int NumLangueAide = 0;
int BaseLangueAide = 0;
int NumLangueMasq = 0;
int BaseLangueMasq = 0;

namespace {

constexpr int kTailleBloc = 400;
constexpr int kLanguesMax = 4;

void Definit(int index, int& num, int& base) {
  if (index < 0 || index > kLanguesMax) return;
  num = index;
  if (index > 0) base = (index - 1) * kTailleBloc;
}

}  // namespace

void DefinitLangue(int index) {
  Definit(index, NumLangue, BaseLangue);
  Shell.BaseLangue = BaseLangue;
}

void DefinitLangueMenu(int index) { Definit(index, NumLangueMenu, BaseLangueMenu); }

void DefinitLangueAide(int index) { Definit(index, NumLangueAide, BaseLangueAide); }

void DefinitLangueMasq(int index) { Definit(index, NumLangueMasq, BaseLangueMasq); }

int NombreLangues() {
  const double n = Val(TexteRes(3));
  if (n < 0) return 0;
  // Only four blocks hold the texts of a full language, whatever the table says.
  return n > kLanguesMax ? kLanguesMax : static_cast<int>(n);
}

QString NomLangue(int index) { return index > 0 ? TexteRes((index - 1) * kTailleBloc + 5) : QString(); }

QString CodeLangue(int index) { return index > 0 ? TexteRes((index - 1) * kTailleBloc + 8) : QString(); }

int IndexLangue(const QString& nom) {
  const QString cherche = UCase(nom);
  int trouve = 0;
  for (int i = 1; i <= NombreLangues(); ++i) {
    if (cherche == UCase(NomLangue(i))) trouve = i;
  }
  return trouve;
}

void LitLigneLangues(const QString& ligne) {
  if (Left(ligne, 1) == QStringLiteral("'")) return;
  const QString u = UCase(ligne);
  struct Cle {
    const char16_t* texte;
    void (*definit)(int);
  };
  static const Cle kCles[] = {
      {u"LANGUE =", DefinitLangue},
      {u"LANGUEMENU =", DefinitLangueMenu},
      {u"LANGUEAIDE =", DefinitLangueAide},
      {u"LANGUEMASQ =", DefinitLangueMasq},
  };
  for (const Cle& cle : kCles) {
    const QString texte = QString::fromUtf16(cle.texte);
    const int p = InStr(u, texte);
    if (p == 0) continue;
    const int index = IndexLangue(Trim(Mid(u, p + static_cast<int>(texte.size()))));
    if (index > 0) cle.definit(index);
  }
}

bool LanguesCompletes() {
  return NumLangue != 0 && NumLangueMenu != 0 && NumLangueAide != 0 && NumLangueMasq != 0;
}

void CompleteLanguesFrancais() {
  if (NumLangue == 0) DefinitLangue(1);
  if (NumLangueMenu == 0) DefinitLangueMenu(1);
  if (NumLangueAide == 0) DefinitLangueAide(1);
  if (NumLangueMasq == 0) DefinitLangueMasq(1);
}

void RazLangues() {
  NumLangue = BaseLangue = 0;
  NumLangueMenu = BaseLangueMenu = 0;
  NumLangueAide = BaseLangueAide = 0;
  NumLangueMasq = BaseLangueMasq = 0;
  Shell.BaseLangue = 0;
}

int IndexCodeLangue(const QString& code) {
  for (int i = 1; i <= NombreLangues(); ++i) {
    if (code.compare(CodeLangue(i), Qt::CaseInsensitive) == 0) return i;
  }
  return 0;
}

QString DossierConfigUtilisateur() {
  QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
  // A relative value is not a valid base directory; the default applies.
  if (base.isEmpty() || QDir::isRelativePath(base)) base = DossierPersonnel() + QStringLiteral("/.config");
  return QDir::cleanPath(base + QStringLiteral("/Morvo"));
}

QString DossierDeLaConfig(const QString& repDepart, const QString& nom) {
  if (!repDepart.isEmpty() && !TrouveSansCasse(repDepart, nom).isEmpty()) return repDepart;
  return DossierConfigUtilisateur();
}

void LitLanguesConfig(const QString& repDepart) {
  const QString chemin = TrouveSansCasse(DossierDeLaConfig(repDepart), QStringLiteral("Morvo.cfg"));
  if (chemin.isEmpty()) return;
  bool tropGrand = false;
  const std::optional<QString> texte = LitFichierTexteBorne(chemin, TailleMaxConfig, &tropGrand);
  if (!texte) return;
  for (const QString& ligne : DecoupeLignes(*texte)) LitLigneLangues(ligne);
}

int LangueDuLocale() {
  // "fr_CH.UTF-8@euro" is French; "C.UTF-8" is no language.
  const auto langue = [](const QString& locale) {
    return IndexCodeLangue(locale.section(u'_', 0, 0).section(u'.', 0, 0).section(u'@', 0, 0));
  };
  QString locale;
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    locale = qEnvironmentVariable(variable);
    if (!locale.isEmpty()) break;
  }
  const bool sansTraduction = locale.isEmpty() || locale == u"C" || locale == u"POSIX";
  if (!sansTraduction) {
    for (const QString& liste : qEnvironmentVariable("LANGUAGE").split(u':', Qt::SkipEmptyParts)) {
      if (const int i = langue(liste)) return i;
    }
  }
  return langue(locale);
}
