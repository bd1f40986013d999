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
        Classe d;
        const QString texte = d.ecrire(QStringLiteral("conte.txt"), "Il \xE9tait une fois\r\n");
        const QString autre = d.ecrire(QStringLiteral("autre.txt"), "Il \xE9tait une fois\r\n");
        QFile::setPermissions(autre, QFile::ReadOwner);

        QProcess copie;
        copie.start(QStringLiteral(COPIE), QStringList{QStringLiteral("ouvrir"), texte, autre}.first(pendantUnRefus ? 3 : 2));
        for (const QByteArray &attendu : QList<QByteArray>{"pret", "refus"}.first(pendantUnRefus ? 2 : 1)) {
            QVERIFY(copie.canReadLine() || copie.waitForReadyRead(20000));
            QCOMPARE(copie.readLine().trimmed(), attendu);
        }
        QVERIFY(marqueSurDisque(texte));

        ::kill(pid_t(copie.processId()), numero);
        QVERIFY(copie.waitForFinished(20000));
        QVERIFY(copie.exitStatus() == QProcess::CrashExit && !marqueSurDisque(texte) && marqueSurDisque(autre));
    }
};

QTEST_APPLESS_MAIN(TestArret)
#include "test_arret.moc"
