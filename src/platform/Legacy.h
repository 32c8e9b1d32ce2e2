#pragma once

// The string and number runtime the command language was designed on: 1-based text positions,
// the invariant and locale number forms, format patterns and the two roundings. Every module
// calls these; nobody re-implements them. They live in the namespace legacy: a .cpp that calls them
// says `using namespace legacy;` after its includes, a header names them legacy::.

#include <QString>
#include <cstdint>

namespace legacy {

// ---- text positions (1-based) ----
// Mid: start < 1 or len < -1 raise ErreurExecution ("invalid procedure call"); len -1 = to the end.
QString Mid(const QString& s, int start, int len = -1);
QString Left(const QString& s, int len);   // len < 0 raises
QString Right(const QString& s, int len);  // len < 0 raises
// InStr: 1-based position of pat in s at or after start, 0 when absent. start < 1 raises.
// An empty pattern gives start (when start <= len + 1), as the old runtime did; an empty s gives 0.
int InStr(int start, const QString& s, const QString& pat);
inline int InStr(const QString& s, const QString& pat) { return InStr(1, s, pat); }
// InStrRev: last position of pat at or before start (-1 = from the end), 0 when absent.
int InStrRev(const QString& s, const QString& pat, int start = -1);
// InStr(start, UCase(s), mot) for an upper-case word, without the copy.
int InStrMaj(int start, const QString& s, QLatin1String mot);
QString Trim(const QString& s);  // blanks only (not tabs)
QString LTrim(const QString& s);
QString RTrim(const QString& s);
// Length-preserving upper case: a-z and the Windows-1252 accented small letters; the other
// characters of Windows-1252 ("µ", "ß", "ƒ", "§", "°") stay as they are; every other letter of any
// script takes Unicode's one-to-one mapping, whatever the locale (a mapping that would change the
// length, as for "ß", is not made). LCase is its counterpart.
QString UCase(const QString& s);
QChar MajCar(QChar c);  // the upper case of one character, as UCase makes it (none for a surrogate)
QString LCase(const QString& s);
// Whether two texts are one once UCase has made them upper case.
bool MemeMaj(QStringView a, QStringView b);
QString Replace(const QString& s, const QString& what, const QString& by);  // empty 'what' = unchanged
QString Chaine(int n, QChar c);                                             // String(n, c)

// ---- numbers from text ----
// Val: leading blanks skipped, optional sign, digits with "." and an exponent (E or D); stops at
// the first character that cannot continue the number; "&H" hex and "&O" octal; no number = 0.
double Val(const QString& s);
double Val(QStringView s);
// Val for a plain decimal number only: leading blanks skipped, optional sign, digits, "." and an
// optional "E" exponent; no "&H" or "&O", no "D" exponent; no number = 0.
double ValDecimal(const QString& s);
// True when the trimmed text is a number as the old IsNumeric saw it (also accepting the locale's
// decimal separator).
bool EstNumerique(const QString& s);
// A number text the program wrote under any locale, with "." as its decimal point: ",", the Arabic
// "٫" (the separators the locales write besides ".") and the locale's own become ".". Only for texts
// where none of them separates fields.
QString PointDecimal(const QString& s);

// ---- numbers to text ----
// Invariant form: "." decimal point, no leading zero (".5", "-.25"), no leading blank,
// 15 significant digits for a Double, 7 for a Single, exponent form beyond ("1E-05", "1E+15").
QString TexteNombre(double v);
QString TexteNombre(float v);
// Str form: as TexteNombre with a leading blank for values >= 0.
QString StrNombre(double v);
QString StrNombre(float v);
// Locale form (CStr): as TexteNombre with the locale's decimal separator and a zero before it for
// magnitudes below 1 ("0,25"). The locale is QLocale(): the system's unless a default was set.
QString TexteNombreLocal(double v);
QString TexteNombreLocal(float v);
// The locale's decimal separator (what formatting 0 with "#." gives, trimmed).
QString SeparateurDecimal();
// Format patterns of the old runtime: "0", "0.0", "##0.00", "#.#", "#.", "000", "0.00E+00", "0.0E-00",
// "#,##0", "0%", literal text (quoted, after "\" or as it stands) and "positive;negative;zero"
// sections, with the locale's decimal separator in the result; halves away from zero.
QString Format(double v, const QString& motif);
// Format with "." as the decimal point and "," between digit groups, whatever the locale: for the
// numbers the program reads again, and for the texts that always show a point.
QString FormatPoint(double v, const QString& motif);

// ---- rounding and integer conversions ----
double ArrondiPair(double v);             // halves to the even neighbour (CInt/CLng rounding)
double Arrondi(double v);                 // halves away from zero
double Arrondi(double v, int decimales);  // halves away from zero at the given decimals
int16_t VersEntier16(double v);           // halves to even; out of range or NaN raises ("overflow")
int32_t VersEntier32(double v);           // halves to even; out of range or NaN raises ("overflow")
double Fix(double v);                     // toward zero
double Int(double v);                     // toward minus infinity
float VersSingle(double v);               // out of the Single range, NaN or infinity raises ("overflow")

// ---- the seeded pseudo-random sequence (Rnd / Randomize) ----
// Rnd(x): x < 0 restarts the sequence from x; x = 0 repeats the last value; x > 0 or absent
// gives the next one. The sequence is the old runtime's 24-bit linear congruence.
float Rnd(float x = 1.0f);
void Randomize(double graine);
void Randomize();  // seeded from the clock

}  // namespace legacy
