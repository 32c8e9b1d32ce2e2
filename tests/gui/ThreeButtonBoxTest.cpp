#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

#include "shell/ThreeButtonBox.h"

namespace {

void Appuie(QWidget* cible, int touche) {
  QKeyEvent appui(QEvent::KeyPress, touche, Qt::NoModifier);
  QApplication::sendEvent(cible, &appui);
}

QuestionTroisBoutons Question() {
  QuestionTroisBoutons q;
  q.Message = QStringLiteral("Le fichier existe");
  q.Bouton2 = QStringLiteral("Remplacer les données");
  q.Bouton3 = QStringLiteral("Annuler");
  q.FichierSauve = QStringLiteral("/tmp/dessin.txt");
  return q;
}

TEST(ThreeButtonBoxTest, ButtonsKeysAndTheClosingBox) {
  ReponseMsgBox = 5;
  {
    FrmMsgBox boite(Question());
    boite.show();
    EXPECT_EQ(ReponseMsgBox, 0) << "each activation starts from the cancel answer";
    EXPECT_TRUE(boite.Cmd1()->isEnabled());
    Appuie(boite.Cmd2(), Qt::Key_Return);
    EXPECT_EQ(ReponseMsgBox, 1) << "Enter answers as the first button, whatever has the focus";
    EXPECT_FALSE(boite.isVisible());
  }
  {
    FrmMsgBox boite(Question());
    boite.show();
    boite.Cmd2()->click();
    EXPECT_EQ(ReponseMsgBox, 2);
  }
  {
    FrmMsgBox boite(Question());
    boite.show();
    Appuie(boite.Cmd1(), Qt::Key_Escape);
    EXPECT_EQ(ReponseMsgBox, 0);
  }
  {
    FrmMsgBox boite(Question());
    boite.show();
    boite.Cmd1()->click();
    EXPECT_EQ(ReponseMsgBox, 1);
    boite.show();
    boite.close();
    EXPECT_EQ(ReponseMsgBox, 0) << "the close box answers as cancel";
  }
}

TEST(ThreeButtonBoxTest, ALoadedDrawingCanOnlyBeReplaced) {
  QuestionTroisBoutons q = Question();
  q.FichierDessinRepris = q.FichierSauve;
  q.ReponseReprise = 6;
  {
    FrmMsgBox boite(q);
    boite.show();
    EXPECT_FALSE(boite.Cmd1()->isEnabled());
    Appuie(boite.Cmd2(), Qt::Key_Enter);
    EXPECT_EQ(ReponseMsgBox, 0) << "with the first button disabled, Enter cancels";
  }
  q.FichierDessinRepris = QStringLiteral("/tmp/DESSIN.txt");
  EXPECT_TRUE(q.Bouton1Actif()) << "names differing in case are different files";
  q.FichierDessinRepris = q.FichierSauve;
  q.ReponseReprise = 7;
  EXPECT_TRUE(q.Bouton1Actif());

  DefinitTroisBoutons([](const QuestionTroisBoutons& question) { return question.Bouton1Actif() ? 2 : 0; });
  EXPECT_EQ(DemandeTroisBoutons(q), 2);
  EXPECT_EQ(ReponseMsgBox, 2);
  DefinitTroisBoutons(nullptr);
}

}  // namespace
