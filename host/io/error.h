// The host's one error style, shared by every layer: a call that cannot do what it was asked
// throws Error, with a message whole enough to print as it is.
#pragma once

#include <stdexcept>

namespace tarnhost {

struct Error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// What the host's user handed in cannot be used: an option, a pin value, a file to read.
struct InputError : Error {
    using Error::Error;
};

}  // namespace tarnhost
