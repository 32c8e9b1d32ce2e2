#pragma once

// The parameter fields of a program line and the small text and number helpers shared with the
// rest of the program. Positions are 1-based; a negative field number n asks for the text from
// field |n| to the end and is written back positive.

#include <QString>
#include <cstdint>
#include <optional>

QString ParamN(const QString& texte, int& n);
QString SousParamN(const QString& texte, int& n);
QString ChampN(const QString& texte, int& n, const QString& separateur);
QString ParamBrutN(const QString& texte, int& n);
// Value overloads for callers that pass a constant field number.
inline QString ParamN(const QString& texte, int&& n) { return ParamN(texte, n); }
inline QString SousParamN(const QString& texte, int&& n) { return SousParamN(texte, n); }
inline QString ChampN(const QString& texte, int&& n, const QString& s) { return ChampN(texte, n, s); }
inline QString ParamBrutN(const QString& texte, int&& n) { return ParamBrutN(texte, n); }

// The value of field n (evaluated), or nullopt (Empty) for an empty or missing field.
std::optional<double> LitParam(const QString& texte, int n);
// The value of field n of a list separated by SepParam or blanks, or nullopt.
std::optional<double> ValeurChamp(const QString& texte, int n);
void ResteParams(QString& texte, int n);
int NbParams(const QString& texte);
int NbSousParams(const QString& texte);
QString NomCommande(const QString& texte);
QString MotN(const QString& texte, int& n);
inline QString MotN(const QString& texte, int&& n) { return MotN(texte, n); }
int CompteOccurrences(const QString& texte, const QString& motif);
int16_t MaxEntier(float a, float b);
float Mini(double a, double b);
float Maxi(double a, double b);

// The parse record of LitParam, kept between calls.
struct AnalyseParamT {
  int NumChamp = 0, DebutChamp = 0, FinChamp = 0, LongChamp = 0;
  QString TexteChamp;
};
extern AnalyseParamT AnalyseParam;

// A run error about field n of a parameter text, quoting what it holds; the field is numbered
// when the text is the statement's.
[[noreturn]] void ErreurChampN(const QString& texte, int n, const QString& raison);
// A run error about a text of the statement: numbered as the first field that holds it whole.
[[noreturn]] void ErreurContenu(const QString& contenu, const QString& raison);

// " : non initialisée / not initialized / nicht initialisiert" and two CR LF.
QString TexteNonInitialise();
// The unknown-variable detail: the text, " : non initialisée / not initialized / nicht
// initialisiert" and two CR LF.
[[noreturn]] void ErreurNonInitialisee(const QString& texte);
