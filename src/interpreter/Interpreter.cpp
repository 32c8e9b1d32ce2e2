#include "interpreter/Interpreter.h"

#include <QFileInfo>
#include <algorithm>
#include <array>
#include <cmath>
#include <exception>
#include <vector>

#include "commands/Commands.h"
#include "drawing/DrawState.h"
#include "interpreter/DataFiles.h"
#include "interpreter/Flow.h"
#include "interpreter/Labels.h"
#include "interpreter/RunErrors.h"
#include "interpreter/RunReport.h"
#include "interpreter/RunState.h"
#include "interpreter/ScaleState.h"
#include "platform/EditorText.h"
#include "platform/Events.h"
#include "platform/FileNames.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/OutputSurface.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "values/Fields.h"
#include "values/Levels.h"
#include "values/Substitution.h"
#include "values/Variables.h"

using namespace legacy;

int64_t LimiteInstructions = 0;
int64_t MaxInstructions = 0;

namespace {

const QString CRLF = QStringLiteral("\r\n");

int64_t instructionsExecutees = 0;
int64_t instructionsRun = 0;

// A text longer than its positions can hold runs nothing at all. The line named is the one that
// holds the first character past the limit; a very long one is shown by its start.
void VerifieLongueurProgramme(NiveauProg& nv) {
  const QString& texte = nv.Texte;
  if (!ProgrammeTropLong(texte)) return;
  qsizetype dehors = LongueurMaxProgramme;  // 0-based
  if (texte[dehors] == u'\n' && texte[dehors - 1] == u'\r') --dehors;
  const qsizetype finPrecedente = texte.lastIndexOf(CRLF, dehors - 1);
  const qsizetype debut = finPrecedente < 0 ? 0 : finPrecedente + 2;
  qsizetype fin = texte.indexOf(CRLF, debut);
  if (fin < 0) fin = texte.size();
  nv.DebutInstr = static_cast<int>(debut + 1);
  nv.FinInstr = nv.PosFinLigne = static_cast<int>(fin + 1);
  constexpr qsizetype Montre = 80;
  nv.Ligne =
      fin - debut > Montre ? texte.mid(debut, Montre) + QStringLiteral("...") : texte.mid(debut, fin - debut);
  ErreurRun(TexteProgrammeTropLong(texte) + CRLF + CRLF);
}

// Positions stay within 16 bits: a text that grew longer during the run (a line written into the
// editor) overflows them, and is refused as a text too long from the start would be. The end of a
// text within the limit (its final line end, one past its last character) is no overflow.
void VerifiePosition(int pos, NiveauProg& nv) {
  if (pos > LongueurMaxProgramme) VerifieLongueurProgramme(nv);
}

void TeteInterprete(int niveau) {
  Hote* hote = HoteCourant();
  NiveauProg& nv = Niveau(niveau);

  Travail.NumFicAjout = 0;
  Lecture.SepParam = QStringLiteral(",");
  Lecture.SepSousParam = QStringLiteral("§");
  nv.SepParam = Lecture.SepParam;
  nv.SepSousParam = Lecture.SepSousParam;

  if (niveau == 1) {
    RunShell.DecalRefX = 0;
    RunShell.DecalRefY = 0;
    RunShell.DecalRefAngle = 0;
  }

  Lettrage.RapportAscentImpose = Lettrage.RapportTexteBImpose = Lettrage.RapportTexteCImpose = 0;
  Lettrage.RapportAscent = 0.8f;
  Lettrage.RapportTexteB = 0.3f;
  Lettrage.RapportTexteC = Shell.EstNT5 ? 0.91f : 0.8f;

  Encre.CouleurCourante = 0;
  Rotation.AngRotDefaut = nv.AngRotNiveau;
  Sortie->ForeColor = static_cast<uint32_t>(Encre.CouleurCourante);
  Plume.FacteurTraitX = Plume.FacteurTraitY = 1.0f;

  VerifieLongueurProgramme(nv);
  ReleveEtiquettes(niveau);
  NiveauCourant = niveau;

  if (nv.MaxVar == 0) nv.MaxVar = 33;
  nv.MaxIf = 2;
  nv.MaxPlot = 50100;
  nv.FacteurTailleP = 1.0f;

  if (niveau > 1) {
    Repere.OrigineX = Repere.OrigineBaseX + nv.OrigineX.value_or(0.0);
    Repere.OrigineY = Repere.OrigineBaseY + nv.OrigineY.value_or(0.0);
  } else {
    RazVariablesNiveau(1);
    RazEchelleRun();
    Travail.PSetFait = false;
    EtatOrdre = 0;
    const bool ecran = SortieEstEcran();
    Cadrage.FacteurEchelle = ecran ? 1.0 : Shell.FacteurImpression;
    Cadrage.EchelleX = Cadrage.EchelleY = Cadrage.FacteurEchelle;
    Cadrage.EchelleEcranX = Cadrage.EchelleEcranY = Cadrage.FacteurEchelle;
    auto metEchelle = [] {
      Sortie->ScaleWidth = Cadrage.LargeurDessin;
      Sortie->ScaleHeight = -Cadrage.HauteurDessin;
      Sortie->ScaleLeft = 0;
      Sortie->ScaleTop = Cadrage.HauteurDessin;
    };
    Sortie->SetScaleMode(6);
    Cadrage.LargeurMm = Sortie->ScaleWidth;
    Cadrage.HauteurMm = Sortie->ScaleHeight;
    Cadrage.LargeurDessin = Cadrage.LargeurMm / Cadrage.EchelleX;
    Cadrage.HauteurDessin = Cadrage.HauteurMm / Cadrage.EchelleY;
    metEchelle();
    Lettrage.TailleTexte = Lettrage.TailleTexteImp = Lettrage.TailleTexteEcran = Shell.TaillePoliceImp;
    if (ecran) {
      DoEvents();
      Cadrage.FacteurEchelle = static_cast<double>(Shell.FacteurMm) * Shell.ZoomCourant;
      // The drawing area is measured in the screen's millimetres, so the two scales agree.
      const double largeurZone = Shell.LargeurZone > 0 ? Shell.LargeurZone : Cadrage.LargeurMm;
      const double hauteurZone = Shell.HauteurZone > 0 ? Shell.HauteurZone : Cadrage.HauteurMm;
      Cadrage.EchelleX = Cadrage.EchelleEcranX = largeurZone * Cadrage.FacteurEchelle / Cadrage.LargeurMm;
      Cadrage.EchelleY = Cadrage.EchelleEcranY = hauteurZone * Cadrage.FacteurEchelle / Cadrage.HauteurMm;
      Cadrage.LargeurDessin = Cadrage.LargeurMm / Cadrage.FacteurEchelle;
      Cadrage.HauteurDessin = Cadrage.HauteurMm / Cadrage.FacteurEchelle;
      Lettrage.TailleTexteEcran = static_cast<float>(Lettrage.TailleTexte * Cadrage.FacteurEchelle);
      Sortie->Font.Size = Lettrage.TailleTexteEcran;
      metEchelle();
      if (Shell.DecalVueX + Shell.DecalVueY != 0) {
        const double code = hote->MnuCodeCoche ? hote->LargeurCode() : 0.0;
        Repere.OrigineBaseX = (Sortie->ScaleWidth - code) / 2 - Shell.DecalVueX;
        Repere.OrigineBaseY = -Sortie->ScaleHeight / 2 - Shell.DecalVueY;
      }
    }
    Repere.OrigineX = Repere.OrigineBaseX + nv.OrigineX.value_or(0.0);
    Repere.OrigineY = Repere.OrigineBaseY + nv.OrigineY.value_or(0.0);
    nv.CTxNiveau = nv.CTyNiveau = 0;
  }

  Repere.CTx = Repere.CTy = 0;
  Sortie->Font.Bold = Sortie->Font.Italic = Sortie->Font.Underline = false;
  Encre.CouleurCourante = 0;

  const double largeur =
      SortieEstEcran() ? Cadrage.FacteurEchelle / Shell.RapportEcranImp : Cadrage.FacteurEchelle;
  Plume.EpaisseurTrait = MaxEntier(static_cast<float>(largeur), 1.0f);
  Plume.EpaisseurSauve = Plume.EpaisseurTrait;
  nv.FacteurEpaisT = Plume.EpaisseurTrait;
  Sortie->DrawWidth = static_cast<int>(Plume.EpaisseurTrait);
  Plume.BoutCarre = 0;
  Plume.TiretL1 = 0;
  Plume.ResteTiret = 0;

  Sortie->Font.Name = QStringLiteral("Times New Roman");
  Sortie->Font.Size = Lettrage.TailleTexte * Cadrage.FacteurEchelle;

  nv.PosLecture = nv.DebutInstr = nv.FinInstr = 1;
  nv.Exposant = 1.0f;
  nv.EchelleLog = false;
  Lecture.NivParTexte = 0;
}

// Cuts the comment off a parameter text. In the lines that may hold a quoted apostrophe ("'"),
// that one is no comment and becomes a plain apostrophe.
void CoupeCommentaire(const QString& motCle) {
  if (motCle == QStringLiteral("TEXTEC") || motCle == QStringLiteral("TEXTE") ||
      motCle == QStringLiteral("LISTEVAR") || motCle == QStringLiteral("PRINTA") ||
      motCle == QStringLiteral("INPUT")) {
    return;
  }
  const QString cite = QStringLiteral("\"'\"");
  const int p = InStr(Lecture.ParamLigne, QStringLiteral("'"));
  if (p == 0) return;
  const bool gardeCites =
      Left(motCle, 4) == QStringLiteral("VAL1") || (motCle.startsWith(QLatin1Char('%')) && p >= 2);
  if (!gardeCites) {
    Lecture.ParamLigne = Left(Lecture.ParamLigne, p - 1);
    return;
  }
  int q = p;
  while (q > 0) {
    const bool estCite = q >= 2 && Mid(Lecture.ParamLigne, q - 1, 3) == cite;
    if (!estCite) {
      Lecture.ParamLigne = Left(Lecture.ParamLigne, q - 1);
      break;
    }
    q = InStr(q + 1, Lecture.ParamLigne, QStringLiteral("'"));
  }
  Lecture.ParamLigne.replace(cite, QStringLiteral("'"));
}

// Whether a statement read while a branch is skipped is one of the block keywords; the others
// are dropped. Applies the block rules of a skipped branch.
bool TraiteSaut(int niveau) {
  NiveauProg& nv = Niveau(niveau);
  const QString& mc = nv.MotCle;
  const int d = nv.ProfIf;
  if (mc == QStringLiteral("IF") || mc == QStringLiteral("IFT")) {
    const QString u = UCase(Lecture.ParamLigne);
    const int p = InStr(u, QStringLiteral("THEN"));
    if (p > 0 && Trim(Mid(u, p + 4)).isEmpty()) {
      EmpileIf(niveau);
      nv.IfSaute[static_cast<size_t>(nv.ProfIf)] = true;
      nv.IfOuvert[static_cast<size_t>(nv.ProfIf)] = true;
    }
    return false;
  }
  if (mc == QStringLiteral("ELSE")) {
    nv.IfSaute[static_cast<size_t>(d)] = nv.IfOuvert[static_cast<size_t>(d)];
    nv.IfFait[static_cast<size_t>(d)] = true;
    return false;
  }
  if (mc == QStringLiteral("ELSEIF") || mc == QStringLiteral("ELSEIFT")) {
    // A block inside a skipped branch never runs: its conditions are not evaluated.
    if (d >= 2 && nv.IfSaute[static_cast<size_t>(d - 1)]) {
      VerifieSinonSiSaute(niveau);
      return false;
    }
    nv.IfSaute[static_cast<size_t>(d)] = false;
    return true;
  }
  if (mc == QStringLiteral("ENDIF")) {
    nv.IfSaute[static_cast<size_t>(d)] = false;
    nv.IfFait[static_cast<size_t>(d)] = false;
    nv.IfOuvert[static_cast<size_t>(d)] = false;
    nv.ProfIf = d - 1;
    return false;
  }
  return false;
}

// Steps 16 to 19: a skipped branch, the stop request, then the keyword chain. False when the
// level ends.
bool ExecuteInstructionLue(int niveau) {
  NiveauProg& nv = Niveau(niveau);
  if (nv.IfSaute[static_cast<size_t>(nv.ProfIf)]) {
    if (!TraiteSaut(niveau)) return true;
  }
  if (Arret) {
    FermeFichiers();
    return false;
  }
  if (nv.MotCle.startsWith(QLatin1Char('!'))) nv.MotCle = QStringLiteral("!");
  if (MaxInstructions > 0 && ++instructionsRun > MaxInstructions) {
    ErreurRun(QStringLiteral("%1 instructions au plus / at most %1 statements\r\n\r\n").arg(MaxInstructions));
  }
  return ExecuteInstruction(niveau) != Suite::FinNiveau;
}

// What the loop makes of one statement of the text before its keyword runs. It depends on the
// text and the read position alone, unless the statement is a variable line.
struct InstructionCoupee {
  enum class Genre { LigneVariable, Ignoree, Instruction };
  Genre genre = Genre::Instruction;
  int posFinLigne = 0;
  int debutInstr = 0;
  int posLecture = 0;  // where the next statement starts
  QString ligneBrute;
  QString paramCoupe;  // the joined line, tabs replaced
  QString motCle;      // before the substitution of a computed keyword
  QString operateur;
  QString param;
  bool motCleCalcule = false;
  SautRetenu saut;  // where its jump went last
};

// The statements already cut from each level's text, by read position. The cache keeps a shared
// copy of the text it was built from: any change of the level's text, in place or by assignment,
// gives the level another buffer, and the cache starts afresh.
struct CacheNiveau {
  QString texte;
  std::vector<int32_t> index;  // read position -> entry + 1
  std::vector<InstructionCoupee> entrees;
  // The kept statement the loop is running (its jump is kept with it), nullptr between statements.
  InstructionCoupee* enCours = nullptr;
};
std::array<CacheNiveau, NiveauMaxFichier + 2> Caches;

CacheNiveau* CacheDe(int niveau, const QString& texte) {
  if (niveau < 0 || niveau >= static_cast<int>(Caches.size())) return nullptr;
  CacheNiveau& c = Caches[static_cast<size_t>(niveau)];
  if (c.texte.constData() != texte.constData() || c.texte.size() != texte.size()) {
    c.texte = texte;
    c.index.assign(static_cast<size_t>(texte.size()) + 2, 0);
    c.entrees.clear();
    c.enCours = nullptr;
  }
  return &c;
}

// Steps 2 to 7 of the loop: cuts the next line at the read position and joins its continuation
// lines. False when the text is exhausted.
bool CoupeLigne(NiveauProg& nv) {
  const QString& texte = nv.Texte;
  const int longueur = texte.size();
  int finLigne = InStr(nv.PosLecture, texte, CRLF);
  if (finLigne == 0) {
    if (nv.PosLecture > longueur) return false;
    finLigne = longueur + 1;
  }
  VerifiePosition(finLigne, nv);
  nv.PosFinLigne = finLigne;
  Travail.LigneBrute = Mid(texte, nv.PosLecture, nv.PosFinLigne - nv.PosLecture);
  Lecture.ParamLigne = LTrim(QString(Travail.LigneBrute).replace(QLatin1Char('\t'), QLatin1Char(' ')));
  if (Lecture.ParamLigne == QStringLiteral("_")) {
    Lecture.ParamLigne = QStringLiteral(" _");
    nv.PosLecture -= 1;
  }
  nv.DebutInstr = nv.PosLecture;
  int debutDerniere = nv.PosLecture;
  int tours = 0;
  while (Lecture.ParamLigne.endsWith(QStringLiteral(" _"))) {
    // A stop asked while a very long statement is joined ends the level.
    if (ArretPendantParcours(tours)) return false;
    const int suivante = nv.PosFinLigne + 2;
    if (nv.PosFinLigne > longueur) {
      // No line break ends this line: the mark stands on the last line and nothing follows.
      nv.FinInstr = nv.PosFinLigne;
      nv.DebutInstr = debutDerniere;
      nv.Ligne = Lecture.ParamLigne;
      ErreurRun(QStringLiteral("\"_\" : ") + TexteMsg(TexteRaison::ValeurManque) + CRLF + CRLF);
    }
    int fin = InStr(suivante, texte, CRLF);
    if (fin == 0) fin = longueur + 1;
    VerifiePosition(fin, nv);
    Lecture.ParamLigne =
        Left(Lecture.ParamLigne, Lecture.ParamLigne.size() - 2) + LTrim(Mid(texte, suivante, fin - suivante));
    debutDerniere = suivante;
    nv.PosFinLigne = fin;
    nv.PosLecture = fin + 2;
  }
  return true;
}

// Step 8: a line that names a variable is replaced by its value.
bool EstLigneVariable() {
  const QString coupee = Trim(Lecture.ParamLigne);
  return coupee.startsWith(QLatin1Char('%')) && !coupee.contains(QLatin1Char('='));
}

void RemplaceLigneVariable(NiveauProg& nv) {
  const QString coupee = Trim(Lecture.ParamLigne);
  const int slot = IndiceVariable(coupee, NiveauCourant);
  if (slot == 0) {
    nv.FinInstr = nv.PosFinLigne;
    nv.Ligne = Lecture.ParamLigne;
    ErreurNonInitialisee(coupee);
  }
  Lecture.ParamLigne = Trim(nv.ValeursVar[static_cast<size_t>(slot)]);
}

bool EstIgnoree() {
  return Lecture.ParamLigne.startsWith(QLatin1Char('\'')) || Trim(Lecture.ParamLigne).isEmpty();
}

// Steps 11 to 14: the keyword, the assignment operator and the parameter text without comment.
void SepareMotCle(NiveauProg& nv) {
  nv.Ligne = Lecture.ParamLigne;
  nv.FinInstr = nv.PosFinLigne;

  const QString debutMaj = UCase(LTrim(Lecture.ParamLigne));
  int coupure = 0;
  if (debutMaj.startsWith(QStringLiteral("ELSEIF"))) {
    coupure = InStr(Lecture.ParamLigne.size() - LTrim(Lecture.ParamLigne).size() + 7, Lecture.ParamLigne,
                    QStringLiteral(" "));
  } else if (debutMaj.startsWith(QStringLiteral("IF"))) {
    coupure = InStr(Lecture.ParamLigne.size() - LTrim(Lecture.ParamLigne).size() + 3, Lecture.ParamLigne,
                    QStringLiteral(" "));
  }
  if (coupure == 0) coupure = InStr(Lecture.ParamLigne, QStringLiteral("="));
  if (coupure == 0) {
    const int premier = Lecture.ParamLigne.size() - LTrim(Lecture.ParamLigne).size() + 1;
    coupure = InStr(premier, Lecture.ParamLigne, QStringLiteral(" "));
    if (coupure == 0) coupure = Lecture.ParamLigne.size() + 1;
  }
  nv.MotCle = UCase(Trim(Left(Lecture.ParamLigne, coupure - 1)));

  Lecture.OperateurAffect.clear();
  if (nv.MotCle.startsWith(QLatin1Char('%'))) {
    const QString c = Mid(Lecture.ParamLigne, coupure + 1, 1);
    if (c == QStringLiteral("<") || c == QStringLiteral("=")) {
      Lecture.OperateurAffect = c;
      Lecture.ParamLigne = Mid(Lecture.ParamLigne, coupure + 2);
    } else {
      Lecture.ParamLigne = Mid(Lecture.ParamLigne, coupure + 1);
    }
  } else {
    Lecture.ParamLigne = Mid(Lecture.ParamLigne, coupure + 1);
  }

  CoupeCommentaire(nv.MotCle);
}

bool EstMotCleCalcule(const QString& motCle) {
  return motCle.size() >= 2 && InStr(2, motCle, QStringLiteral("%")) >= 2;
}

// Step 15: «CER%K» with %K = "CLE" runs as CERCLE.
void SubstitueMotCle(NiveauProg& nv) {
  QString mc = nv.MotCle;
  SubstitueVariables(mc);
  mc.remove(QLatin1Char(' '));
  nv.MotCle = UCase(mc);
}

// The statement at the read position from the cache, after the cut of a first reading.
// Returns nullptr for a position the cache does not know.
InstructionCoupee* EnCache(CacheNiveau& cache, const NiveauProg& nv) {
  if (nv.PosLecture < 1 || nv.PosLecture > nv.Texte.size()) return nullptr;
  const int32_t i = cache.index[static_cast<size_t>(nv.PosLecture)];
  return i > 0 ? &cache.entrees[static_cast<size_t>(i - 1)] : nullptr;
}

// The entry kept, nullptr when the position cannot be.
InstructionCoupee* Retient(CacheNiveau& cache, int posLecture, InstructionCoupee&& entree) {
  if (posLecture < 1 || posLecture > cache.texte.size()) return nullptr;
  cache.entrees.push_back(std::move(entree));
  cache.index[static_cast<size_t>(posLecture)] = static_cast<int32_t>(cache.entrees.size());
  return &cache.entrees.back();
}

// Runs a statement with its kept entry known, so that its jump can be kept with it.
bool ExecuteInstructionRetenue(int niveau, CacheNiveau* cache, InstructionCoupee* entree) {
  if (cache == nullptr) return ExecuteInstructionLue(niveau);
  cache->enCours = entree;
  const bool suite = ExecuteInstructionLue(niveau);
  cache->enCours = nullptr;
  return suite;
}

// Steps 9 to 14 on the line in ParamLigne: a comment or empty line, or a statement with its
// keyword, operator and parameters separated.
void Separe(NiveauProg& nv, InstructionCoupee& e) {
  e.posFinLigne = nv.PosFinLigne;
  e.paramCoupe = Lecture.ParamLigne;
  if (EstIgnoree()) {
    e.genre = InstructionCoupee::Genre::Ignoree;
    return;
  }
  SepareMotCle(nv);
  e.genre = InstructionCoupee::Genre::Instruction;
  e.motCle = nv.MotCle;
  e.operateur = Lecture.OperateurAffect;
  e.param = Lecture.ParamLigne;
  e.motCleCalcule = EstMotCleCalcule(nv.MotCle);
}

// What the loop makes of the line just cut: where it lies, and what it is (steps 8 to 14).
InstructionCoupee Analyse(NiveauProg& nv) {
  Lecture.ParamLigne.replace(QLatin1Char('\t'), QLatin1Char(' '));
  nv.PosLecture = nv.PosFinLigne + 2;
  InstructionCoupee e;
  e.debutInstr = nv.DebutInstr;
  e.posLecture = nv.PosLecture;
  e.ligneBrute = Travail.LigneBrute;
  if (EstLigneVariable()) {
    e.genre = InstructionCoupee::Genre::LigneVariable;
    e.posFinLigne = nv.PosFinLigne;
    e.paramCoupe = Lecture.ParamLigne;
  } else {
    Separe(nv, e);
  }
  return e;
}

// The level takes up a statement, cut afresh or kept, where it lies.
void Reprend(NiveauProg& nv, const InstructionCoupee& c) {
  nv.PosFinLigne = c.posFinLigne;
  nv.DebutInstr = c.debutInstr;
  nv.PosLecture = c.posLecture;
  Travail.LigneBrute = c.ligneBrute;
  Lecture.ParamLigne = c.paramCoupe;
}

// The line loop; returns when the level ends without a run error. A statement is cut once and
// kept by read position; kept or fresh, it runs through the same steps. A variable line, whose
// statement is the variable's value of the moment, is never kept.
void BoucleLignes(int niveau) {
  AnnuleInstructionEnAttente();
  for (;;) {
    NiveauProg& nv = Niveau(niveau);
    if (Arret) {
      FermeFichiers();
      return;
    }
    if (LimiteInstructions > 0 && ++instructionsExecutees > LimiteInstructions) {
      Arret = true;
      return;
    }

    // The statement after the THEN of a true one-line If comes before the next line of the text.
    const bool enAttente = PrendInstructionEnAttente(niveau);
    CacheNiveau* cache = enAttente ? nullptr : CacheDe(niveau, nv.Texte);
    if (cache != nullptr) cache->enCours = nullptr;
    const int posDepart = nv.PosLecture;
    InstructionCoupee fraiche;
    InstructionCoupee* c = cache != nullptr ? EnCache(*cache, nv) : nullptr;
    if (c == nullptr) {
      if (!enAttente && !CoupeLigne(nv)) return;
      fraiche = Analyse(nv);
      c = &fraiche;
      if (cache != nullptr && fraiche.genre != InstructionCoupee::Genre::LigneVariable) {
        c = Retient(*cache, posDepart, std::move(fraiche));
        if (c == nullptr) {
          c = &fraiche;
          cache = nullptr;
        }
      }
    }
    Reprend(nv, *c);
    if (c->genre == InstructionCoupee::Genre::LigneVariable) {
      RemplaceLigneVariable(nv);
      fraiche = *c;
      Separe(nv, fraiche);
      c = &fraiche;
      cache = nullptr;
    }
    if (c->genre == InstructionCoupee::Genre::Ignoree) continue;
    if (nv.PosFinLigne == 0) return;
    nv.Ligne = c->paramCoupe;
    nv.FinInstr = c->posFinLigne;
    nv.MotCle = c->motCle;
    Lecture.OperateurAffect = c->operateur;
    Lecture.ParamLigne = c->param;
    if (c->motCleCalcule) SubstitueMotCle(nv);
    if (!ExecuteInstructionRetenue(niveau, cache, c)) return;
  }
}

}  // namespace

