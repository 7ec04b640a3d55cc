#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tvk {

class InputBackend;

// Exit statuses of the console commands.
namespace exitcode {
inline constexpr int Done = 0;
inline constexpr int RuntimeFailure = 1;
inline constexpr int BadUsage = 2;
inline constexpr int Signalled = 130;
} // namespace exitcode

// Opens the input backend; on failure returns nullptr and says why in its argument.
using BackendFactory = std::function<std::shared_ptr<InputBackend>(std::string& whyNot)>;

// Runs `record` or `replay` (args[0]) without any window: progress and errors go to `err`,
// help to `out`. The stop key is `stopKey` (a virtual-key code, 0 none). Returns the exit status.
int runConsoleCommand(const std::vector<std::string>& args, const BackendFactory& makeBackend, int stopKey,
                      std::FILE* out, std::FILE* err);

} // namespace tvk
