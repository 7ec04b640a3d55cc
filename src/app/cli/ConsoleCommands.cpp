#include "app/cli/ConsoleCommands.h"

#include "app/cli/ConsoleOptions.h"
#include "app/cli/ConsoleProgress.h"
#include "app/cli/StopSignals.h"
#include "app/replay/FilterScript.h"
#include "events/RuntimeError.h"
#include "events/clsEvents.h"
#include "recorder/InputBackend.h"
#include "recorder/clsRecorder.h"
#include "script/ScriptHost.h"

#include <unistd.h>

#include <cinttypes>
#include <fstream>
#include <sstream>

namespace tvk {

namespace {

using namespace std::chrono_literals;

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string clockText(std::chrono::nanoseconds elapsed) {
    const long long seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

// What a command reports when it stops on a runtime error: the file it was working on first.
int reportFailure(std::FILE* err, const std::string& file, const RuntimeError& e) {
    std::fprintf(err, "tavrimoskel: %s: error %d: %s\n", file.c_str(), e.number(), e.description().c_str());
    return exitcode::RuntimeFailure;
}

script::ScriptHost consoleScriptHost(std::FILE* err) {
    script::ScriptHost host;
    // Nobody can answer a message box here: it is shown on standard error and answered OK.
    host.msgBox = [err](const std::string& prompt, int, const std::string& title) {
        std::fprintf(err, "%s%s%s\n", title.c_str(), title.empty() ? "" : ": ", prompt.c_str());
        return 1;
    };
    host.output = [err](const std::string& line) { std::fprintf(err, "%s\n", line.c_str()); };
    return host;
}

int record(const RecordOptions& options, InputBackend& backend, std::shared_ptr<InputBackend> owner, int stopKey,
           std::FILE* err) {
    if (access(folderOf(options.file).c_str(), W_OK) != 0)
        return reportFailure(err, options.file, RuntimeError(err::PathFileAccess));

    StopSignals signals;
    ConsoleProgress progress(err);
    auto events = std::make_shared<clsEvents>([&backend] { return backend.tickCount(); });
    auto recorder = std::make_shared<clsRecorder>(owner);
    recorder->Events = events;

    const auto started = backend.monotonicNow();
    const auto deadline = options.duration ? started + std::chrono::duration_cast<std::chrono::nanoseconds>(
                                                           std::chrono::duration<double>(*options.duration))
                                           : std::chrono::nanoseconds::max();
    // The recorder watches the stop key itself and leaves its press out, as it does for the until-key.
    recorder->setStopKey(stopKey);
    recorder->watchStopKey(true);
    backend.setYield([&] {
        const auto now = backend.monotonicNow();
        if (signals.caught() != 0 || now >= deadline) recorder->StopProcess();
        if (options.untilKey != 0 && backend.isDown(options.untilKey)) recorder->StopProcess({options.untilKey});
        progress.update("Recording " + clockText(now - started) + ", " + std::to_string(events->EventCount) + " events",
                        false);
    });
    progress.update("Recording into " + options.file + " ...", true);

    try {
        recorder->InitiateRecording(options.interval);
    } catch (const RuntimeError& e) {
        backend.setYield({});
        recorder->watchStopKey(false);
        recorder->releaseHeldInput();
        progress.finish("Recording failed");
        return reportFailure(err, options.file, e);
    }
    backend.setYield({});
    recorder->watchStopKey(false);

    try {
        events->SaveFile(options.file);
    } catch (const RuntimeError& e) {
        progress.finish("Recording not saved");
        return reportFailure(err, options.file, e);
    }
    progress.finish("Recorded " + std::to_string(events->EventCount) + " events into " + options.file);
    return signals.caught() != 0 ? exitcode::Signalled : exitcode::Done;
}

bool readText(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    return !in.bad();
}

int replay(const ReplayOptions& options, InputBackend& backend, std::shared_ptr<InputBackend> owner, int stopKey,
           std::FILE* err) {
    auto stored = std::make_shared<clsEvents>([&backend] { return backend.tickCount(); });
    try {
        stored->LoadFile(options.file);
    } catch (const RuntimeError& e) {
        return reportFailure(err, options.file, e);
    }

    // The filter as the replay window runs it: on a working copy, compiled once, asked per event.
    std::string code;
    std::string codeSource;
    if (!options.filterFile.empty()) {
        if (!readText(options.filterFile, code))
            return reportFailure(err, options.filterFile, RuntimeError(err::FileNotFound));
        codeSource = options.filterFile;
    } else if (!options.noFilter && stored->EnableProcessor != 0) {
        code = stored->ElementProcessor;
        codeSource = options.file + " (filter)";
    }
    const bool filtered = !codeSource.empty();

    auto recorder = std::make_shared<clsRecorder>(owner);
    recorder->setSpeed(options.speed);
    recorder->Events = stored;
    FilterScript script(consoleScriptHost(err));
    std::shared_ptr<clsEvents> current;
    if (filtered) {
        current = stored->CloneEvents();
        current->EnableProcessor = -1;
        recorder->Events = current;
        try {
            script.prepare(code, stored, current);
        } catch (const FilterScript::CompileError& e) {
            std::fprintf(err, "tavrimoskel: %s:%d:%d: error %d: %s\n", codeSource.c_str(), e.line, e.column, e.number,
                         e.description.c_str());
            return exitcode::RuntimeFailure;
        }
    }

    StopSignals signals;
    ConsoleProgress progress(err);
    const std::string total = options.endless ? "endless" : std::to_string(options.passes);
    int64_t pass = 0;
    auto passText = [&](int32_t index) {
        std::string text = "Replaying " + options.file + ": pass " + std::to_string(pass) + " / " + total;
        if (index >= 0) text += ", event " + std::to_string(index);
        return text;
    };
    Signal<int32_t, bool&>::ScopedConnection executing =
        recorder->ExecutingEvent.connect([&](int32_t index, bool& cancel) {
            // As in the replay window, a script that clears the working copy's flag ends filtering.
            if (filtered && recorder->Events && recorder->Events->EnableProcessor != 0)
                cancel = script.judge(index, cancel);
            progress.update(passText(index), false);
        });
    // The recorder watches the stop key itself and idles through passes that replay nothing.
    recorder->setStopKey(stopKey);
    recorder->watchStopKey(true);
    backend.setYield([&] {
        if (signals.caught() != 0) recorder->StopProcess();
    });

    bool stopped = false;
    int status = exitcode::Done;
    try {
        while (options.endless || pass < options.passes) {
            ++pass;
            progress.update(passText(-1), true);
            recorder->ReplayEvents(options.from, options.to);
            backend.yield();
            if (signals.caught() != 0 || recorder->stoppedByUser()) {
                stopped = true;
                break;
            }
        }
    } catch (const RuntimeError& e) {
        status = reportFailure(err, options.file, e);
    }
    recorder->Events = stored;
    recorder->releaseHeldInput();
    recorder->watchStopKey(false);
    backend.setYield({});
    executing.disconnect();
    if (status != exitcode::Done) return status;
    if (signals.caught() != 0) {
        progress.finish("Replay stopped by a signal in pass " + std::to_string(pass));
        return exitcode::Signalled;
    }
    if (stopped) {
        progress.finish("Replay stopped by the user in pass " + std::to_string(pass));
        return exitcode::Done;
    }
    progress.finish("Replayed " + std::to_string(pass) + " passes of " + options.file);
    return exitcode::Done;
}

} // namespace

int runConsoleCommand(const std::vector<std::string>& args, const BackendFactory& makeBackend, int stopKey,
                      std::FILE* out, std::FILE* err) {
    ConsoleCommand command;
    try {
        command = parseConsoleCommand(args);
    } catch (const UsageError& e) {
        std::fprintf(err, "tavrimoskel: %s\n%s", e.what(), consoleUsage().c_str());
        return exitcode::BadUsage;
    }
    if (std::holds_alternative<HelpRequest>(command)) {
        std::fputs(consoleHelp().c_str(), out);
        return exitcode::Done;
    }

    std::string whyNot;
    std::shared_ptr<InputBackend> backend = makeBackend(whyNot);
    if (!backend) {
        std::fprintf(err, "tavrimoskel: cannot use this desktop: %s\n", whyNot.c_str());
        return exitcode::RuntimeFailure;
    }
    if (const auto* options = std::get_if<RecordOptions>(&command))
        return record(*options, *backend, backend, stopKey, err);
    return replay(std::get<ReplayOptions>(command), *backend, backend, stopKey, err);
}

} // namespace tvk
