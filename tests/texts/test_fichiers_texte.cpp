// The file-and-mark protocol on real files: what each call says and what it
// leaves on disk (bytes, attribute words, drafts).
#include "classe.h"
#include "texts/cp1252.h"
#include "texts/fichiers_texte.h"

#include <QTest>

#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Issue = FichiersTexte::Lecture::Issue;
using Cible = FichiersTexte::Cible::Etat;
using Ecriture = FichiersTexte::Ecriture::Issue;

// Attribute words that cannot be changed, as another user's file on a local disk.
class AttributsFiges : public AttributsMemoire
{
public:
    int ecrire(const QString &, quint16) override { return EPERM; }
};

} // namespace

class TestFichiersTexte : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { std::signal(SIGXFSZ, SIG_IGN); }

    void prendre_data()
    {
        QTest::addColumn<QString>("sorte");
        QTest::addColumn<QByteArray>("octets");
        QTest::addColumn<int>("motAvant");
        QTest::addColumn<int>("issue");
        QTest::addColumn<int>("motApres");
        QTest::newRow("32000 octets") << "" << QByteArray(32000, '\xE9') << 0x20 << int(Issue::Lu) << 1;
        QTest::newRow("32001 octets") << "" << QByteArray(32001, 'a') << 0x20 << int(Issue::TropLong) << 0x20;
        QTest::newRow("pris ailleurs") << "" << QByteArray("abc") << 1 << int(Issue::Pris) << 1;
        QTest::newRow("lecture seule et archive") << "" << QByteArray("abc") << 0x21 << int(Issue::Lu) << 1;
        QTest::newRow("fichier vide") << "" << QByteArray() << 0 << int(Issue::Vide) << 0;
        QTest::newRow("absent") << "absent" << QByteArray() << -1 << int(Issue::Erreur) << -1;
        QTest::newRow("dossier nomme x.txt") << "dossier" << QByteArray() << -1 << int(Issue::Erreur) << -1;
        QTest::newRow("tube nomme") << "tube" << QByteArray() << -1 << int(Issue::Erreur) << -1;
        QTest::newRow("lien vers lui-meme") << "boucle" << QByteArray() << -1 << int(Issue::Erreur) << -1;
    }
    void prendre()
    {
        QFETCH(QString, sorte);
        QFETCH(QByteArray, octets);
        QFETCH(int, motAvant);
        QFETCH(int, issue);
        QFETCH(int, motApres);
        Classe classe;
        const QString c = classe.chemin(QStringLiteral("x.txt"));
        if (sorte.isEmpty())
            classe.ecrire(QStringLiteral("x.txt"), octets);
        else if (sorte == u"dossier")
            QDir().mkdir(c);
        else if (sorte == u"tube")
            ::mkfifo(QFile::encodeName(c).constData(), 0644);
        else if (sorte == u"boucle")
            QFile::link(c, c);
        AttributsMemoire attributs;
        if (motAvant >= 0)
            attributs.mots[c] = quint16(motAvant);
        FichiersTexte fichiers(attributs);
        const FichiersTexte::Lecture l = fichiers.prendre(c);
        QCOMPARE(int(l.issue), issue);
        QCOMPARE(l.texte, issue == int(Issue::Lu) ? cp1252::decode(octets) : QString());
        QCOMPARE(attributs.mots.value(c, quint16(-1)), quint16(motApres));
    }

    void sonPropreTexteEstRelu()
    {
        Classe classe;
        const QString c = classe.ecrire(QStringLiteral("a.txt"), "abc");
        AttributsMemoire attributs;
        attributs.mots[c] = 1;
        FichiersTexte fichiers(attributs);
        QCOMPARE(fichiers.prendre(c, true).issue, Issue::Lu);
        QCOMPARE(attributs.mots[c], quint16(1));
    }

    void texteQuOnNePeutMarquerNEstPasLu()
    {
        Classe classe;
        const QString c = classe.ecrire(QStringLiteral("a.txt"), "abc");
        AttributsFiges attributs;
        const FichiersTexte::Lecture l = FichiersTexte(attributs).prendre(c);
        QCOMPARE(l.issue, Issue::Erreur);
        QVERIFY(l.texte.isEmpty());
    }

    void leLecteurNeToucheJamaisALaMarque()
    {
        Classe classe;
        QByteArray tous;
        for (int b = 0; b < 256; ++b)
            tous += char(b);
        const QString c = classe.ecrire(QStringLiteral("a.txt"), tous);
        AttributsMemoire attributs;
        FichiersTexte fichiers(attributs);
        for (const quint16 mot : {quint16(1), quint16(0x20), quint16(0x21)}) {
            attributs.mots[c] = mot;
            const FichiersTexte::Lecture l = fichiers.lire(c);
            QCOMPARE(l.issue, Issue::Lu);
            QCOMPARE(cp1252::encode(l.texte), tous);
            QCOMPARE(attributs.mots[c], mot);
        }
        classe.ecrire(QStringLiteral("a.txt"), QByteArray(32001, 'a'));
        QCOMPARE(fichiers.lire(c).issue, Issue::TropLong);
    }

    void ecrireSous_data()
    {
        QTest::addColumn<int>("motAvant"); // -1: no file there
        QTest::addColumn<bool>("priseEntreTemps");
        QTest::addColumn<bool>("disquePlein");
        QTest::addColumn<int>("issue");
        QTest::addColumn<QByteArray>("apres");
        QTest::addColumn<int>("motApres");
        const QByteArray abc("abc\r\n"), ancien("ancien");
        QTest::newRow("nouveau") << -1 << false << false << int(Ecriture::Ecrit) << abc << 1;
        QTest::newRow("libre") << 0x21 << false << false << int(Ecriture::Ecrit) << abc << 1;
        QTest::newRow("pris pendant la question") << 0x21 << true << false << int(Ecriture::Prise) << ancien << 1;
        QTest::newRow("disque plein") << 0x21 << false << true << int(Ecriture::Erreur) << ancien << 0x21;
        QTest::newRow("nouveau, disque plein") << -1 << false << true << int(Ecriture::Erreur) << QByteArray("<absent>") << -1;
    }
    void ecrireSous()
    {
        QFETCH(int, motAvant);
        QFETCH(bool, priseEntreTemps);
        QFETCH(bool, disquePlein);
        QFETCH(int, issue);
        QFETCH(QByteArray, apres);
        QFETCH(int, motApres);
        Classe classe;
        const QString c = classe.chemin(QStringLiteral("a.txt"));
        AttributsMemoire attributs;
        if (motAvant >= 0) {
            classe.ecrire(QStringLiteral("a.txt"), "ancien");
            attributs.mots[c] = quint16(motAvant);
        }
        FichiersTexte fichiers(attributs);
        QCOMPARE(fichiers.examiner(c).etat, motAvant < 0 ? Cible::Absente : Cible::Libre);
        if (priseEntreTemps)
            attributs.mots[c] = 1;
        FichiersTexte::Ecriture e;
        const auto ecrire = [&] { e = fichiers.ecrireSous(c, "abc\r\n"); };
        disquePlein ? avecDisquePlein(ecrire) : ecrire();
        QCOMPARE(int(e.issue), issue);
        QCOMPARE(classe.octets(QStringLiteral("a.txt")), apres);
        QCOMPARE(attributs.mots.value(c, quint16(-1)), quint16(motApres));
        QCOMPARE(classe.fichiers(), apres == "<absent>" ? QStringList() : QStringList{QStringLiteral("a.txt")});
    }

    void examinerUnTextePrisOuIllisible()
    {
        Classe classe;
        const QString c = classe.ecrire(QStringLiteral("a.txt"), "x");
        AttributsMemoire attributs;
        attributs.mots[c] = 1;
        QCOMPARE(FichiersTexte(attributs).examiner(c).etat, Cible::Prise);
        struct Illisibles : AttributsMemoire {
            LectureAttribut lire(const QString &) const override { return {0, EIO}; }
        } illisibles;
        const FichiersTexte::Cible cible = FichiersTexte(illisibles).examiner(c);
        QCOMPARE(cible.etat, Cible::Erreur);
        QCOMPARE(cible.erreur, EIO);
    }

    // The road of a text on a local disk, where the mark is the write bits.
    void surUnDisqueLocal()
    {
        Classe classe;
        const QString c = classe.ecrire(QStringLiteral("a.txt"), "A\r\n");
        AttributsSysteme attributs;
        FichiersTexte fichiers(attributs);
        QCOMPARE(fichiers.prendre(c).issue, Issue::Lu);
        QVERIFY(classe.marqueSurDisque(QStringLiteral("a.txt")));
        QCOMPARE(FichiersTexte(attributs).prendre(c).issue, Issue::Pris);
        QCOMPARE(fichiers.reecrire(c, "B\r\n"), 0);
        QCOMPARE(classe.octets(QStringLiteral("a.txt")), QByteArray("B\r\n"));
        QVERIFY(classe.marqueSurDisque(QStringLiteral("a.txt")));
        avecDisquePlein([&] { QCOMPARE(fichiers.reecrire(c, "un texte plus long"), EFBIG); });
        QCOMPARE(classe.octets(QStringLiteral("a.txt")), QByteArray("B\r\n"));
        QVERIFY(classe.marqueSurDisque(QStringLiteral("a.txt")));
        QCOMPARE(fichiers.liberer(c), 0);
        QVERIFY(classe.mode(QStringLiteral("a.txt")) & S_IWUSR);
        QCOMPARE(classe.fichiers(), QStringList{QStringLiteral("a.txt")});
        // A text someone deleted is no longer held by anybody.
        QFile::remove(c);
        QCOMPARE(fichiers.liberer(c), 0);
    }

    // Run as an unprivileged user by test_fichiers_texte_sans_droits.
    void sansDroits()
    {
        if (::geteuid() == 0)
            QSKIP("root ignores permissions");
        Classe classe;
        const QString c = classe.ecrire(QStringLiteral("a.txt"), "A\r\n");
        const QString illisible = classe.ecrire(QStringLiteral("b.txt"), "B\r\n");
        ::chmod(QFile::encodeName(illisible).constData(), 0200);
        AttributsSysteme attributs;
        FichiersTexte fichiers(attributs);
        QCOMPARE(fichiers.lire(illisible).erreur, EACCES);
        QCOMPARE(fichiers.prendre(illisible).issue, Issue::Erreur);
        QCOMPARE(classe.mode(QStringLiteral("b.txt")), 0200);
        // A folder made read-only under an open text: the text stays, marked.
        QCOMPARE(fichiers.prendre(c).issue, Issue::Lu);
        ::chmod(QFile::encodeName(classe.dossier()).constData(), 0555);
        QCOMPARE(fichiers.reecrire(c, "B\r\n"), EACCES);
        QCOMPARE(classe.octets(QStringLiteral("a.txt")), QByteArray("A\r\n"));
        QVERIFY(classe.marqueSurDisque(QStringLiteral("a.txt")));
        ::chmod(QFile::encodeName(classe.dossier()).constData(), 0755);
    }
};

QTEST_APPLESS_MAIN(TestFichiersTexte)
#include "test_fichiers_texte.moc"
