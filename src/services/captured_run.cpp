#include "services/captured_run.hpp"

#include <glib-unix.h>
#include <glib.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace marlguide::services {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// How often a running child is asked whether it has ended.
constexpr auto kPollInterval = 50ms;

struct Fd {
  int fd = -1;
  explicit Fd(int f) : fd(f) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() { reset(); }
  void reset() {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  bool open() const { return fd >= 0; }
};

// One read per call, so that a child that writes without pause cannot keep the caller
// from looking at the clock. The pipe is closed at its end or on a read error; what was read
// before an error is kept.
void read_once(Fd& pipe, std::string& into) {
  char buf[65536];
  while (pipe.open()) {
    const ssize_t n = ::read(pipe.fd, buf, sizeof buf);
    if (n > 0) {
      into.append(buf, static_cast<std::size_t>(n));
      return;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
    pipe.reset();
  }
}

// Waits up to `timeout` for either pipe to have data or to close, or for the child to end
// (when its pidfd is open), then reads what is there. Closed descriptors are left out of the
// wait, so with nothing left to watch this is a plain sleep.
void pump(Fd& out, Fd& err, const Fd& child, CommandOutput& result,
          std::chrono::milliseconds timeout) {
  pollfd fds[3] = {{out.fd, POLLIN, 0}, {err.fd, POLLIN, 0}, {child.fd, POLLIN, 0}};
  const int n = ::poll(fds, 3, static_cast<int>(timeout.count()));
  if (n <= 0) return;
  if (fds[0].revents != 0) read_once(out, result.stdout);
  if (fds[1].revents != 0) read_once(err, result.stderr);
}

std::chrono::milliseconds until(Clock::time_point t) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(t - Clock::now());
  return left > 0ms ? left : 0ms;
}

}  // namespace

CommandOutput run_captured(std::string_view program, const std::vector<std::string>& args,
                           std::chrono::milliseconds limit) {
  CommandOutput result;

  std::vector<gchar*> argv;
  const std::string program_text(program);
  argv.push_back(const_cast<gchar*>(program_text.c_str()));
  for (const auto& a : args) argv.push_back(const_cast<gchar*>(a.c_str()));
  argv.push_back(nullptr);

  std::unique_ptr<gchar*, decltype(&g_strfreev)> envp(g_get_environ(), g_strfreev);
  envp.reset(g_environ_setenv(envp.release(), "LC_ALL", "C", TRUE));
  envp.reset(g_environ_setenv(envp.release(), "LANG", "C", TRUE));

  // GLib forks and execs safely; the child is ours to reap, so no GLib child watch races us.
  GPid pid = 0;
  int out_fd = -1, err_fd = -1;
  GError* error = nullptr;
  const auto flags = static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD |
                                              G_SPAWN_STDIN_FROM_DEV_NULL | G_SPAWN_CLOEXEC_PIPES);
  if (!g_spawn_async_with_pipes_and_fds(nullptr, argv.data(), envp.get(), flags, nullptr, nullptr,
                                        -1, -1, -1, nullptr, nullptr, 0, &pid, nullptr, &out_fd,
                                        &err_fd, &error)) {
    g_clear_error(&error);
    return result;
  }
  Fd out(out_fd), err(err_fd);
  g_unix_set_fd_nonblocking(out.fd, TRUE, nullptr);
  g_unix_set_fd_nonblocking(err.fd, TRUE, nullptr);

  // Readable once the child has ended, which wakes the wait below at once; where pidfds are
  // not available the wait falls back to the poll interval.
  const Fd child(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));

  const auto deadline = Clock::now() + limit;
  bool reaped = false;
  // Both pipes are drained while the child runs, so a child writing more than a pipe holds
  // never stalls; the child is asked whether it has ended at least every poll interval.
  for (;;) {
    int status = 0;
    const pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == pid) {
      result.success = status == 0;
      reaped = true;
      break;
    }
    if (r < 0 && errno != EINTR) {
      // Whatever took the child from us, its end is unknown.
      reaped = true;
      break;
    }
    const auto left = until(deadline);
    if (left == 0ms) break;
    pump(out, err, child, result, std::min<std::chrono::milliseconds>(left, kPollInterval));
  }
  if (!reaped) {
    ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  // The child has ended; what remains in the pipes is read until their end, unless the time
  // is up (a descendant may still hold them open).
  const Fd ended(-1);
  while ((out.open() || err.open()) && until(deadline) > 0ms)
    pump(out, err, ended, result, until(deadline));
  read_once(out, result.stdout);
  read_once(err, result.stderr);
  g_spawn_close_pid(pid);
  return result;
}

}  // namespace marlguide::services
