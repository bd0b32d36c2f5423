// Helpers for a library's two exports and its DLL entry point, shared by both modules.
#pragma once

#include <new>

#include "host_interface.h"

#if defined(_WIN32)
#define TARN_EXPORT extern "C"
#else
#define TARN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace tarn {

// Constructs Object and hands the host the address of the record inside it; null when memory
// runs out, with nothing left allocated.
template <class Object>
void* makeObject(HostCallback callback, int32_t hostData) noexcept {
    Object* object = new (std::nothrow) Object(callback, hostData);
    if (object == nullptr) return nullptr;
    return &object->record();
}

}  // namespace tarn

// The library entry point reports success for every reason and does nothing else.
#if defined(_WIN32)
#define TARN_DLL_ENTRY_POINT                                                                  \
    extern "C" int __stdcall DllMain(void*, unsigned long, void*) { return 1; }
#else
#define TARN_DLL_ENTRY_POINT
#endif
