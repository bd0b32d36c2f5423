// A module library as the host sees it: exports, record fields read back as raw bytes at their
// offsets (the 32-bit offsets are pinned by static_assert in the header), and the edge cases of
// the two exports. Runs under Wine; TARN_DLL names the library and TARN_RECORD what its records
// must read ("key=value" items joined by "|", from its module's description).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "frame/host_interface.h"

namespace {

// What the module's records must read.
struct ModuleCase {
    std::string file;
    std::string name;
    std::string id;
    uint32_t magic = 0;
    int32_t version = 0;
    bool writesFlags = false;
    uint32_t flags = 0;
    bool hasGui = false;
    int32_t panelWidth = 0, panelHeight = 0;
};

ModuleCase readCase() {
    ModuleCase c;
    const char* dll = std::getenv("TARN_DLL");
    c.file = dll != nullptr ? dll : "";
    const char* record = std::getenv("TARN_RECORD");
    std::string text = record != nullptr ? record : "";
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('|', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        const size_t eq = line.find('=');
        const std::string key = line.substr(0, eq), value = eq == std::string::npos ? "" : line.substr(eq + 1);
        if (key == "name") c.name = value;
        if (key == "id") c.id = value;
        if (key == "magic") c.magic = static_cast<uint32_t>(std::strtoul(value.c_str(), nullptr, 0));
        if (key == "version") c.version = static_cast<int32_t>(std::strtol(value.c_str(), nullptr, 0));
        if (key == "flags" && value != "unwritten") {
            c.writesFlags = true;
            c.flags = static_cast<uint32_t>(std::strtoul(value.c_str(), nullptr, 0));
        }
        if (key == "panel" && value != "none") {
            c.hasGui = true;
            c.panelWidth = std::atoi(value.c_str());
            c.panelHeight = std::atoi(value.substr(value.find('x') + 1).c_str());
        }
        start = end + 1;
    }
    return c;
}

const ModuleCase& module() {
    static const ModuleCase c = readCase();
    return c;
}

struct Library {
    explicit Library(const std::string& file) {
        h = LoadLibraryA(file.c_str());
        if (h != nullptr) {
            props = reinterpret_cast<GetModulePropertiesFn>(
                reinterpret_cast<void*>(GetProcAddress(h, "getModuleProperties")));
            make = reinterpret_cast<MakeModuleFn>(
                reinterpret_cast<void*>(GetProcAddress(h, "makeModule")));
        }
    }
    ~Library() {
        if (h != nullptr) FreeLibrary(h);
    }
    HMODULE h = nullptr;
    GetModulePropertiesFn props = nullptr;
    MakeModuleFn make = nullptr;
};

int calls = 0;
HostWord TARN_CDECL countingHost(void*, int32_t, HostWord, int32_t, void*, float) {
    ++calls;
    return 0;
}

// A field read as the host reads it: bytes at an offset, whatever the C++ type says.
template <typename T>
T at(const void* record, size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const uint8_t*>(record) + offset, sizeof value);
    return value;
}
uint32_t word(const void* record, size_t offset) { return at<uint32_t>(record, offset); }
uintptr_t address(const void* record, size_t offset) { return at<uintptr_t>(record, offset); }
#define FIELD(Record, field) offsetof(Record, field)

// Every byte of a record still holds the fill pattern between two offsets.
bool untouched(const void* record, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) {
        if (static_cast<const uint8_t*>(record)[i] != 0xA5) return false;
    }
    return true;
}

TEST(Library, LoadsAndExportsBothEntryPointsByName) {
    Library lib(module().file);
    ASSERT_NE(lib.h, nullptr) << module().file;
    EXPECT_NE(lib.props, nullptr);
    EXPECT_NE(lib.make, nullptr);
}

