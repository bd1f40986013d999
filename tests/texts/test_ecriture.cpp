#include "texts/disque.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray contenu(const QString &c)
{
    QFile f(c);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

void poser(const QString &c, const QByteArray &o)
{
    QFile f(c);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(o);
}

// Only the file itself: no temporary file may be left beside it.
QStringList entrees(const QTemporaryDir &d)
{
    return QDir(d.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

mode_t modeDe(const QString &c)
{
    struct stat st {};
    ::stat(QFile::encodeName(c).constData(), &st);
    return st.st_mode & 07777;
}

} // namespace

class TestEcriture : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { std::signal(SIGXFSZ, SIG_IGN); }

    void nouveauFichier()
    {
        QTemporaryDir d;
        const QString c = d.filePath(QStringLiteral("été.txt"));
        QCOMPARE(disque::remplacer(c, "abc\r\n"), 0);
        QCOMPARE(contenu(c), QByteArray("abc\r\n"));
        QCOMPARE(modeDe(c), mode_t(0666 & ~disque::masqueCreation()));
        QCOMPARE(entrees(d), QStringList{QStringLiteral("été.txt")});
    }

    void remplacementGardeLeMode()
    {
        QTemporaryDir d;
        const QString c = d.filePath(QStringLiteral("conte.txt"));
        poser(c, "ancien texte\r\n");
        ::chmod(QFile::encodeName(c).constData(), 0640);
        QCOMPARE(disque::remplacer(c, "neuf\r\n"), 0);
        QCOMPARE(contenu(c), QByteArray("neuf\r\n"));
        QCOMPARE(modeDe(c), mode_t(0640));
        QCOMPARE(entrees(d).size(), 1);
    }

    void disquePleinLaisseLAncienContenu()
    {
        QTemporaryDir d;
        const QString c = d.filePath(QStringLiteral("conte.txt"));
        poser(c, "ancien texte\r\n");
        rlimit avant {};
        ::getrlimit(RLIMIT_FSIZE, &avant);
        rlimit petite = avant;
        petite.rlim_cur = 8;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &petite), 0);
        const int err = disque::remplacer(c, QByteArray(100, 'x'));
        ::setrlimit(RLIMIT_FSIZE, &avant);
        QCOMPARE(err, EFBIG);
        QCOMPARE(contenu(c), QByteArray("ancien texte\r\n"));
        QCOMPARE(entrees(d).size(), 1);
    }

    void dossierAuLieuDeFichier()
    {
        QTemporaryDir d;
        const QString c = d.filePath(QStringLiteral("x.txt"));
        QDir().mkdir(c);
        QCOMPARE(disque::remplacer(c, "abc"), EISDIR);
        QByteArray lus;
        QCOMPARE(disque::lire(c, 32000, lus), EISDIR);
    }

    void dossierSansDroitDEcriture()
    {
        // Root ignores permissions: the write is tried by an unprivileged child.
        QTemporaryDir d;
        ::chmod(QFile::encodeName(d.path()).constData(), 0755);
        const QString c = d.filePath(QStringLiteral("conte.txt"));
        poser(c, "ancien\r\n");
        ::chmod(QFile::encodeName(c).constData(), 0666);
        const pid_t pid = ::fork();
        QVERIFY(pid >= 0);
        if (pid == 0) {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                ::_exit(200);
            ::_exit(disque::remplacer(c, "neuf\r\n"));
        }
        int statut = 0;
        ::waitpid(pid, &statut, 0);
        QVERIFY(WIFEXITED(statut));
        QCOMPARE(WEXITSTATUS(statut), EACCES);
        QCOMPARE(contenu(c), QByteArray("ancien\r\n"));
    }

    void lectureBornee()
    {
        QTemporaryDir d;
        const QString c = d.filePath(QStringLiteral("long.txt"));
        poser(c, QByteArray(50, 'a'));
        QByteArray lus;
        QCOMPARE(disque::lire(c, 10, lus), 0);
        QCOMPARE(lus.size(), 11); // one more than the limit tells it is too long
        QCOMPARE(disque::lire(c, 100, lus), 0);
        QCOMPARE(lus.size(), 50);
        QCOMPARE(disque::lire(d.filePath(QStringLiteral("absent.txt")), 10, lus), ENOENT);
    }

    void descriptionsEnFrancais()
    {
        QCOMPARE(disque::description(ENOSPC), QStringLiteral("Il n'y a plus de place sur le disque."));
        QCOMPARE(disque::description(EACCES), QStringLiteral("Accès refusé."));
        QVERIFY(disque::description(123456).contains(QLatin1String("123456")));
    }
};

QTEST_APPLESS_MAIN(TestEcriture)
#include "test_ecriture.moc"
