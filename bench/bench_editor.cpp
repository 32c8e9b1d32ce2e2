// The program editor on long texts: colouring a whole text of 5,000 lines (Ctrl+K), Replace all
// over 1,000 hits and typing one character, in the editor widget itself.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTextBlock>
#include <QTextCursor>

#include "editor/FindDialog.h"
#include "editor/ProgramEditor.h"
#include "editor/UndoRing.h"
#include "platform/Prompter.h"

namespace {

// A program of `lignes` lines of the usual kinds: commands with comments, If lines, comment lines
// and assignments, in lower case so that colouring rewrites their command words.
QString Programme(int lignes) {
  static const QString modeles[] = {
      QStringLiteral("cadre = 10,10,50,20 ' frame"),
      QStringLiteral("cercle = 0,0,5, Bleu"),
      QStringLiteral("if %a > 2 then trait = 1,2,3,4"),
      QStringLiteral("' a comment line"),
      QStringLiteral("%x = %x + 1"),
      QStringLiteral("texte = 1,1,it's ' no comment"),
      QStringLiteral("poly = 1,2,3,4,5,6 ' end"),
      QStringLiteral("sinon"),
  };
  QString texte;
  for (int i = 0; i < lignes; ++i) {
    if (i > 0) texte += QStringLiteral("\r\n");
    texte += modeles[i % 8];
  }
  return texte;
}

void BM_ColoreTout5000Lignes(benchmark::State& etat) {
  EditeurProgramme editeur;
  editeur.resize(600, 800);
  editeur.show();
  editeur.ChargeTexte(Programme(5000));
  for (auto _ : etat) {
    editeur.ColoreTout();
    benchmark::DoNotOptimize(editeur.document()->blockCount());
  }
  etat.SetItemsProcessed(etat.iterations() * 5000);
}
BENCHMARK(BM_ColoreTout5000Lignes)->Unit(benchmark::kMillisecond);

void BM_ChargeTexte5000Lignes(benchmark::State& etat) {
  EditeurProgramme editeur;
  editeur.resize(600, 800);
  editeur.show();
  const QString texte = Programme(5000);
  for (auto _ : etat) {
    editeur.ChargeTexte(texte);
    benchmark::DoNotOptimize(editeur.document()->blockCount());
  }
  etat.SetItemsProcessed(etat.iterations() * 5000);
}
BENCHMARK(BM_ChargeTexte5000Lignes)->Unit(benchmark::kMillisecond);

void BM_RemplacerTout1000(benchmark::State& etat) {
  ScriptedPrompter reponses;
  DefinitDialogues(&reponses);
  EditeurProgramme editeur;
  editeur.resize(600, 800);
  editeur.show();
  AnneauAnnulation annulation(editeur);
  FrmFind recherche(editeur, annulation);
  const QString texte = Programme(8000);  // 1,000 lines hold "Bleu"
  for (auto _ : etat) {
    etat.PauseTiming();
    editeur.ChargeTexte(texte);
    recherche.Text1->setText(QStringLiteral("Bleu"));
    recherche.Text2->setText(QStringLiteral("Blue"));
    reponses.Efface();
    etat.ResumeTiming();
    recherche.Remplacer_Tout_Click();
  }
  if (reponses.Messages().empty() || reponses.Messages().back().texte != QStringLiteral("1000 remplacements"))
    etat.SkipWithError("Replace all did not make 1000 replacements");
  DefinitDialogues(nullptr);
}
BENCHMARK(BM_RemplacerTout1000)->Unit(benchmark::kMillisecond);

// One character typed, its key press and release through the editor's own event handling with the
// undo ring following the keys as in the main window, at the end of a line in the middle of a
// program of `lignes` lines. Every 100 characters the typed run is taken out again, off the clock.
void TapeDans(benchmark::State& etat, int lignes) {
  EditeurProgramme editeur;
  editeur.resize(600, 800);
  editeur.show();
  AnneauAnnulation annulation(editeur);
  editeur.RegleAnnulation = [&](int code, int shift) { annulation.RegleTouche(code, shift); };
  editeur.TexteCharge = [&] { annulation.Reinitialise(); };
  editeur.ChargeTexte(Programme(lignes));
  // An assignment line ("%x = %x + 1") about the middle.
  const int ligne = lignes / 2 - (lignes / 2) % 8 + 4;
  const QTextBlock bloc = editeur.document()->findBlockByNumber(ligne);
  const int fin = bloc.position() + bloc.length() - 1;
  const auto placeCurseur = [&] {
    QTextCursor c(editeur.document());
    c.setPosition(fin);
    editeur.setTextCursor(c);
  };
  placeCurseur();
  int tapes = 0;
  for (auto _ : etat) {
    QKeyEvent appui(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QCoreApplication::sendEvent(&editeur, &appui);
    QKeyEvent relache(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QCoreApplication::sendEvent(&editeur, &relache);
    if (++tapes == 100) {
      etat.PauseTiming();
      QTextCursor c(editeur.document());
      c.setPosition(fin);
      c.setPosition(fin + tapes, QTextCursor::KeepAnchor);
      c.removeSelectedText();
      placeCurseur();
      tapes = 0;
      etat.ResumeTiming();
    }
  }
  if (editeur.document()->blockCount() != lignes) etat.SkipWithError("the typing changed the line count");
}

void BM_TypingInto5000Lines(benchmark::State& etat) { TapeDans(etat, 5000); }
BENCHMARK(BM_TypingInto5000Lines)->Unit(benchmark::kMillisecond);

void BM_TypingInto100Lines(benchmark::State& etat) { TapeDans(etat, 100); }
BENCHMARK(BM_TypingInto100Lines)->Unit(benchmark::kMillisecond);

// An editor with the undo ring wired as in the main window, holding a program of `lignes` lines
// with the caret at the end of an assignment line about the middle.
struct EditeurAvecAnneau {
  explicit EditeurAvecAnneau(int lignes) : annulation(editeur) {
    editeur.resize(600, 800);
    editeur.show();
    editeur.Defaire = [this] { annulation.Defaire(); };
    editeur.Refaire = [this] { annulation.Refaire(); };
    editeur.RegleAnnulation = [this](int code, int shift) { annulation.RegleTouche(code, shift); };
    editeur.TexteCharge = [this] { annulation.Reinitialise(); };
    editeur.ChargeTexte(Programme(lignes));
    const QTextBlock bloc = editeur.document()->findBlockByNumber(lignes / 2 - (lignes / 2) % 8 + 4);
    QTextCursor c(editeur.document());
    c.setPosition(bloc.position() + bloc.length() - 1);
    editeur.setTextCursor(c);
  }
  void Touche(int touche, const QString& texte, Qt::KeyboardModifiers mod = Qt::NoModifier) {
    QKeyEvent appui(QEvent::KeyPress, touche, mod, texte);
    QCoreApplication::sendEvent(&editeur, &appui);
    QKeyEvent relache(QEvent::KeyRelease, touche, mod, texte);
    QCoreApplication::sendEvent(&editeur, &relache);
  }
  EditeurProgramme editeur;
  AnneauAnnulation annulation;
};

// Typing, Backspace and Enter in turn, so that every key opens an undo step: a letter, Backspace
// (it goes), Enter, Backspace (the line break goes). Time per key.
void TapeEtEfface(benchmark::State& etat, int lignes) {
  EditeurAvecAnneau e(lignes);
  int n = 0;
  for (auto _ : etat) {
    switch (n++ % 4) {
      case 0:
        e.Touche(Qt::Key_A, QStringLiteral("a"));
        break;
      case 2:
        e.Touche(Qt::Key_Return, QStringLiteral("\r"));
        break;
      default:
        e.Touche(Qt::Key_Backspace, QStringLiteral("\b"));
        break;
    }
  }
  if (e.editeur.document()->blockCount() < lignes || (n >= 8 && e.annulation.NbAnnul() < 5))
    etat.SkipWithError("the keys did not open their undo steps");
}

void BM_TypingAndErasingInto5000Lines(benchmark::State& etat) { TapeEtEfface(etat, 5000); }
BENCHMARK(BM_TypingAndErasingInto5000Lines)->Unit(benchmark::kMillisecond);

void BM_TypingAndErasingInto100Lines(benchmark::State& etat) { TapeEtEfface(etat, 100); }
BENCHMARK(BM_TypingAndErasingInto100Lines)->Unit(benchmark::kMillisecond);

// One Ctrl+Z that takes back a typed word, at 5,000 lines; the typing is off the clock.
void BM_UndoIn5000Lines(benchmark::State& etat) {
  EditeurAvecAnneau e(5000);
  const QString avant = e.editeur.toPlainText();
  for (auto _ : etat) {
    etat.PauseTiming();
    e.Touche(Qt::Key_Space, QStringLiteral(" "));
    e.Touche(Qt::Key_B, QStringLiteral("b"));
    etat.ResumeTiming();
    e.Touche(Qt::Key_Z, QString(), Qt::ControlModifier);
  }
  if (e.editeur.toPlainText() != avant) etat.SkipWithError("the undo did not take the typed word back");
}
BENCHMARK(BM_UndoIn5000Lines)->Unit(benchmark::kMillisecond);

}  // namespace
