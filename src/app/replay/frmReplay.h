#pragma once

#include "app/QtForm.h"
#include "events/Signal.h"

#include <QDialog>
#include <QPointer>

#include <array>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tvk {

class FilterScript;
class clsRecorder;
class frmMain;

// The replay dialog: range, loops, the estimated run time, and Start, which replays pass by pass
// and, when the list's filter is on, asks the filter script about every event first.
class frmReplay : public QDialog, public QtForm {
    Q_OBJECT
public:
    explicit frmReplay(QWidget* owner);
    ~frmReplay() override;

    std::shared_ptr<clsRecorder> refRecorder; // set by the main window before every opening
    // The window whose status bar shows the pass and event replayed (the owner).
    void setMainWindow(frmMain* main) { m_main = main; }

    // Recomputes the estimate (and follows refRecorder's notification from now on).
    void Update();
    void cmdStart_Click();
    void cmdCancel_Click();
    // Ends the replay in progress and its later passes, leaving the window open.
    void stopReplay();
    // Fills the boxes with the values of the last Start in this program (if any), then starts.
    void startWithLastValues();

    QString estimateCaption() const;
    QLineEdit* input(int index) const { return m_txtInput[static_cast<size_t>(index)]; }
    QLineEdit* speedBox() const { return m_txtSpeed; }
    // The speed the box's text gives (a decimal in the user's locale or with a point, bounded to
    // what a replay allows); 1 when the text is no number.
    double speed() const;
    QPushButton* startButton() const { return m_cmdStart; }
    bool isReplaying() const { return m_run != nullptr; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct RunState {
        bool stop = false;
        int32_t passes = 0;   // extra passes asked for; negative: until stopped
        int64_t pass = 0;     // the pass in progress, from 1
        uint64_t escapes = 0; // the user's presses of Escape when the replay started
    };
    void txtInput_Change();
    void refRecorder_ExecutingEvent(int32_t index, bool& cancel);
    void subscribe();
    void Form_Unload();
    QString estimatePrefix() const;

    QPushButton* m_cmdStart = nullptr;
    QPushButton* m_cmdCancel = nullptr;
    QLabel* m_lblEstimatedTime = nullptr;
    std::array<QLineEdit*, 3> m_txtInput{};
    QLabel* m_lblSpeed = nullptr;
    QLineEdit* m_txtSpeed = nullptr;
    QPointer<frmMain> m_main;
    std::unique_ptr<FilterScript> m_script;
    std::shared_ptr<RunState> m_run; // the replay in progress, if any
    std::weak_ptr<clsRecorder> m_subscribedTo;
    Signal<int32_t, bool&>::ScopedConnection m_executing;
    bool m_unloaded = false;
};

} // namespace tvk
