#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <deque>

#include "UserLocale.h"
#include "WindowFixture.h"
#include "editor/CommandDialog.h"
#include "editor/EditorInsertions.h"
#include "editor/UndoRing.h"
#include "platform/StringTable.h"
#include "shell/Languages.h"

namespace {

QStringList Valeurs(const ModeleCommande& m) {
  QStringList v;
  for (const ChampCommande& c : m.Champs) v << c.Valeur;
  return v;
}

QString Refait(const QString& ligne) {
  ModeleCommande m(ligne);
  return m.Reconstruit();
}

class CommandDialogTest : public ConfigFixture {
 protected:
  void SetUp() override {
    ConfigFixture::SetUp();
    DefinitLangue(1);
    DefinitLangueMenu(1);
    DefinitLangueMasq(1);
    Lecture.SepParam = QStringLiteral(",");
    Lecture.SepSousParam = QStringLiteral("§");
  }
  void TearDown() override {
    Lecture.SepParam = QStringLiteral(",");
    ConfigFixture::TearDown();
  }
};

TEST_F(CommandDialogTest, FieldsFromTheMasks) {
  ModeleCommande cercle(QStringLiteral("Cercle = 10, 20, 5"));
  EXPECT_TRUE(cercle.CmdEditable);
  EXPECT_EQ(cercle.Label1, QStringLiteral("Cercle = : ") + TexteRes(308).section(u';', 0, 0));
  ASSERT_EQ(cercle.Champs.size(), 12u);
  EXPECT_EQ(Valeurs(cercle).mid(0, 5), QStringList({" 10", " 20", "", " 5", ""}));
  EXPECT_EQ(cercle.Champs[0].Libelle, QStringLiteral("[x du centre]"));
  EXPECT_TRUE(cercle.Champs[0].Optionnel);
  EXPECT_FALSE(cercle.Champs[3].Optionnel);
  EXPECT_TRUE(cercle.Champs[2].SousParam);
  EXPECT_EQ(cercle.Champs[2].Sep, QStringLiteral("§"));
  EXPECT_EQ(cercle.Champs[3].Sep, QStringLiteral(","));

  ModeleCommande cadre(QStringLiteral("Cadre 0, 0§45, 10"));
  EXPECT_EQ(cadre.Label1, QStringLiteral("Cadre  : ") + TexteRes(304).section(u';', 0, 0));
  EXPECT_EQ(Valeurs(cadre).mid(0, 5), QStringList({"0", "", " 0", "45", " 10"}));

  // Extra sub-values stay together in the last piece of their parameter.
  ModeleCommande arc(QStringLiteral("Arc = 0, 90§45§7, 10"));
  EXPECT_EQ(Valeurs(arc).mid(0, 4), QStringList({" 0", " 90", "45§7", " 10"}));

  // A text keeps its separators in its last field.
  ModeleCommande texte(QStringLiteral("Texte = 10, 20, Rouge, , Bonjour, l'ami"));
  ASSERT_EQ(texte.Champs.size(), 8u);
  EXPECT_EQ(texte.Champs[7].Valeur, QStringLiteral(" Bonjour, l'ami"));
  EXPECT_EQ(texte.Reconstruit(), QStringLiteral("Texte = 10, 20, Rouge, , Bonjour, l'ami"));

  // The comment block of a mask goes below the fields.
  ModeleCommande trait(QStringLiteral("Trait = 0, 0, 1, 1"));
  EXPECT_EQ(trait.CodeMiseEnPage, QStringLiteral("LB"));
  EXPECT_TRUE(trait.TexteCommentaire.startsWith(QStringLiteral("Point : x, y")));
  EXPECT_EQ(trait.Champs.back().Libelle, QStringLiteral("[Points suivants [...]]"));

  ModeleCommande si(QStringLiteral("IF %A >= 5 THEN"));
  EXPECT_EQ(Valeurs(si), QStringList({"%A", " >=", " 5", " THEN", ""}));
  ModeleCommande aller(QStringLiteral("IF %A > 5 GOTO E1"));
  EXPECT_EQ(Valeurs(aller), QStringList({"%A", " >", " 5", " GOTO", " E1"}));
  ModeleCommande egal(QStringLiteral("%X == 3"));
  EXPECT_EQ(Valeurs(egal), QStringList({"%X ", "==", " 3"}));
  EXPECT_EQ(egal.Label1, TexteRes(348).section(u';', 0, 0));
  EXPECT_EQ(Valeurs(ModeleCommande(QStringLiteral("%X ="))), QStringList({"%X ", "=", ""}));
  EXPECT_EQ(Valeurs(ModeleCommande(QStringLiteral("Input = Texte, %X"))),
            QStringList({"=", " Texte", "", " %X"}));

  ModeleCommande poly(QStringLiteral("Poly =10,10,20,10,20,20"));
  EXPECT_EQ(poly.Champs[0].Valeur, QString());
  EXPECT_EQ(poly.Champs[6].Valeur, QStringLiteral("10"));
  EXPECT_EQ(poly.Champs.back().Valeur, QStringLiteral("20,20"));

  Shell.CmdExternes = QStringList{"Montre", "Ecrou"};
  ModeleCommande vide(QString{});
  EXPECT_EQ(vide.Label1, QStringLiteral("Aucune commande trouvée dans la ligne du curseur"));
  EXPECT_TRUE(vide.TexteCommentaire.startsWith(QStringLiteral("Commandes : ")));
  EXPECT_TRUE(vide.TexteCommentaire.endsWith(QStringLiteral("Montre, Ecrou.")));
  EXPECT_EQ(vide.Champs.size(), 1u);
  EXPECT_EQ(ModeleCommande(QStringLiteral("Inconnue = 1")).Champs.size(), 1u);
  ModeleCommande commentaire(QStringLiteral("' une note"));
  EXPECT_EQ(commentaire.Label1, QStringLiteral("Ligne de commentaire"));
  EXPECT_EQ(commentaire.TexteCommentaire, QString());
}

TEST_F(CommandDialogTest, LinesRebuiltFromTheAnswers) {
  EXPECT_EQ(Refait(QStringLiteral("Cercle = 10, 20, 5")), QStringLiteral("Cercle = 10, 20, 5"));
  EXPECT_EQ(Refait(QStringLiteral("Cercle 10, 20")), QStringLiteral("Cercle =10, 20"));
  EXPECT_EQ(Refait(QStringLiteral("Cadre = 0, 0, 10, 10")), QStringLiteral("Cadre = 0, 0, 10, 10"));
  EXPECT_EQ(Refait(QStringLiteral("IF %A > 5 GOTO E1")), QStringLiteral("IF %A > 5 GOTO E1"));
  EXPECT_EQ(Refait(QStringLiteral("IF %A >= 5 THEN")), QStringLiteral("IF %A >= 5 THEN"));
  EXPECT_EQ(Refait(QStringLiteral("IF %A = 5 GOTO E1")), QStringLiteral("IF %A = 5 GOTO E1"));
  EXPECT_FALSE(ModeleCommande(QStringLiteral("Else")).CmdEditable);
  EXPECT_EQ(Refait(QStringLiteral("Input = Texte, %X")), QStringLiteral("Input = Texte, %X"));
  EXPECT_EQ(Refait(QStringLiteral("Goto = E1")), QStringLiteral("Goto E1"));
  EXPECT_EQ(Refait(QStringLiteral("Goto E1")), QStringLiteral("Goto E1"));
  EXPECT_EQ(Refait(QStringLiteral("%X = 5")), QStringLiteral("%X = 5"));
  EXPECT_EQ(Refait(QStringLiteral("Poly =10,10,20,10,20,20")), QStringLiteral("Poly =10,10,20,10,20,20"));

  ModeleCommande poly(QStringLiteral("Poly =10,10,20,10,20,20"));
  poly.Champs[0].Valeur = QStringLiteral("Rouge");
  EXPECT_EQ(poly.Reconstruit(), QStringLiteral("Poly =Rouge,10,10,20,10,20,20"));

  // The colour parameter of Cercle has three pieces (fields 8 to 10).
  ModeleCommande cercle(QStringLiteral("Cercle =1,2,3,4,5,5§§x"));
  EXPECT_EQ(Valeurs(cercle).mid(7, 3), QStringList({"5", "", "x"}));
  EXPECT_EQ(cercle.Reconstruit(), QStringLiteral("Cercle =1,2,3,4,5,5§§x"));
  cercle.Champs[8].Valeur = QStringLiteral("x");
  cercle.Champs[9].Valeur.clear();
  EXPECT_EQ(cercle.Reconstruit(), QStringLiteral("Cercle =1,2,3,4,5,5§x"));
  // An empty parameter between filled ones stays.
  cercle.Champs[5].Valeur.clear();
  EXPECT_EQ(cercle.Reconstruit(), QStringLiteral("Cercle =1,2,3,,5,5§x"));

  ModeleCommande affectation(QStringLiteral("%X = 5"));
  affectation.Champs[0].Valeur = QStringLiteral(" Y ");
  int etapes = 0;
  EXPECT_EQ(affectation.Reconstruit(&etapes), QStringLiteral("%Y = 5"));
  EXPECT_EQ(etapes, 2);
  affectation.Reconstruit(&etapes);
  EXPECT_EQ(etapes, 1);
}

// The fields of Val name what a logarithmic scale makes of them (step, factor, format), and a
// line of either scale comes back as it was, in each mask language.
TEST_F(CommandDialogTest, ValFieldsServeBothScales) {
  for (int langue : {1, 2, 3}) {
    SCOPED_TRACE(langue);
    DefinitLangueMasq(langue);
    ModeleCommande log(QStringLiteral("Val = 1§1, 1000§ Hz, P, 9"));
    ASSERT_EQ(log.Champs.size(), 12u);
    EXPECT_EQ(Valeurs(log).mid(0, 6), QStringList({" 1", "1", "", " 1000", " Hz", " P"}));
    for (int i : {0, 3, 5}) EXPECT_TRUE(log.Champs[i].Libelle.contains(QStringLiteral("(log"))) << i;
    EXPECT_EQ(log.Reconstruit(), QStringLiteral("Val = 1§1, 1000§ Hz, P, 9"));
    EXPECT_EQ(Refait(QStringLiteral("Val = 10, 0, 100§ V, 5")), QStringLiteral("Val = 10, 0, 100§ V, 5"));
    EXPECT_EQ(Refait(QStringLiteral("ValR = , 1§1, 0.001§ A, S, 5")),
              QStringLiteral("ValR = , 1§1, 0.001§ A, S, 5"));
  }
  DefinitLangueMasq(1);
}

TEST_F(CommandDialogTest, SeparatorQuestion) {
  Lecture.SepParam = QStringLiteral(";");
  prompter_.AjouteReponse(QStringLiteral("YES"));
  ModeleCommande oui(QStringLiteral("Cercle = 1,2,3"));
  ASSERT_EQ(prompter_.Messages().size(), 1u);
  EXPECT_EQ(prompter_.Messages()[0].texte,
            QStringLiteral("ATTENTION: Remplacer/replace Separateur \";\" par/by \",\" ?"));
  EXPECT_EQ(Valeurs(oui).mid(0, 4), QStringList({" 1", "2", "", "3"}));
  EXPECT_EQ(oui.Reconstruit(), QStringLiteral("Cercle = 1,2,3"));
  EXPECT_EQ(Lecture.SepParam, QStringLiteral(";"));

  prompter_.AjouteReponse(QStringLiteral("NO"));
  ModeleCommande non(QStringLiteral("Cercle = 1,2,3"));
  EXPECT_EQ(non.Champs[0].Valeur, QStringLiteral(" 1,2,3"));
  EXPECT_EQ(non.Champs[1].Valeur, QString());
}

TEST_F(CommandDialogTest, VectorConversion) {
  ModeleCommande bezier(QStringLiteral("Bezier = N, 1, Noir, 10, 10, 10, 0, 20, 20, 20, 20"));
  ASSERT_EQ(bezier.Champs.size(), 16u);
  EXPECT_EQ(bezier.Champs[8].Valeur, QStringLiteral("   10"));
  EXPECT_EQ(bezier.Champs[10].Valeur, QStringLiteral("-90.0°"));
  EXPECT_EQ(bezier.Champs[11].Valeur, QStringLiteral("10.0"));
  EXPECT_EQ(bezier.Champs[14].Valeur, QStringLiteral(".0°"));
  EXPECT_EQ(bezier.Champs[15].Valeur, QStringLiteral(".0"));

  const auto convertit = [&bezier](const QString& x0, const QString& x, const QString& y) {
    bezier.Champs[8].Valeur = x0;
    bezier.Champs[9].Valeur = QStringLiteral("10");
    bezier.Champs[10].Valeur = x;
    bezier.Champs[11].Valeur = y;
    bezier.RepAVLV(11);
    return QStringList{bezier.Champs[8].Valeur, bezier.Champs[10].Valeur, bezier.Champs[11].Valeur};
  };
  EXPECT_EQ(convertit("10", "0", "10"), QStringList({"  10", "180.0°", "10.0"}));
  EXPECT_EQ(convertit("  10", "30°", "5"), QStringList({"  10", "30°", "5"}));
  EXPECT_EQ(convertit("10R", "0", "10"), QStringList({"  10R", "0", "10"}));
  EXPECT_EQ(convertit("10", "", "10"), QStringList({"  10", "", "10"}));
}

TEST_F(CommandDialogTest, StatementOfTheCaretLine) {
  const QString crlf = QStringLiteral("\r\n");
  InstructionMasque i = PrendInstruction(QStringLiteral("Cercle = 1, 2  \t' note"), 0);
  EXPECT_EQ(i.Ligne, QStringLiteral("Cercle = 1, 2"));
  EXPECT_EQ(i.Debut, 1);
  EXPECT_EQ(i.Fin, 14);

  i = PrendInstruction(QStringLiteral("Trait\r\n%X = 5  ' note"), 7);
  EXPECT_EQ(i.Ligne, QStringLiteral("%X = 5"));
  EXPECT_EQ(i.Debut, 8);
  EXPECT_EQ(i.Fin, 16);

  i = PrendInstruction(QStringLiteral("Texte = 1, 2, l'ami"), 0);
  EXPECT_EQ(i.Ligne, QStringLiteral("Texte = 1, 2, l'ami"));

  i = PrendInstruction(QStringLiteral("If %A = \"'\" Then ' note"), 0);
  EXPECT_EQ(i.Ligne, QStringLiteral("If %A = \"'\" Then"));

  i = PrendInstruction(QStringLiteral("    ' note"), 0);
  EXPECT_EQ(i.Ligne, QStringLiteral("' note"));
  EXPECT_EQ(i.Debut, 5);

  const QString trois = QStringLiteral("Cercle = 1, _") + crlf + QStringLiteral(" 2, _") + crlf +
                        QStringLiteral(" 3") + crlf + QStringLiteral("Fin");
  i = PrendInstruction(trois, 0);
  EXPECT_EQ(i.Ligne, QStringLiteral("Cercle = 1, 2, 3"));
  EXPECT_EQ(i.Fin, trois.indexOf(QStringLiteral(" 3")) + 3);
  i = PrendInstruction(trois, 15);
  EXPECT_TRUE(i.Suite);
  EXPECT_EQ(i.Ligne, QStringLiteral("Suite"));

  i = PrendInstruction(QStringLiteral("Cercle = 1, _"), 0);
  EXPECT_EQ(i.Ligne, QStringLiteral("Cercle = 1, _"));
  EXPECT_EQ(i.Fin, 14);
}

// ---- the dialog and the menu command ----

class DialoguesCommande : public DialoguesInsertion {
 public:
  std::optional<uint32_t> Couleur() override {
    if (couleurs.empty()) return std::nullopt;
    const uint32_t c = couleurs.front();
    couleurs.pop_front();
    return c;
  }
  std::optional<QFont> Police(const QFont&, bool) override {
    if (polices.empty()) return std::nullopt;
    QFont p(polices.front());
    polices.pop_front();
    return p;
  }
  QStringList Fichiers(const QString&, bool) override {
    if (fichiers.empty()) return {};
    const QString f = fichiers.front();
    fichiers.pop_front();
    return {f};
  }
  std::deque<uint32_t> couleurs;
  std::deque<QString> polices;
  std::deque<QString> fichiers;
};

class CommandDialogWindowTest : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    DefinitDialoguesInsertion(&choix_);
  }
  void TearDown() override {
    DefinitDialoguesInsertion(nullptr);
    WindowFixture::TearDown();
  }
  static void Touche(QWidget* w, int touche, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent e(QEvent::KeyPress, touche, mods);
    QCoreApplication::sendEvent(w, &e);
  }
  // Opens the dialog on the caret statement with F2 in the editor and runs `action` in it.
  void Ouvre(const std::function<void(FrmCmd&)>& action) {
    QTimer::singleShot(0, [action] {
      auto* d = qobject_cast<FrmCmd*>(QApplication::activeModalWidget());
      ASSERT_NE(d, nullptr);
      action(*d);
      if (d->isVisible()) d->reject();
    });
    QTest::keyClick(&Ed(), Qt::Key_F2);
    EXPECT_FALSE(QApplication::activeModalWidget());
  }
  DialoguesCommande choix_;
};

