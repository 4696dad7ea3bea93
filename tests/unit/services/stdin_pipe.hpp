#pragma once

#include <unistd.h>

#include <string_view>

namespace marlguide::services::testing {

// Replaces this process's standard input by a pipe that stays open until the object goes,
// so that a child inheriting it would wait for input instead of seeing its end.
class StdinPipe {
 public:
  StdinPipe() {
    saved_ = ::dup(0);
    if (::pipe(fds_) == 0) ::dup2(fds_[0], 0);
  }
  StdinPipe(const StdinPipe&) = delete;
  StdinPipe& operator=(const StdinPipe&) = delete;
  ~StdinPipe() {
    ::dup2(saved_, 0);
    ::close(saved_);
    ::close(fds_[0]);
    ::close(fds_[1]);
  }
  void write(std::string_view text) { (void)!::write(fds_[1], text.data(), text.size()); }

 private:
  int saved_ = -1;
  int fds_[2] = {-1, -1};
};

}  // namespace marlguide::services::testing
