#pragma once

// A command's mask (texts 301 to 370 of the string table, the F2 dialog's field list) cut into
// its parts, for those that name the fields without the dialog: the help's reference and the
// run-error detail.

#include <QString>
#include <optional>
#include <vector>

// A field of a mask: its label, optional or not.
struct Champ {
  QString libelle;
  bool facultatif = false;
};

// The description, the fields ("§" sub-fields after the first of each), and the comment shown
// under them.
struct MasqueDecoupe {
  QString description;
  std::vector<std::vector<Champ>> champs;
  QString commentaire;
};

// nullopt for an empty mask or "." (a command that has none).
std::optional<MasqueDecoupe> DecoupeMasque(QString texte);
