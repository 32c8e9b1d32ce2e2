// The target of a program's writes and deletions, called directly: inside its folder nothing is
// asked; outside (an absolute name, "..", a link leading out) the question names the very file, No
// refuses and writes nothing, Yes writes that file; what is no file is refused with its reason.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>

#include "platform/Host.h"
#include "platform/Prompter.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "platform/SystemReasons.h"
#include "platform/WriteConsent.h"

namespace {

const QString RefusEcriture = QStringLiteral("writing outside the program's folder refused");
const QString RefusEffacement = QStringLiteral("deleting outside the program's folder refused");

enum class Operation { Ajout, Entier, Efface };

const char* NomOperation(Operation o) {
  return o == Operation::Ajout ? "append" : o == Operation::Entier ? "whole file" : "delete";
}

class WriteConsentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.isValid());
    racine_ = QFileInfo(temp_.path()).canonicalFilePath();
    for (const char* d : {"prog/sous", "dehors"}) ASSERT_TRUE(QDir(racine_).mkpath(d));
    depart_ = QDir::currentPath();
    // A program's relative names are found from its folder, the current one while it runs.
    ASSERT_TRUE(QDir::setCurrent(Chemin("prog")));
    nomFichier_ = Shell.NomFichier;
    repCourant_ = Shell.RepCourant;
    Shell.NomFichier = Chemin("prog/prog.dat");
    Shell.RepCourant = Chemin("prog") + u'/';
    avant_ = &Dialogues();
    DefinitDialogues(&prompteur_);
    PolitiqueEcritures = AccordEcriture::Demander;
    OublieAccordEcritures();
  }
  void TearDown() override {
    PolitiqueEcritures = AccordEcriture::Demander;
    OublieAccordEcritures();
    DefinitDialogues(avant_);
    Shell.NomFichier = nomFichier_;
    Shell.RepCourant = repCourant_;
    QDir::setCurrent(depart_);
  }

  QString Chemin(const QString& nom) const { return racine_ + u'/' + nom; }
  QByteArray Lit(const QString& nom) const {
    QFile f(Chemin(nom));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
  }
  void Ecrit(const QString& nom, const QByteArray& octets) const {
    QFile f(Chemin(nom));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(octets);
  }
  void Lien(const char* cible, const QString& nom) const {
    ASSERT_EQ(::symlink(cible, QFile::encodeName(Chemin(nom)).constData()), 0) << nom.toStdString();
  }

  // What the operation gave: the refusal's run error (empty when none was raised) and the reason
  // of a failure (empty when the bytes "x" were written, appended or the name deleted).
  struct Issue {
    QString refus, raison;
  };
  Issue Fait(Operation o, const QString& nom) {
    Issue issue;
    Incident.DetailErreur.clear();
    try {
      if (o == Operation::Ajout) {
        const OuvertureAccordee ouvert = OuvreAjoutAccorde(nom);
        issue.raison = ouvert.raison;
        if (ouvert.fd >= 0) {
          EXPECT_EQ(::write(ouvert.fd, "x", 1), 1);
          ::close(ouvert.fd);
        }
      } else if (o == Operation::Entier) {
        if (!EcritEntierAccorde(nom, "x", &issue.raison) && issue.raison.isEmpty())
          issue.raison = QStringLiteral("<false without a reason>");
      } else {
        EffaceAccorde(nom);
      }
    } catch (const ErreurExecution&) {
      issue.refus = Incident.DetailErreur.isEmpty() ? QStringLiteral("<no detail>") : Incident.DetailErreur;
    }
    return issue;
  }
  // What the operation leaves in a file that held "avant".
  static QByteArray Apres(Operation o) {
    return o == Operation::Ajout ? "avantx" : o == Operation::Entier ? "x" : "<absent>";
  }

  QTemporaryDir temp_;
  QString racine_, depart_, nomFichier_, repCourant_;
  ScriptedPrompter prompteur_;
  Prompter* avant_ = nullptr;
};

