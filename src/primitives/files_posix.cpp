// Files on POSIX systems. Where Windows has sharing modes, advisory locks
// stand in: a reader takes a shared lock, so a program that holds an
// exclusive one (a writer) keeps it out; a replacement needs an exclusive
// lock on the old file, so a program that holds any lock on it keeps its file.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <utility>

#include "primitives/files.h"
#include "primitives/file_handles.h"

namespace txt2csv {

namespace {

std::string describe_errno(int error) { return std::strerror(error); }

// Not retried on EINTR: Linux has released the descriptor by then.
bool close_descriptor(int descriptor) { return ::close(descriptor) == 0; }

path temporary_name_beside(const path& target) {
  static std::atomic<unsigned> serial{0};
  std::string name = "." + target.filename().string() + "." + std::to_string(::getpid()) + "." +
                     std::to_string(serial++) + ".tmp";
  return target.parent_path() / name;
}

}  // namespace

std::optional<size_t> read_from(std::intptr_t handle, char* buffer, size_t size,
                                std::string& failure) {
  for (;;) {
    ssize_t count = ::read(static_cast<int>(handle), buffer, size);
    if (count >= 0) return static_cast<size_t>(count);
    if (errno != EINTR) {
      failure = describe_errno(errno);
      return std::nullopt;
    }
  }
}

bool write_to(std::intptr_t handle, std::string_view bytes, std::string& failure) {
  while (!bytes.empty()) {
    ssize_t count = ::write(static_cast<int>(handle), bytes.data(), bytes.size());
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      failure = count < 0 ? describe_errno(errno) : "nothing could be written";
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(count));
  }
  return true;
}

bool seek_to(std::intptr_t handle, std::int64_t offset, std::string& failure) {
  if (::lseek(static_cast<int>(handle), offset, SEEK_SET) == offset) return true;
  failure = describe_errno(errno);
  return false;
}

bool file_exists(const path& name) {
  struct stat info;
  return !name.empty() && ::lstat(name.c_str(), &info) == 0;
}

input_file::input_file(const path& name) {
  int descriptor = name.empty() ? -1 : ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  if (descriptor < 0) {
    int error = name.empty() ? ENOENT : errno;
    status_ = (error == ENOENT || error == ENOTDIR) ? open_status::missing : open_status::unreadable;
    failure_ = describe_errno(error);
    return;
  }
  struct stat info;
  if (::fstat(descriptor, &info) != 0 || S_ISDIR(info.st_mode)) {
    failure_ = S_ISDIR(info.st_mode) ? "it is a directory" : describe_errno(errno);
    close_descriptor(descriptor);
    return;
  }
  if (::flock(descriptor, LOCK_SH | LOCK_NB) != 0) {
    failure_ = errno == EWOULDBLOCK ? "another program is writing it" : describe_errno(errno);
    close_descriptor(descriptor);
    return;
  }
  handle_ = descriptor;
  status_ = open_status::opened;
  note_start();
}

input_file input_file::standard_input() {
  input_file input;
  input.handle_ = STDIN_FILENO;
  input.owns_handle_ = false;
  input.status_ = open_status::opened;
  input.note_start();
  return input;
}

void input_file::note_start() {
  struct stat info;
  const int descriptor = static_cast<int>(handle_);
  if (::fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode))
    start_offset_ = ::lseek(descriptor, 0, SEEK_CUR);
}

input_file::~input_file() {
  if (handle_ != -1 && owns_handle_) close_descriptor(static_cast<int>(handle_));
}

output_file output_file::replacing(const path& target) {
  output_file output;
  output.target_ = target;
  if (target.empty() || !target.has_filename()) {
    output.failed_ = true;
    output.failure_ = "no file name";
    return output;
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    path candidate = temporary_name_beside(target);
    int descriptor =
        ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (descriptor >= 0) {
      output.handle_ = descriptor;
      output.temporary_ = candidate;
      return output;
    }
    if (errno != EEXIST) break;
  }
  output.failed_ = true;
  output.failure_ = describe_errno(errno);
  return output;
}

output_file output_file::standard_output() {
  output_file output;
  output.handle_ = STDOUT_FILENO;
  output.owns_handle_ = false;
  return output;
}

output_file::~output_file() { discard(); }

void output_file::discard() {
  if (handle_ != -1 && owns_handle_) close_descriptor(static_cast<int>(handle_));
  handle_ = -1;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

bool output_file::commit() {
  if (failed_ || handle_ == -1) {
    discard();
    return false;
  }
  if (!owns_handle_) {
    handle_ = -1;
    return true;
  }
  // A new file that replaces an old one must be on the disk before it takes
  // its place, or a crash could cost both; a write error that the disk
  // reports late shows up here too. With no old file there is nothing to
  // lose, and the flush would cost as much as the whole conversion.
  int descriptor = static_cast<int>(std::exchange(handle_, -1));
  int error = file_exists(target_) && ::fsync(descriptor) != 0 ? errno : 0;
  if (!close_descriptor(descriptor) && error == 0) error = errno;
  if (error != 0) {
    failure_ = describe_errno(error);
    discard();
    return false;
  }

  // The old file, if any, must be free and writable; its lock is held over
  // the rename so that no program takes it in between.
  int old_file = ::open(target_.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (old_file >= 0) {
    struct stat info;
    const char* refusal = nullptr;
    if (::fstat(old_file, &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0)
      refusal = "it is read-only";
    else if (::flock(old_file, LOCK_EX | LOCK_NB) != 0)
      refusal = "another program holds it open";
    if (refusal) {
      failure_ = refusal;
      close_descriptor(old_file);
      discard();
      return false;
    }
  }
  bool renamed = ::rename(temporary_.c_str(), target_.c_str()) == 0;
  if (!renamed) failure_ = describe_errno(errno);
  if (old_file >= 0) close_descriptor(old_file);
  if (!renamed) {
    discard();
    return false;
  }
  temporary_.clear();
  return true;
}

// Unlinked at once: the file goes with its descriptor, however the program ends.
scratch_file::scratch_file() {
  std::error_code error;
  path directory = std::filesystem::temp_directory_path(error);
  std::string name = ((error ? path("/tmp") : directory) / "txt2csv-XXXXXX").string();
  int descriptor = ::mkostemp(name.data(), O_CLOEXEC);
  if (descriptor < 0) {
    failure_ = describe_errno(errno);
    return;
  }
  ::unlink(name.c_str());
  handle_ = descriptor;
}

scratch_file::~scratch_file() {
  if (handle_ != -1) close_descriptor(static_cast<int>(handle_));
}

}  // namespace txt2csv
