// tavrimoskel-script: runs a script like a console script host, or dry-runs a filter script over
// an event file (which events a replay would run and which it would skip).
#include "events/clsEvents.h"
#include "script/Coerce.h"
#include "script/EventsObject.h"
#include "script/ScriptControl.h"

#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>

using namespace tvk;
using namespace tvk::script;

namespace {

// Thrown by WScript.Quit; passes through the engine untouched (it is no RuntimeError).
struct QuitRequest {
    int code;
};

class ArgumentsObject final : public ScriptObject {
public:
    explicit ArgumentsObject(std::vector<std::string> args) : m_args(std::move(args)) {}
    std::string typeName() const override { return "Arguments"; }
    int memberId(std::u16string_view name) const override {
        if (equalsNoCase(name, std::string_view("Item"))) return DefaultMember;
        return names().find(name);
    }
    Value invoke(int id, std::span<Value> args) override {
        if (id == DefaultMember) {
            expectArgs(args, 1, 1);
            int32_t i = toLong(args[0]);
            if (i < 0 || static_cast<size_t>(i) >= m_args.size()) throw RuntimeError(9);
            return Value::string(std::string_view(m_args[static_cast<size_t>(i)]));
        }
        expectArgs(args, 0, 0);
        return Value::lng(static_cast<int32_t>(m_args.size())); // Count, Length
    }
    bool enumerate(std::vector<Value>& items) override {
        for (auto& a : m_args)
            items.push_back(Value::string(std::string_view(a)));
        return true;
    }

private:
    static const MemberNames& names() {
        static const MemberNames n{"Count", "Length"};
        return n;
    }
    std::vector<std::string> m_args;
};

class WScriptObject final : public ScriptObject {
public:
    WScriptObject(std::vector<std::string> args, std::string scriptPath, std::function<void(const std::string&)> out)
        : m_arguments(std::make_shared<ArgumentsObject>(std::move(args))), m_path(std::move(scriptPath)),
          m_output(std::move(out)) {}
    std::string typeName() const override { return "WScript"; }
    int memberId(std::u16string_view name) const override { return names().find(name); }
    const void* memberTable() const override { return &names(); }
    Value invoke(int id, std::span<Value> args) override {
        switch (id) {
        case 1: { // Echo
            std::string line;
            for (size_t i = 0; i < args.size(); ++i) {
                if (i) line += ' ';
                line += args[i].isNull() ? std::string("Null") : toUtf8(args[i]);
            }
            m_output(line);
            return Value();
        }
        case 2: // Quit
            expectArgs(args, 0, 1);
            std::cout.flush();
            throw QuitRequest{args.empty() ? 0 : toLong(args[0])};
        case 3: // Arguments, or Arguments(i) for one of its items
            expectArgs(args, 0, 1);
            if (!args.empty()) return m_arguments->invoke(DefaultMember, args);
            return Value::object(m_arguments);
        case 4:
            return Value::string(std::string_view(m_path.substr(m_path.find_last_of('/') + 1)));
        case 5:
            return Value::string(std::string_view(m_path));
        case 6:
            expectArgs(args, 1, 1);
            toLong(args[0]);
            return Value(); // Sleep: a console dry run does not wait
        default:
            throw RuntimeError(438);
        }
    }

private:
    static const MemberNames& names() {
        static const MemberNames n{"Echo", "Quit", "Arguments", "ScriptName", "ScriptFullName", "Sleep"};
        return n;
    }
    std::shared_ptr<ArgumentsObject> m_arguments;
    std::string m_path;
    std::function<void(const std::string&)> m_output;
};

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

int usage() {
    std::cerr << "usage: tavrimoskel-script [--include FILE]... [--budget MS] [--events FILE.tvk] [SCRIPT.vbs] "
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
    std::vector<std::string> includes;
    std::string eventsFile, scriptFile;
    std::vector<std::string> scriptArgs;
    long budgetMs = 5000;
    int i = 1;
    for (; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--include" && i + 1 < argc)
            includes.push_back(argv[++i]);
        else if (a == "--events" && i + 1 < argc)
            eventsFile = argv[++i];
        else if (a == "--budget" && i + 1 < argc)
            budgetMs = std::strtol(argv[++i], nullptr, 10);
        else if (a.rfind("--", 0) == 0)
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
    control.setTimeBudget(std::chrono::milliseconds(budgetMs > 0 ? budgetMs : 1));
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
    control.AddObject("WScript", std::make_shared<WScriptObject>(scriptArgs, scriptFile, host.output));

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
