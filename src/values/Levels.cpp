#include "values/Levels.h"

#include "platform/EditorText.h"
#include "platform/Host.h"
#include "platform/Legacy.h"
#include "platform/RunError.h"

using namespace legacy;

std::vector<NiveauProg> Niveaux;
int NiveauCourant = 0;
std::array<std::vector<Etiquette>, NiveauMaxFichier + 2> Etiquettes;
std::array<QHash<QString, int32_t>, NiveauMaxFichier + 2> IndexEtiquettes;
std::array<uint32_t, NiveauMaxFichier + 2> VersionEtiquettes{};

EtatLecture Lecture;
int16_t EtatOrdre = 0;

namespace {

// A letter written with two units (a surrogate pair) is left out of the hash: MemeMaj compares it.
uint32_t HacheMaj(QStringView nom) {
  uint32_t h = 2166136261u;
  for (const QChar c : nom) {
    if (!c.isSurrogate()) h = (h ^ MajCar(c).unicode()) * 16777619u;
  }
  return h;
}

bool MemeNomMaj(QStringView a, const QString& b) { return MemeMaj(a, b); }

}  // namespace

void NomsVariables::Construit() const {
  index_.fill(0);
  for (size_t s = 1; s < noms_.size(); ++s) {
    size_t i = HacheMaj(noms_[s]) % TailleIndex;
    // A name already indexed keeps its first slot.
    while (index_[i] != 0 && !MemeNomMaj(noms_[s], noms_[index_[i]])) i = (i + 1) % TailleIndex;
    if (index_[i] == 0) index_[i] = static_cast<uint8_t>(s);
  }
  aJour_ = true;
}

int NomsVariables::Cherche(QStringView nom, int dernier) const {
  if (!aJour_) Construit();
  for (size_t i = HacheMaj(nom) % TailleIndex; index_[i] != 0; i = (i + 1) % TailleIndex) {
    const int s = index_[i];
    if (MemeNomMaj(nom, noms_[static_cast<size_t>(s)])) return s <= dernier ? s : 0;
  }
  return 0;
}

NiveauProg& Niveau(int niveau) {
  if (niveau < 0 || niveau >= static_cast<int>(Niveaux.size())) {
    LeveErreurExecution(QStringLiteral("subscript out of range"));
  }
  return Niveaux[static_cast<size_t>(niveau)];
}

void DimensionneNiveaux(int dernier) {
  Niveaux.clear();
  Niveaux.resize(static_cast<size_t>(dernier + 1));
}

void DecaleIndex(int niveau, int32_t pos, int32_t delta) {
  auto& table = Etiquettes[static_cast<size_t>(niveau)];
  ++VersionEtiquettes[static_cast<size_t>(niveau)];
  for (auto it = table.rbegin(); it != table.rend(); ++it) {
    if (it->Position <= pos) break;
    it->Position += delta;
  }
}

int32_t RecritInstruction(int niveau, int debut, int longueur, const QString& texte, Recriture sorte) {
  EditeurTexte* ed = HoteCourant()->Editeur();
  NiveauProg& nv = Niveau(niveau);
  ed->SetSelStart(debut);
  ed->SetSelLength(longueur);
  const bool suivi = ed->SuiviModif;
  if (sorte == Recriture::DuProgramme) ed->SuiviModif = false;
  ed->SetSelText(texte);
  ed->SuiviModif = suivi;
  const auto delta = static_cast<int32_t>(texte.size()) - longueur;
  DecaleIndex(niveau, nv.FinInstr, delta);
  nv.Texte = ed->Text();
  // A statement continued over several lines (after a THEN too) goes on after its last line, which
  // is not read again as a statement of its own.
  nv.FinInstr += delta;
  nv.PosLecture = nv.FinInstr + 2;
  ed->ColoreInstruction();
  return delta;
}

void RazEtatNiveaux() {
  DimensionneNiveaux(6);
  NiveauCourant = 0;
  for (auto& e : Etiquettes) e.clear();
  for (auto& index : IndexEtiquettes) index.clear();
  for (auto& version : VersionEtiquettes) ++version;
  Lecture = {};
  EtatOrdre = 0;
}
