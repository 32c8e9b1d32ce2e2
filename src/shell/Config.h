#pragma once

// The configuration file "Morvo.cfg": its folder, its default contents, the reading of its keys
// at start-up and the rewriting of one key at a time.

#include <QString>
#include <array>
#include <cstdint>

// "Morvo.cfg"; the backup used while a key is rewritten is "Morvo$cfg.old".
extern QString NomFicConfig;
// The current folder at start-up and the configuration folder, both ending in "/".
extern QString RepDepart;
extern QString RepConfig;
// Frozen: read but never written until the program ends.
extern bool ConfigFigee;
// The program's folder cannot be written to (the set-up and template copies look elsewhere).
extern bool DossierVirtualise;

// Values read from the keys.
extern QString FichierDat;          // "FichierDat =": the last program file
extern bool DoubleClic;             // "DoubleClic =": the double-click option is checked
extern int16_t Patchs;              // "Patchs =": the mask of behaviour switches
extern std::array<bool, 15> Patch;  // Patch[k]: bit k of Patchs, k from 0 to 13
extern float TailleCarCode;         // "TailleCarCode =": editor font size, 0 when absent
extern QString ImprimanteChoisie;   // "Imprimante =": the printer chosen with File > Printer
// "Zmm =" goes into Shell.FacteurMm (platform/Host.h).

// $XDG_CONFIG_HOME/Morvo (default ~/.config/Morvo), created when missing; no trailing "/".
QString DossierConfig();
// RepConfig + NomFicConfig.
QString CheminConfig();

// Chooses the configuration folder: the start folder when it holds "Morvo.cfg", else
// DossierConfig(). Sets RepConfig (RepDepart must be set) and DossierVirtualise from the
// program folder.
void ChoisitDossierConfig(const QString& repProgramme);
// The default file's lines (header first).
QString TexteConfigDefaut();
// Writes the default file when the configuration folder holds none. False on failure (the user
// has been told).
bool CreeConfigDefaut();
// Reads every key of the file into the state above and the language settings. A missing or
// unreadable file keeps the defaults and tells the user (once per run); false then.
bool LitConfig();
// Applies one line of the file (a comment line is skipped).
void LitLigneConfig(const QString& ligne);
// The first line of the file; empty when it cannot be read.
QString PremiereLigneConfig();

// Writes the line cle + valeur into the file, replacing every line that starts with the key
// (without regard to case) or adding it; "LangueMasq =" is placed before the "FichierDat =" line
// when there is one. The header line names the running version. Nothing is written while the
// configuration is frozen (true is returned). The rewrite keeps "Morvo$cfg.old" until the new
// file is in place; on failure the old file stays, the user is told once, false is returned.
bool EcritConfig(const QString& cle, const QString& valeur);

// Fills Patch from the mask.
void DecodePatchs(int16_t masque);

// While true, SignaleErreurConfig writes on standard error instead of showing a box: a close
// asked by a signal has nobody to answer a box, and must end.
extern bool ErreurConfigSurStderr;

// Tells the user, once per run, that the configuration file cannot be read (the defaults stay in
// force) or written (with the system's reason).
void SignaleErreurConfig(const QString& chemin, bool ecriture = false, const QString& raison = QString());

// Back to the values before start-up (languages included).
void RazEtatConfig();
