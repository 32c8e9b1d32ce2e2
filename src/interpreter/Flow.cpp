#include "interpreter/Flow.h"

#include <QString>
#include <array>
#include <optional>

#include "interpreter/Labels.h"
#include "interpreter/RunState.h"
#include "platform/Events.h"
#include "platform/Legacy.h"
#include "platform/RunError.h"
#include "platform/StringTable.h"
#include "values/Conditions.h"
#include "values/Fields.h"
#include "values/Levels.h"
#include "values/StringFunctions.h"
#include "values/Substitution.h"

using namespace legacy;

namespace {

const QString CRLF = QStringLiteral("\r\n");

struct InstructionEnAttente {
  int niveau = 0;  // 0: nothing waits
  QString texte;
  int debut = 0;
  int debutLigne = 0;  // where the statement holding its If begins
};
InstructionEnAttente enAttente;

// Per level, where the statement holding the If begins while the rest after its THEN runs; 0 while
// the statement running begins where the line loop cut it.
std::array<int, NiveauMaxFichier + 2> debutsApresThen{};

void NoteDebutApresThen(int niveau, int debut) {
  if (niveau >= 0 && niveau < static_cast<int>(debutsApresThen.size())) {
    debutsApresThen[static_cast<size_t>(niveau)] = debut;
  }
}

// The position of the first character of line n of a text (lines end with CR LF), 0 when the
// text has no such line.
int32_t DebutLigne(const QString& texte, double n) {
  if (n < 1) return 0;
  int pos = 1;
  for (double i = 1; i < n; ++i) {
    const int k = InStr(pos, texte, CRLF);
    if (k == 0) return 0;
    pos = k + 2;
  }
  return pos;
}

// The read position of a jump's target: a number is a line of the level's own text, anything else
// a label of the level.
int32_t CherchePosition(int niveau, const QString& cible) {
  const NiveauProg& nv = Niveau(niveau);
  const QString c = Trim(cible);
  if (EstNumerique(c)) {
    const int32_t pos = DebutLigne(nv.Texte, ArrondiPair(Val(c)));
    if (pos == 0) {
      ErreurRunCitant(
          c, QStringLiteral(" : ligne inexistante / no such line / Zeile nicht vorhanden") + CRLF + CRLF);
    }
    return pos;
  }
  const int32_t pos = ChercheEtiquette(UCase(c), niveau);
  if (pos == 0) {
    ErreurRunCitant(
        c, QStringLiteral(" : étiquette non trouvée / label not found / Marke nicht gefunden") + CRLF + CRLF);
  }
  return pos;
}

// A jump. The statement's last target is taken again while its text, the level's text (the kept
// statement goes with it) and the level's labels are the same.
void Saute(int niveau, const QString& cible) {
  NiveauProg& nv = Niveau(niveau);
  SautRetenu* const retenu = SautRetenuDe(niveau);
  const uint32_t version = VersionEtiquettes[static_cast<size_t>(niveau)];
  if (retenu != nullptr && retenu->Position > 0 && retenu->Version == version && retenu->Cible == cible) {
    nv.PosLecture = retenu->Position;
    return;
  }
  nv.PosLecture = CherchePosition(niveau, cible);
  if (retenu != nullptr) *retenu = {cible, version, nv.PosLecture};
}

void Substitue(QString& texte) {
  if (SubstitueVariables(texte)) ErreurNonInitialisee(texte);
}

bool ConditionNumerique(const QString& condition) {
  Travail.TexteTravail = condition;
  Substitue(Travail.TexteTravail);
  return EvalueFonctionsTexte(Travail.TexteTravail).value_or(0.0) != 0;
}

bool ConditionTexte(const QString& condition) {
  QString c = condition;
  Substitue(c);
  c = FonctionsChaine(c);
  return EvalueConditionTexte(c).value_or(false);
}

// ELSEIF and ELSEIFT stand in an open block that met no ELSE while skipping, and end with THEN.
void VerifieSinonSi(const NiveauProg& nv, const QString& param, int pThen) {
  if (nv.ProfIf <= 0 || nv.IfFait[static_cast<size_t>(nv.ProfIf)] || pThen == 0 ||
      !Trim(Mid(param, pThen + 4)).isEmpty()) {
    ErreurInstruction(TexteMsg(TexteRaison::HorsDePlace));
  }
}

// The block form: IF and IFT open a new depth, ELSEIF and ELSEIFT stay in theirs. Only the first
// true branch of a block runs.
void Bloc(int niveau, bool ouvre, bool vrai) {
  if (ouvre) EmpileIf(niveau);
  NiveauProg& nv = Niveau(niveau);
  const auto d = static_cast<size_t>(nv.ProfIf);
  if (!vrai) {
    nv.IfSaute[d] = true;
    return;
  }
  if (nv.IfOuvert[d]) nv.IfSaute[d] = true;
  nv.IfOuvert[d] = true;
}

// A true one-line If: the rest of the statement after its THEN, as the line loop joined it (over
// continuation lines, or from a variable line), runs next.
void MetEnAttente(int niveau) {
  const NiveauProg& nv = Niveau(niveau);
  const QString reste = Mid(nv.Ligne, InStr(UCase(nv.Ligne), QStringLiteral("THEN")) + 4);
  // Where the rest starts in the text, so that a failure marks it and a command that rewrites its
  // statement rewrites only it; a statement from a variable line keeps its whole line.
  int debut = nv.DebutInstr;
  if (nv.FinInstr > nv.DebutInstr) {
    const QString brut = Mid(nv.Texte, nv.DebutInstr, nv.FinInstr - nv.DebutInstr);
    const int p = InStr(UCase(brut), QStringLiteral("THEN"));
    if (p > 0) {
      debut = nv.DebutInstr + p + 3;
      // Blanks, and a continuation mark with its line end: the rest starts on the next line then.
      auto blanc = [&nv](int pos) { return nv.Texte[pos - 1] == u' ' || nv.Texte[pos - 1] == u'\t'; };
      while (debut < nv.FinInstr) {
        if (blanc(debut)) {
          ++debut;
        } else if (nv.Texte[debut - 1] == u'_' && blanc(debut - 1) && Mid(nv.Texte, debut + 1, 2) == CRLF) {
          debut += 3;
        } else {
          break;
        }
      }
    }
  }
  enAttente = {niveau, reste, debut, DebutLigneInstruction(niveau)};
}

// What follows the condition: a block, a one-line statement, or nothing but the truth value.
void SuiteCondition(int niveau, const QString& param, int pThen, bool ouvre, bool vrai) {
  if (Trim(Mid(param, pThen + 4)).isEmpty()) {
    Bloc(niveau, ouvre, vrai);
  } else if (vrai) {
    MetEnAttente(niveau);
  }
}

// The GOTO forms of a condition line, in any case: the position of "THEN GOTO", else of "GOTO",
// and its length.
std::pair<int, int> PositionGoto(const QString& param) {
  const int p = InStrMaj(1, param, QLatin1String("THEN GOTO"));
  if (p > 0) return {p, 9};
  return {InStrMaj(1, param, QLatin1String("GOTO")), 4};
}

}  // namespace