TEST(Library, PropertiesWriteTheVersionFirstWhateverTheIndex) {
    Library lib(module().file);
    ASSERT_NE(lib.props, nullptr);
    ModuleProperties props;
    std::memset(&props, 0xA5, sizeof props);
    EXPECT_EQ(lib.props(1, &props), 0);
    EXPECT_EQ(at<int32_t>(&props, FIELD(ModuleProperties, sdkVersion)), module().version);
    EXPECT_TRUE(untouched(&props, 0, FIELD(ModuleProperties, sdkVersion)));

    std::memset(&props, 0xA5, sizeof props);
    EXPECT_EQ(lib.props(0, &props), 1);
    EXPECT_STREQ(at<const char*>(&props, FIELD(ModuleProperties, name)), module().name.c_str());
    EXPECT_STREQ(at<const char*>(&props, FIELD(ModuleProperties, id)), module().id.c_str());
    EXPECT_FALSE(untouched(&props, FIELD(ModuleProperties, about),
                           FIELD(ModuleProperties, about) + sizeof(void*)));
    EXPECT_TRUE(untouched(&props, FIELD(ModuleProperties, untouched), FIELD(ModuleProperties, flags)))
        << "the word after about is left as the host passed it";
    EXPECT_EQ(word(&props, FIELD(ModuleProperties, flags)), module().writesFlags ? module().flags : 0xA5A5A5A5u)
        << "flags";
    EXPECT_EQ(at<int32_t>(&props, FIELD(ModuleProperties, sdkVersion)), module().version);
}

