// The plain C boundary between a module library and its host: records, opcodes, callback.
//
// Everything here is C layout: 32-bit little-endian words and code addresses, the C calling
// convention on every entry, the same five arguments after the record on every call
// (opcode, index, value, ptr, opt). The host owns nothing it did not allocate; the module owns
// its records, which live inside its objects. Offsets are checked in the 32-bit build, the one
// the host loads. Threads: [main] marks what a host calls from its main (user interface) thread,
// [audio] what it calls from its audio thread; an object is never entered from two at once.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define TARN_CDECL __cdecl
#else
#define TARN_CDECL
#endif

extern "C" {

// A word of the call interface that may carry an address: the result of every call and its
// index argument. 32 bits in the library the host loads; pointer-sized in the native build so
// that addresses survive the round trip in tests.
typedef intptr_t HostWord;

// The host's callback, called by a module from inside the host's call into it, on that call's
// thread. `record` is the caller's ModuleRecord or GuiRecord; the meaning of the result
// (integer, address or truth value) depends on the opcode and on the side calling.
typedef HostWord(TARN_CDECL* HostCallback)(void* record, int32_t opcode, HostWord index,
                                           int32_t value, void* ptr, float opt);

// Each list of opcodes below is written once, as X(NAME, value) entries: the enum is made from
// it, and so is the host's name of each value for traces and check names, which therefore are
// the enum identifiers themselves.
#define TARN_ENUM_VALUE(name, value) name = value,

// Host opcodes of the signal side.
#define TARN_HOST_OPCODES(X)                                                                       \
    X(HOST_SET_PIN_STATUS, 0)            /* index pin, value status, ptr clock from op 3 */        \
    X(HOST_GET_SAMPLE_CLOCK, 3)          /* -> current sample clock */                             \
    X(HOST_GET_PIN_BUFFER, 7)            /* index pin -> address of its sample buffer */           \
    X(HOST_GET_BLOCK_START, 8)           /* index pin -> clock of the buffer's first frame */      \
    X(HOST_SLEEP, 10)                    /* nothing more to produce until a pin changes */         \
    X(HOST_SCRATCH_BUFFER, 11)           /* ptr a 100-byte buffer, nothing read back */            \
    X(HOST_GET_PIN_COUNT, 14)            /* -> pins the host holds, repeats included */            \
    X(HOST_GET_HANDLE, 18)               /* -> a 32-bit number for the instance */                 \
    X(HOST_ALLOCATE_SHARED, 20)          /* index &pointer, value size, ptr name, opt fill */       \
    X(HOST_PROCESS_FUNCTION_CHANGED, 22) /* host re-reads ModuleRecord.process */
enum HostOpcode : int32_t { TARN_HOST_OPCODES(TARN_ENUM_VALUE) };

// Host opcodes of the GUI side.
#define TARN_GUI_HOST_OPCODES(X)                                                                   \
    X(GUI_HOST_REDRAW, 0)         /* panel is painted again soon */                                \
    X(GUI_HOST_SET_SIZE, 3)       /* index width, value height */                                  \
    X(GUI_HOST_CONSTRUCTED, 4)    /* index 1, sent at construction */                              \
    X(GUI_HOST_SET_PIN_TEXT, 6)   /* index pin, ptr text (copied by the host) */                   \
    X(GUI_HOST_GET_PIN_TEXT, 7)   /* index pin -> address of its text */                           \
    X(GUI_HOST_GET_WINDOW, 12)    /* index GUI handle -> native window or 0 */                     \
    X(GUI_HOST_CAPTURE_MOUSE, 18) /* ptr ViewRecord */                                             \
    X(GUI_HOST_RELEASE_MOUSE, 19) /* ptr ViewRecord */                                             \
    X(GUI_HOST_HAS_CAPTURE, 20)   /* ptr ViewRecord -> nonzero while captured */                   \
    X(GUI_HOST_GET_PARENT, 27)    /* index GUI handle -> parent's handle */                        \
    X(GUI_HOST_TO_SCREEN, 29)     /* index GUI handle, ptr int32[2] converted in place */
enum GuiHostOpcode : int32_t { TARN_GUI_HOST_OPCODES(TARN_ENUM_VALUE) };

// Dispatcher opcodes, host to signal object.
#define TARN_MODULE_OPCODES(X)                                                                     \
    X(MOD_OPEN, 0)                                                                                 \
    X(MOD_CLOSE, 1)              /* the object is destroyed; answers 1 */                          \
    X(MOD_SET_SAMPLE_RATE, 2)    /* opt */                                                         \
    X(MOD_SET_BLOCK_SIZE, 3)     /* value */                                                       \
    X(MOD_GET_PIN_PROPERTIES, 6) /* index, ptr PinProperties -> 1 if the pin exists */             \
    X(MOD_NOTIFY_8, 8)           /* index */                                                       \
    X(MOD_NOTIFY_12, 12)         /* value, index, ptr */                                           \
    X(MOD_GET_PROCESS_INFO, 13)  /* -> address of {1, 16, &ProcessFunction, 0} (2230 only) */
enum ModuleOpcode : int32_t { TARN_MODULE_OPCODES(TARN_ENUM_VALUE) };

// GUI dispatcher opcodes, host to GUI object.
#define TARN_GUI_OPCODES(X)                                                                        \
    X(GUI_OPEN, 0)        /* index 1: onOpen(true) */                                              \
    X(GUI_CLOSE, 1)       /* the object is destroyed; answers 1 */                                 \
    X(GUI_PAINT, 2)       /* index device context, ptr ViewRecord */                               \
    X(GUI_MOUSE_DOWN, 3)  /* ptr ViewRecord, point (index, value), opt as a 32-bit word */         \
    X(GUI_MOUSE_UP, 4)                                                                             \
    X(GUI_MOUSE_MOVE, 5)                                                                           \
    X(GUI_NOTIFY_6, 6)    /* value, index, ptr */                                                  \
    X(GUI_PIN_CHANGED, 7) /* index pin */
enum GuiOpcode : int32_t { TARN_GUI_OPCODES(TARN_ENUM_VALUE) };

enum PinDirection : int32_t { DIR_IN = 0, DIR_OUT = 1 };

enum PinDatatype : int32_t {
    DT_ENUM = 0,   // int16 choice
    DT_TEXT = 1,   // address of a zero-terminated text, kept current by the host
    DT_BOOL = 4,   // 8 bits
    DT_AUDIO = 5,  // address of a float32 sample buffer, kept current by the host
    DT_WORD6 = 6,  // 32 bits
    DT_WORD8 = 8,  // 32 bits in the 2230 frame, no storage in the 2120 frame
};

enum PinFlag : int32_t {
    PF_AUTO_DUPLICATE = 0x8,  // the host may repeat the last declared pin
    PF_TEXT_SHAPE = 0x100,    // marks a text pin that carries a shape; the frame ignores it
    PF_GUI = 0x400,           // a pin of the GUI side
    PF_DUAL = 0x8000,         // a PF_GUI pin that the signal side has too
};

enum PinStatus : int32_t { ST_STILL = 0, ST_ONE_OFF = 1, ST_RUN = 2 };

#define TARN_EVENT_TYPES(X) X(EV_PIN_STATUS, 0) X(EV_DATA, 2) X(EV_CALL, 21)
enum EventType : int32_t { TARN_EVENT_TYPES(TARN_ENUM_VALUE) };

// Filled by getModuleProperties. Texts are static, owned by the library.
struct ModuleProperties {
    const char* name;
    const char* id;
    const char* about;
    uint32_t untouched;  // left as the host passed it
    int32_t flags;       // written by modules that have flags to say
    int32_t sdkVersion;  // 2230 or 2120, written whatever the index
};

struct ModuleRecord;
struct ModuleEvent;

// [main] Every dispatcher opcode.
typedef HostWord(TARN_CDECL* ModuleDispatcher)(ModuleRecord* record, int32_t opcode,
                                               HostWord index, int32_t value, void* ptr,
                                               float opt);
// [audio] object is ModuleRecord.object; first and count are frames within the current buffers.
typedef void(TARN_CDECL* ProcessEntry)(void* object, int32_t first, int32_t count);
// [audio] Pin changes and data, between or inside process calls.
typedef void(TARN_CDECL* EventEntry)(void* object, const ModuleEvent* event);

// The first part of a signal object that the host sees; lives inside the object.
struct ModuleRecord {
    uint32_t magic;        // the module's own, identifies the record layout to the host
    int32_t version;       // 1
    int32_t hostData;      // makeModule's fourth argument, never read by the module
    void* object;          // passed back to process and event
    int32_t reserved0;
    ModuleDispatcher dispatcher;
    ProcessEntry process;  // the current process function; may change (op 22 tells)
    EventEntry event;
    int32_t reserved1[4];
    float sampleRate;      // 44100 until MOD_SET_SAMPLE_RATE
    int32_t blockSize;     // 1024 until MOD_SET_BLOCK_SIZE
};

// One pin as the module declares it (MOD_GET_PIN_PROPERTIES). Only set fields are written.
struct PinProperties {
    void* variable;            // module field bound to the pin, or null: own storage
    int32_t direction;         // PinDirection
    int32_t datatype;          // PinDatatype
    const char* name;
    const char* defaultValue;  // default as the host's user types it, or null
    const char* enumList;      // DT_ENUM: "name=value,name=value,..."
    int32_t flags;             // PinFlag bits
    int32_t reserved;          // never written
};

// Handed to the event entry; owned by the host for the duration of the call.
struct ModuleEvent {
    int32_t timeStamp;
    int32_t type;    // EventType
    int32_t value;   // new status (EV_PIN_STATUS) or data (EV_DATA)
    int16_t value2;  // data (EV_DATA)
    int16_t pad;
    void* target;    // pin index (EV_PIN_STATUS) or code address (EV_CALL)
};

// A process function: a code address and three words the frame stores and compares.
struct ProcessFunction {
    ProcessEntry code;
    int32_t word1;
    int32_t word2;
    int32_t word3;
};

// Answer of MOD_GET_PROCESS_INFO: {1, 16, &current ProcessFunction, 0}.
struct ProcessInfo {
    int32_t one;
    int32_t size;
    ProcessFunction* function;
    int32_t zero;
};

struct GuiRecord;
// [main] Every GUI dispatcher opcode.
typedef HostWord(TARN_CDECL* GuiDispatcher)(GuiRecord* record, int32_t opcode, HostWord index,
                                            int32_t value, void* ptr, float opt);

// What makeModule returns for kind 2; lives inside the GUI object.
struct GuiRecord {
    uint32_t magic;  // 0x5A4B504D
    int32_t version;  // 1
    GuiDispatcher dispatcher;
    int32_t hostData;  // never read by the module
    void* object;
    int32_t reserved[5];
};

// Passed by the host with paint and mouse calls; the host may append fields of its own.
struct ViewRecord {
    int32_t width;
    int32_t height;
    int32_t handle;  // the host's handle of the panel's element
};

// Exports of every module library, both [main].
typedef int32_t(TARN_CDECL* GetModulePropertiesFn)(int32_t index, ModuleProperties* props);
typedef void*(TARN_CDECL* MakeModuleFn)(int32_t index, int32_t kind, HostCallback callback,
                                        int32_t hostData);

}  // extern "C"