constexpr Operation Operations[] = {Operation::Ajout, Operation::Entier, Operation::Efface};

// In the folder and its subfolders, by any name that stays there, nothing is asked.
TEST_F(WriteConsentTest, InsideTheFolderNothingIsAsked) {
  struct Cas {
    QString nom, fichier;
  };
  const Cas cas[] = {{"a.txt", "prog/a.txt"},
                     {"sous/a.txt", "prog/sous/a.txt"},
                     {"sous/../b.txt", "prog/b.txt"},
                     {"./sous/./c.txt", "prog/sous/c.txt"},
                     {Chemin("prog/d.txt"), "prog/d.txt"}};
  for (const Operation o : Operations) {
    for (const Cas& c : cas) {
      SCOPED_TRACE(std::string(NomOperation(o)) + " " + c.nom.toStdString());
      // A new file, then one that was there.
      if (o != Operation::Efface) {
        ASSERT_TRUE(!QFile::exists(Chemin(c.fichier)) || QFile::remove(Chemin(c.fichier)));
        const Issue neuf = Fait(o, c.nom);
        EXPECT_EQ(neuf.refus, QString());
        EXPECT_EQ(neuf.raison, QString());
        EXPECT_EQ(Lit(c.fichier), "x");
      }
      Ecrit(c.fichier, "avant");
      const Issue issue = Fait(o, c.nom);
      EXPECT_EQ(issue.refus, QString());
      EXPECT_EQ(issue.raison, QString());
      EXPECT_EQ(Lit(c.fichier), Apres(o));
      EXPECT_TRUE(prompteur_.Messages().empty());
      QFile::remove(Chemin(c.fichier));
    }
  }
}

// Elsewhere, by an absolute name, "..", a link of the folder or of a subfolder that leads out, or a
// folder link: the question names the file the name reaches; No refuses and leaves it as it was,
// and Yes writes that very file, never one at the name in the folder.
TEST_F(WriteConsentTest, OutsideTheQuestionNamesTheFileNoRefusesYesWritesIt) {
  Lien("../dehors/x.txt", QStringLiteral("prog/lien.txt"));
  Lien("../../dehors/x.txt", QStringLiteral("prog/sous/lien.txt"));
  Lien("../dehors", QStringLiteral("prog/dlien"));
  Lien("../sous/../../dehors/x.txt", QStringLiteral("prog/sous/detour.txt"));
  const QString dehors = Chemin("dehors/x.txt");
  struct Cas {
    QString nom;
    // A link's own target: a deletion takes the link itself, in the folder that holds it, unasked.
    const char* lien;
  };
  const Cas cas[] = {{dehors, nullptr},
                     {"../dehors/x.txt", nullptr},
                     {"sous/../../dehors/x.txt", nullptr},
                     {"dlien/x.txt", nullptr},
                     {"lien.txt", "../dehors/x.txt"},
                     {"sous/lien.txt", "../../dehors/x.txt"},
                     {"sous/detour.txt", "../sous/../../dehors/x.txt"}};
  for (const Operation o : Operations) {
    for (const Cas& c : cas) {
      SCOPED_TRACE(std::string(NomOperation(o)) + " " + c.nom.toStdString());
      Ecrit("dehors/x.txt", "avant");
      if (o == Operation::Efface && c.lien) {
        const QString lien = Chemin("prog/" + c.nom);
        const Issue issue = Fait(o, c.nom);
        EXPECT_EQ(issue.refus, QString());
        EXPECT_TRUE(prompteur_.Messages().empty());
        EXPECT_FALSE(QFileInfo(lien).isSymLink());
        EXPECT_EQ(Lit("dehors/x.txt"), "avant");
        Lien(c.lien, "prog/" + c.nom);
        continue;
      }
      // No, the default.
      prompteur_.Efface();
      const Issue non = Fait(o, c.nom);
      ASSERT_EQ(prompteur_.Messages().size(), 1u);
      const ScriptedPrompter::Message& question = prompteur_.Messages()[0];
      EXPECT_EQ(question.boutons, Boutons::OuiNon);
      EXPECT_EQ(question.icone, Icone::Question);
      EXPECT_EQ(question.defaut, 2);
      EXPECT_TRUE(question.texte.contains(dehors)) << question.texte.toStdString();
      EXPECT_TRUE(question.texte.contains(Chemin("prog/prog.dat"))) << question.texte.toStdString();
      EXPECT_TRUE(non.refus.contains(o == Operation::Efface ? RefusEffacement : RefusEcriture))
          << non.refus.toStdString();
      EXPECT_EQ(Lit("dehors/x.txt"), "avant");
      EXPECT_EQ(Lit("prog/x.txt"), "<absent>");
      // The answer is kept for that file: no second question.
      prompteur_.Efface();
      EXPECT_FALSE(Fait(o, c.nom).refus.isEmpty());
      EXPECT_TRUE(prompteur_.Messages().empty());
      // Yes.
      OublieAccordEcritures();
      prompteur_.AjouteReponse(QStringLiteral("YES"));
      const Issue oui = Fait(o, c.nom);
      EXPECT_EQ(prompteur_.Messages().size(), 1u);
      EXPECT_EQ(oui.refus, QString());
      EXPECT_EQ(oui.raison, QString());
      EXPECT_EQ(Lit("dehors/x.txt"), Apres(o));
      EXPECT_EQ(Lit("prog/x.txt"), "<absent>");
      for (const char* l : {"prog/lien.txt", "prog/sous/lien.txt", "prog/dlien", "prog/sous/detour.txt"})
        EXPECT_TRUE(QFileInfo(Chemin(l)).isSymLink()) << l;
      OublieAccordEcritures();
      prompteur_.Efface();
    }
  }
}

