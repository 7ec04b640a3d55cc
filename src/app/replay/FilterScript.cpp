#include "app/replay/FilterScript.h"

#include "app/Messages.h"

#include "events/clsEvents.h"
#include "script/EventsObject.h"
#include "script/ScriptControl.h"
#include "script/ScriptError.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace tvk {

namespace {

script::ScriptHost messageBoxHost() {
    script::ScriptHost host;
    host.msgBox = [](const std::string& prompt, int buttons, const std::string& title) {
        QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title.empty() ? "Tavrimoskel" : title),
                        QString::fromStdString(prompt));
        const int set = buttons & 7;
        if (set == 1) {
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        } else if (set == 4) {
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        } else if (set == 3) {
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        } else {
            box.setStandardButtons(QMessageBox::Ok);
        }
        // The buttons speak the program's language.
        const std::pair<QMessageBox::StandardButton, const char*> captions[] = {{QMessageBox::Ok, "OkButton"},
                                                                                {QMessageBox::Cancel, "CancelButton"},
                                                                                {QMessageBox::Yes, "YesButton"},
                                                                                {QMessageBox::No, "NoButton"}};
        for (const auto& [button, name] : captions)
            if (QAbstractButton* b = box.button(button)) b->setText(message(name));
        switch (box.exec()) {
        case QMessageBox::Cancel:
            return 2;
        case QMessageBox::Yes:
            return 6;
        case QMessageBox::No:
            return 7;
        default:
            return 1;
        }
    };
    return host;
}

} // namespace

FilterScript::FilterScript() : FilterScript(messageBoxHost()) {}

FilterScript::FilterScript(script::ScriptHost host) : m_engine(std::make_unique<ScriptControl>()) {
    m_engine->setLanguage("VBScript");
    // A filter that never returns must not freeze the replay: the call ends with an error after
    // this long, which lets the event run.
    m_engine->setTimeBudget(std::chrono::milliseconds(1000));
    m_engine->setHost(std::move(host));
}

FilterScript::~FilterScript() = default;

void FilterScript::prepare(const std::string& code, std::shared_ptr<clsEvents> stored,
                           std::shared_ptr<clsEvents> current) {
    m_engine->Reset();
    try {
        m_engine->AddCode(code);
    } catch (const ScriptError& e) {
        throw CompileError{e.number(), script::scriptDescription(e), e.line(), e.column()};
    }
    m_engine->AddObject("StoredEvents", makeEventsObject(std::move(stored)));
    m_engine->AddObject("CurrentEvents", makeEventsObject(std::move(current)));
}

bool FilterScript::judge(int32_t index, bool cancel) {
    try {
        const script::Value result = m_engine->Run("ElementInvoked", {script::Value::lng(index)});
        return vbCBool(vbNot(result));
    } catch (const RuntimeError&) {
        // The script's errors are not the replay's: this event runs. The engine reports a call that
        // ran out of its time budget the same way (ScriptError, err::ScriptTimeout).
        return cancel;
    }
}

} // namespace tvk
