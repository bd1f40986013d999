// Real copies (tests/support/copie.cpp) killed with SIGKILL while the pupil types, then started
// again, and that start stopped by SIGTERM, SIGINT or SIGHUP.
#include "classe.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

class TestReprise : public QObject
{
    Q_OBJECT
    QProcessEnvironment m_env = QProcessEnvironment::systemEnvironment();

    QString lancer(QProcess &copie, const QStringList &arguments)
    {
        copie.setProcessEnvironment(m_env);
        copie.start(QStringLiteral(COPIE), arguments);
        return copie.waitForReadyRead(20000) ? QString::fromUtf8(copie.readLine()).chopped(1) : QString();
    }

private slots:
    void apresUnKill_data()
    {
        QTest::addColumn<QString>("reponse");
        QTest::addColumn<bool>("ouvert");
        QTest::addColumn<bool>("modeChange"); // by someone, between the kill and the next start
        QTest::addColumn<QString>("mots");
        QTest::addColumn<int>("arret"); // the signal that stops the next start
        QTest::newRow("oui") << "oui" << true << false << "Le renard était là. " << SIGTERM;
        QTest::newRow("non") << "non" << true << false << "Le renard était là. " << SIGINT;
        QTest::newRow("mode changé entre-temps") << "oui" << true << true << "Le renard était là. " << SIGHUP;
        QTest::newRow("nouveau texte") << "oui" << false << false << "Le renard était là. " << SIGTERM;
        QTest::newRow("rien tapé: rien à demander") << "oui" << true << false << "" << SIGHUP;
    }
    void apresUnKill()
    {
        QFETCH(QString, reponse);
        QFETCH(bool, ouvert);
        QFETCH(bool, modeChange);
        QFETCH(QString, mots);
        QFETCH(int, arret);
        Classe classe;
        QTemporaryDir etat;
        m_env.insert(QStringLiteral("XDG_STATE_HOME"), etat.path());
        const QString texte = classe.ecrire(QStringLiteral("conte.txt"), "Il \xE9tait une fois\r\n");

        QProcess tuee;
        QCOMPARE(lancer(tuee, {QStringLiteral("taper"), ouvert ? texte : QStringLiteral("-"), mots}), QStringLiteral("tape"));
        ::kill(pid_t(tuee.processId()), SIGKILL);
        QVERIFY(tuee.waitForFinished(20000));
        QCOMPARE(marqueSurDisque(texte), ouvert);
        if (modeChange)
            QFile::setPermissions(texte, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);

        QProcess suivante;
        const QString ligne = lancer(suivante, {reponse});
        const bool repris = reponse == QLatin1String("oui") && !mots.isEmpty();
        const bool tenu = repris && ouvert && !modeChange;
        const QString zone = repris ? mots + (ouvert ? QStringLiteral("Il était une fois|") : QString()) : QString();
        QCOMPARE(ligne, (tenu ? texte : QString()) + u'\t' + zone);
        QCOMPARE(marqueSurDisque(texte), tenu || modeChange);
        // A stop releases only what the copy holds: the mark was its own.
        ::kill(pid_t(suivante.processId()), arret);
        QVERIFY(suivante.waitForFinished(20000));
        QCOMPARE(marqueSurDisque(texte), modeChange);
        // What was answered is never offered again; unsaved work stays.
        QCOMPARE(QDir(etat.filePath(QStringLiteral("plumor"))).entryList(QDir::Files).size(), zone.isEmpty() ? 0 : 1);
    }
};

QTEST_APPLESS_MAIN(TestReprise)
#include "test_reprise.moc"
