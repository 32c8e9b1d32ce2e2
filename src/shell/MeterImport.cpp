#include "shell/MeterImport.h"

#include <QLineEdit>
#include <QPageLayout>
#include <QPrinter>
#include <QStringList>
#include <array>
#include <cmath>
#include <optional>

#include "drawing/DrawState.h"
#include "editor/ProgramEditor.h"
#include "interpreter/Interpreter.h"
#include "platform/EditorText.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/Prompter.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "platform/TextFile.h"
#include "shell/MainWindow.h"
#include "shell/Printing.h"
#include "shell/ProgramFiles.h"
#include "values/Expressions.h"
#include "values/Fields.h"

using namespace legacy;

namespace {

constexpr double kFacteurDegre = 0.017453293;
const QString FinLigne = QStringLiteral("\r\n");

QString N(float v) { return TexteNombre(v); }
QString N(double v) { return TexteNombre(v); }

// "#.#" with "." whatever the locale: the number becomes a parameter of a program line, where a
// decimal comma would split it in two.
QString UneDecimale(double v) {
  return Format(v, QStringLiteral("#.#")).replace(SeparateurDecimal(), QStringLiteral("."));
}

int NombreBlancs(const QString& ligne) { return static_cast<int>(ligne.count(QLatin1Char(' '))); }

bool Contient(const QString& mot, const QString& lettre) { return InStr(UCase(mot), lettre) > 0; }

struct EnTete {
  std::array<float, 23> H{};
  QString SuffixeVal;
  QString Titre;
};

EnTete LitEnTete(const QString& ligne) {
  EnTete e;
  for (int k = 1; k <= 22; ++k) e.H[static_cast<size_t>(k)] = VersSingle(Val(MotN(ligne, k)));
  if (Contient(MotN(ligne, 8), QStringLiteral("N"))) e.H[8] = -1;
  if (Contient(MotN(ligne, 19), QStringLiteral("Y"))) e.H[19] = -1;
  const QString mot21 = MotN(ligne, 21);
  if (Contient(mot21, QStringLiteral("B")))
    e.SuffixeVal = QStringLiteral("R");
  else if (Contient(mot21, QStringLiteral("V")))
    e.SuffixeVal = QStringLiteral("D");
  e.Titre = Trim(MotN(ligne, 22));
  return e;
}

// The lines of one element; nullopt when a divisor is 0 or a value is not finite.
std::optional<QString> Element(const EnTete& e, const QString& ligne, int ordinal) {
  const auto& H = e.H;
  std::array<double, 10> E{};
  for (int k = 1; k <= 9; ++k) E[static_cast<size_t>(k)] = Val(MotN(ligne, k));
  const double baseRayon = E[7] + H[7] - H[3];
  if (E[6] == 0 || E[2] == 0 || baseRayon == 0) return std::nullopt;

  const float a = H[6] / 2.0f;
  const double s = std::sin((180.0 - a) * kFacteurDegre);
  const double q = H[7] * s / baseRayon;
  const double b = ArcSin(q);
  const double rayon = q == 0 ? baseRayon : H[7] * std::sin(a * kFacteurDegre - b) / q;
  const double exposant = 1.0 / E[6];
  const double rapport = E[1] / E[2];
  // The value lines take word 4 of the header by the same leading-number rule as H4.
  const float w4 = H[4];
  for (const double v : {rayon, exposant, rapport, static_cast<double>(w4) + E[5], E[8] - H[3]}) {
    if (!std::isfinite(v)) return std::nullopt;
  }

  QString t;
  t += QStringLiteral("Exposant = ") + N(exposant) + FinLigne;
  t += QStringLiteral("Arc = ") + N(90.0f - H[6] / 2.0f) + QStringLiteral(", ") + N(90.0f + H[6] / 2.0f) +
       QStringLiteral(", ") + UneDecimale(rayon) + QStringLiteral(", ") +
       (H[8] == 0 ? QStringLiteral("Noir") : QStringLiteral("n")) + FinLigne;
  t += QStringLiteral("Grad = ") + N(E[1]) + QStringLiteral(", ") + N(H[10]) + QStringLiteral(", , , ") +
       N(H[16]) + QStringLiteral("mm, noir") + FinLigne;
  t += QStringLiteral("Grad = ") + N(rapport) + QStringLiteral(", ") + N(H[9]) + QStringLiteral(", , , ") +
       N(H[17]) + QStringLiteral("mm, noir") + FinLigne;
  if (H[19] != 0) {
    t += e.SuffixeVal.isEmpty() ? QStringLiteral("Val = ")
                                : QStringLiteral("Val") + e.SuffixeVal + QStringLiteral(" = , ");
    t += N(rapport) + QStringLiteral(", ") + N(w4) + QStringLiteral(", ") +
         N(static_cast<double>(w4) + E[5]) + QStringLiteral(", ") + N(2.0f * H[9]) + FinLigne;
  }
  t += QStringLiteral("Texte = 0, ") + N(E[8] - H[3]) + QStringLiteral(", , *1GX, ") + Trim(MotN(ligne, 9)) +
       FinLigne;
  t += FinLigne;
  if (ordinal < H[18]) t += QStringLiteral("Inversion") + FinLigne;
  return t;
}

}  // namespace

