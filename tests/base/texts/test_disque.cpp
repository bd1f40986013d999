// The layer under the file-and-mark protocol: whole-file writes and bounded
// reads, and the recovery record.
#include "classe.h"
#include "base/texts/disque.h"
#include "base/texts/processus.h"
#include "base/texts/recuperation.h"

#include <QFile>

#include <QTest>

#include <atomic>
#include <cerrno>

class TestDisque : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { commeLeProgramme(022); }

    void remplacer()
    {
        Classe classe;
        const QString c = classe.chemin(QStringLiteral("été.txt"));
        QCOMPARE(disque::remplacer(c, "abc\r\n"), 0);
#ifndef _WIN32
        QCOMPARE(classe.mode(QStringLiteral("été.txt")), 0644);
        changerMode(c, 0640);
        QCOMPARE(disque::remplacer(c, "neuf\r\n"), 0);
        QVERIFY(classe.octets(QStringLiteral("été.txt")) == "neuf\r\n" && classe.mode(QStringLiteral("été.txt")) == 0640);
        // The owner and group stay where the writer may keep them (root here), so the class still may write it.
        struct stat st {};
        if (::geteuid() == 0) {
            QVERIFY(::chown(QFile::encodeName(c).constData(), 65534, 65534) == 0 && disque::remplacer(c, "neuf\r\n") == 0);
            QVERIFY(::stat(QFile::encodeName(c).constData(), &st) == 0 && st.st_uid == 65534 && st.st_gid == 65534);
        }
#endif
        // Another copy creates the new text meanwhile: its text stays.
        const QString neuf = classe.chemin(QStringLiteral("neuf.txt"));
        QCOMPARE(disque::remplacer(neuf, "le mien", nullptr, [&](int) {
            classe.ecrire(QStringLiteral("neuf.txt"), "l'autre");
            return 0;
        }), EEXIST);
        QVERIFY(classe.octets(QStringLiteral("neuf.txt")) == "l'autre" && classe.fichiers().size() == 2);
    }

    // A copy that turned to this machine's own disk when its home folder hung:
    // its record there is the one offered, though the home's, written late, is dated after it.
    void leSecoursPasseAvantLaMaison()
    {
        Classe classe;
        recuperation::Dossier maison(classe.chemin(QStringLiteral("maison"))), secours(classe.chemin(QStringLiteral("secours")));
        if (maison.erreur() != 0)
            QSKIP("this system cannot tell its processes apart");
        processus::Copie morte = processus::cetteCopie(), autre = morte;
        morte.debut += 1; // this pid, another start: copies that ended
        autre.debut += 2;
        // Each folder made as the copies make it, by a record of this living copy.
        QVERIFY(maison.ecrire("vivant") == 0 && secours.ecrire("vivant") == 0);
        const auto poser = [&](const QString &dossier, const processus::Copie &c, const QString &texte) {
            QFile f(classe.chemin(dossier + u'/' + processus::nomDe(c)));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(recuperation::encoder({true, texte, {}, {}, {}})) > 0);
        };
        poser(QStringLiteral("secours"), morte, QStringLiteral("ABCDEF"));
        poser(QStringLiteral("maison"), morte, QStringLiteral("ABC"));
        poser(QStringLiteral("maison"), autre, QStringLiteral("XYZ"));
        QStringList textes;
        for (const recuperation::Dossier::Perdu &p : recuperation::perdus(maison, &secours))
            textes << p.releve.texte;
        textes.sort();
        QCOMPARE(textes, (QStringList{QStringLiteral("ABCDEF"), QStringLiteral("XYZ")}));
        QVERIFY(!QFile::exists(classe.chemin(QStringLiteral("maison/") + processus::nomDe(morte))));
    }

    // The recovery record keeps up with the copy after its folder refused a write.
    void unEchecNArretePasLeReleve()
    {
        Classe classe;
        recuperation::Dossier dossier(classe.chemin(QStringLiteral("etat")));
        if (dossier.erreur() != 0)
            QSKIP("this system cannot tell its processes apart");
        SANS_WINDOWS("no file-size limit to play a full disk");
        std::atomic<int> echecs{0};
        // The one record on disk holds `texte`; none for an empty one.
        const auto sur = [&](const QString &texte) {
            const QStringList f = QDir(classe.chemin(QStringLiteral("etat"))).entryList(QDir::Files);
            QByteArray o;
            disque::lire(classe.chemin(QStringLiteral("etat/") + f.value(0)), 1 << 20, o);
            return texte.isEmpty() ? f.isEmpty()
                                   : f.size() == 1 && recuperation::decoder(o).value_or(recuperation::Releve()).texte == texte;
        };
        const auto releve = [](const QString &texte) { return recuperation::Releve{true, texte, {}, {}, {}}; };
        {
            recuperation::Ecrivain ecrivain(dossier, [&](int) { ++echecs; });
            ecrivain.demander(releve(QStringLiteral("un")));
            ecrivain.attendre();
            // The folder full once: the record lags behind, then catches up on its own.
            avecDisquePlein([&] {
                ecrivain.demander(releve(QStringLiteral("deux")));
                ecrivain.attendre();
            });
            QVERIFY(sur(QStringLiteral("un")) && echecs == 1);
            QTRY_VERIFY_WITH_TIMEOUT(sur(QStringLiteral("deux")), 2 * recuperation::Ecrivain::reessaiMs);
            // Full again, then the text saved and closed: nothing is left to offer.
            avecDisquePlein([&] {
                ecrivain.demander(releve(QStringLiteral("trois")));
                ecrivain.attendre();
                ecrivain.demander(std::nullopt);
            });
        }
        QVERIFY(sur(QString()) && echecs == 1);
    }
};

QTEST_APPLESS_MAIN(TestDisque)
#include "test_disque.moc"
