#include "shell/MouseCoordinates.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPalette>
#include <cmath>
#include <functional>

#include "drawing/DrawState.h"
#include "drawing/Rotation.h"
#include "drawing/Segments.h"
#include "editor/ProgramEditor.h"
#include "editor/UndoRing.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "shell/DrawingView.h"
#include "shell/MainWindow.h"
#include "shell/MouseDrawing.h"
#include "shell/QtHost.h"
#include "values/Colours.h"
#include "values/Levels.h"

using namespace legacy;

EtatSouris Souris;

void RazEtatSouris() { Souris = EtatSouris{}; }

int BitsBoutons(Qt::MouseButtons boutons) {
  return (boutons & Qt::LeftButton ? 1 : 0) | (boutons & Qt::RightButton ? 2 : 0) |
         (boutons & Qt::MiddleButton ? 4 : 0);
}

int BitsModificateurs(Qt::KeyboardModifiers modificateurs) {
  return (modificateurs & Qt::ShiftModifier ? BitShift : 0) |
         (modificateurs & Qt::ControlModifier ? BitCtrl : 0) | (modificateurs & Qt::AltModifier ? BitAlt : 0);
}

namespace {

// The box texts always show a point, whatever the locale writes.
QString Nombre(double v, const QString& motif) {
  QString texte = FormatPoint(v, motif);
  // A value that rounds to nothing shows no sign ("-0.0" would point the wrong way).
  if (texte.startsWith(u'-') && Val(Mid(texte, 2)) == 0) texte = Mid(texte, 2);
  return texte;
}

}  // namespace

AffichageSouris MesureSouris(float x, float y, int shift, bool saisieSouris) {
  EtatSouris& s = Souris;
  AffichageSouris a;
  s.SourisX = x;
  s.SourisY = y;
  if (shift & BitAlt) {
    s.XRefMesure = s.MarqueX;
    s.YRefMesure = s.MarqueY;
    a.Vert = true;
  } else {
    s.XRefMesure = RunShell.RefCurX;
    s.YRefMesure = RunShell.RefCurY;
  }
  double xm = 0, ym = 0;
  TournePoint(x, y, xm, ym, s.XRefMesure, s.YRefMesure, -static_cast<double>(RunShell.RefCurAngleRad));
  s.XMesure = static_cast<float>(xm);
  s.YMesure = static_cast<float>(ym);
  const float u = s.XMesure - s.XRefMesure;
  const float v = s.YMesure - s.YRefMesure;
  s.DistanceMesure = std::sqrt(u * u + v * v);
  if (s.DistanceMesure < 0.05f) {
    s.AngleMesure = 0;
  } else if (u != 0) {
    s.AngleMesure = static_cast<float>(std::atan(static_cast<double>(v) / u) * 180 / 3.14159265358979);
    if (u < 0) s.AngleMesure += 180;
  } else {
    s.AngleMesure = v > 0 ? 90.0f : 270.0f;
  }

  double cx = u, cy = v;
  if ((shift & BitShift) && !saisieSouris) {
    a.Rouge = true;
    cx = x - Repere.OrigineBaseX;
    cy = y - Repere.OrigineBaseY;
  }
  QString motif = QStringLiteral("##0.00");
  if (Shell.ZoomCourant < 0.5f)
    motif = QStringLiteral("###0");
  else if (Shell.ZoomCourant < 5)
    motif = QStringLiteral("##0.0");
  a.Coordonnees = Nombre(cx, motif) + QStringLiteral("  ") + Nombre(cy, motif);
  a.Angle = TexteAngleSouris(false);
  return a;
}

QString TexteAngleSouris(bool court) {
  const QString degres = court ? QStringLiteral("##0.#°") : QStringLiteral("##0.0°");
  const QString distance = court ? QStringLiteral("##0.#") : QStringLiteral("##0.0");
  const bool a = Souris.ModeAffichage;
  const double angle = a ? 180.0 - Souris.AngleMesure : Souris.AngleMesure;
  return (a ? QStringLiteral("A ") : QStringLiteral("T ")) + Nombre(angle, degres) + QStringLiteral("  ") +
         Nombre(Souris.DistanceMesure, distance);
}

