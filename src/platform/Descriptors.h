#pragma once

#include <unistd.h>

#include <utility>

// File descriptors left to the process: the toolkit's dialogs start threads and watchers that each
// take some, and where none is left the toolkit ends the process or leaves the dialog blank.

// How many more files the process may open (the free numbers below its limit), counted up to
// `plafond`.
int DescripteursLibres(int plafond);

// Whether a dialog of the toolkit (file, folder, colour, font, printer) can be made; where too few
// descriptors are left, false after telling the user so, with the system's reason and the limit.
bool DescripteursPourDialogue();

// A descriptor closed with its holder.
class Descripteur {
 public:
  explicit Descripteur(int fd = -1) : fd_(fd) {}
  ~Descripteur() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descripteur(Descripteur&& autre) noexcept : fd_(std::exchange(autre.fd_, -1)) {}
  Descripteur& operator=(Descripteur&& autre) noexcept {
    if (this != &autre) {
      if (fd_ >= 0) ::close(fd_);
      fd_ = std::exchange(autre.fd_, -1);
    }
    return *this;
  }
  int fd() const { return fd_; }
  bool Valide() const { return fd_ >= 0; }
  int Lache() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};
