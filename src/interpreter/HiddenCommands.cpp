#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include "interpreter/Flow.h"
#include "interpreter/Labels.h"
#include "interpreter/RuntimeCommands.h"
#include "platform/EditorText.h"
#include "platform/Events.h"
#include "platform/FileNames.h"
#include "platform/FileWriter.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompter.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "platform/SystemReasons.h"
#include "platform/WriteConsent.h"
#include "platform/WriteSignals.h"
#include "values/Fields.h"
#include "values/Levels.h"

using namespace legacy;

namespace {

const QString CRLF = QStringLiteral("\r\n");
const QString CodeAcces = QStringLiteral("60918");
const QString JetonShell = QStringLiteral("QWZ#");

// The header of an external command file, ready to be filled in.
const QStringList& ModeleEntete() {
  static const QStringList lignes = {
      QStringLiteral("'# Fin des commentaires copiés par MCE_xxx=? ou Fichier=xxx,? "),
      QStringLiteral(
          "'$FDescription;[Coordonnée x];[Coordonnée y];[Paramètres séparés par point virgule ou Dollar(0)]"),
      QStringLiteral("'@C LB"),
      QStringLiteral("'Lignes commencant par '"),
      QStringLiteral("'$EDescription in English;[x Coordinate];[y Coordinate];[Parameters ()]"),
      QStringLiteral("'@C LB"),
      QStringLiteral("'Lines beginning with '"),
      QStringLiteral("'$DBeschreibung;[x Koordinate];[y Koordinate];[()]"),
      QStringLiteral("'@C LB"),
      QStringLiteral("'Zeilen beginnend mit '"),
      QStringLiteral("'$$"),
      QStringLiteral("StopArg"),
      QStringLiteral("'L left, C centered, R right, B bold "),
      QStringLiteral("'Shell = Fic,WindowsStyle[0-6]"),
      QStringLiteral("'Options#$ = MaxIf[,3,,OptMaxIf]"),
      QStringLiteral("'Options#$ = Var[,38,,OptMaxVar]"),
      QStringLiteral("'Options#$ = Plot[,2000,,OptMaxPlot]"),
      QStringLiteral("'%IRE$#0Nom = ..."),
      QStringLiteral("'%IRE$-1Nom = ..."),
      QStringLiteral("'ListeVar = #RKFRép"),
      QStringLiteral("'Enregistrer sous *.QWZ#"),
  };
  return lignes;
}

[[noreturn]] void ErreurLancement(const QString& programme, const QString& raison) {
  ErreurRunCitant(programme,
                  QStringLiteral(" : impossible de lancer le programme / cannot start the program (") +
                      raison + QStringLiteral(")") + CRLF + CRLF);
}

// Starts the program with its arguments; with attendre, returns once it has ended (or a stop was
// requested), keeping the window responsive meanwhile.
void ShellAttend(const QString& programme, const QStringList& arguments, bool attendre) {
  if (!attendre) {
    QProcess detache;
    detache.setProgram(programme);
    detache.setArguments(arguments);
    detache.setStandardInputFile(QProcess::nullDevice());
    bool lance;
    {
      const SignauxParDefaut signaux;
      lance = detache.startDetached();
    }
    if (!lance) ErreurLancement(programme, RaisonSysteme(detache));
    return;
  }
  // Owned by the application, so that a program still running when the wait is given up lives on.
  auto* processus = new QProcess(QCoreApplication::instance());
  processus->setProgram(programme);
  processus->setArguments(arguments);
  processus->setStandardInputFile(QProcess::nullDevice());
  processus->setProcessChannelMode(QProcess::ForwardedChannels);
  {
    const SignauxParDefaut signaux;
    processus->start();
  }
  if (!processus->waitForStarted()) {
    const QString raison = RaisonSysteme(*processus);
    delete processus;
    ErreurLancement(programme, raison);
  }
  while (processus->state() != QProcess::NotRunning) {
    if (processus->waitForFinished(20)) break;
    DoEvents();
    if (Arret) {
      QObject::connect(processus, &QProcess::finished, processus, &QObject::deleteLater);
      return;
    }
  }
  delete processus;
}

ReponsesDuProgramme reponsesShell;

// The program as the question names it: as written and, where that is another name, the file that
// would run (a link followed, a name found on the PATH as the process starter finds it).
QString ProgrammeEnQuestion(const QString& programme) {
  const bool chemin = programme.contains(u'/');
  const QString nom = chemin ? DansDossierCourant(programme) : programme;
  const QString trouve = chemin ? nom : QStandardPaths::findExecutable(programme);
  return NomEnQuestion(nom, FichierReel(trouve));
}

// Asks before a program would be started; the answer holds while neither the editor's program,
// nor the file that asks, nor the command line changes.
bool ShellAccorde(const QString& programme, const QString& arguments) {
  if (PolitiqueShell == AccordShell::Autoriser) return true;
  if (PolitiqueShell == AccordShell::Refuser) return false;
  QString demandeur, texteDemandeur;
  if (NiveauCourant >= 2) {
    demandeur = Niveau(NiveauCourant).Fichier;
    texteDemandeur = Niveau(NiveauCourant).Texte;
  }
  const QString commande = Trim(programme + QLatin1Char(' ') + Trim(arguments));
  const QString montre =
      Trim(ProgrammeEnQuestion(programme) + QLatin1Char(' ') + NomLisible(Trim(arguments)));
  const QString question =
      TexteMsg(197).arg(NomLisible(NiveauCourant >= 2 ? demandeur : Shell.NomFichier), montre);
  return reponsesShell.Accorde(demandeur, texteDemandeur, commande, question);
}

}  // namespace

