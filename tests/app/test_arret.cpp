#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>

namespace {
bool marque(const QString &c)
{
    struct stat st {};
    return ::stat(QFile::encodeName(c).constData(), &st) == 0 && (st.st_mode & 0222) == 0;
}
} // namespace

class TestArret : public QObject
{
    Q_OBJECT
private slots:
    void signalLibereLeTexte_data()
    {
        QTest::addColumn<int>("numero");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }
    void signalLibereLeTexte()
    {
        QFETCH(int, numero);
        QTemporaryDir d;
        const QString texte = d.filePath(QStringLiteral("conte.txt"));
        QFile f(texte);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Il \xE9tait une fois\r\n");
        f.close();

        QProcess copie;
        copie.start(QStringLiteral(COPIE_ARRETEE), {texte});
        QVERIFY(copie.waitForReadyRead(20000));
        QCOMPARE(copie.readLine().trimmed(), QByteArray("pret"));
        QVERIFY(marque(texte));

        ::kill(pid_t(copie.processId()), numero);
        QVERIFY(copie.waitForFinished(20000));
        QCOMPARE(copie.exitStatus(), QProcess::CrashExit);
        QVERIFY(!marque(texte));
    }
};

QTEST_APPLESS_MAIN(TestArret)
#include "test_arret.moc"
