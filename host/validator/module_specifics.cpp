// The validator's table of module-specific checks.
#include "host/validator/module_specifics.h"

namespace tarnhost {

const ModuleSpecifics& moduleSpecifics(const std::string& id) {
    static const ModuleSpecifics contour4{"Level", 0.005f, nullptr, 25};
    static const ModuleSpecifics lfo{nullptr, 0.0f, "Rand", 0};
    static const ModuleSpecifics none{};
    if (id == "Tarn Contour4") return contour4;
    if (id == "Tarn LFO") return lfo;
    return none;
}

}  // namespace tarnhost
