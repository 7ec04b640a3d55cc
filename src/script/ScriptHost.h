#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace tvk::script {

// Everything the engine needs from the program around it; each callback may be left empty.
struct ScriptHost {
    // MsgBox(prompt, buttons, title): returns the button code (1 OK, 2 Cancel, 6 Yes, 7 No, ...).
    // Without a callback MsgBox returns 1 (OK) and shows nothing.
    std::function<int(const std::string& prompt, int buttons, const std::string& title)> msgBox;
    // InputBox(prompt, title, default): returns the entered text, or false as second member on cancel.
    std::function<std::pair<std::string, bool>(const std::string& prompt, const std::string& title,
                                               const std::string& defaultText)>
        inputBox;
    // Text written by the script through the host (the runner's WScript.Echo goes here too).
    std::function<void(const std::string& line)> output;
    // Wall clock for Now, Date, Time and Timer; the system clock when empty.
    std::function<std::chrono::system_clock::time_point()> clock;
};

} // namespace tvk::script
