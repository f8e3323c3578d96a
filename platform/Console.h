#pragma once

#include <string>
#include <vector>

namespace ferolith {

// The console of a command-line program.

// Makes the console show the program's UTF-8 text (German umlauts): on
// Windows the console's output code page becomes UTF-8; elsewhere the
// terminal already is.
void UseUtf8Console();

// The command line as UTF-8 words. On Windows they are taken from the
// system's wide-character command line, so that a file name the current
// code page cannot spell arrives whole; elsewhere they are argv as given.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// True when both standard input and standard error are a terminal, so that
// a question can be asked and answered there.
bool IsInteractiveConsole();

// Checks the standard streams at the start: a descriptor 0, 1 or 2 that is
// closed gets the null device, so that no file the program opens later
// takes a standard stream's number (text for the terminal would go into it,
// and EndStandardInput would replace it). Also opens the null device that
// EndStandardInput puts in place. Call first thing in main.
void PrepareStandardStreams();

#ifdef _WIN32
// Calls `onInterrupt` for every Ctrl-C and Ctrl-Break at the console, on a
// thread the system starts for it, and keeps the program running. (The C
// runtime's SIGINT is reset to the default before its handler runs, so a
// second Ctrl-C would end the program in the middle of a pass.)
void CatchConsoleInterrupts(void (*onInterrupt)());
#endif

// Puts the null device in place of standard input, so that a wait for a
// line ends at once and nothing more is read. Touches no descriptor but
// standard input's and keeps errno: safe in a signal handler. On Windows,
// called from the Ctrl-C thread, it also ends a read of standard input that
// another thread is waiting in, and returns once the null device is in
// place. Does nothing before PrepareStandardStreams.
void EndStandardInput();

}  // namespace ferolith
