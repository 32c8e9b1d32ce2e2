#pragma once

// A fixture with its own configuration home, start folder and program folder, and a scripted
// prompter; the shell's state is reset before and after each test. As at the program's start, the
// editor is handed the shell's languages and help.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/Host.h"
#include "platform/Prompter.h"
#include "shell/Config.h"
#include "shell/QtHost.h"
#include "shell/Startup.h"

class ConfigFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(xdg_.isValid() && depart_.isValid() && programme_.isValid());
    avaitXdg_ = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    ancienXdg_ = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(xdg_.path()));
    ancienDossier_ = QDir::currentPath();
    QDir::setCurrent(depart_.path());
    Raz();
    DefinitDialogues(&prompter_);
  }

  void TearDown() override {
    DefinitDialogues(nullptr);
    Raz();
    QDir::setCurrent(ancienDossier_);
    if (avaitXdg_) {
      qputenv("XDG_CONFIG_HOME", ancienXdg_);
    } else {
      qunsetenv("XDG_CONFIG_HOME");
    }
  }

  static void Raz() {
    RazEtatConfig();
    RazEtatDebut();
    RazValeursShell();
  }

  // The configuration folder and file that the XDG rule chooses.
  QString DossierXdg() const { return xdg_.path() + QStringLiteral("/Morvo"); }
  QString FichierXdg() const { return DossierXdg() + QStringLiteral("/Morvo.cfg"); }
  QString Depart() const { return QDir(depart_.path()).canonicalPath(); }
  QString Programme() const { return programme_.path(); }

  // Points the configuration at the XDG folder as start-up does, without the rest of start-up.
  void PrepareConfig() {
    RepDepart = Depart() + u'/';
    ChoisitDossierConfig(Programme());
  }

  static void EcritOctets(const QString& chemin, const QByteArray& octets) {
    QDir().mkpath(QFileInfo(chemin).absolutePath());
    QFile f(chemin);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(octets);
  }

  static QByteArray LitOctets(const QString& chemin) {
    QFile f(chemin);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
  }

  // The header that the running version writes, in Windows-1252.
  static QByteArray EnTete() {
    return QByteArray("'Fichier de configuration du Programme Morvo V") + VersionTexte().toLatin1();
  }

  ScriptedPrompter prompter_;
  HoteEditeurQt hoteEditeur_;
  QTemporaryDir xdg_;
  QTemporaryDir depart_;
  QTemporaryDir programme_;

 private:
  bool avaitXdg_ = false;
  QByteArray ancienXdg_;
  QString ancienDossier_;
};
