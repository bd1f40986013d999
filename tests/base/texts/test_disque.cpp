#include "classe.h"
#include "base/texts/disque.h"

#include <QTest>

#include <cerrno>
#include <csignal>
#include <sys/stat.h>

class TestDisque : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        std::signal(SIGXFSZ, SIG_IGN);
        ::umask(022);
    }

    void remplacer()
    {
        Classe classe;
        const QString c = classe.chemin(QStringLiteral("été.txt"));
        QCOMPARE(disque::remplacer(c, "abc\r\n"), 0);
        QCOMPARE(classe.mode(QStringLiteral("été.txt")), 0644);
        ::chmod(QFile::encodeName(c).constData(), 0640);
        QCOMPARE(disque::remplacer(c, "neuf\r\n"), 0);
        QVERIFY(classe.octets(QStringLiteral("été.txt")) == "neuf\r\n" && classe.mode(QStringLiteral("été.txt")) == 0640);
        // The owner and group stay where the writer may keep them (root here), so the class still may write it.
        struct stat st {};
        if (::geteuid() == 0) {
            QVERIFY(::chown(QFile::encodeName(c).constData(), 65534, 65534) == 0 && disque::remplacer(c, "neuf\r\n") == 0);
            QVERIFY(::stat(QFile::encodeName(c).constData(), &st) == 0 && st.st_uid == 65534 && st.st_gid == 65534);
        }
        // A full disk leaves the previous content and no draft.
        avecDisquePlein([&] { QCOMPARE(disque::remplacer(c, QByteArray(100, 'x')), EFBIG); });
        QVERIFY(classe.octets(QStringLiteral("été.txt")) == "neuf\r\n" && classe.fichiers() == QStringList{QStringLiteral("été.txt")});
        // Another copy creates the new text meanwhile: its text stays.
        const QString neuf = classe.chemin(QStringLiteral("neuf.txt"));
        QCOMPARE(disque::remplacer(neuf, "le mien", nullptr, [&](int) {
            classe.ecrire(QStringLiteral("neuf.txt"), "l'autre");
            return 0;
        }), EEXIST);
        QVERIFY(classe.octets(QStringLiteral("neuf.txt")) == "l'autre" && classe.fichiers().size() == 2);
        QDir().mkdir(classe.chemin(QStringLiteral("x.txt")));
        QCOMPARE(disque::remplacer(classe.chemin(QStringLiteral("x.txt")), "abc"), EISDIR);
    }

    void lectureBornee()
    {
        Classe classe;
        const QString c = classe.ecrire(QStringLiteral("long.txt"), QByteArray(50, 'a'));
        QByteArray lus, tous;
        // One byte more than the limit tells it is too long.
        QVERIFY(disque::lire(c, 10, lus) == 0 && lus.size() == 11 && disque::lire(c, 100, tous) == 0 && tous.size() == 50);
        QCOMPARE(disque::lire(classe.chemin(QStringLiteral("absent.txt")), 10, lus), ENOENT);
        QCOMPARE(disque::description(ENOSPC), QStringLiteral("Il n'y a plus de place sur le disque."));
        QCOMPARE(disque::description(EACCES), QStringLiteral("Accès refusé."));
        QVERIFY(disque::description(123456).contains(QLatin1String("123456")));
    }
};

QTEST_APPLESS_MAIN(TestDisque)
#include "test_disque.moc"