TEST_F(CommandDialogWindowTest, AnswersReplaceTheStatement) {
  Demarre();
  DefinitLangueMasq(1);
  Ed().ChargeTexte(QStringLiteral("Trait = 0, 0\r\nCercle = 10, 20, 5  ' rond\r\nFin"));
  Ed().Modele().SetSelStart(16);
  const QString avant = Ed().Modele().Text();

  for (int touche : {Qt::Key_Escape, Qt::Key_F2, Qt::Key_Return}) {
    Ouvre([touche](FrmCmd& d) {
      d.ParaVal(1)->setFocus();
      EXPECT_FALSE(d.BoutonOK()->isEnabled());
      Touche(d.ParaVal(1), touche);
    });
    EXPECT_EQ(Ed().Modele().Text(), avant);
  }
  Ouvre([](FrmCmd& d) { d.close(); });
  EXPECT_EQ(Ed().Modele().Text(), avant);

  Ouvre([](FrmCmd& d) {
    EXPECT_TRUE(d.windowTitle().endsWith(QStringLiteral(" Cercle = 10, 20, 5")));
    d.ParaVal(4)->setFocus();
    d.ParaVal(4)->setText(QStringLiteral(" 7"));
    EXPECT_TRUE(d.BoutonOK()->isEnabled());
    Touche(d.ParaVal(4), Qt::Key_Up);
    EXPECT_EQ(d.ChampActif(), 3);
    Touche(d.ParaVal(3), Qt::Key_Down);
    EXPECT_EQ(d.ChampActif(), 4);
    Touche(d.ParaVal(4), Qt::Key_Return);
  });
  EXPECT_EQ(Ed().Modele().Text(), QStringLiteral("Trait = 0, 0\r\nCercle = 10, 20, 7  ' rond\r\nFin"));
  EXPECT_TRUE(F().Annulation().DefaireActif());
  F().Annulation().Defaire();
  EXPECT_EQ(Ed().Modele().Text(), avant);

  // The menu entry and F2 in the editor open the dialog.
  int ouverts = 0;
  const auto annule = [&ouverts] {
    if (auto* d = qobject_cast<FrmCmd*>(QApplication::activeModalWidget())) {
      ++ouverts;
      d->Cmd_Cancel_Click();
    }
  };
  QTimer::singleShot(0, annule);
  F().Action(QStringLiteral("Mnu_Masque"))->trigger();
  QTimer::singleShot(0, annule);
  Ed().Masque();
  QCoreApplication::processEvents();
  EXPECT_EQ(ouverts, 2);
  EXPECT_TRUE(prompter_.Messages().empty());
  EXPECT_EQ(Ed().Modele().Text(), avant);
}