ProgrammeMeter ConvertitMeter(const QString& contenu, const QString& nomFichier, double largeurPageMm,
                              double hauteurPageMm) {
  ProgrammeMeter resultat;
  const QStringList lignes = LignesDuProgramme(contenu);
  if (lignes.isEmpty() || NombreBlancs(lignes[0]) <= 20) return resultat;
  const EnTete e = LitEnTete(lignes[0]);
  const auto& H = e.H;

  QString& t = resultat.Texte;
  t += QStringLiteral("'") + TexteMsg(116) + FinLigne;
  t += QStringLiteral("'") + nomFichier + FinLigne + FinLigne;
  t += QStringLiteral("ZoomIni = 1  '") + TexteMsg(117) + FinLigne + FinLigne;

  float cx = H[1] / 2.0f + 10.0f;
  if (cx < 50) cx = 50;
  const double px = largeurPageMm / 2;
  const double py = hauteurPageMm / 2 - (H[2] - H[3]) / 2.0f;
  t += QStringLiteral("CentreE = ") + N(cx) + QStringLiteral(", 50, bleu") + FinLigne;
  t += QStringLiteral("CentreI = ") + Format(px, QStringLiteral("###")) + QStringLiteral(", ") +
       Format(py, QStringLiteral("###")) + QStringLiteral(", bleu") + FinLigne + FinLigne;
  t += QStringLiteral("Cadre = -") + N(H[1] / 2.0f) + QStringLiteral(", -") + N(H[3]) + QStringLiteral(", ") +
       N(H[1] / 2.0f) + QStringLiteral(", ") + N(H[2] - H[3]) + QStringLiteral(", cyan") + FinLigne;

  t += QStringLiteral("Cercle = -") + N(H[5] / 2.0f) + QStringLiteral(", ") + N(H[4] - H[3]) +
       QStringLiteral(", 1,,, cyan") + FinLigne;
  t += QStringLiteral("Cercle = ") + N(H[5] / 2.0f) + QStringLiteral(", ") + N(H[4] - H[3]) +
       QStringLiteral(", 1,,, cyan") + FinLigne + FinLigne;
  t += QStringLiteral("'Police = Arial") + FinLigne;
  t += QStringLiteral("TailleP = ") + Format(2.0f * (H[11] + H[12]), QStringLiteral("###")) +
       QStringLiteral("G   'Change taille tous textes") + FinLigne + FinLigne;

  t += QStringLiteral("Texte = ") + N(H[14] - H[1] / 2.0f) + QStringLiteral(", ") + N(H[13] - H[3]) +
       QStringLiteral(",, *") + N(H[15]) + QStringLiteral("GX, ") + e.Titre + FinLigne + FinLigne;
  t += QStringLiteral("Decal = -") + N(H[7]) + QStringLiteral(", rouge") + FinLigne + FinLigne;
  t += QStringLiteral("TailleP = *0.8G") + FinLigne + FinLigne;

  int ordinal = 0;
  for (int i = 1; i < lignes.size(); ++i) {
    // Blank lines describe no element.
    if (Trim(lignes[i]).isEmpty()) continue;
    const std::optional<QString> element = Element(e, lignes[i], ordinal + 1);
    if (!element) {
      resultat.LignesIgnorees << i + 1;
      continue;
    }
    ++ordinal;
    t += *element;
  }
  return resultat;
}

QString FiltreMeter() {
  return TexteMsg(109) + QStringLiteral(" (*.mtr *.MTR *.Mtr);;") + TexteMsg(106) + QStringLiteral(" (*)");
}

QString TexteLignesIgnorees(const QString& nomFichier, const QList<int>& lignes) {
  QStringList numeros;
  for (const int n : lignes) numeros << QString::number(n);
  return nomFichier +
         QStringLiteral(
             "\r\n\r\nLignes ignorées (diviseur nul) / Lines left out (zero divisor) / "
             "Ausgelassene Zeilen (Divisor null) / Líneas omitidas (divisor cero):\r\n") +
         numeros.join(QStringLiteral(", "));
}

// ---- the command of the main window ----

void FenetrePrincipale::Mnu_OuvrirMeter_Click() {
  if (!QuestionSauvegarde()) return;
  const QString nom = DialoguesFic().Ouvrir(QString(), FiltreMeter());
  if (nom.isEmpty()) return;
  // The printer's page; the PDF printer's when the print system does not answer.
  const QRectF page = ImprimantePrete()
                          ? PageImprimante(ImprimanteMorvo()).paintRect(QPageLayout::Millimeter)
                          : QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF())
                                .paintRect(QPageLayout::Millimeter);
  DebutAttente();
  // A meter file becomes a program: it is read no further than a program file.
  QString refus;
  const std::optional<QString> contenu = LitFichierProgramme(nom, &refus);
  if (!contenu) {
    FinAttente();
    Dialogues().MsgBox(refus.isEmpty() ? TexteMsg(126) + QStringLiteral("\r\n\r\n") + nom : refus,
                       Boutons::Ok, QString());
    return;
  }
  ProgrammeMeter programme;
  try {
    programme = ConvertitMeter(*contenu, nom, page.width(), page.height());
  } catch (const ErreurExecution& erreur) {
    FinAttente();
    Dialogues().MsgBox(
        TexteMsg(126) + QStringLiteral("\r\n\r\n") + nom + QStringLiteral("\r\n") + erreur.raison(),
        Boutons::Ok, QString());
    return;
  }
  Shell.NomFichier = nom;
  FormeProgramme = {};
  Repere.OrigineBaseX = Repere.OrigineBaseY = 0;
  Shell.DecalVueX = Shell.DecalVueY = 0;
  Shell.ZoomCourant = 1.0f;
  RunShell.ZoomIni = 1.0f;
  editeur_->ChargeTexte(programme.Texte);
  text1_->setText(editeur_->TexteLigne());
  if (!programme.LignesIgnorees.isEmpty())
    Dialogues().MsgBox(TexteLignesIgnorees(nom, programme.LignesIgnorees), Boutons::Ok, QString());
  Titre(nom);
  premierRunFait_ = true;
  ExecuteProgramme();
  FichierCourant = nom;
  editeur_->DefinitModifie(false);
  FinAttente();
}
