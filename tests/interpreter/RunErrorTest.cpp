// The run-error report, the variable capacity of level 1 and what every end of a run leaves.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "RunFixture.h"
#include "interpreter/Interpreter.h"
#include "interpreter/VarList.h"
#include "platform/Host.h"
#include "platform/StringTable.h"
#include "platform/TextFile.h"
#include "values/Levels.h"

namespace {

const QString CRLF = QStringLiteral("\r\n");

class RunErrorTest : public RunFixture {};

TEST_F(RunErrorTest, MessageLayout) {
  Run(QStringList{"%A = 5", "%B = x", "", "grad = 1,2,3 ' c", "%C = 1"});
  const auto m = SeulMessage();
  const QString liste = ListeVariables(1);
  EXPECT_EQ(m.texte, TexteMsg(114) + QStringLiteral(" 4: grad = 1,2,3 ' c") + CRLF + CRLF +
                         QStringLiteral("Erreur ordre commandes / Error odre commands") + CRLF + CRLF +
                         liste);
  EXPECT_EQ(m.titre, QStringLiteral("Morvo    (nb Var=2)"));
  EXPECT_EQ(m.boutons, Boutons::Ok);
  EXPECT_TRUE(liste.startsWith(QStringLiteral("%iRec\t= 1\t\t\t%Date\t= "))) << liste.toStdString();
  EXPECT_TRUE(
      liste.endsWith(CRLF + CRLF + QStringLiteral("%A\t= 5") + CRLF + QStringLiteral("%B\t= x") + CRLF))
      << liste.toStdString();
  EXPECT_EQ(TexteRouge(), QStringLiteral("grad = 1,2,3 ' c"));
  EXPECT_EQ(Var(1, "%C"), "<absent>");

  // The detail is cleared once reported: the next error shows its own alone.
  Run(QStringLiteral("FACTEUR"));
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_EQ(Messages()[1].texte, TexteMsg(114) + QStringLiteral(" 1: FACTEUR") + CRLF + CRLF +
                                     QStringLiteral("Facteur : pas admis ici") + CRLF + CRLF +
                                     ListeVariables(1));
  EXPECT_EQ(Messages()[1].titre, QStringLiteral("Morvo    (nb Var=0)"));
}

TEST_F(RunErrorTest, AnErrorInANestedFileGivesItsReason) {
  QTemporaryDir dossier;
  ASSERT_TRUE(dossier.isValid());
  OuvreDans(dossier.path());
  const QString fichier = dossier.filePath(QStringLiteral("e.txt"));
  ASSERT_TRUE(EcritFichierTexte(fichier, QStringLiteral("%a = 1\r\ngrad = 1,2,3\r\n")));
  const QString detail = QStringLiteral("Erreur ordre commandes / Error odre commands") + CRLF + CRLF;
  Repond(QStringLiteral("OK"));
  Run(QStringList{"Fichier = e.txt", "%C = 1"});
  ASSERT_EQ(Messages().size(), 1u);
  // The reason comes before the variable list, as at level 1.
  EXPECT_TRUE(Messages()[0].texte.startsWith(TexteMsg(114) + QStringLiteral("grad = 1,2,3 du fichier: ") +
                                             fichier + CRLF + CRLF + detail + QStringLiteral("%iRec")))
      << Messages()[0].texte.toStdString();
  EXPECT_EQ(Var(1, "%C"), "1");
}

TEST_F(RunErrorTest, FrenchTexts) {
  EXPECT_EQ(TexteMsg(114), QStringLiteral("Erreur dans la ligne : "));
  EXPECT_EQ(TexteMsg(115), QStringLiteral("du fichier : "));
  EXPECT_EQ(TexteMsg(119), QStringLiteral("Erreur dans l'ordre des commandes ligne : "));
  EXPECT_EQ(TexteMsg(124), QStringLiteral("Erreur de commande dans la ligne : "));
  EXPECT_EQ(TexteMsg(127), QStringLiteral("Erreur : If[T] sans Endif"));
  EXPECT_EQ(TexteMsg(161), QStringLiteral("     Ordre des commandes : \r\n          FormatI =\r\n          "
                                          "Centre{E;I;EI} =\r\n          Commandes de tracé"));

  Run(QStringList{"%A = 1", "%B = 2", "%C = 3", "", "%D"});
  const auto m = SeulMessage();
  EXPECT_TRUE(m.texte.startsWith(QStringLiteral("Erreur dans la ligne :  5: %D\r\n\r\n%D : non initialisée")))
      << m.texte.toStdString();
  EXPECT_EQ(m.titre, QStringLiteral("Morvo    (nb Var=3)"));
  Run(QStringLiteral("BIDULE = 1"));
  EXPECT_EQ(Messages().back().texte, QStringLiteral("Erreur de commande dans la ligne :  1: BIDULE = 1\r\n"));
}

TEST_F(RunErrorTest, UnknownVariableLine) {
  Run(QStringList{"%A = 1", "  %ZZ  ", "%B = 2"});
  const auto m = SeulMessage();
  EXPECT_EQ(m.texte, TexteMsg(114) + QStringLiteral(" 2: %ZZ  ") + CRLF + CRLF +
                         QStringLiteral("%ZZ : non initialisée / not initialized / nicht initialisiert") +
                         CRLF + CRLF + ListeVariables(1));
  EXPECT_EQ(m.titre, QStringLiteral("Morvo    (nb Var=1)"));
  EXPECT_TRUE(TexteRouge().contains(QStringLiteral("%ZZ"))) << TexteRouge().toStdString();
  EXPECT_EQ(Var(1, "%B"), "<absent>");
}

TEST_F(RunErrorTest, VariableCapacityOfLevelOne) {
  QStringList lignes;
  for (int i = 1; i <= 33; ++i) lignes << QStringLiteral("%V%1 = %1").arg(i);
  Run(lignes);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(NbVar(1), 33);
  EXPECT_EQ(Var(1, "%V33"), "33");

  lignes << QStringLiteral("%V1 = 100") << QStringLiteral("%V34 = 34") << QStringLiteral("%V2 = 200");
  Run(lignes);
  const auto m = SeulMessage();
  EXPECT_EQ(m.titre, QStringLiteral("Morvo    (nb Var=33)"));
  EXPECT_EQ(m.texte,
            TexteMsg(114) + QStringLiteral(" 35: %V34 = 34") + CRLF + CRLF +
                QStringLiteral("33 variables au plus / at most 33 variables / höchstens 33 Variablen") +
                CRLF + CRLF + ListeVariables(1));
  EXPECT_EQ(Var(1, "%V1"), "100") << "an existing variable can still be assigned";
  EXPECT_EQ(Var(1, "%V34"), "<absent>");
  EXPECT_EQ(Var(1, "%V2"), "2") << "the run stopped at the 34th creation";
  EXPECT_EQ(NbVar(1), 33);
}

TEST_F(RunErrorTest, VariableListIsSortedByName) {
  Run(QStringList{"%b = 1", "%C1 = 2", "%A = 3", "%C = 4", "FACTEUR = 0"});
  const auto m = SeulMessage();
  EXPECT_TRUE(m.texte.endsWith(CRLF + CRLF + QStringLiteral("%A\t= 3\r\n%B\t= 1\r\n%C\t= 4\r\n%C1\t= 2\r\n")))
      << m.texte.toStdString();

  // Names kept in their own case sort by character code.
  NiveauProg& nv = Niveaux[1];
  nv.NbVar = 4;
  const char* noms[] = {"", "%b", "%A", "%a", "%B"};
  for (int i = 1; i <= 4; ++i) {
    nv.NomsVar[static_cast<size_t>(i)] = QString::fromUtf8(noms[i]);
    nv.ValeursVar[static_cast<size_t>(i)] = QString::number(i);
  }
  EXPECT_TRUE(ListeVariables(1).endsWith(CRLF + CRLF +
                                         QStringLiteral("%A\t= 2\r\n%B\t= 4\r\n%a\t= 3\r\n%b\t= 1\r\n")))
      << ListeVariables(1).toStdString();
}

// Records the menu state while a message is on the screen.
class PrompteurMenus : public Prompter {
 public:
  Reponse MsgBox(const QString&, Boutons, const QString&, Icone, int) override {
    menusPendantMessage.push_back(HoteCourant()->MnuVisualiserActif || HoteCourant()->MnuZoomActif ||
                                  HoteCourant()->MnuRefCurseurActif);
    return Reponse::Ok;
  }
  std::optional<QString> InputBox(const QString&, const QString&, const QString&) override {
    return std::nullopt;
  }
  std::vector<bool> menusPendantMessage;
};

TEST_F(RunErrorTest, MenusAreEnabledAgainOnEveryWayOut) {
  auto menusActifs = [this] {
    return Session().MnuVisualiserActif && Session().MnuZoomActif && Session().MnuRefCurseurActif;
  };
  for (const char* programme : {"GRAD = 1", "FOO", "%A = 1\r\nSTOP\r\n%B = 2", "%A = 1", "%A = 1 _", "%Q"}) {
    Run(QString::fromUtf8(programme));
    EXPECT_TRUE(menusActifs()) << programme;
  }

  PrompteurMenus prompteur;
  DefinitDialogues(&prompteur);
  Run(QStringLiteral("GRAD = 1"));
  Run(QStringLiteral("FOO = 1"));
  DefinitDialogues(nullptr);
  ASSERT_EQ(prompteur.menusPendantMessage.size(), 2u);
  EXPECT_FALSE(prompteur.menusPendantMessage[0]) << "the menus stay disabled while the error is shown";
  EXPECT_FALSE(prompteur.menusPendantMessage[1]);
  EXPECT_TRUE(menusActifs());
}

TEST_F(RunErrorTest, RunRequestDuringARunIsIgnored) {
  Run(QStringLiteral("%A = 1"));
  const size_t primitives = Primitives().size();
  Session().MnuVisualiserActif = false;
  Run(QStringLiteral("%B = 2\r\nFOO"));
  EXPECT_EQ(Primitives().size(), primitives) << "not even the drawing is cleared";
  EXPECT_EQ(Var(1, "%A"), "1");
  EXPECT_EQ(Var(1, "%B"), "<absent>");
  EXPECT_TRUE(Messages().empty());
  EXPECT_FALSE(Session().MnuVisualiserActif);
}

TEST_F(RunErrorTest, EmptyProgramOnlyClearsTheDrawing) {
  Run(QString());
  ASSERT_EQ(Primitives().size(), 1u);
  EXPECT_EQ(Primitives()[0].Type, Primitive::Genre::Cls);
  EXPECT_TRUE(Messages().empty());
  EXPECT_TRUE(Session().MnuVisualiserActif);

  Run(QStringList{"", "' nothing", "   "});
  ASSERT_EQ(Primitives().size(), 2u);
  EXPECT_EQ(Primitives()[1].Type, Primitive::Genre::Cls);
  EXPECT_TRUE(Messages().empty());
}

// The limits of the evaluators end a run with the line and the reason, never with an empty one.
TEST_F(RunErrorTest, LimitsGiveTheirReason) {
  const QString trop =
      QStringLiteral("Parenthèses imbriquées trop profondes (> %1) / Parentheses nested too deep");
  const QString sansFin =
      QStringLiteral(" : substitution sans fin / endless substitution / endlose Ersetzung");
  const QString imbrication = QStringLiteral("If : 2 niveaux imbriqués au plus / at most 2 nested levels");
  const QString depassement = QStringLiteral("Dépassement de capacité / overflow");
  QStringList variables;
  for (int i = 1; i <= 34; ++i) variables << QStringLiteral("%V%1 = %1").arg(i);
  const struct {
    QStringList programme;
    int ligne;
    QString raison;
  } table[] = {
      {{"%A = 1", "%B == " + QString(60, u'(') + "1" + QString(60, u')')}, 2, trop.arg(50)},
      {{"%A = 1", "", "%B == " + QString(5000, u'(') + "1" + QString(5000, u')')}, 3, trop.arg(50)},
      {{"%A = 1", "%B == " + QStringLiteral("SIN(").repeated(3000) + "1" + QString(3000, u')')},
       2,
       trop.arg(50)},
      {{"%A = 1", "If " + QString(60, u'(') + "1=1" + QString(60, u')') + " Then", "EndIf"}, 2, trop.arg(50)},
      {{"%A = 1", "IfT " + QString(20, u'(') + "\"a\"=\"a\"" + QString(20, u')') + " Then", "EndIf"},
       2,
       trop.arg(12)},
      {{"%A = %B", "%B = %A", "Texte = 1, 1, %A"}, 3, sansFin},
      // The nesting limit of If and IfT blocks, the variables of level 1, an overflow.
      {{"%A = 1", "If 1 Then", "If 1 Then", "If 1 Then", "EndIf", "EndIf", "EndIf"}, 4, imbrication},
      {{"%A = 1", "IfT \"a\" = \"a\" Then", "IfT \"a\" = \"a\" Then", "IfT \"a\" = \"a\" Then", "EndIf",
        "EndIf", "EndIf"},
       4,
       imbrication},
      {variables, 34, QStringLiteral("33 variables au plus / at most 33 variables")},
      {{"%A = 1", "%a == 1E38*10"}, 2, depassement},
      {{"%A = 1", "Droite = 0, 1E39, 5"}, 2, depassement},
  };
  for (const auto& cas : table) {
    SCOPED_TRACE(cas.programme.join(QLatin1Char('|')).left(60).toStdString());
    Session().Prompteur().Efface();
    Run(cas.programme);
    const auto m = SeulMessage();
    const int debut = m.texte.indexOf(CRLF + CRLF);
    ASSERT_GT(debut, 0) << m.texte.left(200).toStdString();
    EXPECT_TRUE(m.texte.startsWith(TexteMsg(114) + QStringLiteral(" %1: ").arg(cas.ligne)))
        << m.texte.left(200).toStdString();
    EXPECT_TRUE(m.texte.mid(debut + 4, 600).contains(cas.raison)) << m.texte.left(600).toStdString();
  }
}

// Every run error says what is wrong between the line and the variable list: the command, the field
// by its number and its name in the command's mask, what it holds, and the reason.
TEST_F(RunErrorTest, EveryRunErrorSaysWhatIsWrong) {
  const QString echelle = QStringLiteral("Droite = 10, 100, 50\r\nGrad = 10, 5\r\n");
  const struct {
    QString programme;
    int ligne;
    QString detail;
  } table[] = {
      // A wrong number, an expression that cannot be computed, a number where a %variable goes.
      {echelle + "Val = 10, 0,abc, 8", 3, "Val : champ 3 (Valeur de fin (log : format P, E, S, 0.0E00 ou vide)) : \"abc\" : un nombre est attendu"},
      {"%N = 0\r\nCercle = 10, 10, 10/%N", 2, "Cercle : champ 3 (Rayon) : \"10/%N\" : division par zéro"},
      {"%N = 0\r\n%Q == 10/%N", 2, "%Q : \"10/%N\" : division par zéro"},
      {"Input = Rayon ?, r", 1, "Input : champ 2 : \"r\" : une %variable est attendue"},
      // A mandatory field left empty, a value missing at the end of the text.
      {"TexteC = 10, 10, , 0, , , abc", 1, "TexteC : champ 3 (Rayon) : une valeur manque"},
      {"Trait = 0, 0, 10, 10 _", 1, "\"_\" : une valeur manque"},
      // An unknown label, a label twice, a block word out of place.
      {"Goto nulle_part", 1, "nulle_part : étiquette non trouvée / label not found / Marke nicht gefunden"},
      {"FIN:\r\n%A = 1\r\nFIN:", 3, "FIN : " + TexteMsg(151)},
      {"Else", 1, "Else : " + TexteMsg(151)},
      {"If 1 = 1", 1, "If : " + TexteMsg(151)},
      // A bad colour, a word or a form the field does not take, a field beyond its limit.
      {"Couleur = RGB -5 0 0", 1,
       "Couleur : champ 1 (Couleur : nom, RVB r v b ou N) : \"RGB -5 0 0\" : une couleur est attendue : "
       "un nom, RVB r v b (de 0 à 255) ou N"},
      {"Cercle = 10, 10, 5, 0, 90, RGB 10 %bleu 0", 1,
       "%BLEU : non initialisée / not initialized / nicht initialisiert"},
      {"FormatI = A4", 1, "FormatI : champ 1 (Paysage ou Portrait) : \"A4\" : pas admis ici"},
      {"Trait = 0, 0, 45°R, 5", 1, "Trait : champ 3 (x1) : \"45°R\" : pas admis ici"},
      {echelle + "QA = 0, 0, 50, 0, 3, 10, 9, 150", 3,
       "QA : champ 8 (Rapport en % (50)) : \"150\" : hors limites : de 0 à 100"},
      {"Poly = 0,0, 10,10", 1, "Poly : \"2\" : hors limites : de 3 à 1000"},
      // A field is counted in the whole statement, though the command reads its points one by one.
      {"Poly = 0,0, 10,10, 20,abc", 1, "Poly : champ 6 (Points suivants) : \"abc\" : un nombre est attendu"},
  };
  for (const auto& cas : table) {
    SCOPED_TRACE(cas.programme.toStdString());
    Session().Prompteur().Efface();
    Run(cas.programme);
    const auto m = SeulMessage();
    const QString ligne = cas.programme.split(CRLF)[cas.ligne - 1];
    EXPECT_EQ(m.texte, TexteMsg(114) + QStringLiteral(" %1: ").arg(cas.ligne) + ligne + CRLF + CRLF +
                           cas.detail + CRLF + CRLF + ListeVariables(1));
  }
}

// The reason is in the message language; the field's name is the one its mask gives there.
TEST_F(RunErrorTest, TheReasonIsInTheMessageLanguage) {
  const int sauve = Shell.BaseLangue;
  Shell.BaseLangue = 400;
  Run(QStringLiteral("Droite = 10, 100, 50\r\nGrad = 10, 5\r\nVal = 10, 0,abc, 8"));
  Shell.BaseLangue = sauve;
  const auto m = SeulMessage();
  EXPECT_TRUE(m.texte.startsWith(
      QStringLiteral("Error in line: 3: Val = 10, 0,abc, 8\r\n\r\nVal : field 3 (End value (log: format P, E, S, 0.0E00 or empty)) : "
                     "\"abc\" : a number was expected\r\n\r\n%iRec")))
      << m.texte.left(200).toStdString();
}

TEST_F(RunErrorTest, StopRequestEndsTheRunSilently) {
  LimiteInstructions = 2;
  Run(QStringList{"%A = 1", "%B = 2", "FOO", "%C = 3"});
  LimiteInstructions = 0;
  EXPECT_EQ(Var(1, "%B"), "2");
  EXPECT_EQ(Var(1, "%C"), "<absent>");
  EXPECT_TRUE(Messages().empty());
  EXPECT_TRUE(Session().MnuVisualiserActif);
}

}  // namespace
