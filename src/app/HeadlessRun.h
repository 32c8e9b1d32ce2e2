#pragma once

// A run with no window: the screen is an offscreen image behind a recording surface, the editor a
// document model and the dialogs answer from a queue. Used by morvo-run, the tests and the
// benchmarks; it runs a program exactly as the screen's run request does.

#include <QStringList>
#include <functional>
#include <memory>

#include "platform/EditorText.h"
#include "platform/Host.h"
#include "platform/PainterSurface.h"
#include "platform/Prompter.h"
#include "platform/RecordingSurface.h"

class SessionHeadless : public Hote {
 public:
  SessionHeadless(int largeur = 1000, int hauteur = 700, double dpi = 96.0);
  ~SessionHeadless() override;

  OutputSurface* Ecran() override { return enregistre_ ? static_cast<OutputSurface*>(&ecran_) : &image_; }
  OutputSurface* Imprimante() override { return imprimante_.get(); }
  EditeurTexte* Editeur() override { return &editeur_; }

  // Answers for the dialogs, in order.
  void AjouteReponse(const QString& reponse) { prompteur_.Scripte().AjouteReponse(reponse); }
  // Puts the program into the editor and runs it as the screen's run request does.
  void Execute(const QString& programme);
  // Takes the measures of the PDF printer, as the desktop measures its printer before the first
  // run: pen widths in pixels are its pixels.
  static void MesureImprimantePdf();
  // The print run onto a PDF file (A4) at the print factor of ZoomIniI, recorded like the screen
  // run. False when the PDF cannot be written whole (the reason in *erreur when given), or when
  // `abandon` says so once the print run is over (the reason then left empty); an old file then
  // stays as it was.
  bool ImprimePdf(const QString& fichierPdf, QString* erreur = nullptr,
                  const std::function<bool()>& abandon = {});
  // The print run onto a recording surface alone, of an A4 page at that resolution, answering as
  // the printer does.
  void ImprimeEnregistre(double dpi = 600.0);

  // Without the recorder the runs draw onto the image alone, as the desktop's screen does (no log
  // of what was drawn); the benchmarks measure both ways.
  void SansEnregistrement();
  // The log written as the runs draw into 'flux' (the runner's log file) instead of kept: the
  // recorders keep no primitive and Journal() gives nothing. TermineJournal() adds the "var"
  // entries once the runs are over.
  void JournalVers(FluxJournal* flux);
  void TermineJournal();

  EditeurDocument& Document() { return editeur_; }
  RecordingSurface& Enregistrement() { return ecran_; }
  const QImage& Image() const { return image_.Image(); }
  ScriptedPrompter& Prompteur() { return prompteur_.Scripte(); }
  // The log: primitives and dialogs in the order they happened, then the variables of levels 0
  // and 1 ("var" entries).
  QStringList Journal();
  // The "var" entries alone.
  static QStringList JournalVariables();

 private:
  // Passes dialogs to the scripted prompter, first moving what was drawn so far into the log so
  // that the log keeps the order a user saw.
  class PrompteurJournal : public Prompter {
   public:
    explicit PrompteurJournal(SessionHeadless& s) : session_(s) {}
    Reponse MsgBox(const QString& texte, Boutons boutons, const QString& titre, Icone icone,
                   int defaut) override;
    std::optional<QString> InputBox(const QString& invite, const QString& titre,
                                    const QString& defaut) override;
    ScriptedPrompter& Scripte() { return scripte_; }

   private:
    SessionHeadless& session_;
    ScriptedPrompter scripte_;
  };

  void VideEnregistrements();
  // A dialog's entry, in the log's order.
  void AjouteEntree(const QString& entree);
  // The print run on a recorder of that page size passing each primitive on to 'cible' (none: the
  // recorder answers as the printer).
  void ImprimeSur(int largeur, int hauteur, double dpi, OutputSurface* cible);

  PainterSurface image_;
  RecordingSurface ecran_;
  EditeurDocument editeur_;
  PrompteurJournal prompteur_;
  std::unique_ptr<RecordingSurface> imprimante_;
  std::unique_ptr<PainterSurface> pdf_;
  QStringList journal_;
  FluxJournal* flux_ = nullptr;
  int luEcran_ = 0;
  int luImprimante_ = 0;
  bool enregistre_ = true;
};