namespace {

// The parts of the last IF or ELSEIF parameter text: a loop reads the same statement again and
// again.
struct AnalyseSi {
  QString param;
  bool sinonSi = false;
  int pThen = 0;
  int pGoto = 0;
  QString condition;  // before the GOTO form's target
  QString cible;
};
AnalyseSi derniereAnalyse;

const AnalyseSi& AnalyseParamSi(const QString& param, bool sinonSi) {
  AnalyseSi& a = derniereAnalyse;
  if (a.sinonSi == sinonSi && a.param == param && !a.param.isNull()) return a;
  a = {};
  a.pThen = InStrMaj(1, param, QLatin1String("THEN"));
  const auto [pGoto, longueurGoto] = PositionGoto(param);
  a.pGoto = pGoto;
  if (pGoto > 0) {
    a.condition = Trim(Left(param, pGoto - 1));
    a.cible = Trim(Mid(param, pGoto + longueurGoto));
  }
  a.param = param;
  a.sinonSi = sinonSi;
  return a;
}

}  // namespace

bool EvalueSi(int& niveau) {
  if (Arret) return true;
  const NiveauProg& nv = Niveau(niveau);
  const bool sinonSi = nv.MotCle == QStringLiteral("ELSEIF");
  const QString param = Lecture.ParamLigne;
  const AnalyseSi a = AnalyseParamSi(param, sinonSi);
  const int pThen = a.pThen;
  if (sinonSi) VerifieSinonSi(nv, param, pThen);

  if (a.pGoto > 0) {
    if (!ConditionNumerique(a.condition)) return false;
    QString cible = a.cible;
    Substitue(cible);
    Saute(niveau, cible);
    return false;
  }
  if (pThen == 0) ErreurInstruction(TexteMsg(TexteRaison::HorsDePlace));
  const bool vrai = ConditionNumerique(Trim(Left(param, pThen - 1)));
  SuiteCondition(niveau, param, pThen, !sinonSi, vrai);
  return false;
}

