// Runs a program as a child process with its standard input fed and its
// standard output taken piece by piece while it runs, so that neither has to
// fit in memory, and reads its peak memory from the kernel afterwards.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

extern char** environ;

namespace txt2csv::testing_support {

struct child_command {
  std::vector<std::string> arguments;  // the program's path first
  std::filesystem::path directory = ".";
  std::vector<std::string> environment;  // NAME=value, over the test's own
  // Writes standard input into the descriptor; absent: empty standard input.
  std::function<void(int)> feed;
  // Takes standard output as it arrives; absent: it is kept in the outcome.
  std::function<void(std::string_view)> take;
  rlim_t address_space_limit = RLIM_INFINITY;
};

struct child_outcome {
  int status = -1;  // the exit status; -1 when a signal ended the child
  std::string out;  // standard output, unless it was taken
  std::string err;
  long peak_rss_kib = 0;
};

// Writes all of `bytes`; false once the reader has gone.
inline bool write_all(int descriptor, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t count = ::write(descriptor, bytes.data(), bytes.size());
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(count));
  }
  return true;
}

inline std::vector<std::string> environment_with(const std::vector<std::string>& changes) {
  std::vector<std::string> result;
  for (char** entry = environ; *entry; ++entry) result.emplace_back(*entry);
  for (const std::string& change : changes) {
    std::string name = change.substr(0, change.find('=') + 1);
    std::erase_if(result, [&](const std::string& entry) { return entry.starts_with(name); });
    result.push_back(change);
  }
  return result;
}

inline child_outcome run_child(const child_command& command) {
  // A child that stops reading early must not end the test through SIGPIPE.
  ::signal(SIGPIPE, SIG_IGN);

  // Everything the child needs is made before the fork: after it, only system calls.
  std::vector<std::string> environment = environment_with(command.environment);
  std::vector<char*> argv, envp;
  for (const std::string& argument : command.arguments)
    argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  for (const std::string& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
  envp.push_back(nullptr);
  const std::string directory = command.directory.string();
  int input[2], output[2], error[2];
  if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0 ||
      ::pipe2(error, O_CLOEXEC) != 0)
    return {};

  pid_t child = ::fork();
  if (child == 0) {
    struct sigaction default_action {};
    default_action.sa_handler = SIG_DFL;
    ::sigaction(SIGPIPE, &default_action, nullptr);
    ::dup2(input[0], STDIN_FILENO);
    ::dup2(output[1], STDOUT_FILENO);
    ::dup2(error[1], STDERR_FILENO);
    struct rlimit limit {command.address_space_limit, command.address_space_limit};
    if (::chdir(directory.c_str()) != 0 || ::setrlimit(RLIMIT_AS, &limit) != 0) ::_exit(126);
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  ::close(input[0]);
  ::close(output[1]);
  ::close(error[1]);

  child_outcome outcome;
  std::thread feeder([&] {
    if (command.feed) command.feed(input[1]);
    ::close(input[1]);
  });
  const size_t buffer_size = 1 << 20;
  auto buffer = std::make_unique<char[]>(buffer_size);
  pollfd streams[] = {{output[0], POLLIN, 0}, {error[0], POLLIN, 0}};
  while (streams[0].fd >= 0 || streams[1].fd >= 0) {
    if (::poll(streams, 2, -1) < 0 && errno != EINTR) break;
    for (pollfd& stream : streams) {
      if (stream.fd < 0 || stream.revents == 0) continue;
      ssize_t count = ::read(stream.fd, buffer.get(), buffer_size);
      if (count < 0 && errno == EINTR) continue;
      if (count <= 0) {
        ::close(stream.fd);
        stream.fd = -1;
        continue;
      }
      std::string_view piece(buffer.get(), static_cast<size_t>(count));
      if (&stream == &streams[1])
        outcome.err += piece;
      else if (command.take)
        command.take(piece);
      else
        outcome.out += piece;
    }
  }
  feeder.join();

  int status = 0;
  struct rusage usage {};
  while (::wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
  outcome.peak_rss_kib = usage.ru_maxrss;
  return outcome;
}

}  // namespace txt2csv::testing_support
