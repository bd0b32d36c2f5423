// The host's commands, one function each, and the one place where their outcome becomes the
// process exit code: 0 ok, 1 the module failed (or the host could not do what was asked),
// 2 the command line or a value on it is wrong.
#pragma once

#include <string>
#include <vector>

namespace tarnhost {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // the module did not load, lacks an export or returned null
constexpr int kExitUsage = 2;    // the command line is wrong

// Each throws InputError for what the command line gives wrong and Error for what fails; the
// code it returns is that of a command that ran (validate: 1 when a check failed).
int runInfo(const std::vector<std::string>& args);
int runRender(const std::vector<std::string>& args);
int runPanel(const std::vector<std::string>& args);
int runEdit(const std::vector<std::string>& args);
int runValidate(const std::vector<std::string>& args);

bool isCommand(const std::string& name);
// Runs a command by its name and turns what it threw into a message on stderr and its exit code.
int runCommand(const std::string& name, const std::vector<std::string>& args);

}  // namespace tarnhost
