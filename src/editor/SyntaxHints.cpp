#include "editor/SyntaxHints.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "editor/EditorHost.h"
#include "editor/ProgramEditor.h"
#include "interpreter/KeywordTable.h"
#include "platform/Legacy.h"
#include "platform/StringTable.h"

using namespace legacy;

QString TexteAide;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

constexpr int kLigneSansCommande = 241;
constexpr int kCommandeInconnue = 242;
constexpr int kAffectation = 248;

constexpr int kCommentaire = 201;
constexpr int kSuite = 202;

// The hint of a word in upper case: its command's, else that of a comment or continuation line.
int NumeroSyntaxe(const QString& mot) {
  if (const MotCle* commande = ChercheMotCle(mot); commande && commande->Syntaxe > 0) {
    return commande->Syntaxe;
  }
  if (mot == QStringLiteral("COM")) return kCommentaire;
  if (mot == QStringLiteral("SUITE")) return kSuite;
  return kCommandeInconnue;
}

QStringList Lignes(const QString& texte) {
  QString t = texte;
  t.replace(kCrLf, QStringLiteral("\n"));
  return t.split(u'\n');
}

double PixelsParMm(const QWidget& w) { return w.logicalDpiX() / 25.4; }

}  // namespace

QString SyntaxeCommande(const QString& MotCle) {
  int id = kCommandeInconnue;
  if (Left(MotCle, 1) == QStringLiteral("%")) {
    id = kAffectation;
  } else if (MotCle.isEmpty()) {
    id = kLigneSansCommande;
  } else {
    id = NumeroSyntaxe(UCase(MotCle));
  }
  // A block without the text gives the French one (TexteRes), never an error.
  return TexteRes(HoteEditeurCourant().BaseLangue() + id);
}

QString MotCleLigne(const QString& texte, int debutLigne) {
  const int p = debutLigne + 1;
  const int longueur = static_cast<int>(texte.size());
  QString motCle;
  if (p >= 1 && Mid(texte, p, 1) == QStringLiteral("'")) {
    motCle = QStringLiteral("COM");
  } else if (p >= 1 && p <= longueur) {
    int e = InStr(p, texte, kCrLf);
    if (e == 0) e = longueur + 1;
    QString ligne = Mid(texte, p, e - p);
    ligne.replace(u'\t', u' ');
    ligne = LTrim(ligne);
    int k = InStr(ligne, QStringLiteral("="));
    if (k == 0) k = InStr(ligne, QStringLiteral(" "));
    if (k == 0) k = static_cast<int>(ligne.size()) + 1;
    motCle = Trim(Left(ligne, k - 1));
    if (Left(motCle, 3) == QStringLiteral("If ")) motCle = QStringLiteral("If");
    if (Left(motCle, 4) == QStringLiteral("IfT ")) motCle = QStringLiteral("IfT");
  }
  if (p > 5 && Mid(texte, p - 4, 2) == QStringLiteral(" _")) motCle = QStringLiteral("SUITE");
  return motCle;
}

Form2::Form2(QWidget* principale)
    : QWidget(principale, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
  setObjectName(QStringLiteral("Form2"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
  setAutoFillBackground(true);
  QPalette fond = palette();
  fond.setColor(QPalette::Window, Qt::white);
  fond.setColor(QPalette::WindowText, Qt::black);
  setPalette(fond);
  setFont(QFont(QStringLiteral("Times New Roman"), 12));
  MmParPixel = 1.0 / PixelsParMm(*this);
}

void Form2::Form_Activate(const QWidget& editeur, bool jusquATouche) {
  texte_ = TexteAide;
  jusquATouche_ = jusquATouche;
  // The next key or click anywhere in the program hides it.
  if (jusquATouche)
    qApp->installEventFilter(this);
  else
    qApp->removeEventFilter(this);
  const QFontMetricsF mesure(font());
  double largeurTexte = 0;
  const QStringList lignes = Lignes(texte_);
  for (const QString& ligne : lignes) largeurTexte = std::max(largeurTexte, mesure.horizontalAdvance(ligne));
  const double hauteurTexte = mesure.lineSpacing() * static_cast<double>(lignes.size());
  const double marge = 5.0 / MmParPixel;
  const int largeur = static_cast<int>(std::ceil(largeurTexte + marge));
  const int hauteur = static_cast<int>(std::ceil(hauteurTexte + marge));

  const QWidget* principale = parentWidget();
  const QRect client = principale ? principale->geometry() : QRect();
  int gauche = editeur.mapToGlobal(QPoint(0, 0)).x() - largeur - static_cast<int>(std::lround(marge));
  if (gauche < client.left()) {
    // 100 twips: 1/14.4 inch.
    gauche = client.left() + static_cast<int>(std::lround(100.0 / 1440.0 * 25.4 / MmParPixel));
  }
  const int haut = client.top() + client.height() / 2 - hauteur / 2;
  setGeometry(gauche, haut, largeur, hauteur);
  show();
  raise();
  update();
}

void Form2::Form_KeyUp() {
  if (!jusquATouche_) Ferme();
}

void Form2::Ferme() {
  qApp->removeEventFilter(this);
  jusquATouche_ = false;
  hide();
  texte_.clear();
  update();
}

bool Form2::eventFilter(QObject* objet, QEvent* e) {
  switch (e->type()) {
    // A key that a shortcut takes comes as ShortcutOverride alone.
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
      if (!static_cast<QKeyEvent*>(e)->isAutoRepeat()) Ferme();
      break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      Ferme();
      break;
    default:
      break;
  }
  return QWidget::eventFilter(objet, e);
}

void Form2::paintEvent(QPaintEvent*) {
  QPainter peintre(this);
  peintre.setFont(font());
  peintre.setPen(Qt::black);
  const QFontMetricsF mesure(font());
  double y = mesure.ascent();
  for (const QString& ligne : Lignes(texte_)) {
    peintre.drawText(QPointF(0, y), ligne);
    y += mesure.lineSpacing();
  }
}

void Form2::keyReleaseEvent(QKeyEvent*) { Form_KeyUp(); }

Form2* FenetreAide(const QWidget& principale) {
  return principale.findChild<Form2*>(QStringLiteral("Form2"), Qt::FindDirectChildrenOnly);
}

void AideLigne(EditeurProgramme& editeur, QWidget& principale, bool jusquATouche) {
  TexteAide = kCrLf + SyntaxeCommande(MotCleLigne(editeur.Modele().Text(), editeur.DebutLigne()));
  Form2* fenetre = FenetreAide(principale);
  if (!fenetre) fenetre = new Form2(&principale);
  fenetre->Form_Activate(editeur, jusquATouche);
}

void CacheAideLigne(QWidget& principale) {
  if (Form2* fenetre = FenetreAide(principale)) fenetre->Form_KeyUp();
}