// A new file outside, by a name or a link that leads to none yet: asked for by the name it will have,
// made there on Yes.
TEST_F(WriteConsentTest, ANewFileOutsideIsAskedForByTheNameItWillHave) {
  Lien("../dehors/neuf.txt", QStringLiteral("prog/pend.txt"));
  for (const Operation o : {Operation::Ajout, Operation::Entier}) {
    for (const QString& nom : {QStringLiteral("../dehors/neuf.txt"), QStringLiteral("pend.txt")}) {
      SCOPED_TRACE(std::string(NomOperation(o)) + " " + nom.toStdString());
      prompteur_.Efface();
      EXPECT_TRUE(Fait(o, nom).refus.contains(RefusEcriture));
      ASSERT_EQ(prompteur_.Messages().size(), 1u);
      EXPECT_TRUE(prompteur_.Messages()[0].texte.contains(Chemin("dehors/neuf.txt")));
      EXPECT_EQ(Lit("dehors/neuf.txt"), "<absent>");
      OublieAccordEcritures();
      prompteur_.AjouteReponse(QStringLiteral("YES"));
      EXPECT_EQ(Fait(o, nom).refus, QString());
      EXPECT_EQ(Lit("dehors/neuf.txt"), "x");
      EXPECT_TRUE(QFileInfo(Chemin("prog/pend.txt")).isSymLink());
      ASSERT_TRUE(QFile::remove(Chemin("dehors/neuf.txt")));
      OublieAccordEcritures();
    }
  }
}