SautRetenu* SautRetenuDe(int niveau) {
  if (niveau < 0 || niveau >= static_cast<int>(Caches.size())) return nullptr;
  InstructionCoupee* const entree = Caches[static_cast<size_t>(niveau)].enCours;
  return entree != nullptr ? &entree->saut : nullptr;
}

void Interprete(int& niveau) {
  Hote* hote = HoteCourant();
  if (hote->Editeur()->Text().isEmpty()) return;
  if (niveau == 1 && !hote->MnuVisualiserActif) return;
  hote->MnuVisualiserActif = hote->MnuZoomActif = hote->MnuRefCurseurActif = false;
  if (niveau == 1) instructionsExecutees = instructionsRun = 0;
  try {
    TeteInterprete(niveau);
    BoucleLignes(niveau);
    FinNiveau(niveau);
  } catch (const std::exception& e) {
    // Anything a statement may throw is a run error of that statement; the report says what is
    // wrong even where the raise gave no detail.
    CompleteDetail(niveau, e);
    GereErreurRun(niveau);
    return;
  }
}

namespace {

// The length the limit is measured on: a final line end holds no statement.
qsizetype LongueurComptee(const QString& texte) { return texte.size() - (texte.endsWith(CRLF) ? 2 : 0); }

}  // namespace

