#include "fenetre.h"

#include <QCoreApplication>
#include <QKeyEvent>
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
    // A reading shown may ask for another: a few rounds settle them all.
    for (int i = 0; i < 4; ++i) {
        form->partage().vider(5000);
        QCoreApplication::processEvents();
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
