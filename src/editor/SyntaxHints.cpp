#include "editor/SyntaxHints.h"

#include <QFontMetricsF>
#include <QHash>
#include <QKeyEvent>
#include <QPainter>
#include <QStringList>
#include <algorithm>
#include <cmath>

#include "editor/EditorHost.h"
#include "editor/ProgramEditor.h"
#include "platform/Legacy.h"
#include "platform/StringTable.h"

using namespace legacy;

QString TexteAide;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

constexpr int kLigneSansCommande = 241;
constexpr int kCommandeInconnue = 242;
constexpr int kAffectation = 248;

const QHash<QString, int>& TableSyntaxes() {
  static const QHash<QString, int> table = [] {
    const std::pair<int, const char*> cles[] = {
        {201, "COM"},        {202, "SUITE"},    {203, "ARC"},      {204, "CADRE"},     {204, "CADREP"},
        {205, "CADREA"},     {205, "CADREAP"},  {206, "CENTREE"},  {206, "CENTREEI"},  {207, "CENTREI"},
        {208, "CERCLE"},     {208, "CERCLEI"},  {209, "CERCLEP"},  {209, "CERCLEPI"},  {210, "COULEUR"},
        {211, "CT"},         {212, "DECAL"},    {213, "DEMILUNE"}, {213, "DEMILUNEP"}, {214, "DROITE"},
        {215, "DROITEV"},    {216, "EPAIST"},   {217, "EXPOSANT"}, {219, "FICHIER"},   {220, "FLECHE"},
        {220, "FLECHEP"},    {221, "FORMATI"},  {222, "GRAD"},     {223, "GRAD1"},     {224, "INVERSION"},
        {225, "PERCER"},     {225, "PERCERX"},  {226, "PLUS"},     {226, "+"},         {227, "POLICE"},
        {228, "POLY"},       {228, "POLYP"},    {229, "SECT"},     {229, "SECTP"},     {230, "SEPARATEUR"},
        {231, "STOP"},       {231, "!"},        {232, "TAILLEP"},  {233, "TEXTE"},     {234, "TEXTEC"},
        {235, "TRAIT"},      {236, "VAL"},      {236, "VALR"},     {236, "VALD"},      {237, "VAL1"},
        {237, "VAL1R"},      {237, "VAL1D"},    {238, "VOYANT"},   {239, "X"},         {240, "?"},
        {243, "QA"},         {243, "QA1"},      {243, "QA2"},      {243, "QA12"},      {244, "IMAGE"},
        {245, "ZOOMINI"},    {245, "ZOOMINII"}, {246, "PALCOUL"},  {246, "PALCOUL2"},  {246, "PALCOUL3"},
        {247, "IF"},         {247, "IFT"},      {249, "GOTO"},     {250, "LISTEVAR"},  {251, "INPUT"},
        {252, "OPEN"},       {253, "LVAR"},     {254, "NPAGE"},    {255, "CHAIN"},     {256, "PLOT"},
        {256, "PLOTP"},      {256, "PLOTS"},    {257, "REFCUR"},   {258, "BEZIER"},    {258, "BEZIERP"},
        {259, "BEZIER_AGR"}, {260, "ANGROT"},   {261, "POLYR"},    {261, "POLYRP"},    {262, "COTE"},
        {263, "OPENA"},      {264, "PRINTA"},
    };
    QHash<QString, int> t;
    for (const auto& [id, cle] : cles) t.insert(QString::fromLatin1(cle), id);
    return t;
  }();
  return table;
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
    id = TableSyntaxes().value(UCase(MotCle), kCommandeInconnue);
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

void Form2::Form_Activate(const QWidget& editeur) {
  texte_ = TexteAide;
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
  hide();
  texte_.clear();
  update();
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

void AideLigne(EditeurProgramme& editeur, QWidget& principale) {
  TexteAide = kCrLf + SyntaxeCommande(MotCleLigne(editeur.Modele().Text(), editeur.DebutLigne()));
  Form2* fenetre = FenetreAide(principale);
  if (!fenetre) fenetre = new Form2(&principale);
  fenetre->Form_Activate(editeur);
}

void CacheAideLigne(QWidget& principale) {
  if (Form2* fenetre = FenetreAide(principale)) fenetre->Form_KeyUp();
}
