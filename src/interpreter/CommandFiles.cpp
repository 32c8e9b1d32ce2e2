#include "interpreter/CommandFiles.h"

#include <QDir>
#include <QFileInfo>

#include "drawing/DrawState.h"
#include "drawing/Points.h"
#include "drawing/Rotation.h"
#include "interpreter/DataFiles.h"
#include "interpreter/Flow.h"
#include "interpreter/Interpreter.h"
#include "interpreter/RunState.h"
#include "interpreter/ScaleState.h"
#include "interpreter/Scrambling.h"
#include "interpreter/SetupCommands.h"
#include "platform/EditorText.h"
#include "platform/Events.h"
#include "platform/FileLookup.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "platform/Prompter.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "platform/TextFile.h"
#include "values/Fields.h"
#include "values/Levels.h"
#include "values/Variables.h"

using namespace legacy;

namespace {

const QString CRLF = QStringLiteral("\r\n");
const QString MarqueBoucle = QStringLiteral("Loop");
constexpr uint32_t VertCommentaire = 0x008000;

size_t Slot(int i) { return static_cast<size_t>(i); }

QString MessageProfondeur(int numero) {
  return Replace(TexteMsg(numero), QStringLiteral("%1"), QString::number(NiveauMaxFichier));
}

// The comment header of a command file: the lines up to the first one that starts with "'#" or
// that is neither blank, a comment nor a variable line.
QString EnTeteFichier(const QString& texte) {
  const int longueur = texte.size();
  int pos = 1;
  while (pos <= longueur) {
    const int fin = InStr(pos, texte, CRLF);
    const QString ligne = Mid(texte, pos, (fin == 0 ? longueur + 1 : fin) - pos);
    const QString debut = LTrim(ligne);
    if (Left(ligne, 2) == QStringLiteral("'#") ||
        (!debut.isEmpty() && !debut.startsWith(QLatin1Char('\'')) && !debut.startsWith(QLatin1Char('%')))) {
      return Left(texte, pos - 1);
    }
    if (fin == 0) break;
    pos = fin + 2;
  }
  // Nothing ends the header: all of the text is header.
  return texte.isEmpty() || texte.endsWith(CRLF) ? texte : texte + CRLF;
}

// Comments out the calling line of the editor and writes the file's header below it in green.
void InsereEnTete(const QString& fichier, const QString& texte) {
  EditeurTexte* ed = HoteCourant()->Editeur();
  // The whole statement becomes the comment, the If with it when the call follows the THEN of a
  // one-line If (a comment after the THEN would make a block If of the line on its next pass), and
  // the header goes after its last line, so that a statement continued on several lines stays one
  // comment. The calling line may be the last one: it gets a line end for the header to start after.
  const int debut = DebutLigneInstruction(1) - 1;
  const QString programme = ed->Text();
  const int c = InStr(Niveau(1).FinInstr, programme, CRLF);
  const int fin = c == 0 ? programme.size() : c + 1;
  const QString commentaire = QStringLiteral("' ") + programme.mid(debut, fin - debut) +
                              (c == 0 ? CRLF : QString()) +
                              QStringLiteral("' Commentaires du fichier commande") + CRLF +
                              QStringLiteral("' externe ") + fichier + CRLF + EnTeteFichier(texte);
  RecritInstruction(1, debut, fin - debut, commentaire);
  ed->SuiviModif = false;
  ed->SetSelStart(debut);
  ed->SetSelLength(commentaire.size());
  ed->SetSelColor(VertCommentaire);
  ed->SetSelStart(debut + commentaire.size());
  ed->SuiviModif = true;
}

// Hands the value fields of ParamLigne (from field 4 on) to the new level's variable table.
void TransmetValeurs(int niveau, int suivant) {
  NiveauProg& nv = Niveau(suivant);
  ResteParams(Lecture.ParamLigne, 3);
  int p = 1;
  while (!Lecture.ParamLigne.isEmpty()) {
    const QString t = Trim(ParamBrutN(Lecture.ParamLigne, 1));
    Travail.TexteTravail = t;
    const int egal = InStr(t, QStringLiteral("="));
    if (t.startsWith(QStringLiteral("%%"))) {
      const NiveauProg& appelant = Niveau(niveau);
      for (int i = 1; i <= appelant.NbVar; ++i) {
        nv.NomsVar[Slot(i)] = appelant.NomsVar[Slot(i)];
        nv.ValeursVar[Slot(i)] = appelant.ValeursVar[Slot(i)];
        nv.MarquesVar[Slot(i)] = 1;
      }
      nv.NbVar = appelant.NbVar;
    } else if (t.startsWith(QLatin1Char('%')) && t.size() >= 2 && egal > 0) {
      const QString apres = Mid(t, egal + 1);
      int k = IndiceVariable(t, suivant);
      if (k != 0) {
        nv.ValeursVar[Slot(k)] = ParamN(apres, -1);
      } else {
        QString valeur;
        if (Left(apres, 2) == QStringLiteral("<%")) {
          const QString nom = Mid(apres, 2);
          const int s = IndiceVariable(nom, NiveauCourant);
          if (s == 0) ErreurNonInitialisee(Trim(nom));
          valeur = LTrim(Niveau(NiveauCourant).ValeursVar[Slot(s)]);
        } else {
          valeur = ParamN(apres, -1);
        }
        if (nv.NbVar >= MaxSlotsVar) TropDeVariables(MaxSlotsVar);
        k = ++nv.NbVar;
        nv.NomsVar[Slot(k)] = NomCommande(t);
        nv.ValeursVar[Slot(k)] = valeur;
      }
      nv.MarquesVar[Slot(k)] = 1;
    } else {
      if (p > MaxSlotsVar) TropDeVariables(MaxSlotsVar);
      if (!t.isEmpty()) {
        nv.ValeursVar[Slot(p)] = ParamN(Lecture.ParamLigne, 1);
        nv.MarquesVar[Slot(p)] = 1;
      }
      if (nv.NbVar < p) nv.NbVar = p;
      ++p;
    }
    ResteParams(Lecture.ParamLigne, 1);
  }
}

// The text of the new level: a ".dag" file is restored from its scrambled form.
QString LitTexteFichier(const QString& fichier) {
  Incident.TypeErreur = QStringLiteral("F");
  Incident.FichierManquant = fichier;
  if (!EstFichierOrdinaire(fichier)) ErreurRun();
  QString refus;
  auto refuse = [&refus] {
    if (refus.isEmpty()) return;
    Incident.TypeErreur.clear();
    ErreurRun(refus + CRLF + CRLF);
  };
  // A file that is there and cannot be read is not a missing one: the system says why.
  QString raison;
  auto illisible = [&fichier, &raison] {
    Incident.TypeErreur.clear();
    ErreurRun(TexteLectureImpossible(fichier, raison) + QStringLiteral("\r\n\r\n"));
  };
  if (UCase(Right(fichier, 3)) == QStringLiteral("DAG")) {
    const std::optional<QByteArray> contenu = LitOctetsProgramme(fichier, &refus, &raison);
    refuse();
    if (!contenu) illisible();
    Incident.TypeErreur.clear();
    return FinsDeLigneProgramme(DecodeFicExterne(*contenu));
  }
  const std::optional<QString> texte = LitFichierProgramme(fichier, &refus, nullptr, &raison);
  refuse();
  if (!texte) illisible();
  Incident.TypeErreur.clear();
  // Its lines are the ones the editor would show.
  return FinsDeLigneProgramme(*texte);
}

void SauveEtatSortie(NiveauProg& a) {
  a.FacteurEpaisT = Plume.EpaisseurTrait;
  a.SavTypeBout = Plume.BoutCarre;
  a.SavTirets = {Plume.TiretL1, Plume.TiretL2, Plume.TiretL3, Plume.ResteTiret};
  a.SavPhase = Plume.PhaseTiret;
  a.SavFinX = Plume.FinTiretX;
  a.SavFinY = Plume.FinTiretY;
  a.SavPolice = Sortie->Font.Name;
  a.SavFontSize = static_cast<float>(Sortie->Font.Size);
  a.SavTailleP = Lettrage.TailleTexte;
  a.SavStyle.clear();
  if (Sortie->Font.Bold) a.SavStyle += QLatin1Char('B');
  if (Sortie->Font.Italic) a.SavStyle += QLatin1Char('I');
  if (Sortie->Font.Underline) a.SavStyle += QLatin1Char('U');
  a.SavCouleur = Encre.CouleurCourante;
  a.AngRotNiveau = Rotation.AngRotDefaut;
}

void RetablitEtatSortie(const NiveauProg& a) {
  Plume.EpaisseurTrait = a.FacteurEpaisT;
  Sortie->DrawWidth = static_cast<int>(Plume.EpaisseurTrait);
  Plume.BoutCarre = a.SavTypeBout;
  Plume.TiretL1 = a.SavTirets[0];
  Plume.TiretL2 = a.SavTirets[1];
  Plume.TiretL3 = a.SavTirets[2];
  Plume.ResteTiret = a.SavTirets[3];
  Plume.PhaseTiret = a.SavPhase;
  Plume.FinTiretX = a.SavFinX;
  Plume.FinTiretY = a.SavFinY;
  Sortie->Font.Name = a.SavPolice;
  Sortie->Font.Size = a.SavFontSize;
  Lettrage.TailleTexte = a.SavTailleP;
  Sortie->Font.Bold = a.SavStyle.contains(QLatin1Char('B'));
  Sortie->Font.Italic = a.SavStyle.contains(QLatin1Char('I'));
  Sortie->Font.Underline = a.SavStyle.contains(QLatin1Char('U'));
  Encre.CouleurCourante = a.SavCouleur;
  Rotation.AngRotDefaut = a.AngRotNiveau;
}

// A call one level too deep: a program that calls itself may go on at the user's word (0) or stop
// the whole run (-1); any other call is refused with a message (0).
int RefuseAppelTropProfond() {
  if (Niveau(4).Fichier == Niveau(5).Fichier) {
    const QString texte = MessageProfondeur(123) + CRLF + QStringLiteral("(") +
                          Trim(ParamN(Lecture.ParamLigne, 1)) + QStringLiteral(")");
    if (Dialogues().MsgBox(texte, Boutons::OkAnnuler, QStringLiteral("Morvo")) == Reponse::Annuler) {
      Niveau(5).Fichier = MarqueBoucle;
      return -1;
    }
    return 0;
  }
  Dialogues().MsgBox(MessageProfondeur(113), Boutons::Ok, QStringLiteral("Morvo"));
  return 0;
}

// Where the called file is placed: fields 2 and 3 of the call, as written (x0, y0) and turned
// (ptX, ptY).
struct PositionAppel {
  QString champY;
  double ptX = 0, ptY = 0;
  float x0 = 0, y0 = 0;
};

// A symbol run has no position or values of its own: its text carries its coordinates.
PositionAppel LitPositionAppel(bool pourSymbole, bool aide) {
  PositionAppel pos;
  pos.champY = pourSymbole ? QString() : ParamN(Lecture.ParamLigne, 3);
  if (!aide) {
    if (!pourSymbole) LitPointVar(pos.ptX, pos.ptY, Lecture.ParamLigne, 2, Repere.XRot, Repere.YRot);
    pos.x0 = static_cast<float>(pos.ptX);
    pos.y0 = static_cast<float>(pos.ptY);
    RotationXY(pos.champY, pos.ptX, pos.ptY);
  }
  return pos;
}

// The origin of the new level, from its caller's and the call's position, and its turn.
void PlaceNiveau(int niveau, int suivant, int index, const PositionAppel& pos) {
  NiveauProg& appelant = Niveau(niveau);
  NiveauProg& nv = Niveau(suivant);
  const double origineX = appelant.OrigineX.value_or(0.0);
  const double origineY = appelant.OrigineY.value_or(0.0);
  if (index < 0) {
    nv.OrigineX = origineX + Repere.CTx;
    nv.OrigineY = origineY + Repere.CTy;
  } else {
    nv.OrigineX = (pos.ptX + origineX) + Repere.CTx;
    nv.OrigineY = (pos.ptY + origineY) + Repere.CTy;
  }
  if (suivant <= Rotation.NiveauMaxAngRot)
    nv.AngRotNiveau = Rotation.AngRotDonne ? Rotation.AngRotDeg : Rotation.AngRotDefaut;
}

// The position as written, in "%FicX" and "%FicY" of level 0; a sub-field after Y goes with it.
void StockePositionAppel(const PositionAppel& pos) {
  int zero = 0;
  QString nomX = QStringLiteral("%FicX");
  QString nomY = QStringLiteral("%FicY");
  StockeVariable(zero, nomX, pos.x0);
  const int sousSep = InStr(pos.champY, Lecture.SepSousParam);
  if (sousSep > 0) {
    StockeTexteVariable(
        0, nomY,
        Replace(StrNombre(static_cast<float>(pos.ptY)), QStringLiteral(","), QStringLiteral(".")) +
            Mid(pos.champY, sousSep));
  } else {
    StockeVariable(zero, nomY, pos.y0);
  }
}

// The file of the new level: from the folder of external commands 'index' (from 1), or found as a
// command file (0).
void ChoisitFichierNiveau(int suivant, int index) {
  const QString f = Trim(ParamN(Lecture.ParamLigne, 1));
  if (index > 0) {
    if (index > Shell.RepCmdExternes.size()) LeveErreurExecution(QStringLiteral("subscript out of range"));
    const QString dossier = Shell.RepCmdExternes[index - 1];
    const QString trouve = FichierExistant(dossier + f + QStringLiteral(".dag"));
    Niveau(suivant).Fichier = trouve.isEmpty() ? dossier + f + QStringLiteral(".dag") : trouve;
  } else if (index == 0) {
    Niveau(suivant).Fichier = ResoutFichierCommande(f);
  }
}

// The text the new level runs: its file's, or the symbol's own.
void ChargeTexteNiveau(int suivant, int index, const QString& symbole) {
  if (index >= 0) {
    const QString fichier = Niveau(suivant).Fichier;
    Niveau(suivant).Texte = LitTexteFichier(fichier);
  } else {
    Niveau(suivant).Fichier = QStringLiteral("Symbole");
    Niveau(suivant).Texte = symbole;
  }
}

}  // namespace

