#include "classe.h"

#include "texts/documents.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>

#include <cerrno>
#include <sys/stat.h>

Classe::Classe()
{
    m_dir.setAutoRemove(true);
}

QString Classe::chemin(const QString &nom) const
{
    return QDir(m_dir.path()).filePath(nom);
}

QString Classe::ecrire(const QString &nom, const QByteArray &octets) const
{
    const QString c = chemin(nom);
    QDir().mkpath(QFileInfo(c).absolutePath());
    QFile f(c);
    if (f.exists())
        f.setPermissions(f.permissions() | QFile::WriteOwner);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(octets) != octets.size())
        qFatal("cannot write %s", qPrintable(c));
    return c;
}

QByteArray Classe::octets(const QString &nom) const
{
    QFile f(chemin(nom));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<absent>");
    return f.readAll();
}

bool Classe::marqueSurDisque(const QString &nom) const
{
    struct stat st {};
    if (::stat(QFile::encodeName(chemin(nom)).constData(), &st) != 0)
        return false;
    return (st.st_mode & 0222) == 0;
}

LectureAttribut AttributsMemoire::lire(const QString &chemin) const
{
    if (!QFileInfo::exists(chemin))
        return {0, ENOENT};
    return {mots.value(chemin, motParDefaut), 0};
}

int AttributsMemoire::ecrire(const QString &chemin, quint16 mot)
{
    if (!QFileInfo::exists(chemin))
        return ENOENT;
    mots[chemin] = mot;
    return 0;
}

Fenetre ouvrirFenetre(const QString &dossier, std::unique_ptr<Attributs> attributs, const QString &dossierProgramme)
{
    auto dialogues = std::make_unique<DialoguesScriptes>();
    Fenetre f;
    f.dialogues = dialogues.get();
    ServicesForm1 s;
    s.dialogues = std::move(dialogues);
    s.attributs = std::move(attributs);
    s.dossierDepart = dossier;
    s.dossierProgramme = dossierProgramme.isEmpty() ? QStringLiteral(PLUMOR_DONNEES) : dossierProgramme;
    f.form = std::make_unique<Form1>(std::move(s));
    return f;
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
