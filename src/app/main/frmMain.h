#pragma once

#include "app/Document.h"
#include "app/QtForm.h"
#include "app/filters/frmFilters.h"
#include "app/replay/frmReplay.h"
#include "app/settings/frmSettings.h"
#include "events/Signal.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class QAction;
class QLabel;
class QMenu;
class QTableView;

namespace tvk {

class clsCommonDialogs;
class EventListModel;
class InputBackend;

// The main window: the event list as rows, and every command in its menu. It owns the document
// (the one event list and the one recorder) and hands it to the other windows.
class frmMain : public QMainWindow, public QtForm {
    Q_OBJECT
public:
    // The window records and replays through `backend`; its yield becomes processEvents.
    explicit frmMain(std::shared_ptr<InputBackend> backend, QWidget* parent = nullptr);
    ~frmMain() override;

    // The list and the recorder; Clear and Open replace the list through it.
    const std::shared_ptr<Document>& document() const { return m_document; }
    clsCommonDialogs& Dialog();
    // The caption, as translated, is the program's name; the title adds the file's name and a "*"
    // while the list holds changes not saved.
    std::string property(std::string_view name) const override;
    void setProperty(std::string_view name, const std::string& value) override;
    void fitCaptions() override;

    // Rebuilds every row from the document's list (one snapshot per event), selecting the last row.
    void UpdateListView();
    // Panel 1 of the status bar: the activity text ("Recording ...", "Replaying ...").
    void setActivityText(const QString& text);
    QString activityText() const;
    QString panelText(int panel) const; // 1-based panel, for tests and the replay window

    // Loads the event file `file` into the list; a file that cannot be read is reported in a message
    // box and leaves the list as it was. Returns whether it loaded.
    bool openFile(const QString& file);

    // Menu commands, as the menu runs them.
    void mnuOpen_Click();
    // Returns true when the list was written.
    bool mnuSave_Click();
    void mnuSettings_Click();
    void mnuClear_Click();
    void mnuRecord_Click();
    void mnuReplay_Click();
    void mnuFilters_Click();
    void mnuAbout_Click();
    void mnuEvents_Click(); // the submenu opening

    QTableView* listView() const { return m_lstEvents; }
    EventListModel* model() const { return m_model; }
    QAction* action(const char* name) const;
    frmReplay* replayWindow() const { return m_replay; }
    frmFilters* filtersWindow() const { return m_filters; }
    frmSettings* settingsWindow() const { return m_settings; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    void buildControls();
    void subscribe();
    void subscribeRows();
    void Events_ElementAdded(int32_t index);
    void Events_ElementRemoved(int32_t index);
    void Recorder_ExecutingEvent(int32_t index);
    void lstEvents_KeyDown(int key);
    void UpdateStatusBar();
    void selectRow(int row);
    void layoutList();
    int columnDesignWidth(int column) const;
    void Form_Unload();
    // Asks "Save changes?" when the list holds events changed since they were saved or opened;
    // true when the caller may go on (saved, discarded, or nothing to ask).
    bool maySaveChanges();
    void setFileFilter();
    void updateTitle();
    QString documentName() const;
    // Runs a command; a runtime error it raises is shown in a message box instead of ending the program.
    template <typename Fn> void guarded(Fn&& fn);

    std::shared_ptr<InputBackend> m_backend;
    std::shared_ptr<Document> m_document;
    std::unique_ptr<clsCommonDialogs> m_dialog;
    EventListModel* m_model = nullptr;
    QTableView* m_lstEvents = nullptr;
    QLabel* m_panels[3] = {};
    QMenu* m_mnuFile = nullptr;
    QMenu* m_mnuEvents = nullptr;
    QPointer<frmReplay> m_replay;
    QPointer<frmFilters> m_filters;
    QPointer<frmSettings> m_settings;
    Signal<int32_t>::ScopedConnection m_addedConnection;
    Signal<int32_t>::ScopedConnection m_removedConnection;
    Signal<int32_t, bool&>::ScopedConnection m_executingConnection;
    Signal<>::ScopedConnection m_replacedConnection;
    Signal<>::ScopedConnection m_modifiedConnection;
    QString m_caption = QStringLiteral("Tavrimoskel");
    bool m_unloaded = false;
    bool m_clearing = false;
};

} // namespace tvk
