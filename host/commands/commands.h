// The host's commands, one function each; they return the process exit code.
#pragma once

#include <string>
#include <vector>

namespace tarnhost {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // the module did not load, lacks an export or returned null
constexpr int kExitUsage = 2;    // the command line is wrong

int runInfo(const std::vector<std::string>& args);
int runRender(const std::vector<std::string>& args);
int runPanel(const std::vector<std::string>& args);
int runEdit(const std::vector<std::string>& args);
int runValidate(const std::vector<std::string>& args);

}  // namespace tarnhost
