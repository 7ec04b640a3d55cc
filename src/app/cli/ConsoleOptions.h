#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace tvk {

// `tavrimoskel record FILE.tvk ...`: polls the desktop into a new event file.
struct RecordOptions {
    std::string file;
    int untilKey = 0;               // virtual-key code whose press ends the recording; 0 none
    std::optional<double> duration; // seconds, ends the recording when set
    int interval = 10;              // poll interval in ms
};

// `tavrimoskel replay FILE.tvk ...`: injects a range of an event file, pass by pass.
struct ReplayOptions {
    std::string file;
    int from = -1; // first event; -1 the first of the list
    int to = -1;   // last event; -1 the last of the list
    int passes = 1;
    bool endless = false;
    double speed = 1.0;
    std::string filterFile; // script that replaces the file's own filter
    bool noFilter = false;  // replay without any filter
};

struct HelpRequest {};

using ConsoleCommand = std::variant<RecordOptions, ReplayOptions, HelpRequest>;

// A command line the console commands cannot run; what() says why.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// True when args[0] names a console command ("record" or "replay").
bool isConsoleCommand(const std::vector<std::string>& args);
// Parses the arguments after the program name. Throws UsageError.
ConsoleCommand parseConsoleCommand(const std::vector<std::string>& args);
// The usage lines of both commands, and the full help text.
std::string consoleUsage();
std::string consoleHelp();

} // namespace tvk
