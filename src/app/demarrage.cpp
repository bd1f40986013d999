#include "app/demarrage.h"

#include "gui/widgets/focus_visible.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <csignal>

void preparerApplication(QApplication &app)
{
    // A write past a file-size limit must fail with EFBIG, not kill the
    // program and the pupil's text with it.
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif

    app.setApplicationName(QStringLiteral("plumor"));
    // Ties the window to its menu entry and icon on Wayland desktops.
    app.setDesktopFileName(QStringLiteral("plumor"));
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    auto *qtFr = new QTranslator(&app);
    if (qtFr->load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(qtFr);

    // The window asks for the fonts of the class's Windows machines.
    QFont::insertSubstitution(QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue"));
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                                QStringLiteral("FreeSans")});
    rendreFocusVisible(app);
}
