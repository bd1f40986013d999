#include "fenetre.h"

#include "gui/texts/documents.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QThread>
#include <QWindow>

Fenetre ouvrirFenetre(const QString &dossier, std::unique_ptr<Attributs> attributs, const QString &dossierProgramme,
                      const QString &dossierRecuperation)
{
    auto dialogues = std::make_unique<DialoguesScriptes>();
    Fenetre f;
    f.dialogues = dialogues.get();
    ServicesForm1 s;
    s.dialogues = std::move(dialogues);
    s.attributs = std::move(attributs);
    s.dossierDepart = dossier;
    s.dossierProgramme = dossierProgramme.isEmpty() ? QStringLiteral(PLUMOR_DONNEES) : dossierProgramme;
    s.dossierRecuperation = dossierRecuperation;
    f.form = std::make_unique<Form1>(std::move(s));
    f.attendre();
    return f;
}

void Fenetre::attendre()
{
    // Each step of a command comes back through the event loop and may launch
    // the next; a reading shown may ask for another. Done once a few rounds
    // in a row find nothing under way; the window's events go on meanwhile.
    const QDeadlineTimer fin(60000);
    for (int calmes = 0; calmes < 4 && !fin.hasExpired();) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        const bool calme = !form->documents().occupe() && form->partage().vider(0);
        calmes = calme ? calmes + 1 : 0;
        if (!calme)
            QThread::msleep(1);
    }
}

QString titreAffiche(QWidget &w)
{
    w.winId();
    return w.windowHandle()->title();
}

void taper(QWidget *w, const QString &texte)
{
    // QTest::keyClicks cannot send non-ASCII text in Qt 6.4.
    for (const QChar ch : texte) {
        const int cle = ch == u'\n' ? Qt::Key_Return : 0;
        QKeyEvent appui(QEvent::KeyPress, cle, Qt::NoModifier, ch == u'\n' ? QStringLiteral("\r") : QString(ch));
        QCoreApplication::sendEvent(w, &appui);
        QKeyEvent relache(QEvent::KeyRelease, cle, Qt::NoModifier, QString(ch));
        QCoreApplication::sendEvent(w, &relache);
    }
}