void CmdIfT(int niveau) {
  const NiveauProg& nv = Niveau(niveau);
  const bool sinonSi = nv.MotCle == QStringLiteral("ELSEIFT");
  const QString param = Lecture.ParamLigne;
  const int pThen = InStrMaj(1, param, QLatin1String("THEN"));
  if (sinonSi) {
    VerifieSinonSi(nv, param, pThen);
  } else {
    const auto [pGoto, longueurGoto] = PositionGoto(param);
    if (pGoto > 0) {
      // The target of a text condition is used as written.
      if (ConditionTexte(Trim(Left(param, pGoto - 1)))) Saute(niveau, Mid(param, pGoto + longueurGoto));
      return;
    }
  }
  if (pThen == 0) ErreurInstruction(TexteMsg(TexteRaison::HorsDePlace));
  const bool vrai = ConditionTexte(Trim(Left(param, pThen - 1)));
  SuiteCondition(niveau, param, pThen, !sinonSi, vrai);
}

void VerifieSinonSiSaute(int niveau) {
  const NiveauProg& nv = Niveau(niveau);
  VerifieSinonSi(nv, Lecture.ParamLigne, InStrMaj(1, Lecture.ParamLigne, QLatin1String("THEN")));
}

void CmdElse(int niveau) {
  NiveauProg& nv = Niveau(niveau);
  if (nv.ProfIf < 1) ErreurInstruction(TexteMsg(TexteRaison::HorsDePlace));
  const auto d = static_cast<size_t>(nv.ProfIf);
  nv.IfSaute[d] = nv.IfOuvert[d];
}

void CmdEndIf(int niveau) {
  NiveauProg& nv = Niveau(niveau);
  if (nv.ProfIf < 1) ErreurInstruction(TexteMsg(TexteRaison::HorsDePlace));
  const auto d = static_cast<size_t>(nv.ProfIf);
  nv.IfSaute[d] = nv.IfFait[d] = nv.IfOuvert[d] = false;
  --nv.ProfIf;
}

void CmdGoto(int niveau) {
  QString cible = Lecture.ParamLigne;
  Substitue(cible);
  Saute(niveau, cible);
}

bool PrendInstructionEnAttente(int niveau) {
  if (enAttente.niveau == 0 || enAttente.niveau != niveau) {
    NoteDebutApresThen(niveau, 0);
    return false;
  }
  NoteDebutApresThen(niveau, enAttente.debutLigne);
  Travail.LigneBrute = enAttente.texte;
  Lecture.ParamLigne = LTrim(QString(enAttente.texte).replace(QLatin1Char('\t'), QLatin1Char(' ')));
  Niveau(niveau).DebutInstr = enAttente.debut;
  enAttente = {};
  return true;
}

void AnnuleInstructionEnAttente() { enAttente = {}; }

int DebutLigneInstruction(int niveau) {
  const NiveauProg& nv = Niveau(niveau);
  const int debut = niveau >= 0 && niveau < static_cast<int>(debutsApresThen.size())
                        ? debutsApresThen[static_cast<size_t>(niveau)]
                        : 0;
  return debut > 0 && debut < nv.DebutInstr ? debut : nv.DebutInstr;
}
