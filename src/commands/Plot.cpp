#include <QDir>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QString>
#include <QStringList>
#include <QVector>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "commands/Commands.h"
#include "commands/PlotData.h"
#include "drawing/Device.h"
#include "drawing/DrawState.h"
#include "drawing/Rotation.h"
#include "drawing/Segments.h"
#include "interpreter/CommandFiles.h"  // ExecFichier: a symbol is a program level
#include "platform/Events.h"
#include "platform/FileLookup.h"
#include "platform/FileWriter.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "platform/Prompter.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "platform/WriteConsent.h"
#include "values/Fields.h"
#include "values/Levels.h"
#include "values/Substitution.h"
#include "values/Variables.h"

using namespace legacy;

namespace {

constexpr double DegresEnRadians = 0.017453293;
constexpr int32_t MaxPlotDefaut = 50100;
// However far the options command raises MaxPlot, a block never asks for more points than this.
constexpr int32_t MaxPlotPlafond = 10000000;
// The X values of one block.
constexpr int32_t TailleTamponX = 50100;
constexpr int LignesEntreAttentes = 10000;

const QString Crlf = QStringLiteral("\r\n");

[[noreturn]] void ErreurChamp(int champ, const QString& raison) {
  ErreurRun(QStringLiteral("Plot : champ %1 / field %1 : ").arg(champ) + raison + Crlf + Crlf);
}

QString SousChamp(const QStringList& s, int i) { return i < s.size() ? s[i] : QString(); }

std::optional<double> Nombre(const QString& texte) {
  if (Trim(texte).isEmpty()) return std::nullopt;
  return LitParam(texte, 1);
}

int Entier(const QString& texte) { return VersEntier32(Nombre(texte).value_or(0.0)); }

// A %variable named in a raw field: empty, or a name beginning with "%".
QString NomVariable(const QString& nom, int champ) {
  const QString n = Trim(nom);
  if (!n.isEmpty() && !n.startsWith(QLatin1Char('%')))
    ErreurChamp(champ, QStringLiteral("« %1 » : nom de variable sans % / variable name without %").arg(n));
  return n;
}

// One axis: its scale letter and factor, plot width, origin in mm, given bounds and offset.
struct Axe {
  bool log = false, exp = false;
  double fe = 0, largeur = 0, origine = 0, offset = 0;
  bool largeurDonnee = false, sansCoupe = false;
  std::optional<double> min, max;
  // The block's range and fitted factor.
  double bas = 0, haut = 0, feBloc = 0;

  void Lit(const QString& champ, const QString& champOffset, int numero) {
    const QStringList s = champ.split(Lecture.SepSousParam);
    const QString facteur = UCase(Trim(SousChamp(s, 0)));
    if (facteur.startsWith(QLatin1Char('L'))) {
      log = true;
      fe = Nombre(Mid(facteur, 2)).value_or(0.0);
      // ln(fe) divides the logarithmic scale: any positive base but 1.
      if (!(fe > 0) || fe == 1)
        ErreurChamp(numero,
                    QStringLiteral("L%1 : facteur > 0 et ≠ 1 / factor > 0 and ≠ 1").arg(TexteNombre(fe)));
    } else if (facteur.startsWith(QLatin1Char('E'))) {
      exp = true;
      const double v = Nombre(Mid(facteur, 2)).value_or(0.0);
      if (!(v > 0)) ErreurChamp(numero, QStringLiteral("E%1 : facteur > 0 / factor > 0").arg(TexteNombre(v)));
      fe = std::log10(v);
    } else {
      fe = Nombre(facteur).value_or(0.0);
    }
    largeurDonnee = !Trim(SousChamp(s, 1)).isEmpty();
    largeur = Nombre(SousChamp(s, 1)).value_or(0.0);
    origine = Nombre(SousChamp(s, 2)).value_or(0.0);
    if (!Trim(SousChamp(s, 3)).isEmpty()) min = Nombre(SousChamp(s, 3)).value_or(0.0);
    QString maxi = UCase(SousChamp(s, 4));
    if (InStr(maxi, QStringLiteral("N")) > 0) {
      sansCoupe = true;
      maxi.remove(QLatin1Char('N'));
    }
    if (!Trim(maxi).isEmpty()) max = Nombre(maxi).value_or(0.0);
    offset = Nombre(champOffset).value_or(0.0);

    if (fe == 0 && !largeurDonnee) {
      largeur = 100;
      largeurDonnee = true;
    }
    if (origine != 0 && largeurDonnee) largeur = origine + largeur;
    if ((log || exp) && !largeurDonnee) largeur = 100;
  }

  bool Ajuste() const { return !log && !exp && largeur != 0; }