constexpr uint32_t GUI_RECORD_MAGIC = 0x5A4B504D;
constexpr int32_t KIND_SIGNAL = 1;
constexpr int32_t KIND_GUI = 2;

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(void*) == 4 && sizeof(HostWord) == 4, "the host loads 32-bit libraries");
static_assert(sizeof(ModuleProperties) == 24 && offsetof(ModuleProperties, flags) == 16 &&
                  offsetof(ModuleProperties, sdkVersion) == 20,
              "ModuleProperties layout");
static_assert(sizeof(ModuleRecord) == 56, "ModuleRecord is 56 bytes");
static_assert(offsetof(ModuleRecord, hostData) == 8 && offsetof(ModuleRecord, object) == 12 &&
                  offsetof(ModuleRecord, dispatcher) == 20 &&
                  offsetof(ModuleRecord, process) == 24 && offsetof(ModuleRecord, event) == 28 &&
                  offsetof(ModuleRecord, sampleRate) == 48 &&
                  offsetof(ModuleRecord, blockSize) == 52,
              "ModuleRecord offsets");
static_assert(sizeof(PinProperties) == 32 && offsetof(PinProperties, direction) == 4 &&
                  offsetof(PinProperties, datatype) == 8 && offsetof(PinProperties, name) == 12 &&
                  offsetof(PinProperties, defaultValue) == 16 &&
                  offsetof(PinProperties, enumList) == 20 && offsetof(PinProperties, flags) == 24,
              "PinProperties layout");
static_assert(sizeof(ModuleEvent) == 20 && offsetof(ModuleEvent, type) == 4 &&
                  offsetof(ModuleEvent, value) == 8 && offsetof(ModuleEvent, value2) == 12 &&
                  offsetof(ModuleEvent, target) == 16,
              "ModuleEvent layout");
static_assert(sizeof(ProcessFunction) == 16, "ProcessFunction is 16 bytes");
static_assert(sizeof(ProcessInfo) == 16, "ProcessInfo is four words");
static_assert(sizeof(GuiRecord) == 40 && offsetof(GuiRecord, dispatcher) == 8 &&
                  offsetof(GuiRecord, hostData) == 12 && offsetof(GuiRecord, object) == 16,
              "GuiRecord layout");
static_assert(sizeof(ViewRecord) == 12, "ViewRecord head");
#endif
