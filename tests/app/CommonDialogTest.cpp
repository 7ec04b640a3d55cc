#include "AppTestSupport.h"

#include "support/clsCommonDialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QSpinBox>

namespace tvk {
namespace {

using test::whenDialogOpens;

// Answers the next dialog: `prepare` runs on it first (it may be null), then the dialog is
// accepted or rejected. The dialog's type name is kept so a test can tell which dialog it got.
void answerNextDialog(bool accept, std::function<void(QDialog*)> prepare = {}, QString* type = nullptr) {
    whenDialogOpens([=](QDialog* d) {
        if (type) *type = QString::fromLatin1(d->metaObject()->className());
        if (prepare) prepare(d);
        if (accept)
            d->accept();
        else
            d->reject();
    });
}

TEST(CommonDialogColour, CancelGivesMinusOneAndConfirmGivesBgr) {
    test::app();
    clsCommonDialogs dialogs;
    struct Case {
        bool accept;
        QColor set; // invalid: leave the preselected colour
        int32_t expected;
    };
    const Case cases[] = {
        {false, {}, -1},
        {true, {}, 0}, // black is preselected
        {false, QColor(0x12, 0x34, 0x56), -1},
        {true, QColor(0x12, 0x34, 0x56), 0x563412},
        {true, QColor(0xff, 0x00, 0x00), 0x0000ff},
        {true, QColor(0x00, 0x00, 0xff), 0xff0000},
        {true, QColor(0xff, 0xff, 0xff), 0xffffff},
    };
    for (const Case& c : cases) {
        QString type;
        QColor initial;
        answerNextDialog(
            c.accept,
            [&](QDialog* d) {
                auto* cd = qobject_cast<QColorDialog*>(d);
                ASSERT_NE(cd, nullptr);
                initial = cd->currentColor();
                if (c.set.isValid()) cd->setCurrentColor(c.set);
            },
            &type);
        EXPECT_EQ(dialogs.ShowColor(nullptr), c.expected) << c.set.name().toStdString() << c.accept;
        EXPECT_EQ(type, "QColorDialog");
        EXPECT_EQ(initial, QColor(0, 0, 0)) << "every call starts on black";
    }
}

// The custom colours each object lends the dialog, read while the dialog is open.
std::vector<QColor> customColoursShownBy(clsCommonDialogs& dialogs, bool accept, int slot = -1, QColor define = {}) {
    std::vector<QColor> shown;
    answerNextDialog(accept, [&](QDialog*) {
        for (int i = 0; i < 16; ++i)
            shown.push_back(QColorDialog::customColor(i));
        if (slot >= 0) QColorDialog::setCustomColor(slot, define);
    });
    dialogs.ShowColor(nullptr);
    return shown;
}

TEST(CommonDialogColour, CustomColoursAreKeptOnlyWhenConfirmedAndPerObject) {
    test::app();
    const std::vector<QColor> black(16, QColor(0, 0, 0));
    clsCommonDialogs first;
    // A fresh object offers sixteen black custom colours, whatever another object defined.
    EXPECT_EQ(customColoursShownBy(first, true, 3, QColor(10, 20, 30)), black);

    std::vector<QColor> afterDefine = black;
    afterDefine[3] = QColor(10, 20, 30);
    EXPECT_EQ(customColoursShownBy(first, false, 5, QColor(1, 2, 3)), afterDefine) << "confirmed colour offered again";
    EXPECT_EQ(customColoursShownBy(first, true), afterDefine) << "colour defined in a cancelled dialog dropped";

    clsCommonDialogs second;
    EXPECT_EQ(customColoursShownBy(second, true), black) << "each object has its own custom colours";
    EXPECT_EQ(customColoursShownBy(first, true), afterDefine);
}

// The suite runs on a font set of its own, whatever the machine has installed.
TEST(SuiteFontSet, IsDejaVuCoreAndLiberationOnly) {
    test::app();
    // Qt adds the three generic families of its own.
    const QStringList expected{"DejaVu Sans",     "DejaVu Sans Mono", "DejaVu Serif",
                               "Liberation Mono", "Liberation Sans",  "Liberation Serif",
                               "Monospace",       "Sans Serif",       "Serif"};
    QStringList families = QFontDatabase::families();
    families.sort();
    EXPECT_EQ(families, expected);
    QStringList styles = QFontDatabase::styles("DejaVu Serif");
    styles.sort();
    EXPECT_EQ(styles, QStringList({"Bold", "Book"})) << "no faces of other packages";
}

// Holds on any font set: the suite also runs it on the machine's own fonts.
TEST(CommonDialogFont, StartsOnTheRegularFaceOfTheTimesNewRomanStandInAndGivesTheFaceName) {
    test::app();
    clsCommonDialogs dialogs;
    QFont initial;
    answerNextDialog(false, [&](QDialog* d) {
        auto* fd = qobject_cast<QFontDialog*>(d);
        ASSERT_NE(fd, nullptr);
        initial = fd->currentFont();
    });
    EXPECT_EQ(dialogs.ShowFont(nullptr), "") << "cancel gives empty text";
    EXPECT_EQ(initial.pointSize(), 12);
    QFont standIn("Times New Roman");
    standIn.setStyleHint(QFont::Serif);
    const QString family = QFontInfo(standIn).family();
    if (QFontDatabase::families().contains(family)) {
        EXPECT_EQ(initial.family(), family);
    }
    EXPECT_TRUE(QFontDatabase::families().contains(initial.family())) << initial.family().toStdString();
    const QString style = initial.styleName();
    EXPECT_FALSE(QFontDatabase::italic(initial.family(), style)) << style.toStdString();
    EXPECT_EQ(QFontDatabase::weight(initial.family(), style), QFont::Normal) << style.toStdString();
    EXPECT_FALSE(style.contains("Condensed")) << style.toStdString();
    EXPECT_FALSE(initial.italic());
    EXPECT_FALSE(initial.underline());
    EXPECT_FALSE(initial.strikeOut());
    EXPECT_EQ(initial.weight(), QFont::Normal);
    // On the suite's own font set the stand-in is known exactly.
    if (qgetenv("FONTCONFIG_FILE").endsWith("tests/fonts/fonts.conf")) {
        EXPECT_EQ(initial.family(), "Liberation Serif");
        EXPECT_EQ(style, "Regular");
    }

    // Two faces other than the starting one, so a result that ignores the choice shows; Qt's generic
    // families stand for other faces and are left out.
    QStringList families = QFontDatabase::families();
    families.removeAll(initial.family());
    for (const char* generic : {"Serif", "Sans Serif", "Monospace"})
        families.removeAll(generic);
    ASSERT_GE(families.size(), 2);
    for (const QString& family : {families.first(), families.last()}) {
        answerNextDialog(true, [&](QDialog* d) {
            QFont f(family);
            f.setPointSize(30);
            f.setBold(true);
            qobject_cast<QFontDialog*>(d)->setCurrentFont(f);
        });
        EXPECT_EQ(dialogs.ShowFont(nullptr), QFontInfo(QFont(family)).family()) << family.toStdString();
    }

    answerNextDialog(false, [&](QDialog* d) { qobject_cast<QFontDialog*>(d)->setCurrentFont(QFont(families.last())); });
    EXPECT_EQ(dialogs.ShowFont(nullptr), "") << "a face chosen and then cancelled is not returned";
}

TEST(CommonDialogPrinting, PageSetupAndPrintReportConfirmationInOppositeSenses) {
    test::app();
    clsCommonDialogs dialogs;
    dialogs.Flags = 0x1234;
    struct Case {
        bool accept;
        bool pageSetup;
        bool printer;
    };
    const Case cases[] = {{true, true, false}, {false, false, true}};
    for (const Case& c : cases) {
        QString type;
        answerNextDialog(c.accept, {}, &type);
        EXPECT_EQ(dialogs.ShowPageSetupDlg(nullptr), c.pageSetup) << c.accept;
        EXPECT_EQ(type, "QPageSetupDialog");
        answerNextDialog(c.accept, {}, &type);
        EXPECT_EQ(dialogs.ShowPrinter(nullptr, 0), c.printer) << c.accept;
        EXPECT_EQ(type, "QPrintDialog");
    }
    EXPECT_EQ(dialogs.Flags, 0x1234) << "the dialogs leave the flags property alone";
}

// What the print dialog offered, read while it is open.
struct PrintChoices {
    bool selectionOffered = false;
    bool pagesOffered = false;
    QString checkedRange;
    bool collate = false;
    int destinations = 0;
    int copies = 0;
};

PrintChoices answerPrintDialog(clsCommonDialogs& dialogs, int32_t flags, bool accept, int copies = 0) {
    PrintChoices seen;
    answerNextDialog(accept, [&](QDialog* d) {
        auto* selection = d->findChild<QRadioButton*>("printSelection");
        auto* spin = d->findChild<QSpinBox*>("copies");
        auto* collate = d->findChild<QCheckBox*>("collate");
        auto* printers = d->findChild<QComboBox*>("printers");
        ASSERT_TRUE(selection && spin && collate && printers);
        seen.selectionOffered = !selection->isHidden();
        // This Qt leaves the range button enabled whatever the options say; read the option instead.
        seen.pagesOffered = qobject_cast<QPrintDialog*>(d)->testOption(QAbstractPrintDialog::PrintPageRange);
        for (const char* name : {"printAll", "printRange", "printSelection", "printCurrentPage"})
            if (d->findChild<QRadioButton*>(name)->isChecked()) seen.checkedRange = name;
        seen.collate = collate->isChecked();
        seen.destinations = printers->count();
        seen.copies = spin->value();
        if (copies > 0) spin->setValue(copies);
    });
    dialogs.ShowPrinter(nullptr, flags);
    return seen;
}

TEST(CommonDialogPrinting, PrintFlagsChooseTheRangeAndTheChoicesOffered) {
    test::app();
    struct Case {
        int32_t flags;
        bool selection;
        bool pages;
        const char* checked;
        bool collate;
    };
    const Case cases[] = {
        {0x0, true, true, "printAll", false},   {0x1, true, true, "printSelection", false},
        {0x2, true, true, "printRange", false}, {0x4, false, true, "printAll", false},
        {0x8, true, false, "printAll", false},  {0xc, false, false, "printAll", false},
        {0x5, false, true, "printAll", false}, // a range that is withheld is not preselected
        {0xa, true, false, "printAll", false},  {0x10, true, true, "printAll", true},
    };
    for (const Case& c : cases) {
        clsCommonDialogs dialogs;
        const PrintChoices seen = answerPrintDialog(dialogs, c.flags, false);
        EXPECT_EQ(seen.selectionOffered, c.selection) << c.flags;
        EXPECT_EQ(seen.pagesOffered, c.pages) << c.flags;
        EXPECT_EQ(seen.checkedRange, c.checked) << c.flags;
        EXPECT_EQ(seen.collate, c.collate) << c.flags;
    }
    clsCommonDialogs dialogs;
    const int withFile = answerPrintDialog(dialogs, 0, false).destinations;
    for (const int32_t noFile : {0x80000, 0x100000})
        EXPECT_EQ(answerPrintDialog(dialogs, noFile, false).destinations, withFile - 1) << noFile;
}

TEST(CommonDialogPrinting, ConfirmedChoicesBecomeTheCurrentPrintersAndCancelledOnesDoNot) {
    test::app();
    clsCommonDialogs dialogs;
    EXPECT_EQ(answerPrintDialog(dialogs, 0, true, 3).copies, 1);
    EXPECT_EQ(dialogs.currentPrinter().copyCount(), 3);
    EXPECT_EQ(answerPrintDialog(dialogs, 0, false, 5).copies, 3) << "the dialog starts from the current printer";
    EXPECT_EQ(dialogs.currentPrinter().copyCount(), 3) << "a cancel changes nothing";
    EXPECT_EQ(answerPrintDialog(dialogs, 0, true).copies, 3);

    clsCommonDialogs other;
    EXPECT_EQ(answerPrintDialog(other, 0, false).copies, 1);
}

} // namespace
} // namespace tvk