  // The factor and offset that the command lines of a data file see: those of the last fitted
  // block, or as given; a factor not known yet (0) counts as 1.
  double FacteurLignes() const {
    const double f = Ajuste() && feBloc != 0 ? feBloc : fe;
    return f == 0 ? 1 : f;
  }
  double OffsetLignes() const { return Ajuste() && feBloc != 0 ? origine / feBloc - bas : offset; }

  // Fits the factor to the block's range; a range of zero width is widened about its value.
  void Prepare() {
    if (bas == haut) {
      const double d = bas == 0 ? 0.5 : std::fabs(bas) * 0.5;
      bas -= d;
      haut += d;
    }
    if (Ajuste()) feBloc = (largeur - origine) / (haut - bas);
  }

  double Mm(double v) const {
    if (Ajuste()) return (v - bas) * feBloc + origine;
    if (log) {
      const double r = (v - bas) * (fe - 1) / (haut - bas) + 1;
      if (r > 0) return (largeur - origine) * std::log(r) / std::log(fe) + origine;
      return v + offset;
    }
    if (exp) {
      const double t = (v - bas) * fe / (haut - bas);
      if (t > 0) return std::pow(10.0, t) * (largeur - origine) / std::pow(10.0, fe) + origine;
      return v + offset;
    }
    return (v + offset) * fe;
  }

  bool Dedans(double v) const {
    if (sansCoupe) return true;
    const float bas5 = static_cast<float>(bas - std::fabs(bas) * 1e-5);
    const float haut5 = static_cast<float>(haut + std::fabs(haut) * 1e-5);
    return v >= bas5 && v <= haut5;
  }
};

// The values of one column of a block, from index 0 (the previous block's last point) to the count.
struct Colonne {
  std::vector<float> v;
  double min = 1e38, max = -1e38, somme = 0;

  void Ajoute(float x, const Axe& axe) {
    v.push_back(x);
    if (!axe.min && x < min) min = x;
    if (!axe.max && x > max) max = x;
    somme += x;
  }
  void Bornes(const Axe& axe) {
    if (axe.min) min = *axe.min;
    if (axe.max) max = *axe.max;
  }
  // The moving average about point i; the ends repeat beyond the first and the last point. A wide
  // window is taken from running totals, so that its cost does not grow with its width.
  double Moyenne(int i, int mm, int nombre) const {
    if (mm <= FenetreDirecteMax) {
      double s = 0;
      for (int j = i - mm; j <= i + mm; ++j) s += v[static_cast<size_t>(std::clamp(j, 1, nombre))];
      return s / (2 * mm + 1);
    }
    if (static_cast<int>(cumul.size()) != nombre + 1) {
      cumul.assign(static_cast<size_t>(nombre) + 1, 0);
      for (int k = 1; k <= nombre; ++k)
        cumul[static_cast<size_t>(k)] = cumul[static_cast<size_t>(k) - 1] + v[static_cast<size_t>(k)];
    }
    const int64_t bas = static_cast<int64_t>(i) - mm, haut = static_cast<int64_t>(i) + mm;
    long double s = 0;
    if (bas < 1) s += static_cast<long double>(1 - bas) * v[1];
    if (haut > nombre) s += static_cast<long double>(haut - nombre) * v[static_cast<size_t>(nombre)];
    const int64_t a = std::max<int64_t>(bas, 1), b = std::min<int64_t>(haut, nombre);
    if (a <= b) s += cumul[static_cast<size_t>(b)] - cumul[static_cast<size_t>(a) - 1];
    return static_cast<double>(s / (2 * static_cast<long double>(mm) + 1));
  }

