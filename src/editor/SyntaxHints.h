#pragma once

// The syntax hint of the caret line (Alt+F2): the short syntax text of the line's command, shown
// in a small window beside the editor that stays above the main window without taking the focus.

#include <QString>
#include <QWidget>

class EditeurProgramme;

// The text the hint window shows; the last hint stays until the next one.
extern QString TexteAide;

// The short syntax text of a keyword in the message language ("" is a line without command,
// an unknown word gives the list of commands).
QString SyntaxeCommande(const QString& MotCle);

// The keyword of the line that starts at the 0-based position `debutLigne` of a text with CR LF
// line ends: "COM" for a comment, "SUITE" after a line that ends with " _".
QString MotCleLigne(const QString& texte, int debutLigne);

// The hint window: its text printed from the top-left corner, in Times New Roman 12.
class Form2 : public QWidget {
  Q_OBJECT

 public:
  explicit Form2(QWidget* principale);

  // Sizes the window to TexteAide with 5 mm margins, puts it 5 mm to the left of the editor,
  // centred on the height of the main window's client area, and shows it. `jusquATouche`: it then
  // stays up through the releases of the keys held, until the next key goes down or a button is
  // pressed (the Help menu's entry); otherwise the first key released hides it (Alt+F2).
  void Form_Activate(const QWidget& editeur, bool jusquATouche = false);
  // Hides the window and clears its text, unless it waits for the next key.
  void Form_KeyUp();
  // Hides the window and clears its text.
  void Ferme();

  // The lines shown since the window was last activated (empty while hidden).
  QString TexteAffiche() const { return texte_; }

  // Millimetres per window unit (pixel), measured when the window is created.
  double MmParPixel = 0;

 protected:
  void paintEvent(QPaintEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  bool eventFilter(QObject* objet, QEvent* e) override;

 private:
  QString texte_;
  bool jusquATouche_ = false;
};

// Alt+F2 in the editor: TexteAide becomes CR LF followed by the syntax text of the caret line,
// and the hint window of the main window (created on first use) shows it.
// `jusquATouche`: shown from the Help menu, it stays up until the next key or click.
void AideLigne(EditeurProgramme& editeur, QWidget& principale, bool jusquATouche = false);
// Hides the hint window of the main window, when there is one.
void CacheAideLigne(QWidget& principale);
// The hint window of the main window; nullptr before the first hint.
Form2* FenetreAide(const QWidget& principale);
