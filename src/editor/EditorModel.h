#pragma once

#include <cstdint>

#include "platform/EditorText.h"

class EditeurProgramme;

// The program editor's text as the interpreter sees it. The selection is the widget's cursor:
// read from it before every use, written back after every change.
class ModeleEditeur : public EditeurDocument {
 public:
  explicit ModeleEditeur(EditeurProgramme& editeur);

  void SetText(const QString& texte) override;
  int SelStart() const override;
  void SetSelStart(int pos) override;
  int SelLength() const override;
  void SetSelLength(int longueur) override;
  QString SelText() const override;
  void SetSelText(const QString& texte) override;
  void SetSelColor(uint32_t couleur) override;
  uint32_t SelColor() const override;
  int LigneDePosition(int pos) const override;
  int DebutLigne(int ligne) const override;
  int LongueurLigne(int pos) const override;
  void PrendFocus() override;
  void ColoreInstruction() override;

  int Longueur() const { return LongueurTexte(); }

 private:
  bool CurseurDeplace() const;
  uint32_t CouleurAuCurseur() const;
  void Lit();
  void Applique();

  EditeurProgramme& editeur_;
  // The widget's cursor (document positions) as this model last wrote or read it.
  int ancre_ = 0;
  int position_ = 0;
};