 private:
  static constexpr int FenetreDirecteMax = 64;
  mutable std::vector<long double> cumul;
};

QString TexteMinMaxMoyenne(double min, double max, double moyenne) {
  return StrNombre(static_cast<float>(min)) + QStringLiteral(", ") + StrNombre(static_cast<float>(max)) +
         QStringLiteral(", ") + StrNombre(static_cast<float>(moyenne));
}

// Skips the first lines of a block or file: they are collected and, when asked, shown.
QString SauteLignes(BlocPlot& lignes, int64_t saut, const QString& nomFichier) {
  QStringList sautees;
  for (qsizetype i = 0; i < saut; ++i) {
    if (!lignes.A(i)) {
      Dialogues().MsgBox(nomFichier + QStringLiteral(": ") + TexteMsg(126), Boutons::Ok,
                         QStringLiteral("Morvo"));
      break;
    }
    sautees << lignes[i];
    if ((i + 1) % LignesEntreAttentes == 0) DoEvents();
  }
  return sautees.join(Crlf);
}

void TesteArret() {
  if (Arret) ErreurRun();
}

// ---- PlotS ----

const QString SymboleDefaut = QStringLiteral("Cercle=#X,#Y,1");

// The trimmed value of a %variable of the level; nullopt when the level has none of that name.
std::optional<QString> ValeurVariableNiveau(int niveau, const QString& nom) {
  const int k = IndiceVariable(nom, niveau);
  if (k == 0) return std::nullopt;
  return Trim(Niveau(niveau).ValeursVar[static_cast<size_t>(k)]);
}

// The symbol command of PlotS and the value lists that its "#SYMB" and "#SYMB2" walk through.
struct SymbolePlot {
  QString Cmd;
  QString Liste, Liste2;
  int Nombre = 0, Nombre2 = 0;
};

// A symbol may not plot: each refusal is told, and the default circle is drawn instead.
void RefusePlotSymbole(int niveau) {
  Dialogues().MsgBox(TexteMsg(114) + Niveau(niveau).Ligne + Crlf + Crlf +
                         QStringLiteral("Pas de commande Plot dans %CmdSymb") + Crlf +
                         QStringLiteral("No Plot command in %CmdSymb") + Crlf +
                         QStringLiteral("Keine Plot Kommando in %CmdSymb"),
                     Boutons::Ok, QStringLiteral("Morvo"));
}

SymbolePlot PrepareSymbole(int niveau) {
  SymbolePlot s;
  const std::optional<QString> cmd = ValeurVariableNiveau(niveau, QStringLiteral("%CmdSymb"));
  s.Cmd = cmd ? UCase(*cmd) : SymboleDefaut;
  if (const auto liste = ValeurVariableNiveau(niveau, QStringLiteral("%Symb"))) {
    s.Liste = *liste;
    s.Nombre = NbParams(s.Liste);
  }
  if (const auto liste = ValeurVariableNiveau(niveau, QStringLiteral("%Symb2"))) {
    s.Liste2 = *liste;
    s.Nombre2 = NbParams(s.Liste2);
  }

  if (s.Cmd.startsWith(QStringLiteral("PLOT"))) {
    RefusePlotSymbole(niveau);
    s.Cmd = SymboleDefaut;
  } else if (s.Cmd.startsWith(QStringLiteral("FICHIER")) && InStr(s.Cmd, QStringLiteral("=")) > 0) {
    QString nom = Trim(ParamN(Mid(s.Cmd, InStr(s.Cmd, QStringLiteral("=")) + 1), 1));
    if (InStr(nom, QStringLiteral(".")) == 0) nom += QStringLiteral(".dat");
    const QString chemin = ResoutFichierCommande(nom);
    // A file too large for a program is refused with its reason when the symbol runs it.
    bool tropGrand = false;
    const std::optional<QString> texte = LitFichierTexteBorne(chemin, TailleMaxFichierProgramme, &tropGrand);
    if (!texte && !tropGrand) {
      Incident.TypeErreur = QStringLiteral("F");
      Incident.FichierManquant = chemin;
      ErreurRun();
    }
    QString t = UCase(texte.value_or(QString()));
    t.remove(QLatin1Char('\t'));
    t.remove(QLatin1Char(' '));
    bool refuse = false;
    // Only a commented-out PLOT is allowed; one at the very start of the file is a command too.
    for (int p = InStr(t, QStringLiteral("PLOT")); p > 0; p = InStr(p + 1, t, QStringLiteral("PLOT"))) {
      if (p == 1 || Mid(t, p - 1, 1) != QStringLiteral("'")) {
        RefusePlotSymbole(niveau);
        refuse = true;
      }
    }
    if (refuse) s.Cmd = SymboleDefaut;
  }
  return s;
}

// Runs the symbol of point i at p (mm from the current 0,0) one level deeper; a negative result
// ends the whole command.
int DessineSymbole(int niveau, const SymbolePlot& s, int i, const QPointF& p) {
  QString texte = Replace(s.Cmd, QStringLiteral("#X"), StrNombre(static_cast<float>(p.x())));
  texte = Replace(texte, QStringLiteral("#Y"), StrNombre(static_cast<float>(p.y())));
  if (SubstitueVariables(texte)) ErreurNonInitialisee(texte);
  auto entree = [&](const QString& marque, const QString& liste, int m) {
    if (m <= 0) return;
    int k = i % m;
    if (k == 0) k = m;
    texte = Replace(texte, marque, ParamN(liste, k));
  };
  entree(QStringLiteral("#SYMB2"), s.Liste2, s.Nombre2);
  entree(QStringLiteral("#SYMB"), s.Liste, s.Nombre);
  Lecture.ParamLigne.clear();
  int n = niveau;
  return ExecFichier(n, -1, texte);
}

// ---- the offset file ----

QString ValeurOffset(const QString& champ, const Axe& axe, const QString& ligne) {
  QString t = UCase(champ);
  const bool relatif = t.contains(QLatin1Char('R'));
  t.remove(QLatin1Char('R'));
  const double v = ValeurCalculee(t, ligne);
  if (relatif) return Format(v * axe.fe, QStringLiteral("0.0#")) + QStringLiteral("r");
  return Format((v + axe.offset) * axe.fe, QStringLiteral("0.0#"));
}

// Rewrites a ";"-separated point file into "Plot_Offset.txt" beside the program, with the given
// factors and offsets applied; comment and command lines are copied upper-cased.
void EcritFichierOffset(const QString& nomFichier, int niveau, const Axe& axeX, const Axe& axeY) {
  const QStringList lignes = LignesFichierPlot(CheminFichierPlot(nomFichier, niveau));
  QString sortie;
  for (int i = 0; i < lignes.size(); ++i) {
    const QString& ligne = lignes[i];
    const QString maj = UCase(ligne);
    const QString debut = Trim(maj);
    if (debut.isEmpty() || debut.startsWith(QLatin1Char('\'')) || debut.startsWith(QStringLiteral("STOP")) ||
        debut.startsWith(QStringLiteral("EPAIST")) || debut.startsWith(QStringLiteral("COULEUR")) ||
        debut.startsWith(QStringLiteral("BEZIER"))) {
      sortie += maj + Crlf;
    } else {
      const QStringList champs = ligne.split(QLatin1Char(';'));
      if (champs.size() < 2) ErreurLigneDonnees(ligne, QStringLiteral("« ; » attendu / \";\" expected"));
      sortie += ValeurOffset(champs[0], axeX, ligne) + QStringLiteral(";") +
                ValeurOffset(champs[1], axeY, ligne) + Crlf;
    }
    if ((i + 1) % LignesEntreAttentes == 0) DoEvents();
    TesteArret();
  }
  const QString chemin = QDir(Shell.RepCourant).filePath(QStringLiteral("Plot_Offset.txt"));
  QString erreur;
  const bool ecrit = niveau >= 2 ? EcritEntierAccorde(chemin, OctetsDuTexte(sortie), &erreur,
                                                      Niveau(niveau).Fichier, Niveau(niveau).Texte)
                                 : EcritEntierAccorde(chemin, OctetsDuTexte(sortie), &erreur);
  if (!ecrit) ErreurRun(TexteEcritureImpossible(chemin, erreur) + Crlf + Crlf);
}

// The fields of the command, in the order they are read.
struct ParametresPlot {
  QString nomFichier;
  QChar separateur;
  QString nomReference;
  int colRef = 0;
  QString nomFichierX;
  int colX = 0, colY = 0;
  int64_t mm = 0;
  int pas = 1;
  double fa = 1, fb = 0, fc = -1;
  int64_t saut = 0;
  QString varSaut;
  int maxPoints = 0;
  bool afficheSaut = false;
  Axe axeX, axeY;
  QString varX, varY, varCompte;
  QString champ12;
  // Known once the offset file is ruled out.
  double angleDeg = 0, angle = 0, ca = 1, sa = 0;
  int32_t maxPlot = 0;

