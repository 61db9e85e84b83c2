// Work in a child process without the rights to override file permissions.
#include "support/unprivileged.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace testing_support {

namespace {

// The uid and gid of "nobody"; 65534 as Debian numbers it when the name is
// not known.
std::pair<uid_t, gid_t> nobody() {
  if (const passwd* user = getpwnam("nobody")) return {user->pw_uid, user->pw_gid};
  return {65534, 65534};
}

void give_tree(const std::filesystem::path& tree, uid_t uid, gid_t gid) {
  if (lchown(tree.c_str(), uid, gid) != 0)
    throw std::system_error(errno, std::generic_category(), "lchown " + tree.string());
  for (const auto& entry : std::filesystem::recursive_directory_iterator(tree)) {
    if (lchown(entry.path().c_str(), uid, gid) != 0)
      throw std::system_error(errno, std::generic_category(), "lchown " + entry.path().string());
  }
}

bool write_whole(int fd, const std::string& text) {
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Exit codes of the child that say why it gave up.
constexpr int kCannotDrop = 3;
constexpr int kCannotAnswer = 4;

}  // namespace

std::string run_unprivileged(const std::filesystem::path& tree,
                             const std::function<std::string()>& work) {
  const bool root = geteuid() == 0;
  const auto [uid, gid] = nobody();
  if (root) give_tree(tree, uid, gid);
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) throw std::system_error(errno, std::generic_category(), "pipe");
  const pid_t pid = fork();
  if (pid < 0) throw std::system_error(errno, std::generic_category(), "fork");
  if (pid == 0) {
    ::close(pipe_fds[0]);
    if (root &&
        (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0 || geteuid() == 0))
      _exit(kCannotDrop);
    const std::string answer = work();
    // _exit: nothing of the test's process (its exit hooks, its leak check)
    // runs in the child.
    _exit(write_whole(pipe_fds[1], answer) && ::close(pipe_fds[1]) == 0 ? 0 : kCannotAnswer);
  }
  ::close(pipe_fds[1]);
  std::string answer;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(pipe_fds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    answer.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(pipe_fds[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << "the unprivileged child ended with status " << status << " (exit code "
      << (WIFEXITED(status) ? WEXITSTATUS(status) : -1) << "; " << kCannotDrop
      << ": it could not drop its rights)";
  return answer;
}

}  // namespace testing_support
