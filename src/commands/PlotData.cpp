#include "commands/PlotData.h"

#include <QDir>
#include <QFileInfo>
#include <QScopedValueRollback>
#include <cmath>

#include "commands/Commands.h"
#include "drawing/DrawState.h"
#include "drawing/Pen.h"
#include "drawing/Points.h"
#include "drawing/Segments.h"
#include "platform/FileLookup.h"
#include "platform/FileNames.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "platform/ProgramFolder.h"
#include "platform/RunError.h"
#include "platform/TextFile.h"
#include "values/Colours.h"
#include "values/Expressions.h"
#include "values/Fields.h"
#include "values/Levels.h"
#include "values/Substitution.h"

using namespace legacy;

namespace {

const QString Crlf = QStringLiteral("\r\n");

QString DansDossier(const QString& dossier, const QString& nom) {
  if (dossier.isEmpty()) return {};
  const QFileInfo info(QDir(dossier), nom);
  if (info.isFile()) return info.filePath();
  const QString trouve = TrouveSansCasse(info.absolutePath(), info.fileName());
  return trouve;
}

[[noreturn]] void PasUnNombre(const QString& champ, const QString& ligne) {
  ErreurLigneDonnees(ligne, QStringLiteral("« %1 » n'est pas un nombre / is not a number").arg(Trim(champ)));
}

// The reduced text of an evaluation must be one number: anything left over was not understood.
void VerifieNombre(const QString& reduit, const QString& champ, const QString& ligne) {
  if (!EstNumerique(Trim(reduit))) PasUnNombre(champ, ligne);
}

// A number with one or two decimals and "." as decimal point, whatever the locale.
QString DeuxDecimales(double v) { return FormatPoint(v, QStringLiteral("0.0#")); }

QString SansCommentaire(const QString& texte) {
  const int p = InStr(texte, QStringLiteral("'"));
  return p > 0 ? Left(texte, p - 1) : texte;
}

// Widths in a data file grow with the plot: by the square root of the product of its factors.
double RacineFacteurs(const EchellePlot& e, const QString& ligne) {
  const double produit = e.FeX * e.FeY;
  if (produit < 0)
    ErreurLigneDonnees(
        ligne, QStringLiteral("√(feX × feY) : facteurs de signes contraires / factors of opposite signs"));
  return std::sqrt(produit);
}

// The keyword and the parameters of a CERCLE or BEZIER line, cut at the "=" or, without one, the
// first blank from the sixth character on.
bool CoupeCommande(const QString& ligne, QString& motCle, QString& params) {
  int p = InStr(6, ligne, QStringLiteral("="));
  if (p == 0) p = InStr(6, ligne, QStringLiteral(" "));
  if (p == 0) return false;
  motCle = RTrim(Left(ligne, p - 1));
  params = SansCommentaire(Mid(ligne, p + 1));
  return true;
}

// An angle field as written: "-" kept on a negative value and on "-0" (a radius line at 0).
bool AngleNegatif(double valeur, const QString& champ) {
  return valeur < 0 || (valeur == 0 && Trim(champ).startsWith(QLatin1Char('-')));
}
QString TexteAngle(double valeur, bool negatif) {
  return (negatif ? QStringLiteral("-") : QString()) + TexteNombre(std::fabs(valeur));
}

}  // namespace

QString CheminFichierPlot(const QString& nom, int niveau) {
  QString n = Trim(nom);
  n.replace(QLatin1Char('\\'), QLatin1Char('/'));
  const int barre = InStrRev(n, QStringLiteral("/"));
  if (InStr(barre + 1, n, QStringLiteral(".")) == 0) n += QStringLiteral(".txt");
  if (QDir::isAbsolutePath(n)) return n;
  if (const QString p = DansDossier(Shell.RepCourant, n); !p.isEmpty()) return p;
  // The program's own folder is RepCourant: only a command file has another.
  if (niveau >= 2 && niveau < static_cast<int>(Niveaux.size())) {
    const QString fichier = Niveaux[static_cast<size_t>(niveau)].Fichier;
    if (!fichier.isEmpty()) {
      QString dossier = fichier;
      dossier.replace(QLatin1Char('\\'), QLatin1Char('/'));
      if (const QString p = DansDossier(DossierDuFichier(DansDossierCourant(dossier)), n); !p.isEmpty())
        return p;
    }
  }
  return Shell.RepCourant.isEmpty() ? n : QDir(Shell.RepCourant).filePath(n);
}

