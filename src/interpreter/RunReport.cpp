#include "interpreter/RunReport.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "commands/Commands.h"
#include "drawing/DrawState.h"
#include "drawing/Pen.h"
#include "interpreter/DataFiles.h"
#include "interpreter/Interpreter.h"
#include "interpreter/RunErrors.h"
#include "interpreter/RunState.h"
#include "interpreter/VarList.h"
#include "platform/EditorText.h"
#include "platform/Events.h"
#include "platform/FileNames.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "platform/Prompter.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "values/Colours.h"
#include "values/Fields.h"
#include "values/Levels.h"

using namespace legacy;

namespace {

const QString CRLF = QStringLiteral("\r\n");
const QString TitreMorvo = QStringLiteral("Morvo");

QString NumeroLigne(int ligne) { return QStringLiteral(" %1").arg(ligne); }

// A scrambled command file never shows its statements: its name ends in "DAG".
bool EstFichierBrouille(const QString& fichier) { return UCase(Right(fichier, 3)) == QStringLiteral("DAG"); }

// The reason of a detail without the program's text it quotes.
QString SansCitation(const QString& detail) {
  if (Incident.CitationErreur.isEmpty() || !detail.startsWith(Incident.CitationErreur)) return detail;
  QString raison = detail.mid(Incident.CitationErreur.size());
  if (raison.startsWith(QStringLiteral(" : "))) raison.remove(0, 3);
  return raison;
}

SuiviErreursRun suiviErreurs;

void SignaleErreur(int ligne, const QString& texte) {
  if (suiviErreurs) suiviErreurs(ligne, texte);
}

void ActiveMenus() {
  Hote* hote = HoteCourant();
  hote->MnuVisualiserActif = hote->MnuZoomActif = hote->MnuRefCurseurActif = true;
}

}  // namespace

void DefinitSuiviErreursRun(SuiviErreursRun suivi) { suiviErreurs = std::move(suivi); }

namespace {

// Where a level's statement starts in the editor's text. It can fall before the text (a lone "_"
// on the first line): it is kept inside.
int DebutInstruction(const EditeurTexte& ed, int niveau) {
  return std::clamp(Niveau(niveau).DebutInstr - 1, 0, static_cast<int>(ed.Text().size()));
}

// The editor line (1-based) of a level's statement, left unmarked.
int LigneInstruction(int niveau) {
  const EditeurTexte& ed = *HoteCourant()->Editeur();
  return ed.LigneDePosition(DebutInstruction(ed, niveau)) + 1;
}

}  // namespace

int MarqueInstruction(int niveau) {
  EditeurTexte* ed = HoteCourant()->Editeur();
  const NiveauProg& nv = Niveau(niveau);
  int longueur = nv.FinInstr - nv.DebutInstr;
  if (longueur <= 0) longueur = nv.PosFinLigne - nv.DebutInstr;
  if (longueur <= 0) longueur = 5;
  const int taille = ed->Text().size();
  const int debut = DebutInstruction(*ed, niveau);
  longueur = std::clamp(longueur, 0, taille - debut);
  ed->SetSelStart(debut);
  ed->SetSelLength(longueur);
  ed->SuiviModif = false;
  ed->SetSelColor(0x0000FF);
  ed->SuiviModif = true;
  ed->SetSelLength(0);
  return ed->LigneDePosition(ed->SelStart()) + 1;
}

