// The test hosts' platform layer, the same for the hosts built for Linux and for Windows, with what
// differs between the two in one place: loading a plug-in's library and finding its entry points
// (dlopen, LoadLibrary), saying where a floating-point trap happened (SIGFPE, a vectored exception
// handler) and the benchmarks' clock.
#pragma once

#include <string>

namespace plugtest {

// A loaded library, or null with nothing loaded.
void* openLibrary(const std::string& path);
void* librarySymbol(void* library, const char* name);
void closeLibrary(void* library);
// A symbol of the running program or a library preloaded into it; null where there is none.
void* programSymbol(const char* name);

// A VST3 bundle's binary for this system, and its module entry and exit (true when the library
// has none, as a VST3 library need not).
std::string vst3Binary(const std::string& bundle);
bool enterVst3Module(void* library);
void leaveVst3Module(void* library);

// [main] Before a render in a process that rendered already: the C library's random generator of
// the calling thread, which the modules' random waves draw from, back at its start, as in a fresh
// process. On Windows that generator is the system C library's, which outlives a plug-in's
// library; on Linux each plug-in library runs its own, which starts afresh with each load.
void restartCrtRandom();

// What a floating-point trap was ("SIGFPE, code 7", "exception 0xC00002B5") and where it happened
// ("LIBRARY+0xOFFSET", with the nearest symbol where the system knows one).
using TrapReport = void (*)(const char* trap, const char* where);
// [main] From now on a floating-point trap on any thread calls report, then ends the program with
// exit code 1: the code that trapped cannot be returned to while its exception stays unmasked.
void onFloatingPointTrap(TrapReport report);

// What the benchmark table adds to a format's row for the plug-ins of this system: nothing on
// Linux; on Windows the system and the word size, and Wine, the only place those hosts run here.
const char* benchRowSuffix();

// The benchmarks' clock, in ns. On Linux the thread's processor time, which leaves out what other
// programs on a busy machine take; on Windows the performance counter, a wall clock (Wine's thread
// times move in steps of 10 ms).
double benchClockNs();

}  // namespace plugtest
