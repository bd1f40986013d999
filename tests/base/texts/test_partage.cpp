// The class folder's texts on a share that misbehaves as school networks do
// (tests/fiabilite/partage_capricieux.py, a FUSE passthrough): the caller's
// events go on while the share hangs or drags, late errors leave the text
// whole and are said, a lost reply is judged on what the folder holds, and a
// share that goes away and comes back is used again.
#include "classe.h"
#include "base/texts/partage.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using Ecriture = FichiersTexte::Ecriture::Issue;

// The share: SOURCE seen at POINT through the passthrough, its faults in a file.
class Capricieux
{
public:
    Capricieux() { QDir().mkpath(point()); }
    ~Capricieux() { arreter(); }
    QString source() const { return m_dir.filePath(QStringLiteral("source")); }
    QString point() const { return m_dir.filePath(QStringLiteral("point")); }
    bool monter()
    {
        QDir().mkpath(source());
        fautes("{}");
        m_processus.start(QStringLiteral("/usr/bin/python3"),
                          {QStringLiteral(RIG), source(), point(), m_dir.filePath(QStringLiteral("fautes.json"))});
        for (int i = 0; i < 100; ++i, QTest::qWait(50)) {
            struct stat a {}, b {};
            if (::stat(QFile::encodeName(point()).constData(), &a) == 0 && ::stat(QFile::encodeName(m_dir.path()).constData(), &b) == 0
                && a.st_dev != b.st_dev)
                return true;
        }
        return false;
    }
    // The server gone: every call on the mount fails from then on.
    void arreter()
    {
        m_processus.kill();
        m_processus.waitForFinished();
        QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), point()});
    }
    void fautes(const QByteArray &json)
    {
        QFile f(m_dir.filePath(QStringLiteral("fautes.json")));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(json) == json.size());
    }

private:
    QTemporaryDir m_dir;
    QProcess m_processus;
};

// The longest the caller's event loop went without turning while `f` ran.
template <typename F>
qint64 plusLongueAttente(F f)
{
    QElapsedTimer depuis;
    qint64 pire = 0;
    QTimer battement;
    QObject::connect(&battement, &QTimer::timeout, [&] {
        pire = std::max(pire, depuis.restart());
    });
    depuis.start();
    battement.start(10);
    f();
    return std::max(pire, depuis.elapsed());
}

} // namespace

class TestPartage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        commeLeProgramme(022);
        if (::geteuid() != 0 || !QFile::exists(QStringLiteral("/dev/fuse")) || !QFile::exists(QStringLiteral("/usr/lib/python3/dist-packages/fusepy.py")))
            QSKIP("the faulty share needs root, /dev/fuse and python3-fusepy");
    }

    void unPartageQuiFlanche_data()
    {
        QTest::addColumn<QByteArray>("fautes");
        QTest::addColumn<int>("issue");       // of the save
        QTest::addColumn<QByteArray>("apres"); // the text's bytes after it
        const QByteArray neuf("nouveau\r\n"), ancien("ancien\r\n");
        QTest::newRow("200 ms par appel") << QByteArray(R"({"retard_ms": 200})") << int(Ecriture::Ecrit) << neuf;
        QTest::newRow("renommage bloqué 4 s") << QByteArray(R"({"bloquer": ["rename"]})") << int(Ecriture::Ecrit) << neuf;
        QTest::newRow("ENOSPC à la fermeture") << QByteArray(R"({"ecritures_perdues": "ENOSPC"})") << int(Ecriture::Erreur) << ancien;
        QTest::newRow("EDQUOT à la fermeture") << QByteArray(R"({"ecritures_perdues": "EDQUOT"})") << int(Ecriture::Erreur) << ancien;
        QTest::newRow("réponse du renommage perdue") << QByteArray(R"({"reponses_perdues": {"rename": "ENOENT"}})") << int(Ecriture::Ecrit) << neuf;
        QTest::newRow("réponse du lien perdue") << QByteArray(R"({"reponses_perdues": {"link": "EEXIST"}})") << int(Ecriture::Ecrit) << neuf;
        QTest::newRow("réponse de l'effacement perdue") << QByteArray(R"({"reponses_perdues": {"unlink": "ENOENT"}})") << int(Ecriture::Ecrit) << neuf;
        QTest::newRow("coupé, puis revenu") << QByteArray("{}") << int(Ecriture::Ecrit) << neuf;
    }
    void unPartageQuiFlanche()
    {
        QFETCH(QByteArray, fautes);
        QFETCH(int, issue);
        QFETCH(QByteArray, apres);
        const QString cas = QString::fromUtf8(QTest::currentDataTag());
        Capricieux partage;
        QVERIFY(partage.monter());
        const bool nouveau = cas.contains(u"lien") || cas.contains(u"effacement");
        const QString texte = partage.point() + (nouveau ? QStringLiteral("/neuf.txt") : QStringLiteral("/t.txt"));
        QFile f(partage.point() + QStringLiteral("/t.txt"));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("ancien\r\n") == 8);
        f.close();
        AttributsSysteme attributs;
        Partage p(attributs, partage.point());
        QSignalSpy silence(&p, &Fil::silence);
        if (!nouveau)
            QCOMPARE(p.appeler([&](FichiersTexte &t) { return t.prendre(texte); }).issue, FichiersTexte::Lecture::Issue::Lu);
        partage.fautes(fautes);
        if (cas.startsWith(u"coupé")) {
            // Said not to answer while it is gone, then used again once back, the text still this copy's.
            partage.arreter();
            QCOMPARE(p.appeler([&](FichiersTexte &t) { return t.reecrire(texte, "x\r\n"); }).erreur, ENOTCONN);
            QVERIFY(partage.monter());
        }
        if (cas.contains(u"bloqué"))
            QTimer::singleShot(4000, [&] { partage.fautes("{}"); });
        FichiersTexte::Ecriture e;
        const qint64 attente = plusLongueAttente([&] {
            e = p.appeler([&](FichiersTexte &t) { return nouveau ? t.ecrireSous(texte, "nouveau\r\n") : t.reecrire(texte, "nouveau\r\n"); });
        });
        QVERIFY2(int(e.issue) == issue, qPrintable(QString::number(e.erreur.numero())));
        QVERIFY2(attente < 100, qPrintable(QString::number(attente)));
        QCOMPARE(silence.size(), cas.contains(u"bloqué") ? 1 : 0);
        if (e.issue == Ecriture::Erreur)
            QCOMPARE(e.erreur.numero(), cas.startsWith(u"ENOSPC") ? ENOSPC : EDQUOT);
        partage.fautes("{}");
        QFile sur(partage.source() + (nouveau ? QStringLiteral("/neuf.txt") : QStringLiteral("/t.txt")));
        QVERIFY(sur.open(QIODevice::ReadOnly));
        QCOMPARE(sur.readAll(), apres);
        // Held all along, and released truly: one name, no mark left.
        QCOMPARE(p.appeler([&](FichiersTexte &t) { return t.liberer(texte); }).numero(), 0);
        QVERIFY(!marqueSurDisque(texte) && QDir(partage.source()).entryList(QDir::Files | QDir::Hidden).size() == 1 + nouveau);
    }
};

QTEST_GUILESS_MAIN(TestPartage)
#include "test_partage.moc"