int ExecFichier(int& niveau, int index, const QString& symbole) {
  const PivotEchelle pivot = Echelle;
  const int16_t niveauMaxAngRot = Rotation.NiveauMaxAngRot;
  Lecture.StopArg = false;

  if (index >= 0 && niveau >= NiveauMaxFichier) return RefuseAppelTropProfond();

  const int suivant = niveau + 1;
  // A call that failed half-way must not leave its values to the next one at that level.
  InitNiveau(suivant);

  const bool aide = index >= 0 && niveau == 1 && Trim(ParamN(Lecture.ParamLigne, 2)) == QStringLiteral("?");
  const bool pourSymbole = index < 0;
  const PositionAppel pos = LitPositionAppel(pourSymbole, aide);
  PlaceNiveau(niveau, suivant, index, pos);
  if (!pourSymbole) StockePositionAppel(pos);

  SauveEtatSortie(Niveau(niveau));
  ChoisitFichierNiveau(suivant, index);
  if (!pourSymbole) TransmetValeurs(niveau, suivant);
  ChargeTexteNiveau(suivant, index, symbole);

  if (aide) {
    InsereEnTete(Niveau(suivant).Fichier, Niveau(suivant).Texte);
    DoEvents();
    Niveau(niveau).PosFinLigne = 0;
    Arret = true;
    return 0;
  }

  int niveauFichier = suivant;
  EntreNiveauFichiers(suivant);
  Interprete(niveauFichier);
  SortNiveauFichiers(suivant);

  Repere.XRot += pos.x0;
  Repere.YRot += pos.y0;
  Lecture.ParamLigne.clear();
  Lecture.SepParam = Niveau(niveau).SepParam;
  Lecture.SepSousParam = Niveau(niveau).SepSousParam;
  if (Niveau(NiveauMaxFichier).Fichier == MarqueBoucle) {
    Arret = true;
    return 0;
  }
  NiveauCourant = niveau;
  InitNiveau(suivant);
  Niveau(suivant).Texte.clear();

  const NiveauProg& appelant = Niveau(niveau);
  RetablitEtatSortie(appelant);
  Rotation.NiveauMaxAngRot = niveauMaxAngRot;
  static_cast<PivotEchelle&>(Echelle) = pivot;
  Repere.OrigineX = Repere.OrigineBaseX + appelant.OrigineX.value_or(0.0);
  Repere.OrigineY = Repere.OrigineBaseY + appelant.OrigineY.value_or(0.0);
  Repere.CTx = appelant.CTxNiveau;
  Repere.CTy = appelant.CTyNiveau;
  return 0;
}
