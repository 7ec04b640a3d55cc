#pragma once

#include <cstddef>

namespace tvk::script {

class Engine;

// Frees objects of script classes and library collections that only reference one another (cycles
// no variable reaches any more), while the script runs. An object counts as reached when anything
// outside the objects themselves holds it: a variable, a temporary of a running statement, a
// running method of it, the host. The others are emptied (their values dropped), which frees them;
// their Class_Terminate then runs as usual.
class CycleCollector {
public:
    // Runs one collection over the objects `engine` created; returns how many were unreachable.
    static size_t collect(Engine& engine);
};

} // namespace tvk::script