void GereErreurRun(int niveau) {
  Hote* hote = HoteCourant();
  Reponse reponse = Reponse::Ok;
  bool imprimanteEnErreur = false;
  if (!Arret) {
    if (Sortie != nullptr && Sortie->EstImprimante() && Sortie->ErreurImpression()) {
      imprimanteEnErreur = true;
      Sortie = hote->Ecran();
      Dialogues().MsgBox(CRLF + QStringLiteral("Erreur d'imprimante [Printer error]") + CRLF, Boutons::Ok,
                         TitreMorvo);
    }
  }
  // A failure while the report is composed must not leave the run half-ended.
  int ligne = 0;
  if (!Arret && !imprimanteEnErreur) try {
      if (niveau == 1) ligne = MarqueInstruction(1);
      Travail.TexteTravail = ListeVariables(niveau);
      Travail.TexteTravail2.clear();
      const bool fichierManquant = Incident.TypeErreur == QStringLiteral("F");
      if (fichierManquant) {
        Travail.TexteTravail2 = NomLisible(Incident.FichierManquant) +
                                QStringLiteral(" : fichier non trouvé [File not found]") + CRLF + CRLF;
        Incident.TypeErreur.clear();
      }
      const NiveauProg& nv = Niveau(niveau);
      if (niveau == 1) {
        DoEvents();
        if (ErreurOrdreMarquee()) {
          const QString texte = TexteMsg(119) + NumeroLigne(ligne) + QStringLiteral(": ") + nv.Ligne + CRLF +
                                TexteMsg(161) + CRLF;
          SignaleErreur(ligne, texte);
          Dialogues().MsgBox(texte, Boutons::Ok, TitreMorvo);
        } else {
          const QString texte = TexteMsg(114) + NumeroLigne(ligne) + QStringLiteral(": ") + nv.Ligne + CRLF +
                                CRLF + Incident.DetailErreur + Travail.TexteTravail2;
          SignaleErreur(ligne, texte);
          Dialogues().MsgBox(texte + Travail.TexteTravail, Boutons::Ok,
                             QStringLiteral("Morvo    (nb Var=%1)").arg(nv.NbVar));
        }
      } else {
        ligne = MarqueInstruction(1);
        // The reason of the failure, as level 1 shows it; a missing file says it in its own line.
        const QString detail = fichierManquant ? QString() : Incident.DetailErreur;
        QString texte, variables;
        if (EstFichierBrouille(nv.Fichier)) {
          // The statements of a scrambled command file are never shown, nor its text in the reason.
          texte = TexteMsg(114) + NumeroLigne(ligne) + QStringLiteral(", dans le fichier: ") +
                  NomLisible(nv.Fichier) + CRLF + SansCitation(detail) + Travail.TexteTravail2 + CRLF;
        } else {
          texte = TexteMsg(114) + nv.Ligne + QStringLiteral(" du fichier: ") + NomLisible(nv.Fichier) + CRLF +
                  CRLF + detail + Travail.TexteTravail2;
          variables = Travail.TexteTravail;
        }
        SignaleErreur(ligne, texte);
        reponse = Dialogues().MsgBox(texte + variables, Boutons::OkAnnuler, TitreMorvo);
      }
    } catch (const std::exception&) {
      const QString texte = TexteMsg(114) + CRLF + CRLF + Incident.DetailErreur;
      SignaleErreur(ligne, texte);
      Dialogues().MsgBox(texte, Boutons::Ok, TitreMorvo);
    }
  Incident = {};
  ActiveMenus();
  FermeFichiersSurErreur();
  if (reponse == Reponse::Annuler && Niveaux.size() > 5) Niveau(5).Fichier = QStringLiteral("Loop");
}

void ErreurCommande(int niveau) {
  const NiveauProg& nv = Niveau(niveau);
  int ligne = 0;
  QString texte;
  if (niveau == 1) {
    ligne = MarqueInstruction(1);
    DoEvents();
    texte = TexteMsg(124) + NumeroLigne(ligne) + QStringLiteral(": ") + nv.Ligne + CRLF;
  } else if (EstFichierBrouille(nv.Fichier)) {
    // As a run error of a scrambled file: the editor line of the call and the file, no statement.
    ligne = MarqueInstruction(1);
    texte = TexteMsg(124) + NumeroLigne(ligne) + QStringLiteral(", dans le fichier: ") +
            NomLisible(nv.Fichier) + CRLF;
  } else {
    ligne = LigneInstruction(1);
    texte = TexteMsg(124) + nv.Ligne + TexteMsg(115) + NomLisible(nv.Fichier) + CRLF;
  }
  SignaleErreur(ligne, texte);
  Dialogues().MsgBox(texte, Boutons::Ok, TitreMorvo);
}