bool ProgrammeTropLong(const QString& texte) { return LongueurComptee(texte) > LongueurMaxProgramme; }

QString TexteProgrammeTropLong(const QString& texte) {
  return TexteMsg(192).arg(LongueurComptee(texte)).arg(LongueurMaxProgramme);
}

namespace {

// The refusal of a file of 'taille' bytes, the size written as the message gives it.
QString RefusTaille(const QString& chemin, const QString& taille) {
  return TexteMsg(193).arg(NomLisible(chemin), taille, QString::number(LongueurMaxProgramme));
}

}  // namespace

QString FichierProgrammeTropGrand(const QString& chemin) {
  const QFileInfo info(chemin);
  if (!info.isFile() || info.size() <= TailleMaxFichierProgramme) return {};
  return RefusTaille(chemin, QString::number(info.size()));
}

namespace {

// Reads with 'lit' (given the bound and where to say the file is too large), after refusing a file
// whose reported size is over the bound without reading it.
template <typename Lecture>
auto LitBorne(const QString& chemin, QString* refus, Lecture lit) -> decltype(lit(int64_t{}, nullptr)) {
  if (*refus = FichierProgrammeTropGrand(chemin); !refus->isEmpty()) return std::nullopt;
  bool tropGrand = false;
  auto lu = lit(TailleMaxFichierProgramme, &tropGrand);
  if (tropGrand) {
    // The size the system reports may be false (0 for some files): only the bound read is sure.
    const qint64 taille = QFileInfo(chemin).size();
    *refus = RefusTaille(chemin, taille > TailleMaxFichierProgramme
                                     ? QString::number(taille)
                                     : QStringLiteral("> %1").arg(TailleMaxFichierProgramme));
  }
  return lu;
}

}  // namespace

