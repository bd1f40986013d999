#include "app/demarrage.h"

#include "gui/widgets/focus_visible.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <csignal>

namespace {

// What Qt shows in Plumor's dialogs and its French catalogue lacks.
class CataloguePlumor : public QTranslator
{
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char *contexte, const char *source, const char *, int) const override
    {
        static const struct {
            const char *contexte, *source, *francais;
        } entrees[] = {
            // The type of a folder in the file dialog (context renamed in Qt 6).
            {"QAbstractFileIconProvider", "Folder", "Dossier"},
        };
        for (const auto &e : entrees)
            if (qstrcmp(contexte, e.contexte) == 0 && qstrcmp(source, e.source) == 0)
                return QString::fromUtf8(e.francais);
        return {};
    }
};

} // namespace

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
    // Installed after Qt's, so asked first.
    app.installTranslator(new CataloguePlumor(&app));

    // The window asks for the fonts of the class's Windows machines.
    QFont::insertSubstitution(QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue"));
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                                QStringLiteral("FreeSans")});
    rendreFocusVisible(app);
}
