#include "texts/attributs.h"

#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <sys/stat.h>

namespace {

mode_t mode(const QString &chemin)
{
    struct stat st {};
    ::stat(QFile::encodeName(chemin).constData(), &st);
    return st.st_mode & 07777;
}

QString fichier(const QTemporaryDir &d, const char *nom, mode_t m)
{
    const QString c = d.filePath(QLatin1String(nom));
    QFile f(c);
    f.open(QIODevice::WriteOnly);
    f.close();
    ::chmod(QFile::encodeName(c).constData(), m);
    return c;
}

// A CIFS mount as the Linux client shows it: one 4-byte attribute per file.
struct PartageFactice {
    QMap<QByteArray, QByteArray> valeurs;
    QList<QByteArray> ecritures;
    AppelsXattr appels()
    {
        AppelsXattr a;
        a.lire = [this](const QByteArray &c, const char *nom, QByteArray &v) {
            if (QByteArray(nom) != "user.cifs.dosattrib")
                return ENODATA;
            if (!valeurs.contains(c))
                return ENODATA;
            v = valeurs.value(c);
            return 0;
        };
        a.ecrire = [this](const QByteArray &c, const char *, const QByteArray &v) {
            ecritures << v;
            valeurs[c] = v;
            return 0;
        };
        return a;
    }
};

QByteArray mot32(quint32 v)
{
    QByteArray o(4, '\0');
    for (int i = 0; i < 4; ++i)
        o[i] = char((v >> (8 * i)) & 0xFF);
    return o;
}

} // namespace

class TestAttributs : public QObject
{
    Q_OBJECT
private slots:
    void posixLectureSeuleEstLaMarque()
    {
        QTemporaryDir d;
        AttributsSysteme a;
        const QString libre = fichier(d, "libre.txt", 0644);
        const QString pris = fichier(d, "pris.txt", 0444);
        QCOMPARE(a.lire(libre).mot, quint16(0));
        QCOMPARE(a.lire(pris).mot, quint16(1));
        QCOMPARE(a.lire(d.filePath(QStringLiteral("absent.txt"))).erreur, ENOENT);
    }

    void posixMarquerPuisLiberer()
    {
        QTemporaryDir d;
        ::chmod(QFile::encodeName(d.path()).constData(), 0755);
        AttributsSysteme a;
        const QString c = fichier(d, "conte.txt", 0640);
        QCOMPARE(a.ecrire(c, attribut::marque), 0);
        QCOMPARE(mode(c), mode_t(0440));
        QVERIFY(attribut::estMarque(a.lire(c).mot));
        QCOMPARE(a.ecrire(c, attribut::libre), 0);
        // Owner write comes back; a folder nobody else may write keeps others out.
        QCOMPARE(mode(c) & 0222, mode_t(0200));
        QCOMPARE(mode(c) & 0444, mode_t(0440));
        QCOMPARE(a.lire(c).mot, quint16(0));
    }

    void libererUnFichierLibreNeChangeRien()
    {
        QTemporaryDir d;
        AttributsSysteme a;
        const QString c = fichier(d, "groupe.txt", 0664);
        QCOMPARE(a.ecrire(c, attribut::libre), 0);
        QCOMPARE(mode(c), mode_t(0664));
    }

    void bitsRendusALaLiberation_data()
    {
        QTest::addColumn<uint>("dossier");
        QTest::addColumn<uint>("masque");
        QTest::addColumn<uint>("attendu");
        QTest::newRow("dossier prive") << 0700u << 022u << 0200u;
        QTest::newRow("dossier de groupe, umask 002") << 02775u << 002u << 0220u;
        QTest::newRow("dossier de groupe, umask 022") << 02775u << 022u << 0200u;
        QTest::newRow("dossier ouvert a tous, umask 000") << 01777u << 000u << 0222u;
        QTest::newRow("jamais plus que le dossier") << 0755u << 000u << 0200u;
    }
    void bitsRendusALaLiberation()
    {
        QFETCH(uint, dossier);
        QFETCH(uint, masque);
        QFETCH(uint, attendu);
        QCOMPARE(bitsEcritureLiberee(dossier, masque), attendu);
    }

    void cifsLeMotDosEstPartage_data()
    {
        QTest::addColumn<quint32>("surLePartage");
        QTest::addColumn<quint16>("lu");
        QTest::newRow("lecture seule seule") << quint32(0x01) << quint16(1);
        QTest::newRow("lecture seule et archive") << quint32(0x21) << quint16(0x21);
        QTest::newRow("archive") << quint32(0x20) << quint16(0x20);
        QTest::newRow("normal") << quint32(0x80) << quint16(0x80);
    }
    void cifsLeMotDosEstPartage()
    {
        QFETCH(quint32, surLePartage);
        QFETCH(quint16, lu);
        QTemporaryDir d;
        const QString c = fichier(d, "conte.txt", 0644);
        PartageFactice partage;
        partage.valeurs[QFile::encodeName(c)] = mot32(surLePartage);
        AttributsSysteme a(partage.appels());
        QCOMPARE(a.lire(c).mot, lu);
        QCOMPARE(attribut::estMarque(a.lire(c).mot), surLePartage == 1);
    }

    void cifsMarquerEcritUnLibererEcritNormal()
    {
        QTemporaryDir d;
        const QString c = fichier(d, "conte.txt", 0644);
        PartageFactice partage;
        partage.valeurs[QFile::encodeName(c)] = mot32(0x20);
        AttributsSysteme a(partage.appels());
        QCOMPARE(a.ecrire(c, attribut::marque), 0);
        QCOMPARE(a.ecrire(c, attribut::libre), 0);
        QCOMPARE(partage.ecritures, (QList<QByteArray>{mot32(0x01), mot32(0x80)}));
        // The POSIX mode is left alone: the Windows copies see only the DOS word.
        QCOMPARE(mode(c), mode_t(0644));
    }
};

QTEST_APPLESS_MAIN(TestAttributs)
#include "test_attributs.moc"
