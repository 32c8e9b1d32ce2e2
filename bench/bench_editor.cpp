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

}  // namespace
