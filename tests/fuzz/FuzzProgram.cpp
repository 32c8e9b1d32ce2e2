#include "FuzzProgram.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "FuzzApplication.h"
#include "HeadlessRun.h"
#include "drawing/DrawState.h"
#include "interpreter/Interpreter.h"
#include "interpreter/RuntimeCommands.h"
#include "interpreter/Scrambling.h"
#include "platform/Events.h"
#include "platform/Host.h"
#include "platform/OutputSurface.h"
#include "platform/RecordingSurface.h"
#include "platform/TextFile.h"

namespace {

// Enough for loops to reach every command many times, few enough that an input ends in a second.
constexpr int64_t kInstructionsMax = 1500;
// A user who has waited long enough presses Esc: past this many primitives on the surface of a
// run, the next yield stops it. A loop that never yields still hangs, as it would for the user.
constexpr size_t kPrimitivesMax = 3000;

struct FichierFixe {
  const char* nom;
  QByteArray contenu;
};

QByteArray ImagePng() {
  QImage image(6, 4, QImage::Format_RGB32);
  image.fill(Qt::blue);
  image.setPixel(1, 1, qRgb(255, 0, 0));
  QByteArray octets;
  QBuffer tampon(&octets);
  tampon.open(QIODevice::WriteOnly);
  image.save(&tampon, "PNG");
  return octets;
}

// What the folder holds before every input: a column data file with command lines and blocks, a
// point file, a good and a corrupt picture, a command file and a scrambled external command.
const std::vector<FichierFixe>& FichiersFixes() {
  static const std::vector<FichierFixe> fichiers = [] {
    const QByteArray png = ImagePng();
    return std::vector<FichierFixe>{
        {"d.txt",
         "'donnees\r\n0,0,1\r\n10,5,2\r\n20,10,4\r\nCOULEUR = ROUGE\r\n30,5,8\r\n'EOD\r\nEPAIST = 2\r\n"
         "40,-3.5,16\r\n50,20,32\r\nCERCLE = 5, 5, 2\r\nBEZIER = , , ROUGE, 0, 0, 5, 0, 10, 0, 5, 0\r\n"
         "STOP\r\n60,1,1\r\n"},
        {"p.txt", "'points\r\n0;0\r\n10;0\r\n10;10\r\n'EOD\r\n5r;5R\r\n1,5;2r\r\n30;20\r\n"},
        {"ok.png", png},
        {"bad.png", png.left(40) + QByteArray(60, '\x7f')},
        {"cmd.dat",
         "' commande\r\n%a = 1\r\n%b = 5\r\nSTOPARG\r\nCercle = 0, 0, %b\r\nTrait = 0, 0, %a, %b\r\n"},
        {"Ext.dag", CodeFicExterne(QStringLiteral("%a = 2\r\n%b = 3\r\n%IRE$#0E = %a\r\n"
                                                  "Cadre = 0, 0, %a, %b\r\nTexte = 0, 0, , 8, %b"))},
    };
  }();
  return fichiers;
}

const QString& Dossier() {
  static QTemporaryDir dossier;
  static const QString chemin = dossier.path() + QLatin1Char('/');
  return chemin;
}

// Empties the folder (a program may have written, appended or deleted files) and writes the
// fixed files and the program anew.
void RefaitDossier(const QByteArray& programme) {
  QDir dossier(Dossier());
  for (const QString& nom : dossier.entryList(QDir::Files | QDir::Hidden | QDir::System)) dossier.remove(nom);
  auto ecrit = [&](const QString& nom, const QByteArray& contenu) {
    QFile f(Dossier() + nom);
    if (f.open(QIODevice::WriteOnly)) f.write(contenu);
  };
  for (const FichierFixe& f : FichiersFixes()) ecrit(QString::fromLatin1(f.nom), f.contenu);
  ecrit(QStringLiteral("prog.dat"), programme);
}

}  // namespace

void ExecuteProgrammeFuzz(const uint8_t* donnees, size_t taille) {
  AssureApplicationFuzz();
  LimiteInstructions = kInstructionsMax;
  LancementsInterdits = true;
  // Files a run writes into the current folder stay in the fixture.
  QDir::setCurrent(Dossier());
  RefaitDossier(QByteArray(reinterpret_cast<const char*>(donnees), static_cast<qsizetype>(taille)));
  const QString programme = Dossier() + QStringLiteral("prog.dat");
  const std::optional<QString> texte = LitFichierTexte(programme);
  if (!texte) return;

  // A fresh session per input, so that nothing recorded by one run is kept for the next.
  SessionHeadless session(200, 150, 96.0);
  Shell.NomFichier = programme;
  Shell.RepCourant = Dossier();
  Shell.CmdExternes = QStringList{QStringLiteral("Ext")};
  Shell.RepCmdExternes = QStringList{Dossier()};
  // Two answers for Input and the messages; a third dialog is cancelled.
  session.AjouteReponse(QStringLiteral("2,5"));
  session.AjouteReponse(QStringLiteral("OK"));
  DefinitDoEvents([] {
    const auto* surface = dynamic_cast<const RecordingSurface*>(Sortie);
    if (surface != nullptr && surface->Primitives().size() > kPrimitivesMax) Arret = true;
  });
  session.Execute(*texte);
  if (texte->startsWith(QLatin1Char('\''))) {
    // A new request, as the print menu's: a stop asked during the screen run is forgotten.
    Arret = false;
    session.ImprimeEnregistre();
  }
  DefinitDoEvents(nullptr);
}
