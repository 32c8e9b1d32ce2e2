#include "platform/EditorText.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

#include "platform/TextFile.h"

namespace {

// Every line break the text holds is a line of the document: the lines the editor shows are the
// lines its text gives the interpreter.
QString AvecFinsQt(const QString& texte) {
  return FinsDeLigneProgramme(texte).replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

QString AvecCrLf(QString texte) {
  texte.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
  return texte;
}

}  // namespace

bool EstSautDeLigne(QChar c) {
  switch (c.unicode()) {
    case u'\n':
    case u'\v':
    case u'\f':
    case u'\r':
    case 0x0085:
    case 0x2028:
    case 0x2029:
      return true;
    default:
      return false;
  }
}

QString FinsDeLigneProgramme(const QString& texte) { return FinsCrLf(texte, EstSautDeLigne); }

QStringList LignesDuProgramme(const QString& texte) { return DecoupeLignes(FinsDeLigneProgramme(texte)); }

bool ASautsEtrangers(const QString& texte) {
  return std::any_of(texte.begin(), texte.end(),
                     [](QChar c) { return EstSautDeLigne(c) && c != u'\r' && c != u'\n'; });
}

uint32_t CouleurDeFormat(const QTextCharFormat& format) {
  if (format.foreground().style() == Qt::NoBrush) return 0;
  const QColor c = format.foreground().color();
  return static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
         (static_cast<uint32_t>(c.blue()) << 16);
}

QTextCharFormat FormatDeCouleur(uint32_t couleur) {
  QTextCharFormat format;
  format.setForeground(QColor(couleur & 0xFF, (couleur >> 8) & 0xFF, (couleur >> 16) & 0xFF));
  return format;
}

EditeurDocument::EditeurDocument(QTextDocument* document) : document_(document) {
  if (!document_) {
    possede_ = std::make_unique<QTextDocument>();
    possede_->setUndoRedoEnabled(false);
    document_ = possede_.get();
  }
}

EditeurDocument::~EditeurDocument() = default;

int EditeurDocument::LongueurTexte() const {
  return document_->characterCount() - 1 + document_->blockCount() - 1;
}

// Each earlier line break adds one position in the editor's count, so line k starts at its
// document position + k.
int EditeurDocument::VersDocument(int pos) const {
  pos = std::clamp(pos, 0, LongueurTexte());
  int bas = 0, haut = document_->blockCount() - 1;
  while (bas < haut) {
    const int milieu = (bas + haut + 1) / 2;
    if (document_->findBlockByNumber(milieu).position() + milieu <= pos)
      bas = milieu;
    else
      haut = milieu - 1;
  }
  const QTextBlock bloc = document_->findBlockByNumber(bas);
  // Between CR and LF counts as before the break.
  return bloc.position() + std::min(pos - (bloc.position() + bas), bloc.length() - 1);
}

int EditeurDocument::DepuisDocument(int pos) const { return pos + document_->findBlock(pos).blockNumber(); }

QString EditeurDocument::Text() const { return AvecCrLf(document_->toRawText()); }

void EditeurDocument::SetText(const QString& texte) {
  document_->setPlainText(AvecFinsQt(texte));
  selStart_ = 0;
  selLength_ = 0;
  couleurSaisie_ = LongueurTexte() > 0 ? CouleurA(0) : couleurSaisie_;
}

void EditeurDocument::SetSelStart(int pos) {
  selStart_ = std::clamp(pos, 0, LongueurTexte());
  selLength_ = 0;
  // What is typed at a caret takes the colour of the character before it.
  if (selStart_ > 0)
    couleurSaisie_ = CouleurA(selStart_ - 1);
  else if (LongueurTexte() > 0)
    couleurSaisie_ = CouleurA(0);
}

void EditeurDocument::SetSelLength(int longueur) {
  selLength_ = std::clamp(longueur, 0, LongueurTexte() - selStart_);
  if (selLength_ > 0) couleurSaisie_ = CouleurA(selStart_);
}

QString EditeurDocument::SelText() const {
  QTextCursor curseur(document_);
  curseur.setPosition(VersDocument(selStart_));
  curseur.setPosition(VersDocument(selStart_ + selLength_), QTextCursor::KeepAnchor);
  return AvecCrLf(curseur.selectedText());
}

void EditeurDocument::SetSelText(const QString& texte) {
  QTextCursor curseur(document_);
  curseur.setPosition(VersDocument(selStart_));
  curseur.setPosition(VersDocument(selStart_ + selLength_), QTextCursor::KeepAnchor);
  curseur.insertText(AvecFinsQt(texte), FormatDeCouleur(couleurSaisie_));
  selStart_ = DepuisDocument(curseur.position());
  selLength_ = 0;
}

void EditeurDocument::SetSelColor(uint32_t couleur) {
  couleurSaisie_ = couleur;
  if (selLength_ == 0) return;
  QTextCursor curseur(document_);
  curseur.setPosition(VersDocument(selStart_));
  curseur.setPosition(VersDocument(selStart_ + selLength_), QTextCursor::KeepAnchor);
  curseur.mergeCharFormat(FormatDeCouleur(couleur));
}

uint32_t EditeurDocument::SelColor() const { return couleurSaisie_; }

int EditeurDocument::LigneDePosition(int pos) const {
  if (pos < 0) pos = selStart_;
  return document_->findBlock(VersDocument(pos)).blockNumber();
}

int EditeurDocument::DebutLigne(int ligne) const {
  if (ligne < 0) ligne = LigneDePosition(selStart_);
  if (ligne >= document_->blockCount()) return -1;
  return document_->findBlockByNumber(ligne).position() + ligne;
}

int EditeurDocument::LongueurLigne(int pos) const {
  if (pos < 0 && selLength_ > 0) {
    // The characters left out of the selection on the lines it touches.
    const int fin = selStart_ + selLength_;
    const int debutPremiere = DebutLigne(LigneDePosition(selStart_));
    const int derniere = LigneDePosition(fin);
    const int finDerniere = DebutLigne(derniere) + LongueurLigne(DebutLigne(derniere));
    return (selStart_ - debutPremiere) + std::max(0, finDerniere - fin);
  }
  if (pos < 0) pos = selStart_;
  return document_->findBlock(VersDocument(pos)).length() - 1;
}

int EditeurDocument::NbLignes() const { return document_->blockCount(); }

uint32_t EditeurDocument::CouleurA(int pos) const {
  const int position = VersDocument(pos);
  const QTextBlock bloc = document_->findBlock(position);
  for (auto it = bloc.begin(); !it.atEnd(); ++it) {
    const QTextFragment fragment = it.fragment();
    if (position >= fragment.position() && position < fragment.position() + fragment.length())
      return CouleurDeFormat(fragment.charFormat());
  }
  // The document keeps the format of a line break with the block that follows it.
  if (position == bloc.position() + bloc.length() - 1 && bloc.next().isValid())
    return CouleurDeFormat(bloc.next().charFormat());
  return CouleurDeFormat(bloc.charFormat());
}