// A file of the folder with another hard link elsewhere: an append reaches the other name too, so it
// is asked for with the count of its other names; a whole file replaces the name in the folder (the
// other name keeps what it held) and a deletion takes only that name, both unasked.
TEST_F(WriteConsentTest, AFileWithAnotherHardLinkIsAskedForOnlyWhenAppendedTo) {
  const auto relie = [this] {
    Ecrit("dehors/h.txt", "avant");
    QFile::remove(Chemin("prog/dur.txt"));
    ASSERT_EQ(::link(QFile::encodeName(Chemin("dehors/h.txt")).constData(),
                     QFile::encodeName(Chemin("prog/dur.txt")).constData()),
              0);
  };
  const QString autres = TexteMsg(191).arg(1);
  relie();
  const Issue non = Fait(Operation::Ajout, QStringLiteral("dur.txt"));
  ASSERT_EQ(prompteur_.Messages().size(), 1u);
  EXPECT_TRUE(prompteur_.Messages()[0].texte.endsWith(Chemin("prog/dur.txt") + "\r\n" + autres))
      << prompteur_.Messages()[0].texte.toStdString();
  EXPECT_TRUE(non.refus.contains(RefusEcriture));
  EXPECT_EQ(Lit("dehors/h.txt"), "avant");
  OublieAccordEcritures();
  prompteur_.AjouteReponse(QStringLiteral("YES"));
  EXPECT_EQ(Fait(Operation::Ajout, QStringLiteral("dur.txt")).refus, QString());
  EXPECT_EQ(Lit("dehors/h.txt"), "avantx");
  EXPECT_EQ(Lit("prog/dur.txt"), "avantx");

  prompteur_.Efface();
  relie();
  const Issue entier = Fait(Operation::Entier, QStringLiteral("dur.txt"));
  EXPECT_EQ(entier.refus, QString());
  EXPECT_EQ(entier.raison, QString());
  EXPECT_EQ(Lit("prog/dur.txt"), "x");
  EXPECT_EQ(Lit("dehors/h.txt"), "avant");
  relie();
  EXPECT_EQ(Fait(Operation::Efface, QStringLiteral("dur.txt")).refus, QString());
  EXPECT_EQ(Lit("prog/dur.txt"), "<absent>");
  EXPECT_EQ(Lit("dehors/h.txt"), "avant");
  EXPECT_TRUE(prompteur_.Messages().empty());

  // Refused without a question, the refusal tells the other names too.
  relie();
  PolitiqueEcritures = AccordEcriture::Refuser;
  const Issue refus = Fait(Operation::Ajout, QStringLiteral("dur.txt"));
  EXPECT_TRUE(refus.refus.contains(RefusEcriture) && refus.refus.contains(autres))
      << refus.refus.toStdString();
  EXPECT_EQ(EcrituresRefusees(), (std::vector<EcritureRefusee>{{Chemin("prog/dur.txt"), 1}}));
  EXPECT_EQ(Lit("dehors/h.txt"), "avant");
}