AccordShell PolitiqueShell = AccordShell::Demander;

void OublieAccordShell() { reponsesShell.Oublie(); }

void CmdDagCode(int niveau) {
  // Only the editor's program can receive the template.
  if (niveau != 1) return;
  const std::optional<QString> code =
      Dialogues().InputBox(QStringLiteral("Entrez le mot de passe :"), QStringLiteral("DAGCODE"), QString());
  if (code.value_or(QString()) != CodeAcces) return;

  NiveauProg& nv = Niveau(niveau);
  const QString modele = ModeleEntete().join(CRLF) + CRLF;
  // After the THEN of a one-line If the template takes the whole line, the If with it: its comment
  // lines after the THEN would make a block If of the line on its next pass.
  const int debutLigne = DebutLigneInstruction(niveau);
  const int debut = debutLigne - 1;
  int longueur = nv.FinInstr - debutLigne;
  // The template ends with its own line break, which takes the place of the statement's.
  if (Mid(nv.Texte, nv.FinInstr, 2) == CRLF) longueur += 2;
  RecritInstruction(niveau, debut, longueur, modele);
  // The run goes on with the template's second line.
  nv.DebutInstr = debutLigne;
  nv.FinInstr = HoteCourant()->Editeur()->FinLigne(debut);
  nv.PosLecture = nv.FinInstr + 2;
}

bool LancementsInterdits = false;

void CmdShell() {
  if (LancementsInterdits) return;
  const QString programme = Trim(ParamN(Lecture.ParamLigne, 1));
  if (Trim(ParamN(Lecture.ParamLigne, 2)) != JetonShell) return;
  const QString attente = Trim(ParamN(Lecture.ParamLigne, 3));
  // The arguments are split as a command line would be, quotes included, but no shell reads them.
  const QStringList arguments = QProcess::splitCommand(ParamN(Lecture.ParamLigne, 4));
  if (programme.isEmpty()) ErreurLancement(programme, QStringLiteral("?"));
  if (!ShellAccorde(programme, ParamN(Lecture.ParamLigne, 4))) {
    ErreurRunCitant(
        programme,
        QStringLiteral(" : lancement de programmes refusé / starting programs refused") + CRLF + CRLF);
  }
  ShellAttend(programme, arguments, attente == QStringLiteral("1"));
}