QStringList LignesFichierPlot(const QString& chemin) {
  // Line by line, so that each line has the reader's bound.
  LecteurLignes lecteur;
  lecteur.OuvrePourLeRun(chemin);
  QStringList lignes;
  while (!lecteur.Fin()) lignes << lecteur.Suivante();
  return lignes;
}

SourcePlot::SourcePlot(const QString& chemin) { lecteur_.OuvrePourLeRun(chemin); }

bool BlocPlot::LitLigne(bool garde) {
  if (fini_ || source_.Fin()) {
    fini_ = true;
    return false;
  }
  const QString ligne = source_.Suivante();
  if (marqueurs_) {
    const QString haut = UCase(ligne);
    if (const int marque = InStr(haut, QStringLiteral("'EOD")); marque > 0) {
      sansRemplissage_ = InStr(marque + 4, haut, QStringLiteral("NP")) > 0;
      fini_ = true;
    }
  }
  if (garde) lignes_ << ligne;
  return true;
}

bool BlocPlot::A(qsizetype i) {
  while (lignes_.size() <= i) {
    if (!LitLigne(true)) return false;
  }
  return true;
}

void BlocPlot::Termine() {
  for (int n = 1; LitLigne(false); ++n) TesteArretTiret(n);
}

GenreLigne GenreLignePlot(const QString& ligne) {
  if (Trim(ligne).isEmpty() || ligne.startsWith(QLatin1Char('\''))) return GenreLigne::Commentaire;
  const QString haut = UCase(LTrim(ligne));
  for (const char* mot : {"COULEUR", "EPAIST", "CERCLE", "BEZIER", "STOP"}) {
    if (haut.startsWith(QLatin1String(mot))) return GenreLigne::Commande;
  }
  return GenreLigne::Donnees;
}

std::vector<QStringView> ChampsDonnees(const QString& ligne, QChar separateur, int n) {
  std::vector<QStringView> champs;
  qsizetype debut = 0;
  while (static_cast<int>(champs.size()) < n) {
    const qsizetype fin = ligne.indexOf(separateur, debut);
    champs.push_back(QStringView(ligne).mid(debut, fin < 0 ? -1 : fin - debut));
    if (fin < 0) break;
    debut = fin + 1;
  }
  return champs;
}

std::optional<QString> ChampDonnees(const QString& ligne, QChar separateur, int n) {
  const std::vector<QStringView> champs = ChampsDonnees(ligne, separateur, n);
  if (n < 1 || static_cast<int>(champs.size()) < n) return std::nullopt;
  return champs.back().toString();
}

float ValeurDonnee(const QString& champ, bool& relatif, const QString& ligne) {
  // A drawing saved under one locale is plotted under any other.
  const QString texte = PointDecimal(champ);
  relatif = InStr(UCase(texte), QStringLiteral("R")) > 0;
  double v = 0;
  try {
    v = LitParam(texte, 1).value_or(0.0);
  } catch (const ErreurExecution&) {
    if (!Incident.DetailErreur.isEmpty()) throw;
    PasUnNombre(champ, ligne);
  }
  if (!Trim(texte).isEmpty()) VerifieNombre(AnalyseParam.TexteChamp, champ, ligne);
  return VersSingle(v);
}

float ValeurCalculee(const QString& champ, const QString& ligne) {
  QString texte = PointDecimal(champ);
  double v = 0;
  try {
    v = Calcule(texte).value_or(0.0);
  } catch (const ErreurExecution&) {
    PasUnNombre(champ, ligne);
  }
  if (!Trim(champ).isEmpty()) VerifieNombre(texte, champ, ligne);
  return VersSingle(v);
}

void ErreurLigneDonnees(const QString& ligne, const QString& raison) {
  ErreurRun(ligne + QStringLiteral(" : ") + raison + Crlf + Crlf);
}

PlumeDepartPlot::PlumeDepartPlot()
    : epaisseur_(Plume.EpaisseurTrait),
      bout_(Plume.BoutCarre),
      l1_(Plume.TiretL1),
      l2_(Plume.TiretL2),
      l3_(Plume.TiretL3) {}

