// tarn-host validate: the command line of the validator.
#include <cstdio>
#include <ctime>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "host/commands/commands.h"
#include "host/core/module_library.h"
#include "host/io/error.h"
#include "host/io/number_text.h"
#include "host/validator/validator.h"

namespace tarnhost {

int runValidate(const std::vector<std::string>& args) {
    if (args.empty() || args[0].rfind("--", 0) == 0)
        throw InputError("usage: tarn-host validate MODULE.dll [--describe FILE] [--strictness 1..10] [--seed N] "
                         "[--only REGEX]");
    long long strictness = 5;
    long long seed = -1;
    std::string only;
    std::string description;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a != "--strictness" && a != "--seed" && a != "--only" && a != "--describe")
            throw InputError("unknown option \"" + a + "\"");
        if (i + 1 >= args.size()) throw InputError(a + " needs a value");
        const std::string v = args[++i];
        if (a == "--strictness") strictness = parseInt(v).value_or(0);
        if (a == "--strictness" && (strictness < 1 || strictness > 10))
            throw InputError("--strictness takes a level from 1 to 10, not \"" + v + "\"");
        if (a == "--seed") seed = parseInt(v).value_or(-1);
        if (a == "--seed" && seed < 0) throw InputError("--seed takes a whole number from 0, not \"" + v + "\"");
        if (a == "--only") {
            try {
                std::regex test(v);
            } catch (const std::regex_error&) {
                throw InputError("--only takes a regular expression, not \"" + v + "\"");
            }
            only = v;
        }
        if (a == "--describe") description = v;
    }
    if (seed < 0) seed = static_cast<long long>(std::time(nullptr)) & 0x7fffffff;
    // A module's description is read before the module is loaded: a fault in it stops the run at once.
    ModuleSpecifics specifics = description.empty() ? ModuleSpecifics{} : readModuleSpecifics(description);
    reportCrashes(kExitFailure);
    ModuleLibrary lib;
    lib.load(args[0]);
    std::printf("validating %s at strictness %lld with seed %lld\n", args[0].c_str(), strictness, seed);
    std::fflush(stdout);
    Validator v(lib, args[0], static_cast<int>(strictness), static_cast<uint64_t>(seed), only, std::move(specifics));
    if (description.empty()) std::printf("no description (--describe FILE): the checks every module gets\n");
    else std::printf("as %s describes it\n", description.c_str());
    std::fflush(stdout);
    validateSignal(v);
    validatePanel(v);
    validateEnvironment(v);
    if (v.skipped() > 0) std::printf("%d passed, %d failed, %d skipped\n", v.passed(), v.failed(), v.skipped());
    else std::printf("%d passed, %d failed\n", v.passed(), v.failed());
    return v.failed() == 0 ? kExitOk : kExitFailure;
}

}  // namespace tarnhost
