#pragma once

#include "script/ScriptObject.h"
#include "script/runner/ArgumentsObject.h"
#include "script/runner/ConsoleStream.h"

#include <functional>
#include <memory>

namespace tvk::script {

// Thrown by WScript.Quit; passes through the engine untouched (it is no RuntimeError) to the
// runner, which exits with `code`.
struct QuitRequest {
    int code;
};

// The console host's WScript object: Echo, Quit, Sleep, the script's name and arguments, the
// standard streams, and the host's own name, version and file (Name, Version, Path, FullName).
// Interactive may be set; the console host reads and shows the same either way.
class WScriptObject final : public ScriptObject {
public:
    // `scriptPath` as given on the command line; `out` receives each echoed line; `create` makes
    // the object WScript.CreateObject(progId) returns.
    WScriptObject(std::vector<std::string> args, std::string scriptPath, std::function<void(const std::string&)> out,
                  std::function<Value(const Value& progId)> create);

    std::string typeName() const override { return "WScript"; }
    int memberId(std::u16string_view name) const override;
    const void* memberTable() const override;
    Value invoke(int id, std::span<Value> args) override;
    // Only Interactive may be assigned (to a value that converts to Boolean); others raise 438.
    void assign(int id, std::span<Value> args, const Value& value, bool isSet) override;

private:
    std::shared_ptr<ArgumentsObject> m_arguments;
    std::shared_ptr<ConsoleStream> m_stdIn, m_stdOut, m_stdErr;
    std::string m_path, m_fullPath, m_hostPath;
    bool m_interactive = true;
    std::function<void(const std::string&)> m_output;
    std::function<Value(const Value&)> m_create;
};

} // namespace tvk::script
