#pragma once

// The taking back of bytes: a write that fails takes back only what is still this run's own, so
// that no other writer's byte is ever lost.

#include <QtGlobal>
#include <memory>

class QCryptographicHash;
class QString;

// Where the bytes of one output went, write after write, so that a write that fails takes back
// only bytes that are still this run's own: its last bytes, while nothing follows them in the file,
// they still read as written and nobody else has the file open. Whatever stays, as what went into a
// pipe, is told with how much of the output it is.
class PartEcrite {
 public:
  PartEcrite();
  ~PartEcrite();
  PartEcrite(const PartEcrite&) = delete;
  PartEcrite& operator=(const PartEcrite&) = delete;
  // What the descriptor leads to; before its first write.
  void Debute(int fd);
  // A write through `fd` that put these bytes in just now: the file offset stands right after them.
  void Note(int fd, const char* octets, qint64 taille);
  // After a failed write: takes back what may go, and gives what is said after the reason.
  QString Reprend(int fd);

 private:
  bool EncoreLa(int fd) const;

  bool ordinaire_ = false;
  bool tube_ = false;
  qint64 total_ = 0;
  // The last bytes written, one after the other in the file, and their digest.
  qint64 debut_ = -1;
  qint64 fin_ = -1;
  std::unique_ptr<QCryptographicHash> empreinte_;
};
