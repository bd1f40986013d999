#include "classe.h"
#include "base/texts/attributs.h"

#include <QTest>

#include <cerrno>
#include <sys/stat.h>

namespace {

QByteArray mot32(quint32 v)
{
    return QByteArray(reinterpret_cast<const char *>(&v), 4); // little-endian, as CIFS keeps it
}

} // namespace

class TestAttributs : public QObject
{
    Q_OBJECT
private slots:
    // A class folder's group may write: a released text gets group write back.
    void initTestCase() { ::umask(002); }

    void posixLectureSeuleEstLaMarque()
    {
        Classe classe;
        ::chmod(QFile::encodeName(classe.dossier()).constData(), 0755);
        const QString c = classe.ecrire(QStringLiteral("conte.txt"), "x");
        ::chmod(QFile::encodeName(c).constData(), 0640);
        AttributsSysteme a;
        QCOMPARE(a.lire(c).mot, quint16(0));
        QCOMPARE(a.ecrire(c, attribut::marque), 0);
        QCOMPARE(classe.mode(QStringLiteral("conte.txt")), 0440);
        QCOMPARE(a.lire(c).mot, quint16(1));
        // Owner write comes back; a folder nobody else may write keeps others out.
        QCOMPARE(a.ecrire(c, attribut::libre), 0);
        QCOMPARE(classe.mode(QStringLiteral("conte.txt")), 0640);
        ::chmod(QFile::encodeName(classe.dossier()).constData(), 02775);
        QCOMPARE(a.ecrire(c, attribut::marque) + a.ecrire(c, attribut::libre), 0);
        QCOMPARE(classe.mode(QStringLiteral("conte.txt")), 0660);
        // A file that may already be written is left as it is.
        ::chmod(QFile::encodeName(c).constData(), 0664);
        QCOMPARE(a.ecrire(c, attribut::libre), 0);
        QCOMPARE(classe.mode(QStringLiteral("conte.txt")), 0664);
        QCOMPARE(a.lire(classe.chemin(QStringLiteral("absent.txt"))).erreur, ENOENT);
        // The word Samba shows: read-only when the owner may not write, archive
        // when the owner may execute; marking leaves exactly read-only.
        QCOMPARE(motDepuisMode(0464), quint16(1));
        QCOMPARE(motDepuisMode(0544), quint16(0x21));
        QCOMPARE(motDepuisMode(0764), quint16(0x20));
        ::chmod(QFile::encodeName(c).constData(), 0764);
        QCOMPARE(a.ecrire(c, attribut::marque), 0);
        QCOMPARE(classe.mode(QStringLiteral("conte.txt")), 0444);
        // Group and others get write back only where both the umask and the folder allow it.
        QCOMPARE(bitsEcritureLiberee(02775, 002), 0220u);
        QCOMPARE(bitsEcritureLiberee(01777, 000), 0222u);
        QCOMPARE(bitsEcritureLiberee(0755, 000), 0200u);
    }

    // On a CIFS mount the DOS word itself is read and written, shared with
    // Windows; anywhere else the attribute is any writer's to forge and the
    // mode alone is the word.
    void cifsLeMotDosEstPartage_data()
    {
        QTest::addColumn<bool>("cifs");
        QTest::newRow("partage CIFS") << true;
        QTest::newRow("disque local, attribut forgé") << false;
    }
    void cifsLeMotDosEstPartage()
    {
        QFETCH(bool, cifs);
        Classe classe;
        const QString c = classe.ecrire(QStringLiteral("conte.txt"), "x");
        ::chmod(QFile::encodeName(c).constData(), 0644);
        QByteArray valeur = mot32(0x10021);
        QList<QByteArray> ecritures;
        AppelsXattr appels;
        appels.lire = [&](int, const char *nom, QByteArray &v) {
            v = valeur;
            return QByteArray(nom) == "user.cifs.dosattrib" ? 0 : ENODATA;
        };
        appels.ecrire = [&](int, const char *, const QByteArray &v) {
            ecritures << v;
            valeur = v;
            return 0;
        };
        appels.surCifs = [&](int) { return cifs; };
        AttributsSysteme a(appels);
        // Read-only and archive: free for every copy; high bytes are ignored.
        QCOMPARE(a.lire(c).mot, quint16(cifs ? 0x21 : 0));
        QCOMPARE(a.ecrire(c, attribut::marque), 0);
        QCOMPARE(a.lire(c).mot, quint16(1));
        QCOMPARE(a.ecrire(c, attribut::libre), 0);
        QCOMPARE(ecritures, cifs ? (QList<QByteArray>{mot32(0x01), mot32(0x80)}) : QList<QByteArray>());
        // On a share the POSIX mode is left alone: the Windows copies see only the DOS word.
        QCOMPARE(classe.mode(QStringLiteral("conte.txt")), 0644);
    }
};

QTEST_APPLESS_MAIN(TestAttributs)
#include "test_attributs.moc"