QString TexteAnnulations(int indexAnnul, int nbAnnul, int nbRefaire) {
  return Format(indexAnnul, QStringLiteral("#0 : ")) + Format(nbAnnul, QStringLiteral("#0  ")) +
         Format(nbRefaire, QStringLiteral("#0  "));
}

void AimantePoint(float& x, float& y, float dernierX, float dernierY) {
  if (x == dernierX) return;
  const auto signe = [](float d) { return d > 0 ? 1.0f : (d < 0 ? -1.0f : 0.0f); };
  const float r = std::fabs((y - dernierY) / (x - dernierX));
  if (r <= 0.5f) {
    y = dernierY;
  } else if (r <= 1) {
    y = dernierY + std::fabs(x - dernierX) * signe(y - dernierY);
  } else if (r < 2) {
    x = dernierX + std::fabs(y - dernierY) * signe(x - dernierX);
  } else {
    x = dernierX;
  }
}

QString CoordonneesInserees(const QString& texteBoite, const QString& separateur) {
  QString s = texteBoite;
  const int blanc = InStr(s, QStringLiteral(" "));
  if (blanc == 0 || separateur.isEmpty()) return {};
  s = Left(s, blanc - 1) + separateur.left(1) + Mid(s, blanc + 1);
  const int dernier = InStrRev(s, QStringLiteral(" "));
  if (dernier > 1) s = Left(s, dernier - 1) + Mid(s, dernier + 1);
  return s;
}

void LitCoordonnees(const QString& paire, const QString& separateur, double& x, double& y) {
  x = Val(paire);
  const int sep = separateur.isEmpty() ? 0 : InStr(paire, separateur);
  y = sep > 0 ? Val(Mid(paire, sep + static_cast<int>(separateur.size()))) : 0.0;
}

QString TexteInsertionPoint(const QString& paire, const QString& texte, int caret,
                            const QString& separateur) {
  QString s = paire;
  int p = std::min(caret, static_cast<int>(texte.size()));
  if (p <= 0) return s;
  while (p > 0 && (Mid(texte, p, 1) == QStringLiteral(" ") || Mid(texte, p, 1) == QStringLiteral("\t"))) --p;
  if (p == 0) return s;
  const QString avant = Mid(texte, p, 1);
  if (avant != QStringLiteral("=") && avant != QStringLiteral("'") && avant != separateur)
    s = separateur + QStringLiteral(" ") + s;
  int debut = p;
  while (debut > 0 && Mid(texte, debut, 1) != QStringLiteral("\n")) --debut;
  ++debut;
  if (UCase(Mid(texte, debut, 5)) == QStringLiteral("TRAIT")) {
    const QString ligne = Mid(texte, debut, p - debut + 1);
    const int n = static_cast<int>(ligne.size() - Replace(ligne, separateur, QString()).size());
    if (n == 3) s = QStringLiteral(",,") + s;
  }
  return s;
}

// ---- the drawing view's handlers of the main window ----

namespace {

class FiltreDoubleClic : public QObject {
 public:
  FiltreDoubleClic(QObject* parent, std::function<void()> action)
      : QObject(parent), action_(std::move(action)) {}

 protected:
  bool eventFilter(QObject* cible, QEvent* evenement) override {
    if (evenement->type() == QEvent::MouseButtonDblClick) {
      action_();
      return true;
    }
    return QObject::eventFilter(cible, evenement);
  }

 private:
  std::function<void()> action_;
};

void CouleursBoite(QLineEdit* boite, const AffichageSouris& a) {
  QPalette p = boite->palette();
  if (a.Vert) {
    p.setColor(QPalette::Base, QColor(200, 255, 200));
  } else {
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Text, Qt::black);
  }
  if (a.Rouge) p.setColor(QPalette::Text, Qt::red);
  boite->setPalette(p);
}

}  // namespace

