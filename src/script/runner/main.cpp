// tavrimoskel-script: runs a script like a console script host, or dry-runs a filter script over
// an event file (which events a replay would run and which it would skip).
#include "events/clsEvents.h"
#include "script/Coerce.h"
#include "script/EventsObject.h"
#include "script/ScriptControl.h"
#include "script/runner/WScriptObject.h"

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>

using namespace tvk;
using namespace tvk::script;

namespace {

bool readFile(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    out = s.str();
    if (out.size() >= 3 && out.compare(0, 3, "\xEF\xBB\xBF") == 0) out.erase(0, 3);
    return true;
}

void report(const std::string& file, const ScriptError& e) {
    std::cerr << file << '(' << e.line() << ", " << e.column() << ") " << e.description() << " (" << e.number()
              << ")\n";
}

int usage(std::ostream& out = std::cerr) {
    out << "usage: tavrimoskel-script [--include FILE]... [--budget MS] [--memory MB] [--events FILE.tvk] [SCRIPT.vbs] "
           "[ARGUMENT]...\n";
    return 2;
}

const char* typeText(int32_t type) {
    switch (type) {
    case 0:
        return "Wait";
    case 1:
        return "MouseClick";
    case 2:
        return "MouseMove";
    case 3:
        return "KeyBoard";
    case 4:
        return "MouseWheel";
    default:
        return "Unknown";
    }
}

// Calls ElementInvoked for each event of the working copy as a replay would and prints the verdicts.
void dryRun(ScriptControl& control, clsEvents& stored, clsEvents& current) {
    std::cout << "Filtering is " << (stored.EnableProcessor ? "enabled" : "disabled") << " in this file"
              << (stored.EnableProcessor ? "" : " (a replay would not call the filter; verdicts as if enabled)")
              << "\n";
    int run = 0, skipped = 0;
    for (int32_t i = 0; i < current.EventCount; ++i) {
        bool cancel = false;
        std::string note;
        try {
            Value r = control.Run("ElementInvoked", {Value::lng(i)});
            cancel = vbCBool(vbNot(r));
        } catch (const ScriptError& e) {
            // A failing filter lets the event run, as a replay does.
            note = " (error " + std::to_string(e.number()) + ": " + e.description() + ")";
        }
        std::cout << i << ' ' << typeText(current.EventType(i)) << ": " << (cancel ? "skipped" : "runs") << note
                  << '\n';
        ++(cancel ? skipped : run);
    }
    std::cout << run << " would run, " << skipped << " would be skipped\n";
}

} // namespace

int main(int argc, char** argv) {
    // The user's locale, as the desktop program has it: scripts must print the same under any.
    std::setlocale(LC_ALL, "");
    std::vector<std::string> includes;
    std::string eventsFile, scriptFile;
    std::vector<std::string> scriptArgs;
    // A script runs as long as it takes unless --budget is given; a dry run keeps the per-call
    // budget a replay gives the filter.
    long budgetMs = -1;
    long memoryMb = static_cast<long>(tvk::ScriptControl::DefaultMemoryBudget >> 20);
    int i = 1;
    for (; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--include" && i + 1 < argc)
            includes.push_back(argv[++i]);
        else if (a == "--events" && i + 1 < argc)
            eventsFile = argv[++i];
        else if (a == "--budget" && i + 1 < argc)
            budgetMs = std::max(1L, std::strtol(argv[++i], nullptr, 10));
        else if (a == "--memory" && i + 1 < argc)
            memoryMb = std::strtol(argv[++i], nullptr, 10);
        else if (a == "--help") {
            usage(std::cout);
            return 0;
        } else if (a == "--version") {
            std::cout << "tavrimoskel-script " << TVK_VERSION << '\n';
            return 0;
        } else if (a.rfind("--", 0) == 0)
            return usage();
        else
            break;
    }
    if (i < argc) scriptFile = argv[i++];
    for (; i < argc; ++i)
        scriptArgs.push_back(argv[i]);
    if (scriptFile.empty() && eventsFile.empty()) return usage();

    ScriptControl control;
    control.setLanguage("VBScript");
    if (budgetMs < 0) budgetMs = eventsFile.empty() ? 0 : 5000;
    control.setTimeBudget(std::chrono::milliseconds(budgetMs > 0 ? budgetMs : 0));
    // At least 1 MB, at most what a size_t can count.
    control.setMemoryBudget(static_cast<size_t>(std::clamp(memoryMb, 1L, 1L << 40)) << 20);
    ScriptHost host;
    host.output = [](const std::string& line) { std::cout << line << '\n'; };
    host.msgBox = [](const std::string& prompt, int, const std::string& title) {
        std::cout << (title.empty() ? "" : title + ": ") << prompt << '\n';
        return 1;
    };
    host.inputBox = [](const std::string& prompt, const std::string&, const std::string& def) {
        std::cout << prompt << '\n';
        std::string line;
        if (!std::getline(std::cin, line)) return std::make_pair(def, false);
        return std::make_pair(line, true);
    };
    control.setHost(host);
    control.Reset();
    // WScript.CreateObject makes what the script's own CreateObject makes.
    auto create = [&control](const Value& progId) {
        std::string quoted;
        for (char c : toUtf8(progId))
            quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        try {
            return control.Eval("CreateObject(\"" + quoted + "\")");
        } catch (const ScriptError& e) {
            throw RuntimeError(e.number(), e.description()); // reported at the calling statement
        }
    };
    control.AddObject("WScript", std::make_shared<WScriptObject>(scriptArgs, scriptFile, host.output, create));

    std::shared_ptr<clsEvents> stored, current;
    if (!eventsFile.empty()) {
        stored = std::make_shared<clsEvents>();
        try {
            stored->LoadFile(eventsFile);
        } catch (const RuntimeError& e) {
            std::cerr << eventsFile << ": " << e.description() << " (" << e.number() << ")\n";
            return 1;
        }
        current = stored->CloneEvents();
    }

    // The file of each AddCode text, in order: errors name the file their line belongs to.
    std::vector<std::string> codeFiles;
    std::string currentFile;
    try {
        for (const auto& inc : includes) {
            std::string text;
            if (!readFile(inc, text)) {
                std::cerr << inc << ": cannot read the file\n";
                return 1;
            }
            currentFile = inc;
            codeFiles.push_back(inc);
            control.AddCode(text);
        }
        std::string source;
        if (!scriptFile.empty()) {
            if (!readFile(scriptFile, source)) {
                std::cerr << scriptFile << ": cannot read the file\n";
                return 1;
            }
            currentFile = scriptFile;
        } else {
            source = stored->ElementProcessor;
            currentFile = eventsFile;
        }
        codeFiles.push_back(currentFile);
        control.AddCode(source);
        // A script that ran to its end lets go of its objects, whose Class_Terminate may still print.
        if (!stored) control.ReleaseGlobals();
        if (stored) {
            // As a replay does: the code first, then the two lists.
            control.AddObject("StoredEvents", makeEventsObject(stored));
            control.AddObject("CurrentEvents", makeEventsObject(current));
            if (control.hasProcedure("ElementInvoked"))
                dryRun(control, *stored, *current);
            else
                std::cout << "The script defines no ElementInvoked function: every event runs\n";
        }
    } catch (const ScriptError& e) {
        std::cout.flush();
        int code = e.codeIndex();
        report(code >= 0 && static_cast<size_t>(code) < codeFiles.size() ? codeFiles[static_cast<size_t>(code)]
                                                                         : currentFile,
               e);
        return 1;
    } catch (const QuitRequest& q) {
        std::cout.flush();
        return q.code;
    }
    return 0;
}
