#include "editor/EditorInsertions.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <algorithm>

#include "editor/ProgramEditor.h"
#include "editor/UndoRing.h"
#include "platform/Descriptors.h"
#include "platform/Legacy.h"
#include "platform/Prompter.h"
#include "platform/QtFileDialogs.h"
#include "platform/StringTable.h"
#include "values/Levels.h"

using namespace legacy;

namespace {

constexpr int ToucheCouleur = -11;
constexpr int ToucheFichiers = -12;
constexpr int TouchePolice = -13;

class DialoguesInsertionQt : public DialoguesInsertion {
 public:
  std::optional<uint32_t> Couleur() override {
    if (!DescripteursPourDialogue()) return std::nullopt;
    const QColor c = QColorDialog::getColor(derniere_, Parent());
    if (!c.isValid()) return std::nullopt;
    derniere_ = c;
    return static_cast<uint32_t>(c.red()) | static_cast<uint32_t>(c.green()) << 8 |
           static_cast<uint32_t>(c.blue()) << 16;
  }
  std::optional<QFont> Police(const QFont& depart, bool) override {
    if (!DescripteursPourDialogue()) return std::nullopt;
    bool ok = false;
    const QFont police = QFontDialog::getFont(&ok, depart, Parent());
    if (!ok) return std::nullopt;
    return police;
  }
  QStringList Fichiers(const QString& filtre, bool plusieurs) override {
    if (!DescripteursPourDialogue()) return {};
    DialogueOuverture dialogue(Parent(), QString(), filtre);
    if (plusieurs) dialogue.setFileMode(QFileDialog::ExistingFiles);
    if (dialogue.exec() != QDialog::Accepted) return {};
    return dialogue.Noms();
  }

 private:
  static QWidget* Parent() { return QApplication::activeWindow(); }
  // One colour dialog for the menu and the command dialog: it starts from the colour it last gave.
  QColor derniere_ = Qt::black;
};

DialoguesInsertion* dialoguesCourants = nullptr;

void Insere(EditeurProgramme& editeur, AnneauAnnulation& annulation, const QString& texte, int touche) {
  EditeurTexte& modele = editeur.Modele();
  modele.SuiviModif = true;
  modele.SetSelText(texte);
  annulation.EnregistreAnnulation(touche, 0);
  editeur.AnnulationArmee = true;
}

}  // namespace

DialoguesInsertion& DialoguesIns() {
  static DialoguesInsertionQt qt;
  return dialoguesCourants ? *dialoguesCourants : qt;
}

void DefinitDialoguesInsertion(DialoguesInsertion* d) { dialoguesCourants = d; }

QString TexteCouleur(uint32_t couleur, bool francais) {
  const uint32_t rouge = couleur & 255u;
  const uint32_t vert = (couleur & 65280u) / 256u;
  const uint32_t bleu = (couleur & 16711680u) / 65536u;
  return (francais ? QStringLiteral("RVB ") : QStringLiteral("RGB ")) +
         QStringLiteral(" %1 %2 %3").arg(rouge).arg(vert).arg(bleu);
}

QString TexteFichiers(const QStringList& fichiers, const QString& separateur) {
  if (fichiers.isEmpty()) return {};
  if (fichiers.size() == 1) return fichiers.constFirst();
  QString texte = QFileInfo(fichiers.constFirst()).absolutePath();
  for (const QString& fichier : fichiers) texte += separateur + QFileInfo(fichier).fileName();
  return texte;
}

void InsereCouleur(EditeurProgramme& editeur, AnneauAnnulation& annulation, bool francais) {
  const std::optional<uint32_t> couleur = DialoguesIns().Couleur();
  if (!couleur) return;
  Insere(editeur, annulation, TexteCouleur(*couleur, francais), ToucheCouleur);
}

void InserePolice(EditeurProgramme& editeur, AnneauAnnulation& annulation, const QFont& depart, bool ecran) {
  const std::optional<QFont> police = DialoguesIns().Police(depart, ecran);
  if (!police) return;
  Insere(editeur, annulation, police->family(), TouchePolice);
}

void InsereFichiers(EditeurProgramme& editeur, AnneauAnnulation& annulation, bool plusieurs) {
  const QStringList fichiers = DialoguesIns().Fichiers(TexteMsg(106) + QStringLiteral(" (*)"), plusieurs);
  if (fichiers.isEmpty()) return;
  const QString separateur = Lecture.SepParam.isEmpty() ? QStringLiteral(",") : Lecture.SepParam;
  Insere(editeur, annulation, TexteFichiers(fichiers, separateur), ToucheFichiers);
}

std::optional<float> DemandeTailleCarCode(const QString& invite, float actuelle) {
  QString prompt = invite;
  prompt.remove(QLatin1Char('&'));
  const std::optional<QString> reponse = Dialogues().InputBox(prompt, QString(), TexteNombre(actuelle));
  if (!reponse) return std::nullopt;
  const double taille = Val(*reponse);
  if (!(taille > 0)) return std::nullopt;
  return static_cast<float>(std::clamp(taille, 6.0, 24.0));
}