void FenetrePrincipale::RelieSouris() {
  vue_->setMouseTracking(true);
  // The drawing never takes the keyboard: after a click, a double-click or a measurement, keys go
  // on in the editor at its caret (the window's own keys work whatever has the focus).
  const auto clavierAuCode = [this] {
    if (hote_->MnuCodeCoche && editeur_->isVisible() && !Dessin.ModeDessin &&
        QApplication::activeModalWidget() == nullptr)
      editeur_->setFocus(Qt::MouseFocusReason);
  };
  connect(vue_, &VueDessin::SourisDeplacee, this, &FenetrePrincipale::Form_MouseMove);
  connect(vue_, &VueDessin::SourisAppuyee, this,
          [this, clavierAuCode](int bouton, int shift, float x, float y) {
            Form_MouseDown(bouton, shift, x, y);
            clavierAuCode();
          });
  connect(vue_, &VueDessin::DoubleClic, this, [this, clavierAuCode](int shift) {
    Form_DblClick(shift);
    clavierAuCode();
  });
  connect(vue_, &VueDessin::SourisRelachee, this, [clavierAuCode] {
    if (!Dessin.ModeDessin) {
      clavierAuCode();
      return;
    }
    if (FrmDessin* d = FrmDessin::Ouvert()) d->RendFocus();
  });
  text3_->installEventFilter(new FiltreDoubleClic(text3_, [this] { Text3_DblClick(); }));
}

void FenetrePrincipale::Form_MouseMove(int bouton, int shift, float x, float y) {
  vue_->setCursor(Qt::CrossCursor);
  const AffichageSouris a = MesureSouris(x, y, shift, Dessin.SaisieSouris);
  CouleursBoite(text2_, a);
  text2_->setText(a.Coordonnees);
  text3_->setText(a.Angle);
  if (annulation_)
    text4_->setText(
        TexteAnnulations(annulation_->IndexAnnul(), annulation_->NbAnnul(), annulation_->NbRefaire()));
  if (Dessin.ModeDessin && bouton == BoutonGauche && shift == BitShift) {
    if (Sortie == nullptr) Sortie = &vue_->Surface();
    EnregistreDeplacementDessin(bouton, shift, x, y);
    vue_->update();
  }
}

void FenetrePrincipale::Form_MouseDown(int, int shift, float& x, float& y) {
  if (hote_->MnuDessinActif || !(shift & BitShift)) {
    if (shift & BitAlt) {
      Souris.MarqueX = x;
      Souris.MarqueY = y;
    }
  } else if (Dessin.SaisieSouris) {
    if (Sortie == nullptr) Sortie = &vue_->Surface();
    EnregistrePressionDessin(shift, x, y);
    vue_->update();
  }
  Souris.DernierX = x;
  Souris.DernierY = y;
}

void FenetrePrincipale::Form_DblClick(int shift) {
  const bool insertion =
      Action(QStringLiteral("Mnu_DblClick"))->isChecked() || ((shift & BitCtrl) && hote_->MnuDessinActif);
  if (!insertion) {
    Positionner(shift);
    CentreCurseur();
    return;
  }
  const QString paire = CoordonneesInserees(text2_->text(), Lecture.SepParam);
  if (paire.isEmpty()) return;

  if (Sortie == nullptr) Sortie = &vue_->Surface();
  const int largeur = Sortie->DrawWidth;
  Sortie->DrawWidth = 2;
  double x = 0, y = 0, xr = 0, yr = 0;
  LitCoordonnees(paire, Lecture.SepParam, x, y);
  const double theta = RunShell.RefCurAngleRad;
  TournePoint(x, y, xr, yr, 0, 0, theta);
  const double ox = Repere.OrigineX + Repere.CTx;
  const double oy = Repere.OrigineY + Repere.CTy;
  if (theta != 0) {
    const auto px = static_cast<float>(ox + x), py = static_cast<float>(oy + y);
    TraceSegment(px, py, px, py, 0, ValeurCouleur(QStringLiteral("RVB  255 128 64")));
  }
  const auto px = static_cast<float>(ox + xr), py = static_cast<float>(oy + yr);
  TraceSegment(px, py, px, py, 0, 0xFF0000);
  Sortie->DrawWidth = largeur;
  vue_->update();

  EditeurTexte& modele = editeur_->Modele();
  modele.SetSelText(TexteInsertionPoint(paire, modele.Text(), modele.SelStart(), Lecture.SepParam));
  if (annulation_) annulation_->EnregistreAnnulation(-10, 0);
  editeur_->AnnulationArmee = true;
}

void FenetrePrincipale::Text3_DblClick() {
  Souris.ModeAffichage = !Souris.ModeAffichage;
  text3_->setText(TexteAngleSouris(true));
}