std::optional<QByteArray> LitOctetsProgramme(const QString& chemin, QString* refus, QString* erreur) {
  return LitBorne(chemin, refus, [&](int64_t limite, bool* tropGrand) {
    return LitOctetsFichierBorne(chemin, limite, tropGrand, erreur);
  });
}

std::optional<QString> LitFichierProgramme(const QString& chemin, QString* refus, FormeTexte* forme,
                                           QString* erreur) {
  return LitBorne(chemin, refus, [&](int64_t limite, bool* tropGrand) {
    return LitFichierTexteBorne(chemin, limite, tropGrand, forme, erreur);
  });
}

void FermeFichiers() {
  FermeFichiersDonnees();
  for (NiveauProg& nv : Niveaux) {
    nv.FicDonnees.clear();
    nv.NumFicDonnees = 0;
  }
  Travail.NumFicAjout = 0;
}

namespace {

// What every run puts back before the program starts, the screen's and the print run alike, so that
// both draw from one state whatever the last run (or the mouse drawing plotted after it) left: the
// current point at 0,0, the output's own pen, fill, point and font as a new output has them, fresh
// levels holding the editor's text, no stop request.
void PrepareRun(Hote* hote, OutputSurface* sortie, int dernierNiveau) {
  Repere.XCourant = Repere.YCourant = 0;
  Repere.XRot = Repere.YRot = 0;
  sortie->ForeColor = sortie->FillColor = 0;
  sortie->FillStyle = 1;
  sortie->DrawWidth = 1;
  sortie->DrawMode = 13;
  sortie->CurrentX = sortie->CurrentY = 0;
  sortie->Font = PoliceSortie{};
  DimensionneNiveaux(dernierNiveau);
  Niveau(1).Texte = hote->Editeur()->Text();
  Sortie = sortie;
  Arret = false;
}

}  // namespace

