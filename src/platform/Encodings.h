#pragma once

// The encodings of text as bytes and of bytes as text, and their line ends. A file's encoding is
// decided for the whole file, never line by line: UTF-8 when all its bytes are valid UTF-8, else
// Windows-1252 (a Windows-1252 line such as "Fuß²" can be valid UTF-8 by accident). Line ends may
// be CR LF, LF or CR; the text held inside always uses CR LF. A new text (or one of plain ASCII) is
// Windows-1252 when every character fits and the bytes do not happen to form UTF-8, else UTF-8.
// Reading and writing the files themselves is TextFile.h's.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

class QFileDevice;

// The encoding and line ends of a file as read, to write it back the same way.
struct FormeTexte {
  enum class Codage { Neuf, Windows1252, Utf8, Utf8Bom };
  // Neuf: a new file, or one of plain ASCII, which any encoding reads alike.
  Codage codage = Codage::Neuf;
  // The file's first line end; CR LF when it has none.
  QString finLigne = QStringLiteral("\r\n");
};
FormeTexte FormeDe(const QByteArray& octets);
// The form of a file of Morvo's own that takes lines of any character (a journal, a log): UTF-8 with
// its mark from the start, so that every line appended to it later goes in whole, in UTF-8.
FormeTexte FormeUtf8Marquee();

QString DecodeWindows1252(const QByteArray& octets);
// nullopt when a character has no Windows-1252 code.
std::optional<QByteArray> EncodeWindows1252(const QString& texte);
// UTF-8 when the whole is valid UTF-8 (a BOM is dropped), else the whole in Windows-1252.
QString DecodeTexte(const QByteArray& octets);
// The bytes of a whole text in the encoding given, read back so by DecodeTexte: a new text
// (Neuf) or a Windows-1252 one is in Windows-1252 when every character fits and the bytes do not
// all happen to form UTF-8 ("Fuß²" alone), else in UTF-8.
QByteArray EncodeTexte(const QString& texte, FormeTexte::Codage codage = FormeTexte::Codage::Neuf);
// Bytes that one of the two encodings reads as a text: no NUL byte, and valid UTF-8 or free of the
// five bytes Windows-1252 leaves undefined (81, 8D, 8F, 90, 9D). Any other file (a picture, an
// archive, a binary ".dat" of another program) would not come back byte for byte from the editor.
bool EstTexte(const QByteArray& octets);
// Every CR LF, lone LF and lone CR becomes CR LF.
QString NormaliseFinsDeLigne(const QString& texte);
// Lines split on CR LF, LF or CR; a final line end does not make an empty last line.
QStringList DecoupeLignes(const QString& texte);
// Every line break that `saut` tells (CR LF counting as one) becomes CR LF.
template <typename Saut>
QString FinsCrLf(const QString& texte, Saut saut) {
  QString r;
  r.reserve(texte.size() + texte.size() / 16);
  for (qsizetype i = 0; i < texte.size(); ++i) {
    const QChar c = texte[i];
    if (!saut(c)) {
      r += c;
      continue;
    }
    if (c == u'\r' && i + 1 < texte.size() && texte[i + 1] == u'\n') ++i;
    r += QStringLiteral("\r\n");
  }
  return r;
}
// The text with every line end made `fin`.
QString AvecFins(const QString& texte, const QString& fin);

// Strict UTF-8: shortest forms only, no surrogates, nothing above U+10FFFF. Ouverte: valid up to a
// sequence that the bytes end in the middle of, which starts at *debutOuvert.
enum class Utf8 { Valide, Ouverte, Invalide };
Utf8 EtatUtf8(const QByteArray& o, qsizetype* debutOuvert = nullptr);
bool EstUtf8(const QByteArray& o);
bool EstAscii(const QString& t);
bool TientEnAscii(const QByteArray& o);

// What an append must keep of a file: its line ends (those of its start) and its encoding, so that
// the whole file, added text included, reads back as written; nothing already in it is written
// again. A byte foreign to UTF-8 in the first or the last 64 KiB makes it Windows-1252 at once;
// only when neither holds one is the whole file read, in pieces, to tell (its middle may hold
// either encoding):
// - a UTF-8 file takes added text in UTF-8;
// - an ASCII (or new) file takes it in Windows-1252 when every character fits and the bytes do not
//   happen to form UTF-8 ("Fuß²" alone), else in UTF-8: the file then is what it took;
// - a Windows-1252 file takes it in Windows-1252; a text with a character that Windows-1252 lacks
//   is refused with the reason, nothing of it written, since its UTF-8 bytes would read as other
//   characters. So is a text that would finish a UTF-8 sequence the file's last bytes leave open
//   when nothing else in the file is foreign to UTF-8: the whole file would then read as UTF-8.
struct CodageAjout {
  enum class Teneur { Ascii, Utf8, Windows1252 };
  Teneur teneur = Teneur::Ascii;
  QString finLigne = QStringLiteral("\r\n");
  // A UTF-8 sequence that the file's last bytes leave unfinished when nothing else in it is foreign
  // to UTF-8: added bytes that finished it would make the whole file read as UTF-8.
  QByteArray finOuverte;
};

// The bytes of an added text in the file's encoding, which they leave as it was (`c` then holds
// what the file is with them): nullopt, with the reason in *erreur, for a text that a Windows-1252
// file cannot take so.
std::optional<QByteArray> OctetsAjout(const QString& ajout, CodageAjout& c, QString* erreur);
// The bytes of an ASCII text whose line ends are all CR LF, as they stand; nullopt for any other.
std::optional<QByteArray> OctetsAsciiCrLf(const QString& texte);

// What the bytes of a file from the current position to its end tell of their encoding.
struct EtatFlux {
  Utf8 etat = Utf8::Valide;
  bool ascii = true;
  // The UTF-8 sequence that the last bytes leave unfinished, when the state is Ouverte.
  QByteArray finOuverte;
};
// Reads `f` to its end in pieces, holding no more than one of them, and stops at the first byte
// foreign to UTF-8, which settles it. With a `borneLigne`, also at the first line longer than that:
// a reader of lines stops there with an error, and nothing after it is ever read as text. False
// with the system's reason when a read fails.
bool ParcourtUtf8(QFileDevice& f, EtatFlux& e, QString* erreur, qint64 borneLigne = -1);
