// Opcode names, each list expanded from the interface header into one switch.
#include "host/core/opcode_names.h"

#include "frame/host_interface.h"

namespace tarnhost {

#define TARN_NAME_CASE(name, value) \
    case name: return #name;

std::string hostOpName(int32_t opcode) {
    switch (opcode) {
        TARN_HOST_OPCODES(TARN_NAME_CASE)
    default: return "HOST_OP_" + std::to_string(opcode);
    }
}

std::string guiHostOpName(int32_t opcode) {
    switch (opcode) {
        TARN_GUI_HOST_OPCODES(TARN_NAME_CASE)
    default: return "GUI_HOST_OP_" + std::to_string(opcode);
    }
}

std::string moduleOpName(int32_t opcode) {
    switch (opcode) {
        TARN_MODULE_OPCODES(TARN_NAME_CASE)
    default: return "MOD_OP_" + std::to_string(opcode);
    }
}

std::string guiOpName(int32_t opcode) {
    switch (opcode) {
        TARN_GUI_OPCODES(TARN_NAME_CASE)
    default: return "GUI_OP_" + std::to_string(opcode);
    }
}

std::string eventTypeName(int32_t type) {
    switch (type) {
        TARN_EVENT_TYPES(TARN_NAME_CASE)
    default: return "EV_" + std::to_string(type);
    }
}

#undef TARN_NAME_CASE

}  // namespace tarnhost
