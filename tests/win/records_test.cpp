// The libraries as the host sees them: exports, records read back as raw 32-bit words at their
// offsets, and the edge cases of the two exports. Runs under Wine against dist/.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "frame/host_interface.h"

namespace {

std::string distPath(const char* file) {
    const char* dir = std::getenv("TARN_DIST");
    return std::string(dir != nullptr ? dir : "dist") + "\\" + file;
}

struct Library {
    explicit Library(const char* file) {
        h = LoadLibraryA(distPath(file).c_str());
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
int32_t TARN_CDECL countingHost(void*, int32_t, int32_t, int32_t, void*, float) {
    ++calls;
    return 0;
}

uint32_t word(const void* record, int offset) {
    uint32_t w;
    std::memcpy(&w, static_cast<const uint8_t*>(record) + offset, 4);
    return w;
}

float floatAt(const void* record, int offset) {
    float f;
    std::memcpy(&f, static_cast<const uint8_t*>(record) + offset, 4);
    return f;
}

struct ModuleCase {
    const char* file;
    const char* name;
    uint32_t magic;
    int32_t version;
    bool hasGui;
};

class EachLibrary : public ::testing::TestWithParam<ModuleCase> {};

TEST_P(EachLibrary, LoadsAndExportsBothEntryPointsByName) {
    Library lib(GetParam().file);
    ASSERT_NE(lib.h, nullptr) << distPath(GetParam().file);
    EXPECT_NE(lib.props, nullptr);
    EXPECT_NE(lib.make, nullptr);
}

TEST_P(EachLibrary, PropertiesWriteTheVersionFirstWhateverTheIndex) {
    Library lib(GetParam().file);
    ASSERT_NE(lib.props, nullptr);
    uint32_t raw[6];
    std::memset(raw, 0xA5, sizeof raw);
    EXPECT_EQ(lib.props(1, reinterpret_cast<ModuleProperties*>(raw)), 0);
    EXPECT_EQ(static_cast<int32_t>(raw[5]), GetParam().version);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(raw[i], 0xA5A5A5A5u) << "word " << i;

    std::memset(raw, 0xA5, sizeof raw);
    EXPECT_EQ(lib.props(0, reinterpret_cast<ModuleProperties*>(raw)), 1);
    EXPECT_STREQ(reinterpret_cast<const char*>(raw[0]), GetParam().name);
    EXPECT_STREQ(reinterpret_cast<const char*>(raw[1]), GetParam().name);
    EXPECT_NE(raw[2], 0xA5A5A5A5u);
    EXPECT_EQ(raw[3], 0xA5A5A5A5u) << "offset 12 is left as the host passed it";
    EXPECT_EQ(raw[4], GetParam().hasGui ? 384u : 0xA5A5A5A5u) << "flags";
    EXPECT_EQ(static_cast<int32_t>(raw[5]), GetParam().version);
}

TEST_P(EachLibrary, FreshSignalRecordReadsAsDocumentedWordByWord) {
    Library lib(GetParam().file);
    ASSERT_NE(lib.make, nullptr);
    calls = 0;
    void* r = lib.make(0, 1, &countingHost, 0x5eed);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(word(r, 0), GetParam().magic);
    EXPECT_EQ(word(r, 4), 1u);
    EXPECT_EQ(word(r, 8), 0x5eedu);
    EXPECT_NE(word(r, 12), 0u);
    EXPECT_EQ(word(r, 16), 0u);
    EXPECT_NE(word(r, 20), 0u);
    EXPECT_NE(word(r, 24), 0u);
    EXPECT_NE(word(r, 28), 0u);
    for (int off = 32; off < 48; off += 4) EXPECT_EQ(word(r, off), 0u) << off;
    EXPECT_EQ(floatAt(r, 48), 44100.0f);
    EXPECT_EQ(word(r, 52), 1024u);
    EXPECT_EQ(calls, 0) << "construction makes no host call";

    // The process entry before open does nothing.
    auto process = reinterpret_cast<ProcessEntry>(word(r, 24));
    process(reinterpret_cast<void*>(word(r, 12)), 0, 16);
    auto dispatcher = reinterpret_cast<ModuleDispatcher>(word(r, 20));
    auto* rec = static_cast<ModuleRecord*>(r);
    EXPECT_EQ(dispatcher(rec, MOD_SET_SAMPLE_RATE, 0, 96000, nullptr, 48000.0f), 0);
    EXPECT_EQ(floatAt(r, 48), 48000.0f);
    EXPECT_EQ(dispatcher(rec, MOD_SET_BLOCK_SIZE, 0, 64, nullptr, 0), 0);
    EXPECT_EQ(word(r, 52), 64u);
    EXPECT_EQ(dispatcher(rec, 9, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(dispatcher(rec, MOD_CLOSE, 0, 0, nullptr, 0), 1);
}

TEST_P(EachLibrary, MakeModuleAnswersNullForEveryOtherIndexAndKind) {
    Library lib(GetParam().file);
    ASSERT_NE(lib.make, nullptr);
    for (int32_t index = -2; index <= 3; ++index) {
        for (int32_t kind = -2; kind <= 3; ++kind) {
            void* r = lib.make(index, kind, &countingHost, 0);
            const bool expected = index == 0 && (kind == 1 || (kind == 2 && GetParam().hasGui));
            EXPECT_EQ(r != nullptr, expected) << "index " << index << " kind " << kind;
            if (r == nullptr) continue;
            const uint32_t magic = word(r, 0);
            if (kind == 2) {
                EXPECT_EQ(magic, GUI_RECORD_MAGIC);
                auto d = reinterpret_cast<GuiDispatcher>(word(r, 8));
                EXPECT_EQ(d(static_cast<GuiRecord*>(r), GUI_CLOSE, 0, 0, nullptr, 0), 1);
            } else {
                auto d = reinterpret_cast<ModuleDispatcher>(word(r, 20));
                EXPECT_EQ(d(static_cast<ModuleRecord*>(r), MOD_CLOSE, 0, 0, nullptr, 0), 1);
            }
        }
    }
}

TEST_P(EachLibrary, ProcessInfoExistsOnlyInContour4) {
    Library lib(GetParam().file);
    ASSERT_NE(lib.make, nullptr);
    auto* a = static_cast<ModuleRecord*>(lib.make(0, 1, &countingHost, 1));
    auto* b = static_cast<ModuleRecord*>(lib.make(0, 1, &countingHost, 2));
    const int32_t ia = a->dispatcher(a, MOD_GET_PROCESS_INFO, 0, 0, nullptr, 0);
    const int32_t ib = b->dispatcher(b, MOD_GET_PROCESS_INFO, 0, 0, nullptr, 0);
    if (GetParam().hasGui) {
        ASSERT_NE(ia, 0);
        EXPECT_EQ(ia, ib) << "one static record per library";
        const uint32_t* info = reinterpret_cast<const uint32_t*>(ib);
        EXPECT_EQ(info[0], 1u);
        EXPECT_EQ(info[1], 16u);
        EXPECT_GT(info[2], reinterpret_cast<uint32_t>(b)) << "points into the object asked last";
        EXPECT_LT(info[2], reinterpret_cast<uint32_t>(b) + 256);
        EXPECT_EQ(info[3], 0u);
    } else {
        EXPECT_EQ(ia, 0);
    }
    a->dispatcher(a, MOD_CLOSE, 0, 0, nullptr, 0);
    b->dispatcher(b, MOD_CLOSE, 0, 0, nullptr, 0);
}

TEST_P(EachLibrary, LoadsAndFreesRepeatedly) {
    for (int i = 0; i < 10; ++i) {
        Library lib(GetParam().file);
        ASSERT_NE(lib.make, nullptr);
    }
}

const ModuleCase kLfo{"TarnLFO.dll", "Tarn LFO", 0xECCFE810u, 2120, false};

const ModuleCase kContour4{"TarnContour4.dll", "Tarn Contour4", 0x04C48300u, 2230, true};

INSTANTIATE_TEST_SUITE_P(Modules, EachLibrary, ::testing::Values(kLfo, kContour4),
                         [](const auto& info) { return std::string(info.param.hasGui ? "Contour4" : "Lfo"); });

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

TEST(Contour4Gui, FreshGuiRecordReadsAsDocumentedAndAsksForItsSize) {
    Library lib("TarnContour4.dll");
    ASSERT_NE(lib.make, nullptr);
    guiCalls.clear();
    void* r = lib.make(0, 2, &recordingGuiHost, 0x77);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(word(r, 0), 0x5A4B504Du);
    EXPECT_EQ(word(r, 4), 1u);
    EXPECT_NE(word(r, 8), 0u);
    EXPECT_EQ(word(r, 12), 0x77u);
    EXPECT_NE(word(r, 16), 0u);
    for (int off = 20; off < 40; off += 4) EXPECT_EQ(word(r, off), 0u) << off;
    ASSERT_EQ(guiCalls.size(), 2u);
    EXPECT_EQ(guiCalls[0].opcode, GUI_HOST_SET_SIZE);
    EXPECT_EQ(guiCalls[0].index, 256);
    EXPECT_EQ(guiCalls[0].value, 100);
    EXPECT_EQ(guiCalls[1].opcode, 4);
    EXPECT_EQ(guiCalls[1].index, 1);
    auto d = reinterpret_cast<GuiDispatcher>(word(r, 8));
    EXPECT_EQ(d(static_cast<GuiRecord*>(r), 10, 0, 0, nullptr, 0), 0) << "slot 10 answers false";
    EXPECT_EQ(d(static_cast<GuiRecord*>(r), 77, 0, 0, nullptr, 0), 0);
    EXPECT_EQ(d(static_cast<GuiRecord*>(r), GUI_CLOSE, 0, 0, nullptr, 0), 1);
}

}  // namespace
