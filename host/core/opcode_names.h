// The names of the interface's opcodes and event types, for traces and check names.
#pragma once

#include <cstdint>
#include <string>

namespace tarnhost {

// Each is the enum identifier itself, from the interface's own list; a value the list lacks is
// named by its side's prefix and number ("HOST_OP_5").
std::string hostOpName(int32_t opcode);     // the signal object's calls to the host
std::string guiHostOpName(int32_t opcode);  // the panel's calls to the host
std::string moduleOpName(int32_t opcode);   // the host's dispatcher calls to the signal object
std::string guiOpName(int32_t opcode);      // the host's dispatcher calls to the panel
std::string eventTypeName(int32_t type);

}  // namespace tarnhost
