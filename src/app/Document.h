#pragma once

#include "events/Signal.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tvk {

class InputBackend;
class clsEvents;
class clsRecorder;

// The one event list of the program and the recorder working on it. Windows keep the document,
// never the list: Clear and Open put a new list in place and announce it, and every window reads
// events() when it uses the list. The document also knows whether the list changed since it was
// last saved or opened, and under which file name.
class Document {
public:
    // The recorder records and replays through `backend`; raises 91 without one.
    explicit Document(std::shared_ptr<InputBackend> backend);
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // The current list; never null.
    const std::shared_ptr<clsEvents>& events() const { return m_events; }
    // The recorder; it lives as long as the document and always works on events().
    const std::shared_ptr<clsRecorder>& recorder() const { return m_recorder; }

    // Stops the recorder, makes `events` (a new empty list when null) the list, points the
    // recorder at it, counts it as unchanged under `fileName`, then raises EventsReplaced.
    void replaceEvents(std::shared_ptr<clsEvents> events, std::string fileName = {});
    // replaceEvents with a new empty list that keeps the current tick source.
    void clear();
    // Reads the file into a new list and makes it the list; a RuntimeError leaves everything as it was.
    void open(const std::string& path);
    // Writes the list; on success it counts as unchanged under `path`. Errors raise RuntimeError.
    void save(const std::string& path);

    // True when the list was changed since it was last saved, opened or replaced: by an event
    // added or removed, by markModified, or by any field a script wrote (compared in full here).
    bool isModified() const;
    // Cheap form of isModified for the title: ignores writes that were not announced.
    bool isMarkedModified() const { return m_modified; }
    // Records a change made through a window (the filter text, the details).
    void markModified();
    // Applies a change that is not the user's edit (a default a window fills in): a list that was
    // unchanged before counts as unchanged after it.
    void changeUnmarked(const std::function<void(clsEvents&)>& change);
    // The file last saved or opened, empty for a new list.
    const std::string& fileName() const { return m_fileName; }

    Signal<> EventsReplaced;  // after the list was replaced; events() is the new one
    Signal<> ModifiedChanged; // after the changed mark or the file name changed

private:
    void setUnchanged(std::string fileName);
    uint64_t fingerprint() const;

    std::shared_ptr<clsEvents> m_events;
    std::shared_ptr<clsRecorder> m_recorder;
    Signal<int32_t>::ScopedConnection m_added;
    Signal<int32_t>::ScopedConnection m_removed;
    std::string m_fileName;
    uint64_t m_savedFingerprint = 0;
    bool m_modified = false;
};

} // namespace tvk