  bool AvecX() const { return colX > 0; }
  bool AvecFichierX() const { return !nomFichierX.isEmpty() && colX > 0; }
  // The last column that a data line must hold.
  int ColMax() const { return std::max(AvecX() && !AvecFichierX() ? colX : 0, colY); }
};

// Field 1: the file, its separator and its reference file and column; field 2: the X column and
// its own file; field 3: the Y column, the moving average, the step and the factors of Y.
void LitColonnesPlot(const QString& param, ParametresPlot& p) {
  const QStringList f1 = ParamN(param, 1).split(Lecture.SepSousParam);
  p.nomFichier = Trim(SousChamp(f1, 0));
  const double code = Val(SousChamp(f1, 1));
  if (code < 0 || code > 65535)
    ErreurChamp(1, QStringLiteral("séparateur / separator %1").arg(TexteNombre(code)));
  p.separateur = code >= 1 ? QChar(static_cast<char16_t>(code)) : QLatin1Char(',');
  p.nomReference = Trim(SousChamp(f1, 2));
  p.colRef = VersEntier32(std::trunc(Val(SousChamp(f1, 3))));

  const QString f2 = ParamN(param, 2);
  if (InStr(f2, Lecture.SepSousParam) > 0) {
    const QStringList s = f2.split(Lecture.SepSousParam);
    if (EstNumerique(Trim(s[0]))) {
      p.colX = Entier(s[0]);
      p.nomFichierX = Trim(SousChamp(s, 1));
    } else {
      p.nomFichierX = Trim(s[0]);
      p.colX = Entier(SousChamp(s, 1));
    }
  } else {
    p.colX = Entier(f2);
  }

  const QStringList f3 = ParamN(param, 3).split(Lecture.SepSousParam);
  p.colY = Entier(SousChamp(f3, 0));
  // Widened before the sign is dropped: the smallest 32-bit number has no positive twin.
  p.mm = std::abs(static_cast<int64_t>(Entier(SousChamp(f3, 1))));
  p.pas = Entier(SousChamp(f3, 2));
  if (p.pas <= 0) p.pas = 1;
  p.fa = Nombre(SousChamp(f3, 3)).value_or(1.0);
  if (p.fa == 0) p.fa = 1;
  p.fb = Nombre(SousChamp(f3, 4)).value_or(0.0);
  p.fc = Nombre(SousChamp(f3, 5)).value_or(-1.0);
  if (p.colX < 0) ErreurChamp(2, QStringLiteral("colonne / column %1").arg(p.colX));
  if (p.colY < 0) ErreurChamp(3, QStringLiteral("colonne / column %1").arg(p.colY));
  if (p.colRef < 0) ErreurChamp(1, QStringLiteral("colonne / column %1").arg(p.colRef));
}

// Fields 1 to 11 and the raw text of field 12, which may ask for the offset file instead.
ParametresPlot LitParametresPlot(const QString& param) {
  ParametresPlot p;
  LitColonnesPlot(param, p);

  const QStringList f4 = ParamBrutN(param, 4).split(Lecture.SepSousParam);
  p.saut = Entier(SousChamp(f4, 0));
  p.varSaut = NomVariable(SousChamp(f4, 1), 4);
  p.maxPoints = Entier(SousChamp(f4, 2));
  p.afficheSaut = p.saut < 0;
  p.saut = std::abs(p.saut);

  p.axeX.Lit(ParamN(param, 5), ParamN(param, 6), 5);
  p.axeY.Lit(ParamN(param, 7), ParamN(param, 8), 7);
  p.varX = NomVariable(ParamBrutN(param, 9), 9);
  p.varY = NomVariable(ParamBrutN(param, 10), 10);
  p.varCompte = NomVariable(ParamBrutN(param, 11), 11);

  p.champ12 = Trim(ParamN(param, 12));
  return p;
}

// The turn of field 12 and the level's limit on the points of a block.
void LitAngleEtLimite(const QString& param, int niveau, ParametresPlot& p) {
  const QString& f12 = p.champ12;
  p.angleDeg = (!f12.isEmpty() && !f12.startsWith(Lecture.SepSousParam)) ? LitParam(param, 12).value_or(0.0)
                                                                         : -Rotation.AngRotDefaut;
  p.angle = p.angleDeg * DegresEnRadians;
  p.ca = std::cos(p.angle);
  p.sa = std::sin(p.angle);

  p.maxPlot = Niveau(niveau).MaxPlot;
  if (p.maxPlot <= 0) p.maxPlot = MaxPlotDefaut;
  if (p.maxPlot > MaxPlotPlafond)
    ErreurRun(QStringLiteral("MaxPlot %1 > %2").arg(p.maxPlot).arg(MaxPlotPlafond) + Crlf + Crlf);
}

// The X file, read once and only as far as the points it can give; empty when there is none.
Colonne LitFichierX(const ParametresPlot& p, int niveau) {
  Colonne fichierX;
  if (!p.AvecFichierX()) return fichierX;
  SourcePlot source(CheminFichierPlot(p.nomFichierX, niveau));
  BlocPlot lignes(source, false);
  const QString sautees = SauteLignes(lignes, p.saut, p.nomFichierX);
  if (p.afficheSaut) Dialogues().MsgBox(sautees, Boutons::Ok, QStringLiteral("Morvo-Plot  ") + p.nomFichierX);
  fichierX.v.push_back(0);
  for (qsizetype i = p.saut; lignes.A(i); ++i) {
    if (p.maxPoints >= 1 && static_cast<int>(fichierX.v.size()) - 1 >= p.maxPoints) break;
    if (static_cast<int32_t>(fichierX.v.size()) > TailleTamponX)
      ErreurLigneDonnees(lignes[i], QStringLiteral("plus de / more than %1 points").arg(TailleTamponX));
    const std::optional<QString> champ = ChampDonnees(lignes[i], p.separateur, p.colX);
    if (!champ) ErreurLigneDonnees(lignes[i], QStringLiteral("colonne / column %1 ?").arg(p.colX));
    fichierX.Ajoute(ValeurCalculee(*champ, lignes[i]), p.axeX);
    if ((i + 1) % LignesEntreAttentes == 0) DoEvents();
    TesteArret();
  }
  return fichierX;
}

// What every block of one command shares, and what one block hands on to the next.
struct ExecutionPlot {
  int niveau;
  ParametresPlot& p;
  CommandesPlot& commandes;
  const SymbolePlot& symbole;
  bool remplit, symboles;
  const Colonne& fichierX;
  QString cheminReference;
  float xPrec = 0, yPrec = 0;
  QString texteCompte{};
  bool fini = false;  // a symbol run asked for the end of the whole run