void PlumeDepartPlot::Remet() const {
  Plume.EpaisseurTrait = epaisseur_;
  Sortie->DrawWidth = static_cast<int>(ArrondiPair(Plume.EpaisseurTrait));
  Plume.BoutCarre = bout_;
  Plume.TiretL1 = l1_;
  Plume.TiretL2 = l2_;
  Plume.TiretL3 = l3_;
  Plume.ResteTiret = 0;
}

CommandesPlot::CommandesPlot(int niveau, bool remplit)
    : niveau_(niveau),
      remplit_(remplit),
      couleurCourante_(Encre.CouleurCourante),
      couleurCmd_(Encre.CouleurCmd) {}

void CommandesPlot::Execute(const QStringList& lignes, int& i, const EchellePlot& echelle) {
  QString ligne = UCase(LTrim(lignes[i]));
  if (ligne.startsWith(QLatin1String("STOP"))) {
    arrete_ = true;
    return;
  }
  const bool cercle = ligne.startsWith(QLatin1String("CERCLE"));
  if (cercle || ligne.startsWith(QLatin1String("BEZIER"))) {
    while (RTrim(ligne).endsWith(QLatin1String(" _")) && i + 1 < lignes.size()) {
      const QString debut = RTrim(ligne);
      ligne = Left(debut, static_cast<int>(debut.size()) - 2) + UCase(lignes[++i]);
    }
    QString motCle, params;
    if (!CoupeCommande(ligne, motCle, params))
      ErreurLigneDonnees(ligne, QStringLiteral("« = » ou blanc attendu / \"=\" or blank expected"));
    if (cercle)
      Cercle(motCle, params, echelle, ligne);
    else
      Bezier(motCle, params, echelle);
    return;
  }
  int p = InStr(6, ligne, QStringLiteral("="));
  if (p == 0) p = InStr(6, ligne, QStringLiteral(" "));
  const QString valeur = p > 0 ? Mid(ligne, p + 1) : QString();
  if (ligne.startsWith(QLatin1String("COULEUR")))
    Couleur(valeur);
  else
    EpaisT(valeur, echelle, ligne);
}

void CommandesPlot::Couleur(const QString& valeur) {
  QString texte = SansCommentaire(valeur);
  SubstitueVariables(texte);
  if (Trim(texte).isEmpty()) {
    Encre.CouleurCourante = couleurCourante_;
    Encre.CouleurCmd = couleurCmd_;
    if (Encre.CouleurCourante != -1) Sortie->ForeColor = static_cast<uint32_t>(Encre.CouleurCourante);
    return;
  }
  // A text that is no colour is the empty colour, black, as in the Couleur command.
  Encre.CouleurCourante = Encre.CouleurCmd = ValeurCouleur(texte);
  if (Encre.CouleurCourante != -1) Sortie->ForeColor = static_cast<uint32_t>(Encre.CouleurCourante);
}

void CommandesPlot::EpaisT(const QString& valeur, const EchellePlot& e, const QString& ligne) {
  const QString largeur = Trim(SansCommentaire(ParamN(valeur, 1)));
  if (largeur.isEmpty()) {
    plume_.Remet();
    return;
  }
  EpaisTLocale(TexteNombre(RacineFacteurs(e, ligne)) + QStringLiteral("*") + largeur);
}

