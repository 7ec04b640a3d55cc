// Any text, compiled and run: no crash, hang or sanitizer report, only ScriptErrors.
#include "events/clsEvents.h"
#include "script/EventsObject.h"
#include "script/ScriptControl.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

// Matches -max_len in CMakeLists.txt: long enough for chains that once overflowed the stack.
constexpr size_t MaxInput = 256 * 1024;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > MaxInput) return 0;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    tvk::ScriptControl sc;
    // A short budget keeps the inputs that loop for ever as cheap as the rest.
    sc.setTimeBudget(std::chrono::milliseconds(1));
    // Runaway recursion is common among mutated scripts, and unwinding thousands of calls costs a hundred
    // times an ordinary input; the engine's own depth limit is tested in the unit tests.
    sc.setCallDepthLimit(100);
    auto list = std::make_shared<tvk::clsEvents>([] { return 0; });
    list->AddEvent(3, true, 1, 2, 65);
    try {
        sc.AddCode(text);
    } catch (const tvk::ScriptError&) {
    }
    try {
        sc.AddObject("StoredEvents", tvk::makeEventsObject(list));
        sc.AddObject("CurrentEvents", tvk::makeEventsObject(list->CloneEvents()));
        if (sc.hasProcedure("ElementInvoked")) sc.Run("ElementInvoked", {tvk::script::Value::lng(0)});
    } catch (const tvk::ScriptError&) {
    }
    return 0;
}

// Runs the long chains once before fuzzing starts (see CMakeLists.txt); a crash among them ends the run
// as any finding does.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::error_code ec;
    std::filesystem::directory_iterator chains(TVK_LONG_CHAINS, ec);
    if (ec) std::fprintf(stderr, "long chains not run: %s: %s\n", TVK_LONG_CHAINS, ec.message().c_str());
    for (const auto& entry : chains) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    }
    return 0;
}