  int NombreX() const { return static_cast<int>(fichierX.v.size()) - 1; }
};

// Data point 'nombre' of the block: its X (unless an X file gives them) and its Y, scaled by the
// factors of Y and taken from the reference line when there is one.
void AjoutePoint(const ParametresPlot& p, const QString& ligne, int nombre, BlocPlot& refs, Colonne& X,
                 Colonne& Y) {
  if (nombre > p.maxPlot)
    ErreurLigneDonnees(ligne, QStringLiteral("plus de / more than %1 points (MaxPlot)").arg(p.maxPlot));
  if (p.AvecX() && !p.AvecFichierX() && nombre > TailleTamponX)
    ErreurLigneDonnees(ligne, QStringLiteral("plus de / more than %1 points").arg(TailleTamponX));
  const int colMax = p.ColMax();
  const std::vector<QStringView> champs = ChampsDonnees(ligne, p.separateur, colMax);
  if (static_cast<int>(champs.size()) < colMax)
    ErreurLigneDonnees(ligne, QStringLiteral("colonne / column %1 ?").arg(champs.size() + 1));
  auto texteChamp = [&](int c) { return champs[static_cast<size_t>(c) - 1].toString(); };
  if (p.AvecX() && !p.AvecFichierX()) {
    bool relatif = false;
    float x = ValeurDonnee(texteChamp(p.colX), relatif, ligne);
    if (relatif) x += X.v.back();
    X.Ajoute(x, p.axeX);
  } else {
    X.v.push_back(0);
  }
  if (p.colY > 0) {
    bool relatif = false;
    double y = ValeurDonnee(texteChamp(p.colY), relatif, ligne);
    if (relatif) y += Y.v.back();
    double yref = 0;
    if (p.colRef > 0) {
      const int64_t n = p.saut + nombre - 1;
      if (!refs.A(n)) ErreurLigneDonnees(ligne, QStringLiteral("ligne de référence / reference line ?"));
      const std::optional<QString> champ = ChampDonnees(refs[n], p.separateur, p.colRef);
      if (!champ) ErreurLigneDonnees(refs[n], QStringLiteral("colonne / column %1 ?").arg(p.colRef));
      bool ignore = false;
      yref = ValeurDonnee(*champ, ignore, refs[n]);
    }
    Y.Ajoute(VersSingle(p.fa * y + p.fb + p.fc * yref), p.axeY);
  } else {
    Y.v.push_back(0);
  }
}

// The lines of the block after the skipped ones: command lines are carried out as they come, data
// lines give the points. Gives the number of points.
int LitDonneesBloc(ExecutionPlot& e, BlocPlot& bloc, BlocPlot& refs, Colonne& X, Colonne& Y) {
  const ParametresPlot& p = e.p;
  int nombre = 0;
  for (int i = static_cast<int>(std::min<int64_t>(p.saut, INT32_MAX)); bloc.A(i); ++i) {
    const QString ligne = bloc[i];
    const GenreLigne genre = GenreLignePlot(ligne);
    if (genre == GenreLigne::Commande) {
      // A line ending in " _" goes on with the next one.
      for (int j = i; RTrim(bloc[j]).endsWith(QLatin1String(" _")) && bloc.A(j + 1); ++j) {
      }
      e.commandes.Execute(bloc.Lignes(), i,
                          EchellePlot{p.axeX.FacteurLignes(), p.axeY.FacteurLignes(), p.axeX.OffsetLignes(),
                                      p.axeY.OffsetLignes(), p.angleDeg});
    }
    if (genre == GenreLigne::Donnees) {
      if (p.maxPoints >= 1 && nombre >= p.maxPoints) break;
      ++nombre;
      AjoutePoint(p, ligne, nombre, refs, X, Y);
    }
    if ((i + 1) % LignesEntreAttentes == 0) DoEvents();
    TesteArret();
  }
  return nombre;
}

// The block's X values are those of the X file, as far as the block has points.
void PrendFichierX(const ExecutionPlot& e, Colonne& X, int& nombre) {
  nombre = std::min(nombre, e.NombreX());
  X.v.assign(e.fichierX.v.begin(), e.fichierX.v.begin() + nombre + 1);
  X.v[0] = e.xPrec;
  X.min = e.fichierX.min;
  X.max = e.fichierX.max;
  X.somme = e.fichierX.somme;
}

// Minimum, maximum and mean of the block into the %variables of fields 9 and 10; a block whose
// values are asked for is not drawn. Gives whether it is drawn.
bool StockeStatistiques(ExecutionPlot& e, const Colonne& X, const Colonne& Y, int nombre) {
  ParametresPlot& p = e.p;
  const double nX = p.AvecFichierX() ? e.NombreX() : nombre;
  const double moyenneX = nX > 0 ? X.somme / nX : 0;
  const double moyenneY = nombre > 0 ? Y.somme / nombre : 0;
  Encre.CouleurCmd = Encre.CouleurCourante;

  bool trace = true;
  if (!p.varX.isEmpty()) {
    StockeTexteVariable(
        e.niveau, p.varX,
        p.AvecX() ? TexteMinMaxMoyenne(X.min, X.max, moyenneX) : TexteMinMaxMoyenne(1, nombre, nombre / 2.0));
    trace = false;
  }
  if (!p.varY.isEmpty()) {
    StockeTexteVariable(e.niveau, p.varY, TexteMinMaxMoyenne(Y.min, Y.max, moyenneY));
    trace = false;
  }
  return trace;
}

// Fills the polygon gathered by the filled command, or else leaves the current point at the last
// point drawn.
void TermineTrace(bool polygone, const QVector<QPointF>& sommets, const QPointF& prec, double ox, double oy) {
  if (polygone && Encre.CouleurCmd != -1 && !sommets.isEmpty()) {
    // The fill is one call that cannot be stopped: a stop asked for before it is honoured.
    DoEvents();
    TesteArret();
    Sortie->DrawWidth = static_cast<int>(ArrondiPair(Plume.EpaisseurTrait));
    Sortie->FillStyle = 0;
    Sortie->ForeColor = Sortie->FillColor = static_cast<uint32_t>(Encre.CouleurCmd);
    Sortie->Polygone(sommets);
    Sortie->FillStyle = 1;
    const QPointF d = sommets.back();
    Repere.XCourant =
        static_cast<float>(Sortie->ScaleLeft + d.x() * Sortie->ScaleWidth / Sortie->LargeurPixels());
    Repere.YCourant =
        static_cast<float>(Sortie->ScaleTop + d.y() * Sortie->ScaleHeight / Sortie->HauteurPixels());
  } else {
    Repere.XCourant = static_cast<float>(prec.x() + ox);
    Repere.YCourant = static_cast<float>(prec.y() + oy);
  }
  Sortie->CurrentX = Repere.XCourant;
  Sortie->CurrentY = Repere.YCourant;
}

// Draws the block's points, averaged over the moving window and taken every 'pas' points: as
// segments, as one filled polygon, or as a symbol at each point.
void TraceBloc(ExecutionPlot& e, Colonne& X, Colonne& Y, int nombre, bool sansRemplissage) {
  ParametresPlot& p = e.p;
  Axe& axeX = p.axeX;
  Axe& axeY = p.axeY;
  const bool avecX = p.AvecX();
  const int colY = p.colY;
  const int pas = p.pas;
  const int mmb = static_cast<int>(nombre < 2 * p.mm + 1 ? (nombre - 1) / 2 : p.mm);
  auto debutAxe = [&](Colonne& c, bool valeurs, const Axe& axe) -> double {
    if (valeurs) return c.Moyenne(mmb + 1, mmb, nombre);
    if (!axe.min) c.min = 1;
    if (!axe.max) c.max = nombre;
    return c.min >= 1 ? c.min : 1;
  };
  const double x0 = debutAxe(X, avecX, axeX);
  const double y0 = debutAxe(Y, colY > 0, axeY);
  axeX.bas = X.min;
  axeX.haut = X.max;
  axeY.bas = Y.min;
  axeY.haut = Y.max;
  axeX.Prepare();
  axeY.Prepare();

  const bool polygone = e.remplit && !sansRemplissage;
  const double ox = Repere.OrigineX + Repere.CTx, oy = Repere.OrigineY + Repere.CTy;
  auto place = [&](double vx, double vy) {
    const double x = axeX.Mm(vx), y = axeY.Mm(vy);
    if (p.angle == 0) return QPointF(x, y);
    return QPointF(x * p.ca - y * p.sa, x * p.sa + y * p.ca);
  };
  QVector<QPointF> sommets;
  if (polygone)
    sommets.reserve(static_cast<int>(std::min<int64_t>((nombre - 1 - mmb) / pas + 3, nombre + 3)));
  double vxPrec = x0, vyPrec = y0;
  QPointF prec = place(x0, y0);
  bool premier = true;
  auto visite = [&](int i) {
    const double vx = avecX ? X.Moyenne(i, mmb, nombre) : i;
    const double vy = colY > 0 ? Y.Moyenne(i, mmb, nombre) : i;
    const QPointF pt = place(vx, vy);
    const bool dedans = axeX.Dedans(vxPrec) && axeX.Dedans(vx) && axeY.Dedans(vyPrec) && axeY.Dedans(vy);
    // The start point is the first point itself unless a moving average moves it: that first
    // piece of no length is left out when other pieces follow.
    if (e.symboles) {
      if (dedans && DessineSymbole(e.niveau, e.symbole, i, pt) < 0) e.fini = true;
    } else if (dedans && !(premier && pt == prec && nombre > 1)) {
      if (polygone) {
        if (sommets.isEmpty()) sommets << QPointF(PointDevice(prec.x() + ox, prec.y() + oy));
        sommets << QPointF(PointDevice(pt.x() + ox, pt.y() + oy));
      } else {
        TraceSegment(static_cast<float>(prec.x() + ox), static_cast<float>(prec.y() + oy),
                     static_cast<float>(pt.x() + ox), static_cast<float>(pt.y() + oy), 0, Encre.CouleurCmd);
      }
    }
    premier = false;
    vxPrec = vx;
    vyPrec = vy;
    prec = pt;
    TesteArret();
    if (i % (static_cast<int64_t>(pas) * 10000 + 1) == 0) DoEvents();
  };
  int dernier = 0;
  for (int64_t i = mmb + 1; i <= nombre && !e.fini; i += pas) {
    visite(static_cast<int>(i));
    dernier = static_cast<int>(i);
  }
  if (pas >= 2 && dernier < nombre && !e.fini) visite(nombre);

  TermineTrace(polygone, sommets, prec, ox, oy);
}

// One block of the main file, read only as far as it is used: its skipped lines, its points, then
// its values told or its curve drawn. Gives true when no block may follow.
bool TraiteBloc(ExecutionPlot& e, SourcePlot& source) {
  ParametresPlot& p = e.p;
  BlocPlot bloc(source);
  // A reference file gives every block its lines from its start again.
  std::optional<SourcePlot> sourceReference;
  std::optional<BlocPlot> lignesReference;
  if (!e.cheminReference.isEmpty()) {
    sourceReference.emplace(e.cheminReference);
    lignesReference.emplace(*sourceReference, false);
  }
  BlocPlot& refs = lignesReference ? *lignesReference : bloc;
  Colonne X, Y;
  X.v.push_back(e.xPrec);
  Y.v.push_back(e.yPrec);
  const QString sautees = SauteLignes(bloc, p.saut, p.nomFichier);
  if (!p.varSaut.isEmpty()) StockeTexteVariable(e.niveau, p.varSaut, sautees);
  if (p.afficheSaut) Dialogues().MsgBox(sautees, Boutons::Ok, QStringLiteral("Morvo-Plot  ") + p.nomFichier);

  int nombre = LitDonneesBloc(e, bloc, refs, X, Y);
  // The rest of the block is passed over up to its marker line, which holds its options.
  bloc.Termine();

  if (p.AvecFichierX()) PrendFichierX(e, X, nombre);
  X.Bornes(p.axeX);
  Y.Bornes(p.axeY);
  const bool trace = StockeStatistiques(e, X, Y, nombre);
  if (trace && nombre > 0) TraceBloc(e, X, Y, nombre, bloc.SansRemplissage());

  if (!e.texteCompte.isEmpty()) e.texteCompte += QStringLiteral("+");
  e.texteCompte += StrNombre(static_cast<double>(nombre));
  if (nombre > 0) {
    e.xPrec = X.v[static_cast<size_t>(nombre)];
    e.yPrec = Y.v[static_cast<size_t>(nombre)];
  }
  return e.commandes.Arrete() || e.fini;
}

}  // namespace

