// Another program for the file tests: opens a file with the access and
// sharing it is told, signals that it holds it, and keeps it open until told
// to let go. Usage: hold_file PATH read|write none|read|write READY-EVENT RELEASE-EVENT
// The two named events are made here when the caller has not made them.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  if (argc != 6) return 2;
  DWORD access = std::wcscmp(argv[2], L"write") == 0 ? GENERIC_WRITE : GENERIC_READ;
  DWORD share = std::wcscmp(argv[3], L"read") == 0    ? FILE_SHARE_READ
                : std::wcscmp(argv[3], L"write") == 0 ? FILE_SHARE_READ | FILE_SHARE_WRITE
                                                      : 0;
  HANDLE file = CreateFileW(argv[1], access, share, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, argv[4]);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, argv[5]);
  if (!ready || !release) return 1;
  SetEvent(ready);
  WaitForSingleObject(release, 60000);
  CloseHandle(file);
  return 0;
}