void CommandesPlot::Cercle(QString motCle, const QString& params, const EchellePlot& e,
                           const QString& ligne) {
  // The centre, scaled and turned as the curve's points are.
  double x = 0, y = 0;
  LitPoint(x, y, params, 1, Repere.XRot, Repere.YRot);
  if (Trim(ParamN(params, 1)).isEmpty()) x = Repere.XRot;
  if (Trim(ParamN(params, 2)).isEmpty()) y = Repere.YRot;
  x *= e.FeX;
  y *= e.FeY;
  if (e.AngleDeg != 0) {
    const double a = e.AngleDeg * 0.017453293;
    const double xt = x * std::cos(a) - y * std::sin(a);
    y = x * std::sin(a) + y * std::cos(a);
    x = xt;
  }

  const double rayon = LitParam(params, 3).value_or(0.0) * std::fabs(e.FeX);
  double coefficient = 1;
  const QString champRayon = ParamN(params, 3);
  if (const int pk = InStr(champRayon, Lecture.SepSousParam); pk > 0) {
    QString texte = Mid(champRayon, pk + static_cast<int>(Lecture.SepSousParam.size()));
    coefficient = Calcule(texte).value_or(0.0);
  }
  if (e.FeX == 0) ErreurLigneDonnees(ligne, QStringLiteral("feX = 0"));
  coefficient = std::fabs(e.FeY * coefficient / e.FeX);

  // Filling does not depend on the mirroring, so it is decided first.
  if (remplit_ && motCle == QStringLiteral("CERCLE")) motCle = QStringLiteral("CERCLEP");
  const QString champDebut = ParamN(params, 4), champFin = ParamN(params, 5);
  QString debut, fin;
  if (!Trim(champDebut).isEmpty() || !Trim(champFin).isEmpty()) {
    const double d = LitParam(params, 4).value_or(0.0), f = LitParam(params, 5).value_or(0.0);
    const bool negD = AngleNegatif(d, champDebut), negF = AngleNegatif(f, champFin);
    if (e.FeX > 0 && e.FeY > 0) {
      debut = TexteAngle(d, negD);
      fin = TexteAngle(f, negF);
    } else {
      double d2 = 0, f2 = 0;
      bool negD2 = negF, negF2 = negD;
      const bool miroir = e.FeX >= 0 || e.FeY >= 0;
      if (e.FeX >= 0) {
        d2 = 360 - std::fabs(f);
        f2 = 360 - std::fabs(d);
      } else if (e.FeY >= 0) {
        d2 = 180 - std::fabs(f);
        f2 = 180 - std::fabs(d);
      } else {
        d2 = std::fabs(d) - 180;
        f2 = std::fabs(f) + 180;
        negD2 = negD;
        negF2 = negF;
      }
      if (d2 < 0) d2 += 360;
      if (f2 < 0) f2 += 360;
      debut = TexteAngle(d2, negD2);
      fin = TexteAngle(f2, negF2);
      // A mirrored arc runs the other way round.
      if (miroir) {
        if (motCle.endsWith(QLatin1Char('I')))
          motCle.chop(1);
        else
          motCle += QLatin1Char('I');
      }
    }
  }

  QString style = ParamN(params, 7);
  if (!Trim(style).isEmpty())
    style = DeuxDecimales(RacineFacteurs(e, ligne)) + QStringLiteral("*") + Trim(style);
  const double rotation = LitParam(params, 8).value_or(0.0) + e.AngleDeg;
  // "§0" after y: the centre is already turned, so the circle is not turned again by the
  // default angle; its own axes turn by its rotation field.
  const QString texte = DeuxDecimales(x) + Lecture.SepParam + DeuxDecimales(y) + Lecture.SepSousParam +
                        QStringLiteral("0") + Lecture.SepParam + DeuxDecimales(rayon) + Lecture.SepSousParam +
                        DeuxDecimales(coefficient) + Lecture.SepParam + debut + Lecture.SepParam + fin +
                        Lecture.SepParam + ParamBrutN(params, 6) + Lecture.SepParam + style +
                        Lecture.SepParam + TexteNombre(rotation).replace(QLatin1Char(','), QLatin1Char('.'));
  // The nested command runs under the keyword it expects and leaves the plot's keyword and turn
  // as they were.
  const QScopedValueRollback<RotationCommande> tour(Rotation);
  const QScopedValueRollback<QString> motCleNiveau(Niveau(niveau_).MotCle, motCle);
  TraceCercle(niveau_, texte);
}

void CommandesPlot::Bezier(QString motCle, const QString& params, const EchellePlot& e) {
  if (remplit_ && motCle == QStringLiteral("BEZIER")) motCle = QStringLiteral("BEZIERP");
  QStringList champs = params.split(Lecture.SepParam);
  while (champs.size() < 3) champs << QString();
  if (InStr(champs[2], Lecture.SepSousParam) == 0) {
    champs[2] = Lecture.SepSousParam + DeuxDecimales(e.FeX) + Lecture.SepSousParam + DeuxDecimales(e.FeY) +
                Lecture.SepSousParam + DeuxDecimales(e.OffsetX) + Lecture.SepSousParam +
                DeuxDecimales(e.OffsetY) + Lecture.SepSousParam + DeuxDecimales(e.AngleDeg);
  }
  // The nested command runs under the keyword it expects and leaves the plot's keyword and turn
  // as they were.
  const QScopedValueRollback<RotationCommande> tour(Rotation);
  const QScopedValueRollback<QString> motCleNiveau(Niveau(niveau_).MotCle, motCle);
  TraceBezier(niveau_, champs.join(Lecture.SepParam));
}
