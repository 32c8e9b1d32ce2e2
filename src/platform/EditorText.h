#pragma once

// The program editor as the interpreter sees it. Positions are 0-based characters in which a line
// break counts as two (CR LF), whatever the widget holds inside.

#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <memory>

class QTextCharFormat;
class QTextDocument;

// The colour value (red in the low byte) of a character format, 0 when it sets none, and the
// format that sets only a colour.
uint32_t CouleurDeFormat(const QTextCharFormat& format);
QTextCharFormat FormatDeCouleur(uint32_t couleur);

// A line break of program text: CR and LF, and the breaks a text from elsewhere may hold (VT, FF,
// NEL, U+2028, U+2029), which a text view shows or treats as line breaks. What the editor shows as
// a line is what the interpreter runs as a line: every text that becomes program text (a program
// or command file, a paste, a drop, a dialog's text, an imported meter file) has its line breaks
// made CR LF by FinsDeLigneProgramme, the one place that says what a line break is.
bool EstSautDeLigne(QChar c);
// Every line break (CR LF counts as one) becomes CR LF.
QString FinsDeLigneProgramme(const QString& texte);
// The text holds a line break other than CR and LF.
bool ASautsEtrangers(const QString& texte);
// The lines of a text that becomes program text, split at every line break; a final line end does
// not make an empty last line.
QStringList LignesDuProgramme(const QString& texte);

class EditeurTexte {
 public:
  virtual ~EditeurTexte() = default;
  virtual QString Text() const = 0;  // lines joined with CR LF
  virtual void SetText(const QString& texte) = 0;
  virtual int SelStart() const = 0;
  virtual void SetSelStart(int pos) = 0;  // clamped to the text; collapses the selection
  virtual int SelLength() const = 0;
  virtual void SetSelLength(int longueur) = 0;  // clamped to the text
  virtual QString SelText() const = 0;
  virtual void SetSelText(const QString& texte) = 0;  // replaces the selection, or inserts
  virtual void SetSelColor(uint32_t couleur) = 0;     // colour of the selection and of what is typed next
  virtual uint32_t SelColor() const = 0;
  virtual int LigneDePosition(int pos) const = 0;  // 0-based line of a position (GetLineFromChar)
  virtual int DebutLigne(int ligne) const = 0;     // position where a 0-based line starts; -1 past the end
  virtual int LongueurLigne(int pos) const = 0;    // length of the line holding a position
  virtual int NbLignes() const = 0;
  // The 1-based position of the line end of the line holding a 0-based position: where a statement
  // that a command rewrote now ends, also when it starts inside its line (after a THEN).
  int FinLigne(int pos) const {
    return std::max(0, DebutLigne(LigneDePosition(pos))) + 1 + LongueurLigne(pos);
  }
  virtual void PrendFocus() {}
  // Recolours the statement at the caret when it is marked for it (the GUI editor does).
  virtual void ColoreInstruction() {}

  // While false, changes the program makes to the text do not mark the document as modified.
  bool SuiviModif = true;
};

// The same model over a QTextDocument, with no widget: used by the headless runner and the tests,
// and by the GUI editor over its own document.
class EditeurDocument : public EditeurTexte {
 public:
  explicit EditeurDocument(QTextDocument* document = nullptr);  // nullptr: owns a new document
  ~EditeurDocument() override;
  QTextDocument* Document() const { return document_; }

  QString Text() const override;
  void SetText(const QString& texte) override;
  int SelStart() const override { return selStart_; }
  void SetSelStart(int pos) override;
  int SelLength() const override { return selLength_; }
  void SetSelLength(int longueur) override;
  QString SelText() const override;
  void SetSelText(const QString& texte) override;
  void SetSelColor(uint32_t couleur) override;
  uint32_t SelColor() const override;
  int LigneDePosition(int pos) const override;
  int DebutLigne(int ligne) const override;
  int LongueurLigne(int pos) const override;
  int NbLignes() const override;

  // Colour of the character at a position (for tests: a failing statement is marked red).
  uint32_t CouleurA(int pos) const;

 protected:
  // Document position (line break = 1) of an editor position (line break = 2), and back.
  int VersDocument(int pos) const;
  int DepuisDocument(int pos) const;
  int LongueurTexte() const;

  QTextDocument* document_;
  std::unique_ptr<QTextDocument> possede_;
  int selStart_ = 0;
  int selLength_ = 0;
  uint32_t couleurSaisie_ = 0;
};