void FinNiveau(int niveau) {
  Hote* hote = HoteCourant();
  OutputSurface* ecran = hote->Ecran();
  ecran->DrawMode = 9;
  if (niveau == 1 && SortieEstEcran()) {
    constexpr uint32_t GrisAxes = 0xE6E6E6;
    if (Repere.OrigineBaseX > 0)
      Sortie->Line(Repere.OrigineBaseX, 0, Repere.OrigineBaseX, Cadrage.HauteurDessin, GrisAxes);
    if (Repere.OrigineBaseY > 0)
      Sortie->Line(0, Repere.OrigineBaseY, Cadrage.LargeurDessin, Repere.OrigineBaseY, GrisAxes);
  }
  ecran->DrawMode = 13;

  RunShell.OrigineFinX = static_cast<float>(Repere.OrigineX);
  RunShell.OrigineFinY = static_cast<float>(Repere.OrigineY);
  RunShell.AngRotFin = Rotation.AngRotDefaut;
  RunShell.AngRotFinRad = Rotation.AngRotDefaut * 0.017453293f;
  RunShell.RefCurX = static_cast<float>(Repere.OrigineX) + RunShell.DecalRefX;
  RunShell.RefCurY = static_cast<float>(Repere.OrigineY) + RunShell.DecalRefY;
  RunShell.RefCurAngle = RunShell.AngRotFin;
  RunShell.RefCurAngleRad = RunShell.AngRotFinRad;

  if (Niveau(niveau).ProfIf > 0 && !Arret) Dialogues().MsgBox(TexteMsg(127), Boutons::Ok, TitreMorvo);

  hote->MnuZoomActif = hote->MnuRefCurseurActif = true;
  if (niveau == 1) {
    hote->MnuVisualiserActif = true;
    // The run's lines are all written: its append files let go.
    FermeFichiersAjout();
  }
}

void TraceJournalDessin() {
  Hote* hote = HoteCourant();
  const QString nom = QStringLiteral("$Dessin_tmp.txt");
  const QFileInfo journal(DansDossierCourant(nom));
  // A dialog open with no drawing started has no journal yet: nothing to draw.
  if (!journal.exists() || journal.size() == 0) return;
  if (Sortie == nullptr) Sortie = hote->Ecran();
  // The absolute path, unless it holds a separator that would split the field.
  QString fichier = journal.absoluteFilePath();
  if (fichier.contains(Lecture.SepParam) || fichier.contains(Lecture.SepSousParam)) fichier = nom;
  try {
    const int32_t couleur = ValeurCouleur(hote->CouleurDessin());
    Encre.CouleurCourante = Encre.CouleurCmd = couleur;
    if (couleur != -1) Sortie->ForeColor = static_cast<uint32_t>(couleur);
    RunShell.FondDessin = ValeurCouleur(hote->CouleurFondDessin());
    Plume.EpaisseurTrait = MaxEntier(LitEpaisT(hote->EpaisseurDessin()), 1.0f);
    Sortie->DrawWidth = static_cast<int>(Plume.EpaisseurTrait);
    const QString s = Lecture.SepParam;
    // No line skipped: a skip count applies to every stroke, and the header is a comment anyway.
    CmdPlot(Niveaux.size() > 1 ? 1 : 0, QStringLiteral("Plot"),
            fichier + QStringLiteral("§59") + s + QStringLiteral("1") + s + QStringLiteral("2§0") + s +
                QStringLiteral("0") + s + QStringLiteral("1") + s + s + QStringLiteral("1"));
  } catch (const std::exception& e) {
    CompleteDetail(-1, e);
    QString detail = Incident.DetailErreur;
    if (const auto* erreur = dynamic_cast<const ErreurExecution*>(&e); erreur && detail.isEmpty())
      detail = erreur->raison();
    Incident = {};
    // One message of its own: the run itself went well.
    Dialogues().MsgBox(nom + QStringLiteral(" :") + CRLF + CRLF + detail, Boutons::Ok,
                       QStringLiteral("Morvo Dessin"));
  }
}
