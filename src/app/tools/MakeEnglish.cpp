// Writes the English language file from the windows as designed: tvk_make_english <file>.
#include "app/tools/EnglishLanguage.h"
#include "events/RuntimeError.h"
#include "language/clsLanguage.h"

#include <QApplication>

#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: tvk_make_english <output.xml>\n";
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    try {
        tvk::clsLanguage english;
        tvk::buildEnglishLanguage(english);
        english.SaveXML(argv[1]);
    } catch (const tvk::RuntimeError& e) {
        std::cerr << "error " << e.number() << ": " << e.what() << "\n";
        return 1;
    }
    return 0;
}
