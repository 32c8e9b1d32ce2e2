#pragma once

// A main window started in a configuration home, start folder and program folder of its own, with
// scripted message boxes, file dialogs and printer dialog.

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QStringList>
#include <deque>
#include <memory>

#include "ConfigFixture.h"
#include "drawing/DrawState.h"
#include "editor/ProgramEditor.h"
#include "interpreter/Interpreter.h"
#include "interpreter/RunState.h"
#include "platform/Host.h"
#include "shell/MainWindow.h"
#include "shell/Printing.h"
#include "shell/ProgramFiles.h"

// Answers the file dialogs from queues (an empty queue cancels) and records what was asked.
class DialoguesScriptes : public DialoguesFichiers {
 public:
  QString Ouvrir(const QString& dossier, const QString& filtre) override {
    Demandes << QStringLiteral("open ") + dossier + QStringLiteral(" ") + filtre;
    return Prend(ouvertures);
  }
  QString Enregistrer(const QString& nomPropose, const QString& extension, const QString&) override {
    Demandes << QStringLiteral("save ") + nomPropose + QStringLiteral(" ") + extension;
    return Prend(enregistrements);
  }
  bool ChoisitImprimante(QPrinter& imprimante) override {
    Demandes << QStringLiteral("printer");
    if (!imprimanteChoisie) return false;
    imprimante.setOutputFormat(QPrinter::PdfFormat);
    return true;
  }

  std::deque<QString> ouvertures;
  std::deque<QString> enregistrements;
  bool imprimanteChoisie = true;
  QStringList Demandes;

 private:
  static QString Prend(std::deque<QString>& file) {
    if (file.empty()) return {};
    QString r = file.front();
    file.pop_front();
    return r;
  }
};

class WindowFixture : public ConfigFixture {
 protected:
  void SetUp() override {
    ConfigFixture::SetUp();
    ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr)
        << "the window tests need a QApplication";
    ASSERT_TRUE(home_.isValid());
    ancienHome_ = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home_.path()));
    RazEtatRun();
    RazEtatDessin();
    RazImprimante();
    FichierCourant.clear();
    FacteurCode = FacteurCodeDefaut;
    DefinitDialoguesFichiers(&fichiers_);
  }

  void TearDown() override {
    fenetre_.reset();
    DefinitDialoguesFichiers(nullptr);
    RazImprimante();
    FichierCourant.clear();
    LimiteInstructions = 0;
    Sortie = nullptr;
    qputenv("HOME", ancienHome_);
    ConfigFixture::TearDown();
  }

  // Creates and starts the window (the Open dialog of a start with no file is cancelled, so the
  // editor starts empty unless `arguments` name a file).
  FenetrePrincipale& Demarre(const QStringList& arguments = {}) {
    fenetre_ = std::make_unique<FenetrePrincipale>();
    fenetre_->resize(1000, 700);
    fenetre_->show();
    EXPECT_TRUE(fenetre_->Demarre(arguments, Programme()));
    prompter_.Efface();
    fichiers_.Demandes.clear();
    return *fenetre_;
  }

  FenetrePrincipale& F() { return *fenetre_; }
  EditeurProgramme& Ed() { return fenetre_->Editeur(); }
  // Types a program into the editor as the user would: the text counts as modified.
  void Tape(const QString& texte) {
    Ed().Modele().SetText(texte);
    Ed().DefinitModifie(true);
  }
  QString Chemin(const QString& nom) const { return Depart() + QStringLiteral("/") + nom; }

  QString VarNiveau1(const QString& nom) const {
    if (Niveaux.size() < 2) return QStringLiteral("<absent>");
    const NiveauProg& nv = Niveaux[1];
    for (int i = 1; i <= nv.NbVar; ++i) {
      if (nv.NomsVar[static_cast<size_t>(i)].compare(nom, Qt::CaseInsensitive) == 0)
        return nv.ValeursVar[static_cast<size_t>(i)];
    }
    return QStringLiteral("<absent>");
  }

  DialoguesScriptes fichiers_;
  std::unique_ptr<FenetrePrincipale> fenetre_;

 private:
  QTemporaryDir home_;
  QByteArray ancienHome_;
};
