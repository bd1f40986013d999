#include "classe.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

class TestArret : public QObject
{
    Q_OBJECT
private slots:
    void signalLibereLeTexte_data()
    {
        QTest::addColumn<int>("numero");
        QTest::addColumn<bool>("pendantUnRefus");
        QTest::newRow("SIGTERM") << SIGTERM << false;
        QTest::newRow("SIGINT") << SIGINT << false;
        QTest::newRow("SIGHUP") << SIGHUP << false;
        // While "Quelqu'un travaille déjà sur ce texte!" is on screen, the
        // other copy's text is being considered, not held.
        QTest::newRow("SIGTERM pendant un refus") << SIGTERM << true;
    }
    void signalLibereLeTexte()
    {
        QFETCH(int, numero);
        QFETCH(bool, pendantUnRefus);
        QTemporaryDir d;
        const QString texte = d.filePath(QStringLiteral("conte.txt")), autre = d.filePath(QStringLiteral("autre.txt"));
        for (const QString &c : {texte, autre}) {
            QFile f(c);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("Il \xE9tait une fois\r\n");
        }
        QFile::setPermissions(autre, QFile::ReadOwner);

        QProcess copie;
        copie.start(QStringLiteral(COPIE_ARRETEE), pendantUnRefus ? QStringList{texte, autre} : QStringList{texte});
        for (const char *attendu : {"pret", "refus"}) {
            if (!pendantUnRefus && attendu == QByteArray("refus"))
                break;
            QVERIFY(copie.canReadLine() || copie.waitForReadyRead(20000));
            QCOMPARE(copie.readLine().trimmed(), QByteArray(attendu));
        }
        QVERIFY(marqueSurDisque(texte));

        ::kill(pid_t(copie.processId()), numero);
        QVERIFY(copie.waitForFinished(20000));
        QCOMPARE(copie.exitStatus(), QProcess::CrashExit);
        QVERIFY(!marqueSurDisque(texte));
        QVERIFY(marqueSurDisque(autre));
    }
};

QTEST_APPLESS_MAIN(TestArret)
#include "test_arret.moc"