// A FIFO, a device and a folder are no file to write: an append refuses them with what they are,
// asked nothing, inside or outside; a whole file refuses them so in the folder, and outside it asks
// first (its question comes before the kind of the file is looked at), a yes then giving the same
// reason with nothing written. A deletion leaves a folder alone.
TEST_F(WriteConsentTest, WhatIsNoFileIsRefusedWithItsReason) {
  ASSERT_EQ(::mkfifo(QFile::encodeName(Chemin("prog/tube")).constData(), 0600), 0);
  ASSERT_EQ(::mkfifo(QFile::encodeName(Chemin("dehors/tube")).constData(), 0600), 0);
  Lien("/dev/zero", QStringLiteral("prog/zero"));
  ASSERT_TRUE(QDir(racine_).mkpath("prog/dossier"));
  const QString fifo = RaisonNonOrdinaire(S_IFIFO);
  const QString device = RaisonNonOrdinaire(S_IFCHR);
  const QString dossier = RaisonSysteme(EISDIR);
  struct Cas {
    QString nom, raison;
    // The file the whole file's question names, when it asks one.
    QString demandeEntier;
  };
  const Cas cas[] = {{"tube", fifo, {}},
                     {"../dehors/tube", fifo, Chemin("dehors/tube")},
                     {"zero", device, "/dev/zero"},
                     {"/dev/null", device, "/dev/null"},
                     {"dossier", dossier, {}},
                     {"sous/", dossier, {}},
                     {"sous/..", dossier, {}},
                     {"../dehors", dossier, {}}};
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.nom.toStdString());
    const Issue ajout = Fait(Operation::Ajout, c.nom);
    EXPECT_EQ(ajout.refus, QString());
    EXPECT_EQ(ajout.raison, c.raison);
    EXPECT_TRUE(prompteur_.Messages().empty());
    const Issue entier = Fait(Operation::Entier, c.nom);
    if (c.demandeEntier.isEmpty()) {
      EXPECT_EQ(entier.refus, QString());
      EXPECT_EQ(entier.raison, c.raison);
      EXPECT_TRUE(prompteur_.Messages().empty());
      continue;
    }
    ASSERT_EQ(prompteur_.Messages().size(), 1u);
    EXPECT_TRUE(prompteur_.Messages()[0].texte.contains(c.demandeEntier))
        << prompteur_.Messages()[0].texte.toStdString();
    EXPECT_TRUE(entier.refus.contains(RefusEcriture)) << entier.refus.toStdString();
    OublieAccordEcritures();
    prompteur_.AjouteReponse(QStringLiteral("YES"));
    const Issue oui = Fait(Operation::Entier, c.nom);
    EXPECT_EQ(oui.refus, QString());
    EXPECT_EQ(oui.raison, c.raison);
    prompteur_.Efface();
    OublieAccordEcritures();
  }
  EXPECT_EQ(QFileInfo(Chemin("dehors/tube")).isFile(), false);
  EXPECT_EQ(QDir(Chemin("dehors")).entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot),
            QStringList{"tube"});
  for (const QString& nom :
       {QStringLiteral("dossier"), QStringLiteral("../dehors"), QStringLiteral("sous/..")}) {
    EXPECT_EQ(Fait(Operation::Efface, nom).refus, QString()) << nom.toStdString();
  }
  EXPECT_TRUE(QFileInfo(Chemin("prog/dossier")).isDir());
  EXPECT_TRUE(QFileInfo(Chemin("dehors")).isDir());
  EXPECT_TRUE(prompteur_.Messages().empty());
}

// morvo-run without --allow-writes: every file outside is refused at once, nothing asked nor
// written, and told afterwards; inside the folder the writes go on.
TEST_F(WriteConsentTest, RefusedWritesAreRefusedUnaskedAndTold) {
  PolitiqueEcritures = AccordEcriture::Refuser;
  Lien("../dehors/x.txt", QStringLiteral("prog/lien.txt"));
  for (const Operation o : Operations) {
    for (const QString& nom :
         {QStringLiteral("../dehors/x.txt"), Chemin("dehors/x.txt"), QStringLiteral("lien.txt")}) {
      if (o == Operation::Efface && nom == QStringLiteral("lien.txt")) continue;
      SCOPED_TRACE(std::string(NomOperation(o)) + " " + nom.toStdString());
      Ecrit("dehors/x.txt", "avant");
      OublieAccordEcritures();
      const Issue issue = Fait(o, nom);
      EXPECT_TRUE(issue.refus.contains(o == Operation::Efface ? RefusEffacement : RefusEcriture))
          << issue.refus.toStdString();
      EXPECT_TRUE(issue.refus.contains(Chemin("dehors/x.txt"))) << issue.refus.toStdString();
      EXPECT_EQ(Lit("dehors/x.txt"), "avant");
      ASSERT_EQ(EcrituresRefusees().size(), 1u);
      EXPECT_TRUE(EcrituresRefusees()[0].nom.contains(Chemin("dehors/x.txt")));
    }
    Ecrit("prog/a.txt", "avant");
    EXPECT_EQ(Fait(o, QStringLiteral("sous/../a.txt")).refus, QString());
    EXPECT_EQ(Lit("prog/a.txt"), Apres(o));
  }
  EXPECT_TRUE(prompteur_.Messages().empty());
}

}  // namespace
