// Loading a plug-in's library and finding its entry points, the same for the test hosts built for
// Linux (dlopen) and for Windows (LoadLibrary), with what differs between the two in one place.
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

}  // namespace plugtest
