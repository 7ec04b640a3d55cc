#include "app/cli/ConsoleOptions.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace tvk {

namespace {

int parseInt(const std::string& option, const std::string& text, int low, int high) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || value < low || value > high)
        throw UsageError(option + " needs a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                         ", not \"" + text + "\"");
    return value;
}

double parseDecimal(const std::string& option, const std::string& text, double low, double high) {
    // A point is the decimal mark on the command line, whatever the locale says.
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value) || value < low || value > high)
        throw UsageError(option + " needs a number from " + std::to_string(low).substr(0, 4) + " to " +
                         std::to_string(high).substr(0, 5) + ", not \"" + text + "\"");
    return value;
}

// Walks "--name value" and "--name=value" options; positional arguments go to `positional`.
class ArgumentReader {
public:
    explicit ArgumentReader(const std::vector<std::string>& args) : m_args(args) {}

    bool next() {
        if (m_index >= m_args.size()) return false;
        m_current = m_args[m_index++];
        m_inlineValue.reset();
        if (m_current.rfind("--", 0) == 0) {
            const auto eq = m_current.find('=');
            if (eq != std::string::npos) {
                m_inlineValue = m_current.substr(eq + 1);
                m_current.resize(eq);
            }
        }
        return true;
    }
    const std::string& current() const { return m_current; }
    bool isOption() const { return m_current.size() > 1 && m_current[0] == '-'; }
    std::string value() {
        if (m_inlineValue) return *m_inlineValue;
        if (m_index >= m_args.size()) throw UsageError(m_current + " needs a value");
        return m_args[m_index++];
    }
    void noValue() const {
        if (m_inlineValue) throw UsageError(m_current + " takes no value");
    }

private:
    const std::vector<std::string>& m_args;
    size_t m_index = 1; // args[0] is the command
    std::string m_current;
    std::optional<std::string> m_inlineValue;
};

void takeFile(std::string& file, const std::string& argument) {
    if (!file.empty()) throw UsageError("unexpected argument \"" + argument + "\"");
    file = argument;
}

RecordOptions parseRecord(const std::vector<std::string>& args) {
    RecordOptions options;
    ArgumentReader reader(args);
    while (reader.next()) {
        const std::string& arg = reader.current();
        if (!reader.isOption()) {
            takeFile(options.file, arg);
        } else if (arg == "--until-key") {
            options.untilKey = parseInt(arg, reader.value(), 1, 254);
        } else if (arg == "--duration") {
            options.duration = parseDecimal(arg, reader.value(), 0.0, 7 * 24 * 3600.0);
        } else if (arg == "--interval") {
            options.interval = parseInt(arg, reader.value(), 1, 60000);
        } else {
            throw UsageError("unknown option " + arg);
        }
    }
    if (options.file.empty()) throw UsageError("record needs the event file to write");
    return options;
}

ReplayOptions parseReplay(const std::vector<std::string>& args) {
    ReplayOptions options;
    bool passesGiven = false;
    ArgumentReader reader(args);
    while (reader.next()) {
        const std::string& arg = reader.current();
        if (!reader.isOption()) {
            takeFile(options.file, arg);
        } else if (arg == "--from") {
            options.from = parseInt(arg, reader.value(), -1, 2147483647);
        } else if (arg == "--to") {
            options.to = parseInt(arg, reader.value(), -1, 2147483647);
        } else if (arg == "--passes") {
            options.passes = parseInt(arg, reader.value(), 1, 2147483647);
            passesGiven = true;
        } else if (arg == "--endless") {
            reader.noValue();
            options.endless = true;
        } else if (arg == "--speed") {
            options.speed = parseDecimal(arg, reader.value(), 0.1, 10.0);
        } else if (arg == "--filter") {
            options.filterFile = reader.value();
            if (options.filterFile.empty()) throw UsageError("--filter needs a script file");
        } else if (arg == "--no-filter") {
            reader.noValue();
            options.noFilter = true;
        } else {
            throw UsageError("unknown option " + arg);
        }
    }
    if (options.file.empty()) throw UsageError("replay needs the event file to read");
    if (passesGiven && options.endless) throw UsageError("--passes and --endless exclude each other");
    if (!options.filterFile.empty() && options.noFilter)
        throw UsageError("--filter and --no-filter exclude each other");
    return options;
}

bool isHelp(const std::string& arg) {
    return arg == "--help" || arg == "-h";
}

} // namespace

bool isConsoleCommand(const std::vector<std::string>& args) {
    return !args.empty() && (args[0] == "record" || args[0] == "replay");
}

ConsoleCommand parseConsoleCommand(const std::vector<std::string>& args) {
    if (!isConsoleCommand(args)) throw UsageError("expected record or replay");
    for (const std::string& arg : args)
        if (isHelp(arg)) return HelpRequest{};
    if (args[0] == "record") return parseRecord(args);
    return parseReplay(args);
}

std::string consoleUsage() {
    return "usage: tavrimoskel record FILE.tvk [--until-key VK] [--duration SECONDS] [--interval MS]\n"
           "       tavrimoskel replay FILE.tvk [--from N] [--to N] [--passes N | --endless] [--speed X]\n"
           "                          [--filter FILE.vbs | --no-filter]\n";
}

std::string consoleHelp() {
    return consoleUsage() +
           "\n"
           "Both commands run without a window; they need an X11 display (DISPLAY).\n"
           "\n"
           "record   polls every key, button and the cursor and writes the events to FILE.tvk\n"
           "         when the recording ends.\n"
           "  --until-key VK      end when the key with virtual-key code VK is pressed (27 = Escape);\n"
           "                      its own press is not recorded\n"
           "  --duration SECONDS  end after this long\n"
           "  --interval MS       poll interval in milliseconds (default 10)\n"
           "\n"
           "replay   injects the events of FILE.tvk with their recorded waits.\n"
           "  --from N, --to N    first and last event, counted from 0 (default: the whole list)\n"
           "  --passes N          replay the range N times (default 1)\n"
           "  --endless           replay until stopped\n"
           "  --speed X           0.1 to 10; 2 replays twice as fast (default 1)\n"
           "  --filter FILE.vbs   judge every event with this script's ElementInvoked(Index)\n"
           "  --no-filter         ignore the file's own filter script\n"
           "  Without --filter or --no-filter the file's own filter runs when it is enabled.\n"
           "\n"
           "Both stop on the stop key of the settings (Escape unless changed), on SIGINT and on\n"
           "SIGTERM, releasing every key and button they hold. A recording is saved in every case.\n"
           "\n"
           "Exit status: 0 done, 1 a runtime error, 2 bad usage, 130 stopped by a signal.\n";
}

} // namespace tvk
