#pragma once

#include "recorder/InputBackend.h"

#include <memory>
#include <string>

namespace tvk {

// The input backend of an X11 desktop: polling through XQueryKeymap and the XInput2 master
// pointer (with raw events so no tap between two polls is lost), injection through XTest.
// Connects to displayName (empty: the DISPLAY environment variable). Returns nullptr when no
// display can be opened or it lacks XInput 2.2 or XTest; *whyNot then says which.
std::shared_ptr<InputBackend> createX11Backend(const std::string& displayName = {}, std::string* whyNot = nullptr);
// The same backend unconnected: it connects on start() or on first use, so a program can show
// its window first and report a failed start() afterwards.
std::shared_ptr<InputBackend> makeX11Backend(const std::string& displayName = {});

} // namespace tvk
