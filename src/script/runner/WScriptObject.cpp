#include "script/runner/WScriptObject.h"

#include "events/RuntimeError.h"
#include "script/Coerce.h"

#include <chrono>
#include <filesystem>
#include <iostream>
#include <thread>

namespace tvk::script {

namespace {
enum Member {
    Echo = 1,
    Quit,
    Arguments,
    ScriptName,
    ScriptFullName,
    Sleep,
    StdIn,
    StdOut,
    StdErr,
    Interactive,
    CreateObject,
    Name,
    Version,
    Path,
    FullName
};

const MemberNames& names() {
    static const MemberNames n{"Echo",         "Quit",  "Arguments", "ScriptName", "ScriptFullName",
                               "Sleep",        "StdIn", "StdOut",    "StdErr",     "Interactive",
                               "CreateObject", "Name",  "Version",   "Path",       "FullName"};
    return n;
}

std::string absolutePath(const std::string& path) {
    if (path.empty()) return path;
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(path, ec);
    return ec ? path : full.lexically_normal().string();
}

// The host program's own file, as the kernel names it; empty where that is unknown.
std::string hostExecutable() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
}
} // namespace

WScriptObject::WScriptObject(std::vector<std::string> args, std::string scriptPath,
                             std::function<void(const std::string&)> out, std::function<Value(const Value&)> create)
    : m_arguments(std::make_shared<ArgumentsObject>(std::move(args), ArgumentsObject::View::All)),
      m_stdIn(std::make_shared<ConsoleStream>(std::cin)), m_stdOut(std::make_shared<ConsoleStream>(std::cout)),
      m_stdErr(std::make_shared<ConsoleStream>(std::cerr)), m_path(std::move(scriptPath)),
      m_fullPath(absolutePath(m_path)), m_hostPath(hostExecutable()), m_output(std::move(out)),
      m_create(std::move(create)) {}

int WScriptObject::memberId(std::u16string_view name) const {
    return names().find(name);
}

const void* WScriptObject::memberTable() const {
    return &names();
}

Value WScriptObject::invoke(int id, std::span<Value> args) {
    switch (id) {
    case Echo: {
        std::string line;
        for (size_t i = 0; i < args.size(); ++i) {
            if (i) line += ' ';
            line += args[i].isNull() ? std::string("Null") : toUtf8(args[i]);
        }
        m_output(line);
        return Value();
    }
    case Quit:
        expectArgs(args, 0, 1);
        std::cout.flush();
        throw QuitRequest{args.empty() ? 0 : toLong(args[0])};
    case Arguments: // Arguments, or Arguments(i) for one of its items
        expectArgs(args, 0, 1);
        if (!args.empty()) return m_arguments->invoke(DefaultMember, args);
        return Value::object(m_arguments);
    case ScriptName:
        expectArgs(args, 0, 0);
        return Value::string(std::string_view(m_path.substr(m_path.find_last_of('/') + 1)));
    case ScriptFullName:
        expectArgs(args, 0, 0);
        return Value::string(std::string_view(m_fullPath));
    case Sleep: {
        expectArgs(args, 1, 1);
        int32_t ms = toLong(args[0]);
        if (ms < 0) throw RuntimeError(err::InvalidCall);
        std::cout.flush();
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return Value();
    }
    case StdIn:
        expectArgs(args, 0, 0);
        return Value::object(m_stdIn);
    case StdOut:
        expectArgs(args, 0, 0);
        return Value::object(m_stdOut);
    case StdErr:
        expectArgs(args, 0, 0);
        return Value::object(m_stdErr);
    case Interactive:
        expectArgs(args, 0, 0);
        return Value::boolean(m_interactive);
    case CreateObject: // CreateObject(progId[, eventPrefix]): events are not connected
        expectArgs(args, 1, 2);
        return m_create(args[0]);
    case Name:
        expectArgs(args, 0, 0);
        return Value::string(std::string_view("Tavrimoskel Script Host"));
    case Version:
        expectArgs(args, 0, 0);
        return Value::string(std::string_view("5.8"));
    case Path: // the folder of the host program, without a trailing separator
        expectArgs(args, 0, 0);
        return Value::string(std::string_view(m_hostPath.substr(0, m_hostPath.find_last_of('/'))));
    case FullName:
        expectArgs(args, 0, 0);
        return Value::string(std::string_view(m_hostPath));
    default:
        throw RuntimeError(err::NoSuchMember);
    }
}

void WScriptObject::assign(int id, std::span<Value> args, const Value& value, bool isSet) {
    if (id != Interactive || isSet) ScriptObject::assign(id, args, value, isSet);
    expectArgs(args, 0, 0);
    m_interactive = toBool(value);
}

} // namespace tvk::script