void ExecuteProgramme() {
  Hote* hote = HoteCourant();
  FermeFichiers();
  if (!hote->MnuVisualiserActif) return;
  hote->DebutRun();
  DoEvents();
  RunShell.ZoomIni = 1.0f;
  Shell.FacteurImpression = 1.0f;
  RunShell.ZoomIniI = 1.0f;
  hote->Editeur()->ColoreInstruction();
  RunShell.DernierFacteurImp = 1.0f;
  hote->Ecran()->Cls();
  PrepareRun(hote, hote->Ecran(), 6);
  int niveau = 1;
  Interprete(niveau);
  // Inside the run, so that the end of the run shows the mouse drawing with the program's drawing.
  if (!hote->MnuDessinActif) TraceJournalDessin();
  hote->FinRun();
  DoEvents();
  if (hote->MnuCodeCoche) hote->Editeur()->PrendFocus();
  if (RunShell.AideApresRun) {
    hote->OuvreAide();
    RunShell.AideApresRun = false;
  }
}

void Imprimer() {
  Hote* hote = HoteCourant();
  OutputSurface* imprimante = hote->Imprimante();
  if (imprimante == nullptr || !hote->MnuVisualiserActif) return;
  // The files the screen run left open are closed, as its own run request closes them.
  FermeFichiers();
  PrepareRun(hote, imprimante, 5);
  Niveau(1).Fichier = Shell.NomFichier;
  int niveau = 1;
  Interprete(niveau);
  Sortie = hote->Ecran();
}
