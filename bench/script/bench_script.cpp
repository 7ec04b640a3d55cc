// Prints the cost of one filter call (element_invoked_us), how appending to a string scales
// (string_append_1m_vs_100k, and byte_append_1m_vs_100k for single bytes) and the CPU suite's ratios
// against Lua 5.4 (script_vs_lua_<program>, script_vs_lua_max), each timed as the best of several runs.
// The two interpreters are compared by processor time (this process's for the engine, the finished
// child's for Lua): on a shared machine, time spent waiting for a processor would otherwise decide the ratio.
#include "events/clsEvents.h"
#include "script/Coerce.h"
#include "script/EventsObject.h"
#include "script/ScriptControl.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/time.h>
#include <vector>

using namespace tvk;
using namespace tvk::script;
using Clock = std::chrono::steady_clock;

namespace {

std::string scriptDir() {
    if (const char* src = std::getenv("TVK_SOURCE_DIR")) return std::string(src) + "/bench/script";
    return TVK_BENCH_SCRIPT_DIR;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double processSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// Processor time of the children waited for so far (user and system).
double childSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    auto add = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6; };
    return add(usage.ru_utime) + add(usage.ru_stime);
}

// One run of the script's Main(), in seconds; the result is compared with Lua's.
double timeScript(const std::string& program, std::string& result) {
    ScriptControl sc;
    sc.setTimeBudget(std::chrono::minutes(5));
    // The filter program records into and replays from the lists a replay hands its filter.
    auto current = std::make_shared<clsEvents>();
    sc.AddObject("StoredEvents", makeEventsObject(current->CloneEvents()));
    sc.AddObject("CurrentEvents", makeEventsObject(current));
    sc.AddCode(readFile(scriptDir() + "/" + program + ".vbs"));
    double start = processSeconds();
    Value v = sc.Run("Main", {});
    double t = processSeconds() - start;
    result = toUtf8(v);
    return t;
}

bool runLua(const std::string& args, std::string& out) {
    std::string cmd = "lua5.4 " + args + " 2>&1";
    FILE* pipe = ::popen(cmd.c_str(), "r");
    if (!pipe) return false;
    char buf[256];
    out.clear();
    while (std::fgets(buf, sizeof buf, pipe))
        out += buf;
    return ::pclose(pipe) == 0;
}

// One run of lua5.4 on the same program, less the interpreter's start-up time; -1 without Lua.
double timeLua(const std::string& program, std::string& result, double startup) {
    double start = childSeconds();
    if (!runLua(scriptDir() + "/" + program + ".lua", result)) return -1;
    double t = childSeconds() - start;
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r'))
        result.pop_back();
    return std::max(t - startup, 1e-6);
}

// Processor time of one run of Main(n) of an append program, which returns the length it built: the
// runs are short, so time spent waiting for a processor would swamp wall-clock figures.
double appendSeconds(ScriptControl& sc, int n, int expectedLength, const char* name) {
    std::clock_t start = std::clock();
    Value length = sc.Run("Main", {Value::lng(n)});
    double t = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    if (toUtf8(length) != std::to_string(expectedLength)) std::cerr << name << ": wrong length\n";
    return t;
}

// Time of 1,000,000 appends over 100,000, the best of seven runs each, alternating. string_append.vbs
// appends two characters each time, byte_append.vbs one byte.
double appendScaling(const char* name, int bytesPerAppend) {
    ScriptControl sc;
    sc.setTimeBudget(std::chrono::minutes(5));
    sc.AddCode(readFile(scriptDir() + "/" + name + ".vbs"));
    double small = 1e9, large = 1e9;
    for (int run = 0; run < 7; ++run) {
        large = std::min(large, appendSeconds(sc, 1000000, 1000000 * bytesPerAppend, name));
        small = std::min(small, appendSeconds(sc, 100000, 100000 * bytesPerAppend, name));
    }
    return large / small;
}

double elementInvokedMicroseconds() {
    auto stored = std::make_shared<clsEvents>();
    for (int i = 0; i < 100; ++i)
        stored->AddEvent(3, true, 0, 0, 65);
    auto current = stored->CloneEvents();
    ScriptControl sc;
    sc.setLanguage("VBScript");
    sc.AddCode(
        "Function ElementInvoked(Index)\r\n\r\n   ElementInvoked = True ' Allow this element\r\n\r\nEnd Function");
    sc.AddObject("StoredEvents", makeEventsObject(stored));
    sc.AddObject("CurrentEvents", makeEventsObject(current));
    const int calls = 200000;
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        int runs = 0;
        auto start = Clock::now();
        for (int i = 0; i < calls; ++i) {
            // Exactly what the replay window does per event: call, then Cancel = CBool(Not result).
            bool cancel = vbCBool(vbNot(sc.Run("ElementInvoked", {Value::lng(i % 100)})));
            runs += cancel ? 0 : 1;
        }
        best = std::min(best, seconds(Clock::now() - start));
        if (runs != calls) std::cerr << "default script cancelled an event\n";
    }
    return best / calls * 1e6;
}

} // namespace

// With program names as arguments only those programs run (no call or append figures).
int main(int argc, char** argv) {
    std::vector<std::string> chosen(argv + 1, argv + argc);
    if (chosen.empty()) {
        std::printf("element_invoked_us: %.3f us\n", elementInvokedMicroseconds());
        // Linear appending gives 10; copying the whole text each time would give about 100.
        std::printf("string_append_1m_vs_100k: %.1f x\n", appendScaling("string_append", 2));
        std::printf("byte_append_1m_vs_100k: %.1f x\n", appendScaling("byte_append", 1));
    }
    std::string ignored;
    double startup = 1e9;
    for (int i = 0; i < 5; ++i) {
        double s0 = childSeconds();
        runLua("-e ''", ignored);
        startup = std::min(startup, childSeconds() - s0);
    }
    const char* programs[] = {"int_loop",    "float_arith", "string_build",  "func_calls",   "array_access",
                              "select_case", "dictionary",  "class_methods", "string_funcs", "filter"};
    double worst = 0;
    bool luaMissing = false;
    for (const char* p : programs) {
        if (!chosen.empty() && std::find(chosen.begin(), chosen.end(), p) == chosen.end()) continue;
        // Runs alternate between the two interpreters, so load from elsewhere hits both alike;
        // each side keeps its best of five.
        std::string scriptResult, luaResult;
        double script = 1e9, lua = 1e9;
        for (int run = 0; run < 5 && !luaMissing; ++run) {
            script = std::min(script, timeScript(p, scriptResult));
            double l = timeLua(p, luaResult, startup);
            if (l < 0) luaMissing = true;
            lua = std::min(lua, l);
        }
        if (luaMissing) {
            std::fprintf(stderr, "%s: lua5.4 did not run\n", p);
            break;
        }
        double a = std::strtod(scriptResult.c_str(), nullptr), b = std::strtod(luaResult.c_str(), nullptr);
        if (a != b && std::abs(a / b - 1) > 1e-9)
            std::fprintf(stderr, "%s: results differ (script %s, lua %s)\n", p, scriptResult.c_str(),
                         luaResult.c_str());
        double ratio = script / lua;
        worst = std::max(worst, ratio);
        std::printf("script_vs_lua_%s: %.2f x\n", p, ratio);
    }
    if (!luaMissing) std::printf("script_vs_lua_max: %.2f x\n", worst);
    return 0;
}
