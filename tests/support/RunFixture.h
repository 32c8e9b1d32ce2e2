#pragma once

// Runs program texts through the real run request on a recording surface, with the editor model
// and scripted dialogs, and gives the test what was drawn, the variables and the messages.

#include <gtest/gtest.h>

#include <QDir>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <memory>

#include "HeadlessRun.h"

class RunFixture : public ::testing::Test {
 protected:
  void SetUp() override { session_ = std::make_unique<SessionHeadless>(1000, 700, 96.0); }
  void TearDown() override {
    session_.reset();
    if (!dossierDepart_.isEmpty()) QDir::setCurrent(dossierDepart_);
  }

  // Makes 'dossier' the current folder and Shell.RepCourant, as opening a program there does; the
  // current folder comes back after the test.
  void OuvreDans(const QString& dossier);

  // Runs a program; lines given separately are joined with CR LF.
  void Run(const QString& programme) { session_->Execute(programme); }
  void Run(const QStringList& lignes) { Run(lignes.join(QStringLiteral("\r\n"))); }
  void Repond(const QString& reponse) { session_->AjouteReponse(reponse); }

  SessionHeadless& Session() { return *session_; }
  const std::vector<ScriptedPrompter::Message>& Messages() { return session_->Prompteur().Messages(); }
  // The only message of the run (fails the test when there is not exactly one).
  ScriptedPrompter::Message SeulMessage();
  const std::vector<Primitive>& Primitives() { return session_->Enregistrement().Primitives(); }
  // The value of a variable of a level after the run; "<absent>" when there is none.
  QString Var(int niveau, const QString& nom);
  int NbVar(int niveau);
  // A point in device pixels of the screen back in drawing units (millimetres, y up), through the
  // scale the run left on the surface; and a length along x likewise.
  QPointF Mm(const QPointF& p);
  double MmLongueur(double px);
  // The text selected (or marked red) at the end: start and length of the red run in the editor.
  QString TexteRouge();

 private:
  std::unique_ptr<SessionHeadless> session_;
  QString dossierDepart_;
};
