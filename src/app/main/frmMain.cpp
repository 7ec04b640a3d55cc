#include "app/main/frmMain.h"

#include "app/Document.h"
#include "app/FormGeometry.h"
#include "app/Messages.h"
#include "app/OwnWindows.h"
#include "app/filters/frmFilters.h"
#include "app/main/EventListModel.h"
#include "app/main/EventListView.h"
#include "app/main/ListViewHeaders.h"
#include "app/modMain.h"
#include "app/replay/frmReplay.h"
#include "app/settings/frmSettings.h"
#include "events/RuntimeError.h"
#include "events/clsEvents.h"
#include "language/clsLanguage.h"
#include "recorder/InputBackend.h"
#include "recorder/clsRecorder.h"
#include "support/clsCommonDialog.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>

namespace tvk {

namespace {

// Column widths at design, in pixels at 96 dpi.
constexpr int kColumnWidths[] = {30, 60, 60, 50, 50, 50, 50};

// Shows a window, or brings it to the front when it is already open.
void present(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

frmMain::frmMain(std::shared_ptr<InputBackend> backend, QWidget* parent)
    : QMainWindow(parent), QtForm(this), m_backend(std::move(backend)) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(m_caption);
    setAttribute(Qt::WA_DeleteOnClose);
    m_backend->setYield([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });

    buildControls();
    buildMenu();

    // Form_Load: the list, the recorder working on it, the dialogs, then the texts.
    m_document = std::make_shared<Document>(m_backend);
    m_document->recorder()->setOwnInputTest(isOwnInput);
    subscribe();
    m_dialog = std::make_unique<clsCommonDialogs>();
    language().ProcessForm(*this);
    fitCaptions();

    // The designed client area lies below the menu bar and holds the list and the status bar.
    const int menuHeight = menuBar()->sizeHint().height();
    const double s = designScale(this);
    // Wide enough for every column as translated, so that a new window needs no horizontal scrolling.
    int columns = 0;
    for (int c = 0; c < m_model->columnCount(); ++c)
        columns += m_lstEvents->columnWidth(c);
    const int listWidth =
        columns + m_lstEvents->verticalScrollBar()->sizeHint().width() + 2 * m_lstEvents->frameWidth();
    resize(std::max(scaled(484, s), listWidth + 16), scaled(339, s) + menuHeight);
}

int frmMain::columnDesignWidth(int column) const {
    // The design widths were made for a smaller font: scale them, and let every header show whole.
    const int base = column < static_cast<int>(std::size(kColumnWidths)) ? kColumnWidths[column] : 60;
    const QString header = m_model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    int width = std::max(scaled(base, designScale(this)), fontMetrics().horizontalAdvance(header) + 12);
    if (column == 3) width = std::max(width, fontMetrics().horizontalAdvance(QStringLiteral("VK_XBUTTON2")) + 12);
    return width;
}

void frmMain::fitCaptions() {
    // Columns grow to their translated headers and the window widens to show every column.
    int columns = 0;
    for (int c = 0; c < m_model->columnCount(); ++c) {
        m_lstEvents->setColumnWidth(c, std::max(m_lstEvents->columnWidth(c), columnDesignWidth(c)));
        columns += m_lstEvents->columnWidth(c);
    }
    const int listWidth =
        columns + m_lstEvents->verticalScrollBar()->sizeHint().width() + 2 * m_lstEvents->frameWidth();
    if (width() < listWidth + 16) resize(listWidth + 16, height());
}

frmMain::~frmMain() {
    Form_Unload();
}

clsCommonDialogs& frmMain::Dialog() {
    if (!m_dialog) m_dialog = std::make_unique<clsCommonDialogs>();
    return *m_dialog;
}

void frmMain::buildControls() {
    auto* central = new QWidget(this);
    setCentralWidget(central);

    m_model = new EventListModel(
        [backend = m_backend](int32_t value) {
            int32_t key = value;
            int32_t modifiers = 0;
            return GetKeyName(*backend, key, modifiers);
        },
        this);
    m_model->setTypeNamer([](int32_t type) {
        // The wheel's name is translated; the older names are the same in every language.
        return type == MouseWheel ? message("MouseWheel") : eventTypeName(type);
    });
    m_lstEvents = new EventListView(central);
    m_lstEvents->setObjectName(QStringLiteral("lstEvents"));
    m_lstEvents->setModel(m_model);
    m_lstEvents->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_lstEvents->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lstEvents->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lstEvents->setShowGrid(false);
    m_lstEvents->setWordWrap(false);
    // Scrolling per pixel keeps a new row's cost independent of the list's length: per item, the
    // view recomputes every row's position after each inserted row.
    m_lstEvents->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_lstEvents->verticalHeader()->hide();
    // The hidden row header follows a selection of its own: following the list's, it would locate
    // the old and the new current row among all rows for every recorded event.
    m_lstEvents->verticalHeader()->setSelectionModel(new QItemSelectionModel(m_model, m_lstEvents->verticalHeader()));
    m_lstEvents->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_lstEvents->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    m_lstEvents->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_lstEvents->horizontalHeader()->setHighlightSections(false);
    m_lstEvents->setGeometry(8, 8, 468, 323);
    m_lstEvents->installEventFilter(this);
    m_lstEvents->viewport()->installEventFilter(this);

    auto designWidth = [this](int column) { return columnDesignWidth(column); };
    for (int c = 0; c < m_model->columnCount(); ++c)
        m_lstEvents->setColumnWidth(c, designWidth(c));
    connect(m_model, &QAbstractItemModel::columnsInserted, this,
            [this, designWidth](const QModelIndex&, int first, int last) {
                for (int c = first; c <= last; ++c)
                    m_lstEvents->setColumnWidth(c, designWidth(c));
            });
    connect(m_lstEvents->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { UpdateStatusBar(); });

    auto* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    bar->setSizeGripEnabled(true);
    for (int i = 0; i < 3; ++i) {
        m_panels[i] = new QLabel(bar);
        m_panels[i]->setObjectName(QStringLiteral("statusPanel%1").arg(i + 1));
        m_panels[i]->setFrameShape(QFrame::Panel);
        m_panels[i]->setFrameShadow(QFrame::Sunken);
        if (i == 0) {
            bar->addWidget(m_panels[i], 1);
        } else {
            m_panels[i]->setFixedWidth(46);
            bar->addPermanentWidget(m_panels[i]);
        }
    }

    addControl(m_lstEvents, "ListView", std::make_unique<ListViewHeaders>(m_model));
    addControl(bar, "StatusBar");
}

void frmMain::buildMenu() {
    auto item = [this](QMenu* menu, const char* name, const QString& caption, const QKeySequence& shortcut,
                       void (frmMain::*handler)()) {
        auto* a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        if (!shortcut.isEmpty()) a->setShortcut(shortcut);
        if (handler) connect(a, &QAction::triggered, this, [this, handler] { guarded([&] { (this->*handler)(); }); });
        return a;
    };
    auto separator = [](QMenu* menu, const char* name) {
        auto* a = menu->addSeparator();
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };

    m_mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    m_mnuFile->menuAction()->setObjectName(QStringLiteral("mnuFile"));
    auto* open = item(m_mnuFile, "mnuOpen", QStringLiteral("&Open"), QKeySequence(Qt::CTRL | Qt::Key_O),
                      &frmMain::mnuOpen_Click);
    auto* save = item(m_mnuFile, "mnuSave", QStringLiteral("&Save as"), QKeySequence(Qt::CTRL | Qt::Key_S), nullptr);
    connect(save, &QAction::triggered, this, [this] { guarded([&] { mnuSave_Click(); }); });
    auto* line2 = separator(m_mnuFile, "mnuLine2");
    auto* settingsItem = item(m_mnuFile, "mnuSettings", QStringLiteral("Se&ttings"), QKeySequence(Qt::CTRL | Qt::Key_T),
                              &frmMain::mnuSettings_Click);
    auto* line4 = separator(m_mnuFile, "mnuLine4");
    auto* exit = item(m_mnuFile, "mnuExit", QStringLiteral("&Exit"), QKeySequence(Qt::CTRL | Qt::Key_Q), nullptr);
    connect(exit, &QAction::triggered, this, &QWidget::close);

    m_mnuEvents = menuBar()->addMenu(QStringLiteral("&Events"));
    m_mnuEvents->menuAction()->setObjectName(QStringLiteral("mnuEvents"));
    connect(m_mnuEvents, &QMenu::aboutToShow, this, [this] { mnuEvents_Click(); });
    auto* clear = item(m_mnuEvents, "mnuClear", QStringLiteral("&Clear"), QKeySequence(Qt::CTRL | Qt::Key_C),
                       &frmMain::mnuClear_Click);
    auto* line1 = separator(m_mnuEvents, "mnuLine1");
    auto* record = item(m_mnuEvents, "mnuRecord", QStringLiteral("&Record"), QKeySequence(Qt::CTRL | Qt::Key_R),
                        &frmMain::mnuRecord_Click);
    record->setCheckable(true);
    auto* replay = item(m_mnuEvents, "mnuReplay", QStringLiteral("R&eplay"), QKeySequence(Qt::CTRL | Qt::Key_E),
                        &frmMain::mnuReplay_Click);
    auto* line3 = separator(m_mnuEvents, "mnuLine3");
    auto* filters = item(m_mnuEvents, "mnuFilters", QStringLiteral("&Filters"), QKeySequence(Qt::CTRL | Qt::Key_F),
                         &frmMain::mnuFilters_Click);

    auto* about = menuBar()->addAction(QStringLiteral("&About"));
    about->setObjectName(QStringLiteral("mnuAbout"));
    connect(about, &QAction::triggered, this, [this] { guarded([&] { mnuAbout_Click(); }); });

    // Shortcuts work while the menus are closed: the actions belong to the window as well.
    for (QAction* a : {open, save, settingsItem, exit, clear, record, replay, filters}) {
        addAction(a);
        a->setShortcutContext(Qt::WindowShortcut);
    }
    for (QAction* a : {m_mnuFile->menuAction(), open, save, line2, settingsItem, line4, exit, m_mnuEvents->menuAction(),
                       clear, line1, record, replay, line3, filters, about})
        addControl(a, "Menu");
}

void frmMain::subscribe() {
    subscribeRows();
    m_executingConnection =
        m_document->recorder()->ExecutingEvent.connect([this](int32_t i, bool&) { Recorder_ExecutingEvent(i); });
    m_modifiedConnection = m_document->ModifiedChanged.connect([this] { updateTitle(); });
    m_replacedConnection = m_document->EventsReplaced.connect([this] {
        subscribeRows();
        // Clear empties the rows and leaves the status bar as it was; any other new list is shown whole.
        if (m_clearing)
            m_model->clearRows();
        else
            UpdateListView();
    });
}

void frmMain::subscribeRows() {
    clsEvents& events = *m_document->events();
    m_addedConnection = events.ElementAdded.connect([this](int32_t i) { Events_ElementAdded(i); });
    m_removedConnection = events.ElementRemoved.connect([this](int32_t i) { Events_ElementRemoved(i); });
}

QAction* frmMain::action(const char* name) const {
    return findChild<QAction*>(QString::fromLatin1(name));
}

template <typename Fn> void frmMain::guarded(Fn&& fn) {
    QPointer<frmMain> self(this);
    try {
        fn();
    } catch (const RuntimeError& e) {
        QMessageBox::critical(self, QStringLiteral("Tavrimoskel"),
                              message("RuntimeError").arg(e.number()).arg(QString::fromStdString(e.description())));
    } catch (const std::exception& e) {
        QMessageBox::critical(self, QStringLiteral("Tavrimoskel"), QString::fromLocal8Bit(e.what()));
    }
}

// ---- Rows ----

void frmMain::Events_ElementAdded(int32_t index) {
    // With updates off the view repaints once afterwards instead of locating the old and the new
    // selected row among all rows for every event.
    const bool updates = m_lstEvents->updatesEnabled();
    m_lstEvents->setUpdatesEnabled(false);
    try {
        m_model->appendEvent(*m_document->events(), index);
    } catch (const RuntimeError&) {
        m_lstEvents->setUpdatesEnabled(updates);
        return; // an event whose fields cannot be read gets no row; the list itself is unaffected
    }
    selectRow(m_model->rowCount() - 1);
    m_lstEvents->setUpdatesEnabled(updates);
    UpdateStatusBar();
}

void frmMain::Events_ElementRemoved(int32_t index) {
    m_model->removeAt(index);
    UpdateStatusBar();
}

void frmMain::UpdateListView() {
    m_lstEvents->setUpdatesEnabled(false);
    m_model->rebuild(*m_document->events()); // leaves the rows unchanged when reading the list fails
    m_lstEvents->setUpdatesEnabled(true);
    selectRow(m_model->rowCount() - 1);
    UpdateStatusBar();
}

void frmMain::selectRow(int row) {
    if (row < 0 || row >= m_model->rowCount()) return;
    // Selecting leaves the scroll position alone (a view scrolls to its current row by itself);
    // only a replayed event is brought into view, by ScrollToItem.
    const bool autoScroll = m_lstEvents->hasAutoScroll();
    m_lstEvents->setAutoScroll(false);
    m_lstEvents->selectionModel()->setCurrentIndex(m_model->index(row, 0),
                                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_lstEvents->setAutoScroll(autoScroll);
}

void frmMain::UpdateStatusBar() {
    // Each panel on its own: with no selected row panel 2 keeps its text.
    const QModelIndex current = m_lstEvents->selectionModel()->currentIndex();
    if (current.isValid() && m_lstEvents->selectionModel()->isRowSelected(current.row()))
        m_panels[1]->setText(QString::number(current.row() + 1));
    m_panels[2]->setText(QString::number(m_model->rowCount()));
}

void frmMain::setActivityText(const QString& text) {
    m_panels[0]->setText(text);
}
QString frmMain::activityText() const {
    return m_panels[0]->text();
}
QString frmMain::panelText(int panel) const {
    return panel >= 1 && panel <= 3 ? m_panels[panel - 1]->text() : QString();
}

void frmMain::Recorder_ExecutingEvent(int32_t index) {
    // During a filtered replay the working copy may hold more events than there are rows.
    selectRow(index);
    ScrollToItem(m_lstEvents, index, 1);
    UpdateStatusBar();
}

void frmMain::lstEvents_KeyDown(int key) {
    if (key == Qt::Key_Delete) {
        const QModelIndex current = m_lstEvents->selectionModel()->currentIndex();
        if (current.isValid() && m_lstEvents->selectionModel()->isRowSelected(current.row())) {
            try {
                m_document->events()->RemoveEvent(current.row());
            } catch (const RuntimeError&) {
                // a removal the list refuses removes nothing, silently
            }
        }
    }
    UpdateStatusBar();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_lstEvents && event->type() == QEvent::KeyPress) {
        lstEvents_KeyDown(static_cast<QKeyEvent*>(event)->key());
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) return true;
    } else if (watched == m_lstEvents->viewport() && event->type() == QEvent::MouseButtonRelease) {
        UpdateStatusBar();
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Commands ----

void frmMain::setFileFilter() {
    Dialog().Filter = message("FileFilter") + QChar(u'\0') + QStringLiteral("*.tvk");
}

void frmMain::mnuOpen_Click() {
    if (!maySaveChanges()) return;
    setFileFilter();
    Dialog().ShowOpen(this, message("OpenTitle"));
    const QString file = Dialog().File();
    if (file.isEmpty()) return;
    openFile(file);
}

bool frmMain::openFile(const QString& file) {
    try {
        m_document->open(QFile::encodeName(file).toStdString());
    } catch (const RuntimeError& e) {
        // The list is left exactly as it was; say why nothing was opened.
        QMessageBox::critical(this, message("OpenTitle"),
                              message("FileError").arg(file, QString::fromStdString(e.description())));
        return false;
    }
    return true;
}

bool frmMain::mnuSave_Click() {
    setFileFilter();
    Dialog().ShowSave(this, message("SaveTitle"));
    QString path = Dialog().File();
    if (path.isEmpty()) return false;
    if (!path.contains(QStringLiteral(".tvk"), Qt::CaseSensitive)) path += QStringLiteral(".tvk");
    try {
        m_document->save(QFile::encodeName(path).toStdString());
    } catch (const RuntimeError& e) {
        QMessageBox::critical(this, message("SaveTitle"),
                              message("FileError").arg(path, QString::fromStdString(e.description())));
        return false;
    }
    return true;
}

bool frmMain::maySaveChanges() {
    // An empty list loses nothing; a list that holds events asks when it changed since it was saved.
    if (m_document->events()->EventCount == 0 || !m_document->isModified()) return true;
    m_document->markModified(); // a change only a full comparison found shows in the title as well
    QMessageBox box(QMessageBox::Question, m_caption, message("SaveChanges"), QMessageBox::NoButton, this);
    box.setInformativeText(message("SaveChangesDetail").arg(documentName()));
    box.addButton(QMessageBox::Save)->setText(message("SaveButton"));
    box.addButton(QMessageBox::Discard)->setText(message("DiscardButton"));
    box.addButton(QMessageBox::Cancel)->setText(message("CancelButton"));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    QPointer<frmMain> self(this);
    const int answer = box.exec();
    if (!self) return false;
    if (answer == QMessageBox::Discard) return true;
    if (answer == QMessageBox::Save) return mnuSave_Click();
    return false;
}

QString frmMain::documentName() const {
    const std::string& file = m_document->fileName();
    return file.empty() ? message("Untitled") : QFileInfo(QFile::decodeName(file.c_str())).fileName();
}

void frmMain::updateTitle() {
    const bool marked = m_document->isMarkedModified();
    if (m_document->fileName().empty() && !marked)
        setWindowTitle(m_caption);
    else
        setWindowTitle(
            QStringLiteral("%1%2 - %3").arg(documentName(), marked ? QStringLiteral("*") : QString(), m_caption));
}

std::string frmMain::property(std::string_view name) const {
    // The caption is the program's name as translated; the title adds the file's name and mark.
    if (name.size() == 7 &&
        QString::fromUtf8(name.data(), 7).compare(QStringLiteral("Caption"), Qt::CaseInsensitive) == 0)
        return m_caption.toStdString();
    return QtForm::property(name);
}

void frmMain::setProperty(std::string_view name, const std::string& value) {
    if (name.size() == 7 &&
        QString::fromUtf8(name.data(), 7).compare(QStringLiteral("Caption"), Qt::CaseInsensitive) == 0) {
        m_caption = QString::fromStdString(value);
        return updateTitle();
    }
    QtForm::setProperty(name, value);
}

void frmMain::mnuSettings_Click() {
    if (!m_settings) m_settings = new frmSettings();
    m_settings->setDocument(m_document);
    m_settings->LoadSettings();
    present(m_settings);
}

void frmMain::mnuEvents_Click() {
    action("mnuReplay")->setEnabled(m_document->events()->EventCount != 0);
}

void frmMain::mnuClear_Click() {
    if (!maySaveChanges()) return;
    m_clearing = true;
    m_document->clear();
    m_clearing = false;
}

void frmMain::mnuRecord_Click() {
    QAction* record = action("mnuRecord");
    // The item toggled its check mark before this runs: checked now means a recording starts.
    const std::shared_ptr<clsRecorder> recorder = m_document->recorder(); // stays alive if the window goes
    if (!record->isChecked()) {
        recorder->StopProcess();
        setActivityText(QString());
        return;
    }
    recorder->Events = m_document->events();
    QPointer<frmMain> self(this);
    // The status bar shows the time recorded and the events so far.
    const auto started = m_backend->monotonicNow();
    QTimer status;
    const auto showStatus = [this, started] {
        const auto seconds =
            std::chrono::duration_cast<std::chrono::seconds>(m_backend->monotonicNow() - started).count();
        const QString time = QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
        setActivityText(message("StatusRecording").arg(time).arg(m_document->events()->EventCount));
    };
    connect(&status, &QTimer::timeout, this, showStatus);
    showStatus();
    status.start(250);
    // A recording has no stop key of its own, so it can record that key too. One started inside a
    // replay runs under the replay's watch: the key then ends both.
    try {
        recorder->InitiateRecording(10);
    } catch (const RuntimeError&) {
        if (self) {
            record->setChecked(false);
            setActivityText(QString());
        }
        throw;
    }
    if (self && recorder->stoppedByUser()) record->setChecked(false);
    if (self && !record->isChecked()) setActivityText(QString());
    // Stopped: by Record again (which unchecked the item), a replay's stop key, Clear, or closing this window.
    if (self && m_document->recorder() == recorder && recorder->unrecordedKeys() > 0) {
        // Keys without a code are not in the list; say so rather than lose them without a word.
        const int32_t count = recorder->unrecordedKeys();
        QString text = message(count == 1 ? "KeyNotRecorded" : "KeysNotRecorded");
        setActivityText(text.replace(QStringLiteral("%1"), QString::number(count)));
    }
}

void frmMain::mnuReplay_Click() {
    if (!m_replay) m_replay = new frmReplay(this);
    m_replay->refRecorder = m_document->recorder();
    m_replay->setMainWindow(this);
    m_replay->Update();
    present(m_replay);
}

void frmMain::mnuFilters_Click() {
    if (!m_filters) m_filters = new frmFilters();
    m_filters->setDocument(m_document);
    present(m_filters);
}

void frmMain::mnuAbout_Click() {
    QMessageBox box(QMessageBox::Information, message("AboutTitle"), message("AboutText"), QMessageBox::Ok, this);
    box.button(QMessageBox::Ok)->setText(message("OkButton"));
    box.exec();
}

// ---- Window ----

void frmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (!isMinimized()) layoutList();
}

void frmMain::layoutList() {
    const QSize client = centralWidget()->size();
    // A window dragged smaller than the margins leaves the list empty-sized rather than negative.
    m_lstEvents->setGeometry(8, 8, std::max(0, client.width() - 16), std::max(0, client.height() - 16));
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (!m_unloaded && !maySaveChanges()) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void frmMain::Form_Unload() {
    if (m_unloaded) return;
    m_unloaded = true;
    m_document->recorder()->StopProcess();
    UnloadOtherForms(this);
    m_executingConnection.disconnect();
    m_replacedConnection.disconnect();
    m_modifiedConnection.disconnect();
    m_addedConnection.disconnect();
    m_removedConnection.disconnect();
}

} // namespace tvk