TEST(Library, FreshSignalRecordReadsAsDocumentedWordByWord) {
    Library lib(module().file);
    ASSERT_NE(lib.make, nullptr);
    calls = 0;
    void* r = lib.make(0, 1, &countingHost, 0x5eed);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(word(r, FIELD(ModuleRecord, magic)), module().magic);
    EXPECT_EQ(word(r, FIELD(ModuleRecord, version)), 1u);
    EXPECT_EQ(word(r, FIELD(ModuleRecord, hostData)), 0x5eedu);
    EXPECT_NE(address(r, FIELD(ModuleRecord, object)), 0u);
    EXPECT_EQ(word(r, FIELD(ModuleRecord, reserved0)), 0u);
    EXPECT_NE(address(r, FIELD(ModuleRecord, dispatcher)), 0u);
    EXPECT_NE(address(r, FIELD(ModuleRecord, process)), 0u);
    EXPECT_NE(address(r, FIELD(ModuleRecord, event)), 0u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(word(r, FIELD(ModuleRecord, reserved1) + 4 * i), 0u) << "reserved word " << i;
    }
    EXPECT_EQ(at<float>(r, FIELD(ModuleRecord, sampleRate)), 44100.0f);
    EXPECT_EQ(word(r, FIELD(ModuleRecord, blockSize)), 1024u);
    EXPECT_EQ(calls, 0) << "construction makes no host call";

    // The process entry before open does nothing.
    auto process = at<ProcessEntry>(r, FIELD(ModuleRecord, process));
    process(at<void*>(r, FIELD(ModuleRecord, object)), 0, 16);
    auto dispatcher = at<ModuleDispatcher>(r, FIELD(ModuleRecord, dispatcher));
    auto* rec = static_cast<ModuleRecord*>(r);
    EXPECT_EQ(dispatcher(rec, MOD_SET_SAMPLE_RATE, 0, 96000, nullptr, 48000.0f), 0);
    EXPECT_EQ(at<float>(r, FIELD(ModuleRecord, sampleRate)), 48000.0f);
    EXPECT_EQ(dispatcher(rec, MOD_SET_BLOCK_SIZE, 0, 64, nullptr, 0), 0);
    EXPECT_EQ(word(r, FIELD(ModuleRecord, blockSize)), 64u);
    EXPECT_EQ(dispatcher(rec, 9, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(dispatcher(rec, MOD_CLOSE, 0, 0, nullptr, 0), 1);
}

TEST(Library, MakeModuleAnswersNullForEveryOtherIndexAndKind) {
    Library lib(module().file);
    ASSERT_NE(lib.make, nullptr);
    for (int32_t index = -2; index <= 3; ++index) {
        for (int32_t kind = -2; kind <= 3; ++kind) {
            void* r = lib.make(index, kind, &countingHost, 0);
            const bool expected = index == 0 && (kind == 1 || (kind == 2 && module().hasGui));
            EXPECT_EQ(r != nullptr, expected) << "index " << index << " kind " << kind;
            if (r == nullptr) continue;
            if (kind == 2) {
                EXPECT_EQ(word(r, FIELD(GuiRecord, magic)), GUI_RECORD_MAGIC);
                auto d = at<GuiDispatcher>(r, FIELD(GuiRecord, dispatcher));
                EXPECT_EQ(d(static_cast<GuiRecord*>(r), GUI_CLOSE, 0, 0, nullptr, 0), 1);
            } else {
                auto d = at<ModuleDispatcher>(r, FIELD(ModuleRecord, dispatcher));
                EXPECT_EQ(d(static_cast<ModuleRecord*>(r), MOD_CLOSE, 0, 0, nullptr, 0), 1);
            }
        }
    }
}

TEST(Library, ProcessInfoExistsOnlyInThe2230Frame) {
    Library lib(module().file);
    ASSERT_NE(lib.make, nullptr);
    auto* a = static_cast<ModuleRecord*>(lib.make(0, 1, &countingHost, 1));
    auto* b = static_cast<ModuleRecord*>(lib.make(0, 1, &countingHost, 2));
    const HostWord ia = a->dispatcher(a, MOD_GET_PROCESS_INFO, 0, 0, nullptr, 0);
    const HostWord ib = b->dispatcher(b, MOD_GET_PROCESS_INFO, 0, 0, nullptr, 0);
    if (module().version == 2230) {
        ASSERT_NE(ia, 0);
        EXPECT_EQ(ia, ib) << "one static record per library";
        const void* info = reinterpret_cast<const void*>(ib);
        EXPECT_EQ(word(info, FIELD(ProcessInfo, one)), 1u);
        EXPECT_EQ(word(info, FIELD(ProcessInfo, size)), 16u);
        const uintptr_t function = address(info, FIELD(ProcessInfo, function));
        const uintptr_t object = reinterpret_cast<uintptr_t>(b);
        EXPECT_GT(function, object) << "points into the object asked last";
        EXPECT_LT(function, object + 512);
        EXPECT_EQ(word(info, FIELD(ProcessInfo, zero)), 0u);
    } else {
        EXPECT_EQ(ia, 0);
    }
    a->dispatcher(a, MOD_CLOSE, 0, 0, nullptr, 0);
    b->dispatcher(b, MOD_CLOSE, 0, 0, nullptr, 0);
}

TEST(Library, LoadsAndFreesRepeatedly) {
    for (int i = 0; i < 10; ++i) {
        Library lib(module().file);
        ASSERT_NE(lib.make, nullptr);
    }
}

struct GuiCall {
    int32_t opcode;
    HostWord index;
    int32_t value;
};
std::vector<GuiCall> guiCalls;
HostWord TARN_CDECL recordingGuiHost(void*, int32_t opcode, HostWord index, int32_t value, void*,
                                     float) {
    guiCalls.push_back({opcode, index, value});
    return 0;
}

TEST(Panel, FreshGuiRecordReadsAsDocumentedAndAsksForItsSize) {
    if (!module().hasGui) GTEST_SKIP() << "the module has no panel";
    Library lib(module().file);
    ASSERT_NE(lib.make, nullptr);
    guiCalls.clear();
    void* r = lib.make(0, 2, &recordingGuiHost, 0x77);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(word(r, FIELD(GuiRecord, magic)), 0x5A4B504Du);
    EXPECT_EQ(word(r, FIELD(GuiRecord, version)), 1u);
    EXPECT_NE(address(r, FIELD(GuiRecord, dispatcher)), 0u);
    EXPECT_EQ(word(r, FIELD(GuiRecord, hostData)), 0x77u);
    EXPECT_NE(address(r, FIELD(GuiRecord, object)), 0u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(word(r, FIELD(GuiRecord, reserved) + 4 * i), 0u) << "reserved word " << i;
    }
    ASSERT_EQ(guiCalls.size(), 2u);
    EXPECT_EQ(guiCalls[0].opcode, GUI_HOST_SET_SIZE);
    EXPECT_EQ(guiCalls[0].index, module().panelWidth);
    EXPECT_EQ(guiCalls[0].value, module().panelHeight);
    EXPECT_EQ(guiCalls[1].opcode, 4);
    EXPECT_EQ(guiCalls[1].index, 1);
    auto d = at<GuiDispatcher>(r, FIELD(GuiRecord, dispatcher));
    EXPECT_EQ(d(static_cast<GuiRecord*>(r), 10, 0, 0, nullptr, 0), 0) << "slot 10 answers false";
    EXPECT_EQ(d(static_cast<GuiRecord*>(r), 77, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(d(static_cast<GuiRecord*>(r), GUI_CLOSE, 0, 0, nullptr, 0), 1);
}

}  // namespace