void CmdPlot(int niveau, const QString& motCle, const QString& paramAppel) {
  // The caller's text may be ParamLigne itself, which every symbol run empties.
  const QString param = paramAppel;
  const QString mot = UCase(Trim(motCle));
  const bool remplit = mot == QStringLiteral("PLOTP");
  const bool symboles = mot == QStringLiteral("PLOTS");
  AjouteOrdre(OrdreDessin);
  // The colours and the pen are saved at the start of the command and put back however it ends.
  const QScopedValueRollback<EtatEncre> encre(Encre);
  const auto plume = qScopeGuard([depart = PlumeDepartPlot()] {
    depart.Remet();
    Sortie->FillStyle = 1;
  });
  CommandesPlot commandes(niveau, remplit);
  SymbolePlot symbole;
  if (symboles) symbole = PrepareSymbole(niveau);

  ParametresPlot p = LitParametresPlot(param);
  if (UCase(p.champ12) == UCase(Lecture.SepSousParam + QStringLiteral("OFFSET"))) {
    EcritFichierOffset(p.nomFichier, niveau, p.axeX, p.axeY);
    return;
  }
  LitAngleEtLimite(param, niveau, p);

  const Colonne fichierX = LitFichierX(p, niveau);

  // The blocks of the main file, each read only as far as it is used.
  SourcePlot source(CheminFichierPlot(p.nomFichier, niveau));
  const QString cheminReference =
      p.colRef > 0 && !p.nomReference.isEmpty() ? CheminFichierPlot(p.nomReference, niveau) : QString();
  ExecutionPlot e{.niveau = niveau,
                  .p = p,
                  .commandes = commandes,
                  .symbole = symbole,
                  .remplit = remplit,
                  .symboles = symboles,
                  .fichierX = fichierX,
                  .cheminReference = cheminReference};
  do {
    if (TraiteBloc(e, source)) break;
  } while (!source.Fin());

  if (!p.varCompte.isEmpty()) StockeTexteVariable(niveau, p.varCompte, e.texteCompte);
  RotationCourant(Rotation.AngRotDeg);
}
