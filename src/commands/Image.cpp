#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>

#include "commands/Commands.h"
#include "drawing/DrawState.h"
#include "drawing/Points.h"
#include "drawing/Rotation.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "platform/Pictures.h"
#include "platform/ProgramFolder.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "platform/TextFile.h"
#include "values/Expressions.h"
#include "values/Fields.h"
#include "values/Levels.h"
#include "values/Variables.h"

using namespace legacy;

namespace {

// The top-left corner at which the last picture was painted, in drawing units.
float XImage = 0, YImage = 0;

const QString NomIcone = QStringLiteral("MORVO.ICO");

// The program's own picture, drawn once into a file that lives as long as the program.
QString FichierIcone() {
  static QTemporaryDir dossier;
  static QString chemin;
  if (!chemin.isEmpty() || !dossier.isValid()) return chemin;
  QImage icone(32, 32, QImage::Format_ARGB32);
  icone.fill(Qt::transparent);
  QPainter p(&icone);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(QColor(30, 90, 170));
  p.setPen(Qt::NoPen);
  p.drawEllipse(1, 1, 30, 30);
  p.setPen(QPen(Qt::white, 3));
  p.drawPolyline(QPolygon({QPoint(8, 23), QPoint(8, 9), QPoint(16, 18), QPoint(24, 9), QPoint(24, 23)}));
  p.end();
  const QString fichier = dossier.filePath(QStringLiteral("Morvo.png"));
  if (icone.save(fichier)) chemin = fichier;
  return chemin;
}

// The file of a picture name: a relative name is looked for in the program's folder, then, in a
// command file, taken from that file's folder.
QString CheminImage(const QString& nom) {
  QString n = nom;
  n.replace(QLatin1Char('\\'), QLatin1Char('/'));
  if (QDir::isAbsolutePath(n) || n.contains(QLatin1Char(':'))) return n;
  const QString chemin = Shell.RepCourant + n;
  if (EstFichierOrdinaire(chemin) || NiveauCourant < 2) return chemin;
  QString fichier = Niveau(NiveauCourant).Fichier;
  fichier.replace(QLatin1Char('\\'), QLatin1Char('/'));
  return DossierDuFichier(fichier) + n;
}

// A file that is there but holds no picture the reader can decode.
[[noreturn]] void ImageIlisible(const QString& chemin, const QString& raison) {
  Incident.TypeErreur.clear();
  ErreurRun(TexteMsg(141).arg(chemin, raison) + QStringLiteral("\r\n\r\n"));
}

double Valeur(QString texte) { return Calcule(texte).value_or(0.0); }

// The sub-fields of the size text after its letter; 'besoin' of them must be there.
QStringList SousChamps(const QString& taille, int besoin) {
  const QStringList sous = taille.split(Lecture.SepSousParam);
  if (sous.size() <= besoin) ErreurContenu(taille, TexteMsg(TexteRaison::ValeurManque));
  return sous;
}

void StockeMesure(int niveau, const QString& nomBrut, double valeur) {
  const QString n = Trim(nomBrut);
  if (n.size() < 2 || !n.startsWith(QLatin1Char('%'))) return;
  QString nom = NomCommande(n);
  StockeVariable(niveau, nom, ArrondiPair(valeur * 100.0) / 100.0);
}

}  // namespace

void TraceImage() {
  const QString param = Lecture.ParamLigne;

  double x = 0, y = 0;
  LitPointVar(x, y, param, 2, Repere.XRot, Repere.YRot);
  RotationXY(ParamN(param, 3), x, y);

  const QString nom = Trim(ParamN(param, 1));
  QString chemin;
  if (UCase(Right(nom, 9)) != NomIcone) {
    chemin = CheminImage(nom);
    Incident.TypeErreur = QStringLiteral("F");
    Incident.FichierManquant = chemin;
  } else {
    chemin = FichierIcone();
  }
  if (!EstFichierOrdinaire(chemin)) ErreurFichierIntrouvable(chemin.isEmpty() ? nom : chemin);
  QString raison;
  const QSize pixels = TailleImage(chemin, raison);
  if (!pixels.isValid()) ImageIlisible(chemin, raison);
  Incident.TypeErreur.clear();

  // The picture's size in drawing units: one picture pixel is one screen pixel at a scale of 1,
  // on the printer as on the screen.
  const double w = pixels.width() * Shell.MmParPixelEcran;
  const double h = pixels.height() * Shell.MmParPixelEcran;

  const QString lettres = UCase(ParamN(param, 5));
  const QString taille = UCase(Trim(ParamN(param, 4)));
  const QChar forme = taille.isEmpty() ? QChar() : taille[0];

  if (forme == QLatin1Char('V')) {
    const QStringList noms = SousChamps(UCase(Trim(ParamBrutN(param, 4))), 2);
    StockeMesure(NiveauCourant, noms[1], pixels.width());
    StockeMesure(NiveauCourant, noms[2], pixels.height());
    return;
  }

  double W = 0, H = 0;
  if (forme == QLatin1Char('X')) {
    W = Valeur(SousChamps(taille, 1)[1]);
    H = W * h / w;
  } else if (forme == QLatin1Char('Y')) {
    H = Valeur(SousChamps(taille, 1)[1]);
    W = H * w / h;
  } else if (forme == QLatin1Char('Z')) {
    const QStringList sous = SousChamps(taille, 2);
    W = Valeur(sous[1]);
    H = Valeur(sous[2]);
  } else if (forme == QLatin1Char('A')) {
    const QStringList sous = SousChamps(taille, 2);
    const double largeur = Valeur(sous[1]), hauteur = Valeur(sous[2]);
    if (hauteur == 0) LeveErreurExecution(QStringLiteral("division by zero"));
    if (largeur / hauteur > w / h) {
      W = hauteur * w / h;
      H = hauteur;
    } else {
      W = largeur;
      H = largeur * h / w;
    }
  } else {
    double k = LitParam(param, 4).value_or(0.0);
    if (k == 0) k = 1;
    double kY = k;
    const QStringList sous = taille.split(Lecture.SepSousParam);
    if (sous.size() > 3 && !Trim(sous[3]).isEmpty()) kY = Valeur(sous[3]);
    W = k * w;
    H = kY * h;
  }
  AjouteOrdre(OrdreDessin);

  const double x0 = Repere.OrigineX + Repere.CTx + x, y0 = Repere.OrigineY + Repere.CTy + y;
  auto contient = [&lettres](const char* l) { return InStr(lettres, QString::fromLatin1(l)) > 0; };
  if (contient("C") || contient("X"))
    XImage = static_cast<float>(x0 - W / 2);
  else if (contient("D"))
    XImage = static_cast<float>(x0 - W);
  else
    XImage = static_cast<float>(x0);
  if (contient("C") || contient("Y"))
    YImage = static_cast<float>(y0 + H / 2);
  else if (contient("H"))
    YImage = static_cast<float>(y0);
  else
    YImage = static_cast<float>(y0 + H);

  if (!Sortie->Image(Sortie->DeviceX(XImage), Sortie->DeviceY(YImage), Sortie->DeviceLongueurX(W),
                     Sortie->DeviceLongueurY(-H), chemin, &raison)) {
    ImageIlisible(chemin, raison);
  }

  Repere.XCourant = XImage;
  Repere.YCourant = YImage;
  Sortie->CurrentX = Repere.XCourant;
  Sortie->CurrentY = Repere.YCourant;
  RotationCourant(Rotation.AngRotDeg);
}
