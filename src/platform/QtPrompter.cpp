#include "platform/QtPrompter.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

QString TitreFenetre(const QString& titre) { return titre.isEmpty() ? QStringLiteral("Morvo") : titre; }

}  // namespace

QWidget* QtPrompter::Parent() const { return parent_ ? parent_ : QApplication::activeWindow(); }

Reponse QtPrompter::MsgBox(const QString& texte, Boutons boutons, const QString& titre) {
  QMessageBox boite(QMessageBox::NoIcon, TitreFenetre(titre), texte, QMessageBox::NoButton, Parent());
  QAbstractButton* premier = nullptr;
  QAbstractButton* annuler = nullptr;
  switch (boutons) {
    case Boutons::Ok:
      premier = boite.addButton(QMessageBox::Ok);
      boite.setEscapeButton(premier);
      break;
    case Boutons::OkAnnuler:
      premier = boite.addButton(QMessageBox::Ok);
      annuler = boite.addButton(QMessageBox::Cancel);
      break;
    case Boutons::OuiNon:
      premier = boite.addButton(QMessageBox::Yes);
      boite.addButton(QMessageBox::No);
      break;
    case Boutons::OuiNonAnnuler:
      premier = boite.addButton(QMessageBox::Yes);
      boite.addButton(QMessageBox::No);
      annuler = boite.addButton(QMessageBox::Cancel);
      break;
  }
  boite.setDefaultButton(qobject_cast<QPushButton*>(premier));
  if (annuler) boite.setEscapeButton(annuler);
  boite.exec();
  switch (boite.standardButton(boite.clickedButton())) {
    case QMessageBox::Ok:
      return Reponse::Ok;
    case QMessageBox::Yes:
      return Reponse::Oui;
    case QMessageBox::No:
      return Reponse::Non;
    case QMessageBox::Cancel:
      return Reponse::Annuler;
    default:
      // Closed without a button: Cancel where there is one, else the default button.
      if (annuler) return Reponse::Annuler;
      return boutons == Boutons::OuiNon ? Reponse::Oui : Reponse::Ok;
  }
}

std::optional<QString> QtPrompter::InputBox(const QString& invite, const QString& titre,
                                            const QString& defaut) {
  QInputDialog dialogue(Parent());
  dialogue.setWindowTitle(TitreFenetre(titre));
  dialogue.setLabelText(invite);
  dialogue.setTextValue(defaut);
  if (dialogue.exec() != QDialog::Accepted) return std::nullopt;
  return dialogue.textValue();
}
