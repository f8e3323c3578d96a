// The console on Windows.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "platform/Console.h"
#include "platform/WideText.h"

namespace ferolith {

void UseUtf8Console() { SetConsoleOutputCP(CP_UTF8); }

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  int count = 0;
  const std::unique_ptr<LPWSTR, decltype(&LocalFree)> words(
      CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
  if (words == nullptr || count != argc) return {argv, argv + argc};
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(Utf8FromWide(words.get()[i]));
  return arguments;
}

namespace {

// The handler the console's control routine calls; the routine takes no
// context of its own.
std::atomic<void (*)()>& InterruptHandler() {
  static std::atomic<void (*)()> handler{nullptr};
  return handler;
}

// Ctrl-C and Ctrl-Break are handled; closing the console, logging off and
// shutting down go on to the system's default, which ends the program.
BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  if (void (*handler)() = InterruptHandler().load(); handler != nullptr) handler();
  return TRUE;
}

}  // namespace

void CatchConsoleInterrupts(void (*onInterrupt)()) {
  InterruptHandler().store(onInterrupt);
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

bool IsInteractiveConsole() { return _isatty(_fileno(stdin)) != 0 && _isatty(_fileno(stderr)) != 0; }

namespace {

// The null device for EndStandardInput, opened at the start.
std::atomic<int>& NullInput() {
  static std::atomic<int> descriptor{-1};
  return descriptor;
}

// CancelIoEx came with Vista; looked up at run time for the older systems.
using CancelIoFunction = BOOL(WINAPI*)(HANDLE, LPOVERLAPPED);

CancelIoFunction CancelIoEx() {
  return reinterpret_cast<CancelIoFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "CancelIoEx")));
}

}  // namespace

void PrepareStandardStreams() {
  for (const int stream : {0, 1, 2}) {
    if (_get_osfhandle(stream) != -1) continue;
    const int filler = _open("NUL", stream == 0 ? _O_RDONLY : _O_WRONLY);
    if (filler >= 0 && filler != stream) {
      _dup2(filler, stream);
      _close(filler);
    }
  }
  if (NullInput().load() < 0) NullInput().store(_open("NUL", _O_RDONLY | _O_NOINHERIT));
}

// Ctrl-C handlers run on a thread of their own there, while the program's
// own thread may be waiting in a read of standard input. The C runtime
// holds a descriptor's lock for the whole of a read, and _dup2 takes it:
// the replacement waits for the read, which waits for input that may never
// come. So the replacement runs on a thread of its own, and until it is
// done the read is cancelled (CancelIoEx: the calls on standard input's
// handle alone, never a write of the program elsewhere), again and again,
// for a read that began just after a cancel. A console's read ends by
// itself at Ctrl-C. Without CancelIoEx (before Vista) the replacement
// waits for the read to end.
void EndStandardInput() {
  const int nothing = NullInput().load();
  if (nothing < 0) return;
  const int error = errno;
  // A handle of its own to standard input's file, taken before the
  // replacement closes the descriptor's handle, whose number may then be
  // reused for another file.
  const CancelIoFunction cancel = CancelIoEx();
  HANDLE input = nullptr;
  if (cancel != nullptr &&
      !DuplicateHandle(GetCurrentProcess(), reinterpret_cast<HANDLE>(_get_osfhandle(0)), GetCurrentProcess(), &input,
                       0, FALSE, DUPLICATE_SAME_ACCESS)) {
    input = nullptr;
  }
  std::atomic<bool> replaced{false};
  std::thread replacement([&] {
    _dup2(nothing, 0);
    replaced.store(true);
  });
  while (!replaced.load()) {
    if (input != nullptr) cancel(input, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));  // the next try, not a wait for an event
  }
  replacement.join();
  if (input != nullptr) CloseHandle(input);
  errno = error;
}

}  // namespace ferolith
