// Helpers for a library's two exports and its DLL entry point, shared by every module.
#pragma once

#include <new>

#include "common/fp_env.h"
#include "host_interface.h"
#include "object_entry.h"

#if defined(_WIN32)
#define TARN_EXPORT extern "C"
#else
#define TARN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace tarn {

// [main] Constructs Object, lets it make its first host calls, and hands the host the address of the
// record inside it. Null when memory runs out, with nothing left allocated, and null when the
// host closed the object from inside one of those first calls (it is gone then). `hostEnv` is
// what the export's ModuleFpScope saved: the first calls run in the host's environment.
template <class Object>
void* makeObject(HostCallback callback, int32_t hostData, HostFpEnv& hostEnv) noexcept {
    Object* object = new (std::nothrow) Object(callback, hostData);
    if (object == nullptr) return nullptr;
    void* record = &object->record();
    ObjectEntry<Object> entry(object, hostEnv);
    try {
        object->onCreated();
    } catch (...) {
    }
    return entry.closing() ? nullptr : record;
}

}  // namespace tarn

// The library entry point reports success for every reason and does nothing else.
#if defined(_WIN32)
#define TARN_DLL_ENTRY_POINT                                                                  \
    extern "C" int __stdcall DllMain(void*, unsigned long, void*) { return 1; }
#else
#define TARN_DLL_ENTRY_POINT
#endif
