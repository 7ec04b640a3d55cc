// Feeds arbitrary bytes to the event file reader. A file it accepts must load into a list, survive
// list operations, and read back as the same state after being written again.
#include "events/EventFileReader.h"
#include "events/EventFileWriter.h"
#include "events/RuntimeError.h"
#include "events/clsEvents.h"

#include <cstdlib>
#include <string_view>

using namespace tvk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    EventFileState state;
    try {
        state = EventFileReader::parse(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const RuntimeError&) {
        return 0;
    }

    clsEvents list([] { return 1; });
    list.replaceState(state.capacity, state.slots, state.count, state.enableProcessor, state.elementProcessor,
                      state.mouseUpDetail, state.mouseDownDetail);

    // A text holding NUL bytes is the one thing the format cannot delimit when the capacity is 0.
    if (state.elementProcessor.find('\0') == std::string::npos) {
        const EventFileState again = EventFileReader::parse(EventFileWriter::serialize(list));
        if (!(again == state)) std::abort();
    }

    try {
        if (list.EventCount > 0) list.RemoveEvent(list.EventCount / 2);
        list.AddEvent(KeyBoard, true, 1, 2, 3);
        (void)list.CloneEvents();
    } catch (const RuntimeError&) {
        // Errors are a valid outcome for odd loaded states; memory errors are what this looks for.
    }
    return 0;
}
