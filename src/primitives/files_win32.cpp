// Files on Windows, through the wide-character API so that any path works.
// Reading shares with other readers only, so a program writing the file keeps
// us out; a replacement first opens the old file with no sharing at all, so a
// program that holds it open in any way keeps its file.
#include <windows.h>

#include <atomic>
#include <string>
#include <utility>

#include "primitives/files.h"
#include "primitives/file_handles.h"

namespace txt2csv {

namespace {

HANDLE as_handle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
std::intptr_t from_handle(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<std::intptr_t>(handle);
}

std::string describe_error(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return "no such file or directory";
    case ERROR_ACCESS_DENIED:
      return "access is denied (a directory, a read-only file, or no permission)";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return "another program holds it open";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return "the disk is full";
    default:
      return "Windows error " + std::to_string(error);
  }
}

// Each call of ReadFile and WriteFile moves less than 4 GiB.
constexpr size_t largest_transfer = 1u << 30;

path temporary_name_beside(const path& target) {
  static std::atomic<unsigned> serial{0};
  std::wstring name = target.filename().wstring() + L"." +
                      std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(serial++) +
                      L".tmp";
  return target.parent_path() / name;
}

}  // namespace

std::optional<size_t> read_from(std::intptr_t handle, char* buffer, size_t size,
                                std::string& failure) {
  DWORD count = 0;
  if (ReadFile(as_handle(handle), buffer, static_cast<DWORD>(std::min(size, largest_transfer)),
               &count, nullptr))
    return count;
  DWORD error = GetLastError();
  if (error == ERROR_BROKEN_PIPE) return 0;  // the writing end of a pipe has closed
  failure = describe_error(error);
  return std::nullopt;
}

bool write_to(std::intptr_t handle, std::string_view bytes, std::string& failure) {
  while (!bytes.empty()) {
    DWORD count = 0;
    DWORD asked = static_cast<DWORD>(std::min(bytes.size(), largest_transfer));
    if (!WriteFile(as_handle(handle), bytes.data(), asked, &count, nullptr) || count == 0) {
      failure = describe_error(count == 0 ? ERROR_HANDLE_DISK_FULL : GetLastError());
      return false;
    }
    bytes.remove_prefix(count);
  }
  return true;
}

bool seek_to(std::intptr_t handle, std::int64_t offset, std::string& failure) {
  LARGE_INTEGER position{};
  position.QuadPart = offset;
  if (SetFilePointerEx(as_handle(handle), position, nullptr, FILE_BEGIN)) return true;
  failure = describe_error(GetLastError());
  return false;
}

bool file_exists(const path& name) {
  if (name.empty()) return false;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(name.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

input_file::input_file(const path& name) {
  HANDLE file = name.empty() ? INVALID_HANDLE_VALUE
                             : CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD error = name.empty() ? ERROR_FILE_NOT_FOUND : GetLastError();
    status_ = (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
                  ? open_status::missing
                  : open_status::unreadable;
    failure_ = describe_error(error);
    return;
  }
  handle_ = from_handle(file);
  status_ = open_status::opened;
  note_start();
}

input_file input_file::standard_input() {
  input_file input;
  input.handle_ = from_handle(GetStdHandle(STD_INPUT_HANDLE));
  input.owns_handle_ = false;
  input.status_ = open_status::opened;
  input.note_start();
  return input;
}

void input_file::note_start() {
  LARGE_INTEGER position{};
  if (GetFileType(as_handle(handle_)) == FILE_TYPE_DISK &&
      SetFilePointerEx(as_handle(handle_), LARGE_INTEGER{}, &position, FILE_CURRENT))
    start_offset_ = position.QuadPart;
}

input_file::~input_file() {
  if (handle_ != -1 && owns_handle_) CloseHandle(as_handle(handle_));
}

output_file output_file::replacing(const path& target) {
  output_file output;
  output.target_ = target;
  if (target.empty() || !target.has_filename()) {
    output.failed_ = true;
    output.failure_ = "no file name";
    return output;
  }
  DWORD error = ERROR_FILE_EXISTS;
  for (int attempt = 0; attempt < 100 && error == ERROR_FILE_EXISTS; ++attempt) {
    path candidate = temporary_name_beside(target);
    HANDLE file = CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      output.handle_ = from_handle(file);
      output.temporary_ = candidate;
      return output;
    }
    error = GetLastError();
  }
  output.failed_ = true;
  output.failure_ = describe_error(error);
  return output;
}

output_file output_file::standard_output() {
  output_file output;
  output.handle_ = from_handle(GetStdHandle(STD_OUTPUT_HANDLE));
  output.owns_handle_ = false;
  return output;
}

output_file::~output_file() { discard(); }

void output_file::discard() {
  if (handle_ != -1 && owns_handle_) CloseHandle(as_handle(handle_));
  handle_ = -1;
  if (!temporary_.empty()) DeleteFileW(temporary_.c_str());
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
  // A new file that replaces an old one is flushed to the disk first, so
  // that a crash cannot cost both.
  HANDLE written = as_handle(std::exchange(handle_, -1));
  bool flushed = !file_exists(target_) || FlushFileBuffers(written);
  DWORD error = flushed ? ERROR_SUCCESS : GetLastError();
  if (!CloseHandle(written) && error == ERROR_SUCCESS) error = GetLastError();
  if (error != ERROR_SUCCESS) {
    failure_ = describe_error(error);
    discard();
    return false;
  }
  // Windows refuses to write a read-only file, but an administrator under
  // Wine would not be refused; the attribute says what the user meant.
  DWORD attributes = GetFileAttributesW(target_.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    failure_ = "it is read-only";
    discard();
    return false;
  }
  // Any handle another program holds on the old file refuses this open.
  HANDLE old_file = CreateFileW(target_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  error = old_file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
  if (old_file != INVALID_HANDLE_VALUE) CloseHandle(old_file);
  if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND) {
    failure_ = describe_error(error);
    discard();
    return false;
  }
  if (!MoveFileExW(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    failure_ = describe_error(GetLastError());
    discard();
    return false;
  }
  temporary_.clear();
  return true;
}

// In the user's temporary folder, deleted by the system once closed.
scratch_file::scratch_file() {
  wchar_t directory[MAX_PATH + 1];
  wchar_t name[MAX_PATH];
  const DWORD length = GetTempPathW(MAX_PATH + 1, directory);
  if (length == 0 || length > MAX_PATH || !GetTempFileNameW(directory, L"t2c", 0, name)) {
    failure_ = describe_error(GetLastError());
    return;
  }
  HANDLE file = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    failure_ = describe_error(GetLastError());
    DeleteFileW(name);
    return;
  }
  handle_ = from_handle(file);
}

scratch_file::~scratch_file() {
  if (handle_ != -1) CloseHandle(as_handle(handle_));
}

}  // namespace txt2csv
