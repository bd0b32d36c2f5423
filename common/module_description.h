// What a module is, as its description (<module>/description.txt) says and every front-end reads it.
//
// The build turns each description into constants of these types (cmake/module_description.py
// writes <module>/description.h into the build tree), so a pin is declared once: the DLL's pin
// table, its properties, the plug-ins, the checks and the manual all read the same record.
// Plain data: no frame, no format, no operating system.
#pragma once

#include <cstdint>

namespace tarn {

enum class PinType : int32_t {
    Audio,   // a sample stream in signal units (1.0 = 10 V)
    Choice,  // one of a list of named values
    Text,    // a zero-terminated text
};

struct PinChoice {
    const char* name;
    int32_t value;
};

struct PinDescription {
    const char* name;         // as the host shows it
    const char* symbol;       // in code and in plug-ins: lower case letters, digits and _
    PinType type;
    bool output;              // else an input
    const char* defaultText;  // as the host's pin table gives it; null: none
    float defaultValue;       // the same as a number (volts, a choice's value); 0 without one
    const char* unit;         // "V" for volts, "" for none
    float minimum;            // the range a front-end with knobs offers, in the unit; 0 and 0
    float maximum;            // without one
    const char* choiceList;   // the host's list "name=value,..."; null unless a choice
    const PinChoice* choices;  // the same list, item by item
    int32_t choiceCount;
    int32_t hostFlags;        // the flags the host's pin table gets
    bool state;               // saved as a plug-in's state rather than as a parameter
    bool gated;               // at or below `gate` this input silences the module, which may sleep
    float gate;               // in signal units
    const char* cvName;       // an audio input's CV form in plug-ins: "NAME CV"; null for others
    const char* cvSymbol;     // and its symbol, "SYMBOL_cv"
    bool everyFrame;          // an audio input the module reads at every frame; else at a block's
                              // first frame only
};

struct ModuleDescription {
    const char* name;       // as the host lists it
    const char* id;         // the host's key for the module
    const char* library;    // the library's file name without ".dll"
    int32_t frame;          // the frame's interface version
    uint32_t magic;         // of the signal record
    bool writesFlags;       // getModuleProperties writes `flags`; else leaves them as they were
    int32_t flags;
    const char* about;      // lines joined by line feeds
    const char* summary;    // one line: what the module is
    const char* uri;        // the plug-ins' URI
    const char* clapId;
    const char* pluginId;   // four characters, the plug-ins' unique id
    const char* version;    // the project's version, "MAJOR.MINOR.PATCH"
    int32_t versionMajor;
    int32_t versionMinor;
    int32_t versionPatch;
    int32_t panelWidth;     // 0 and 0: no panel
    int32_t panelHeight;
    int32_t scratchBytes;   // a buffer handed to the host at open; 0: none
    const PinDescription* pins;  // in index order
    int32_t pinCount;
    const char* pluginText;      // what the plug-ins say the module is
    const int32_t* parameters;   // the plug-ins' parameters by index: the pins they are
    int32_t parameterCount;
};

}  // namespace tarn