// The dialog of a long command (Cote, 22 fields) fits a screen of 800 x 600: OK and Cancel stay in
// view, the last field comes into view with the Down key, and what is typed there is kept.
TEST_F(CommandDialogWindowTest, TheDialogOfALongCommandFitsASmallScreen) {
  if (QGuiApplication::primaryScreen()->availableGeometry().size() != QSize(800, 600)) {
    QTemporaryDir dossier;
    EXPECT_TRUE(RelanceSur(
        PlateformeEcrans(dossier.path(), QStringLiteral(R"({"name": "petit", "width": 800, "height": 600})")),
        QStringLiteral("TheDialogOfALongCommandFitsASmallScreen")));
    return;
  }
  Demarre();
  DefinitLangueMasq(1);
  Ed().ChargeTexte(QStringLiteral("Cote = 0,0,50,0,10,8,,,3,,,,,,,,%DIST mm"));
  Ouvre([](FrmCmd& d) {
    const QRect zone = d.screen()->availableGeometry();
    EXPECT_TRUE(zone.contains(d.frameGeometry()));
    const auto boutons = d.findChildren<QPushButton*>();
    ASSERT_EQ(boutons.size(), 2);
    for (QPushButton* b : boutons) EXPECT_TRUE(EnVue(b, &d)) << b->text().toStdString();
    const int n = static_cast<int>(d.findChildren<QLineEdit*>().size());
    ASSERT_EQ(n, 22);
    d.activateWindow();
    ASSERT_TRUE(Attend([&d] { return QApplication::activeWindow() == &d; }));
    d.ParaVal(1)->setFocus();
    for (int i = 1; i < n; ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    ASSERT_EQ(d.ChampActif(), n);
    EXPECT_TRUE(EnVue(d.ParaVal(n), &d));
    QTest::keyClick(d.ParaVal(n), Qt::Key_End);
    QTest::keyClicks(d.ParaVal(n), QStringLiteral("!"));
    QTest::keyClick(d.ParaVal(n), Qt::Key_Return);
  });
  EXPECT_EQ(Ed().Modele().Text(), QStringLiteral("Cote = 0,0,50,0,10,8,,,3,,,,,,,,%DIST mm!"));
}

TEST_F(CommandDialogWindowTest, PickersFillTheFocusedField) {
  Demarre();
  DefinitLangueMasq(1);
  Ed().ChargeTexte(QStringLiteral("Texte = 1, 2, x, y, Bonjour"));
  choix_.couleurs = {255};
  choix_.polices = {QStringLiteral("Serif")};
  choix_.fichiers = {QStringLiteral("/d/a.txt")};
  Ouvre([](FrmCmd& d) {
    d.ParaVal(4)->setFocus();
    Touche(d.ParaVal(4), Qt::Key_C, Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(d.ParaVal(4)->text(), QStringLiteral(" x"));
    Touche(d.ParaVal(4), Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(d.ParaVal(4)->text(), QStringLiteral("RVB  255 0 0"));
    d.ParaVal(6)->setFocus();
    Touche(d.ParaVal(6), Qt::Key_P, Qt::AltModifier);
    EXPECT_EQ(d.ParaVal(6)->text(), QStringLiteral("Serif"));
    Touche(d.ParaVal(6), Qt::Key_L, Qt::AltModifier);
    EXPECT_EQ(d.ParaVal(6)->text(), QStringLiteral("/d/a.txt"));
    // Cancelled pickers write nothing.
    Touche(d.ParaVal(6), Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(d.ParaVal(6)->text(), QStringLiteral("/d/a.txt"));
    d.Cmd_OK_Click();
  });
  EXPECT_EQ(Ed().Modele().Text(), QStringLiteral("Texte = 1, 2,RVB  255 0 0, y§/d/a.txt, Bonjour"));
}

TEST_F(CommandDialogWindowTest, AltLettersTypeNothingInTheFields) {
  Demarre();
  DefinitLangueMasq(1);
  Ed().ChargeTexte(QStringLiteral("Cadre = 20,20,30,30"));
  choix_.couleurs = {255};
  Ouvre([](FrmCmd& d) {
    QLineEdit* champ = d.ParaVal(1);
    champ->setFocus();
    const QString avant = champ->text();
    QTest::keyClick(champ, Qt::Key_End);
    QTest::keyClick(champ, Qt::Key_V, Qt::AltModifier);
    QTest::keyClick(champ, Qt::Key_Q, Qt::AltModifier);
    EXPECT_EQ(champ->text(), avant);
    EXPECT_FALSE(d.BoutonOK()->isEnabled());
    // The dialog's own Alt letters still work: Alt+C picks a colour.
    QTest::keyClick(champ, Qt::Key_C, Qt::AltModifier);
    EXPECT_EQ(champ->text(), QStringLiteral("RVB  255 0 0"));
  });
}

TEST_F(CommandDialogWindowTest, F2OnBezierKeepsTheLaterCurves) {
  Demarre();
  DefinitLangueMasq(1);
  Ed().ChargeTexte(QStringLiteral("Bezier = N,0.2,Noir,10,10,20,20,50,50,60,60,100,100,110,110,150,150"));
  Ouvre([](FrmCmd& d) {
    QTest::keyClick(d.ParaVal(2), Qt::Key_End);
    QTest::keyClicks(d.ParaVal(2), QStringLiteral("5"));
    QTest::keyClick(d.ParaVal(2), Qt::Key_Return);
  });
  EXPECT_EQ(
      Ed().Modele().Text(),
      QStringLiteral("Bezier = N,0.25,Noir,  10,10,45.0°,14.1,  50,50,45.0°,14.1,100,100,110,110,150,150"));
}

TEST_F(CommandDialogWindowTest, F2OnBezierWritesPointsUnderALocaleWithItsOwnSeparator) {
  // The Arabic decimal separator is neither "." nor ",": the converted vectors still read.
  const LocaleNommee arabe("ar_EG.UTF-8");
  if (!arabe.Active()) GTEST_SKIP() << "the ar_EG.UTF-8 locale is not installed";
  Demarre();
  DefinitLangueMasq(1);
  Ed().ChargeTexte(QStringLiteral("Bezier = N,0.2,Noir,10,10,20,20,50,50,60,60"));
  Ouvre([](FrmCmd& d) {
    QTest::keyClick(d.ParaVal(2), Qt::Key_End);
    QTest::keyClicks(d.ParaVal(2), QStringLiteral("5"));
    QTest::keyClick(d.ParaVal(2), Qt::Key_Return);
  });
  EXPECT_EQ(Ed().Modele().Text(),
            QStringLiteral("Bezier = N,0.25,Noir,  10,10,45.0°,14.1,  50,50,45.0°,14.1"));
  F().Mnu_Visualiser_Click();
  EXPECT_TRUE(prompter_.Messages().empty()) << prompter_.Messages().front().texte.toStdString();
}

TEST_F(CommandDialogWindowTest, OptionalLabelsLightAndLarger) {
  Demarre();
  DefinitLangueMasq(1);
  Ed().ChargeTexte(QStringLiteral("Cercle = 10, 20, 5"));
  Ouvre([](FrmCmd& d) {
    EXPECT_EQ(d.ParaTxt(1)->text(), QStringLiteral("[x du centre]"));
    EXPECT_FALSE(d.ParaTxt(1)->font().bold());
    EXPECT_EQ(d.ParaTxt(1)->font().pointSizeF(), 9.0);
    EXPECT_TRUE(d.ParaTxt(4)->font().bold());
    EXPECT_EQ(d.ParaTxt(4)->font().pointSizeF(), 8.0);
  });
}

TEST_F(CommandDialogWindowTest, TheColourPickerStartsFromTheLastColour) {
  Demarre();
  DefinitLangueMasq(1);
  DefinitDialoguesInsertion(nullptr);  // the real colour dialog
  Ed().ChargeTexte(QStringLiteral("Texte = 1, 2, x, y, Bonjour"));
  QColor depart;
  // Alt+C in the focused field; the colour dialog is answered with `choix`.
  const auto altC = [&depart](FrmCmd& d, const QColor& choix) {
    QTimer::singleShot(0, [&depart, choix] {
      auto* couleurs = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(couleurs, nullptr);
      depart = couleurs->currentColor();
      couleurs->setCurrentColor(choix);
      QTest::keyClick(couleurs, Qt::Key_Return);
    });
    QTest::keyClick(d.ParaVal(4), Qt::Key_C, Qt::AltModifier);
  };
  Ouvre([&](FrmCmd& d) {
    d.ParaVal(4)->setFocus();
    altC(d, QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(d.ParaVal(4)->text(), QStringLiteral("RVB  18 52 86"));
    altC(d, QColor(0x65, 0x43, 0x21));
    EXPECT_EQ(depart, QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(d.ParaVal(4)->text(), QStringLiteral("RVB  101 67 33"));
  });
  // The menu's colour insertion shares the dialog.
  QTimer::singleShot(0, [&depart] {
    auto* couleurs = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(couleurs, nullptr);
    depart = couleurs->currentColor();
    QTest::keyClick(couleurs, Qt::Key_Escape);
  });
  F().Action(QStringLiteral("Mnu_Couleur"))->trigger();
  EXPECT_EQ(depart, QColor(0x65, 0x43, 0x21));
  EXPECT_EQ(Ed().Modele().Text(), QStringLiteral("Texte = 1, 2, x, y, Bonjour"));
}

}  // namespace
