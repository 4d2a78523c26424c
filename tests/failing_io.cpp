// A fault injector for the file layer, loaded into a program under test with
// LD_PRELOAD. TXT2CSV_FAULT chooses one fault for the whole run; it strikes
// regular files only, so pipes and terminals work as usual:
//   write:N:ERRNO  writes succeed for N bytes in all, the last of them short,
//                  then fail with ERRNO (a disk that fills up: ENOSPC)
//   read:N:ERRNO   the same for reads
//   fsync:ERRNO    fsync fails
//   close:ERRNO    closing a file opened for writing fails; as on Linux, the
//                  descriptor is released all the same
//   rename:ERRNO   rename fails
//   thread:ERRNO   no thread can be started (pthread_create fails)
//   short:N        no failure: every read and write moves at most N bytes
//   interrupt      no failure: every other read and write is interrupted by a
//                  signal (EINTR) before it moves a byte
// Without TXT2CSV_FAULT, or with "none", every call goes through unchanged.
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

enum class fault_kind {
  none, write, read, fsync, close, rename, thread, short_transfers, interrupt
};

struct fault {
  fault_kind kind = fault_kind::none;
  size_t bytes = 0;
  int error = 0;
};

[[noreturn]] void refuse(const char* setting) {
  std::fprintf(stderr, "failing_io: cannot understand TXT2CSV_FAULT=%s\n", setting);
  std::abort();
}

int error_named(std::string_view name, const char* setting) {
  const struct {
    std::string_view name;
    int error;
  } errors[] = {{"EIO", EIO},       {"ENOSPC", ENOSPC}, {"EDQUOT", EDQUOT},
                {"EACCES", EACCES}, {"EXDEV", EXDEV},   {"EROFS", EROFS},
                {"EAGAIN", EAGAIN}};
  for (const auto& known : errors)
    if (known.name == name) return known.error;
  refuse(setting);
}

fault parse(const char* setting) {
  if (!setting || std::string_view(setting) == "none") return {};
  const struct {
    std::string_view name;
    fault_kind kind;
    bool has_bytes;
    bool has_error;
  } kinds[] = {{"write", fault_kind::write, true, true},
               {"read", fault_kind::read, true, true},
               {"fsync", fault_kind::fsync, false, true},
               {"close", fault_kind::close, false, true},
               {"rename", fault_kind::rename, false, true},
               {"thread", fault_kind::thread, false, true},
               {"short", fault_kind::short_transfers, true, false},
               {"interrupt", fault_kind::interrupt, false, false}};
  std::string_view rest = setting;
  auto next_part = [&] {
    std::string_view part = rest.substr(0, rest.find(':'));
    rest.remove_prefix(std::min(rest.size(), part.size() + 1));
    return part;
  };
  std::string_view name = next_part();
  for (const auto& known : kinds) {
    if (known.name != name) continue;
    fault chosen{known.kind, 0, 0};
    if (known.has_bytes) {
      std::string_view count = next_part();
      if (count.empty() || count.find_first_not_of("0123456789") != std::string_view::npos)
        refuse(setting);
      chosen.bytes = std::strtoull(std::string(count).c_str(), nullptr, 10);
    }
    if (known.has_error) chosen.error = error_named(next_part(), setting);
    if (!rest.empty()) refuse(setting);
    return chosen;
  }
  refuse(setting);
}

const fault& armed() {
  static const fault chosen = parse(std::getenv("TXT2CSV_FAULT"));
  return chosen;
}

template <typename function>
function* next_definition(const char* name) {
  return reinterpret_cast<function*>(::dlsym(RTLD_NEXT, name));
}

bool is_regular_file(int descriptor) {
  struct stat info;
  return ::fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode);
}

bool opened_for_writing(int descriptor) {
  int flags = ::fcntl(descriptor, F_GETFL);
  return flags >= 0 && (flags & O_ACCMODE) != O_RDONLY;
}

// How many of `size` bytes a transfer of `kind` may move now: -1 means it
// fails with the fault's error, and errno is set.
ssize_t allowance(fault_kind kind, size_t& moved, size_t size) {
  const fault& chosen = armed();
  if (chosen.kind == fault_kind::interrupt) {
    static bool interrupt_next = true;
    interrupt_next = !interrupt_next;
    if (!interrupt_next) {
      errno = EINTR;
      return -1;
    }
  }
  if (chosen.kind == fault_kind::short_transfers) size = std::min(size, chosen.bytes);
  if (chosen.kind != kind) return static_cast<ssize_t>(size);
  if (moved >= chosen.bytes) {
    errno = chosen.error;
    return -1;
  }
  size = std::min(size, chosen.bytes - moved);
  moved += size;
  return static_cast<ssize_t>(size);
}

}  // namespace

extern "C" ssize_t write(int descriptor, const void* data, size_t size) {
  static auto* real = next_definition<decltype(::write)>("write");
  static size_t written = 0;
  if (!is_regular_file(descriptor)) return real(descriptor, data, size);
  ssize_t allowed = allowance(fault_kind::write, written, size);
  return allowed < 0 ? -1 : real(descriptor, data, static_cast<size_t>(allowed));
}

extern "C" ssize_t read(int descriptor, void* data, size_t size) {
  static auto* real = next_definition<decltype(::read)>("read");
  static size_t read_so_far = 0;
  if (!is_regular_file(descriptor)) return real(descriptor, data, size);
  ssize_t allowed = allowance(fault_kind::read, read_so_far, size);
  return allowed < 0 ? -1 : real(descriptor, data, static_cast<size_t>(allowed));
}

extern "C" int fsync(int descriptor) {
  static auto* real = next_definition<decltype(::fsync)>("fsync");
  if (armed().kind != fault_kind::fsync || !is_regular_file(descriptor)) return real(descriptor);
  errno = armed().error;
  return -1;
}

extern "C" int close(int descriptor) {
  static auto* real = next_definition<decltype(::close)>("close");
  bool strikes = armed().kind == fault_kind::close && is_regular_file(descriptor) &&
                 opened_for_writing(descriptor);
  int result = real(descriptor);
  if (!strikes) return result;
  errno = armed().error;
  return -1;
}

extern "C" int rename(const char* old_name, const char* new_name) noexcept {
  static auto* real = next_definition<decltype(::rename)>("rename");
  if (armed().kind != fault_kind::rename) return real(old_name, new_name);
  errno = armed().error;
  return -1;
}

extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attributes,
                              void* (*start)(void*), void* argument) {
  static auto* real = next_definition<decltype(::pthread_create)>("pthread_create");
  if (armed().kind != fault_kind::thread) return real(thread, attributes, start, argument);
  return armed().error;
}
