// Commands by name, and their errors as messages and exit codes.
#include "host/commands/commands.h"

#include <cstdio>
#include <exception>

#include "host/io/error.h"

namespace tarnhost {

namespace {

struct Command {
    const char* name;
    int (*run)(const std::vector<std::string>& args);
};

constexpr Command kCommands[] = {
    {"info", &runInfo}, {"render", &runRender}, {"panel", &runPanel}, {"edit", &runEdit}, {"validate", &runValidate},
};

int report(const char* message, int exitCode) {
    std::fprintf(stderr, "tarn-host: %s\n", message);
    return exitCode;
}

}  // namespace

bool isCommand(const std::string& name) {
    for (const Command& c : kCommands)
        if (name == c.name) return true;
    return false;
}

int runCommand(const std::string& name, const std::vector<std::string>& args) {
    try {
        for (const Command& c : kCommands)
            if (name == c.name) return c.run(args);
        throw InputError("unknown command \"" + name + "\"");
    } catch (const InputError& e) {
        return report(e.what(), kExitUsage);
    } catch (const std::exception& e) {
        return report(e.what(), kExitFailure);
    }
}

}  // namespace tarnhost
