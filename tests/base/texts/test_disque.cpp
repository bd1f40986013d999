// The layer under the file-and-mark protocol: whole-file writes and bounded
// reads, and the recovery record.
#include "classe.h"
#include "base/texts/disque.h"
#include "base/texts/fichiers_texte.h"
#include "base/texts/processus.h"
#include "base/texts/recuperation.h"

#include <QFile>

#include <QTest>

#include <atomic>
#include <cerrno>

#ifdef _WIN32
#include <windows.h>
#endif

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

    // Each Win32 error the layer meets, mapped on purpose: a share gone (P)
    // is what the copy takes for gone and reconnects to, as on Linux; slow,
    // busy or refused (L) is not, and the unforeseen is neither.
    void erreursWindows_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("attendu");
        QTest::addColumn<bool>("parti");
#ifdef _WIN32
#define L(code, e) QTest::newRow(#code) << int(code) << int(e) << false
#define P(code, e) QTest::newRow(#code) << int(code) << int(e) << true
        L(ERROR_FILE_NOT_FOUND, ENOENT), L(ERROR_DELETE_PENDING, ENOENT), L(ERROR_ACCESS_DENIED, EACCES);
        L(ERROR_NETWORK_ACCESS_DENIED, EACCES), L(ERROR_CANT_ACCESS_FILE, EACCES), L(ERROR_SHARING_VIOLATION, ETXTBSY);
        L(ERROR_USER_MAPPED_FILE, ETXTBSY), L(ERROR_LOCK_VIOLATION, EAGAIN), L(ERROR_NOT_LOCKED, ENOLCK);
        L(ERROR_BUSY, EBUSY), L(ERROR_REQ_NOT_ACCEP, EBUSY), L(ERROR_FILE_EXISTS, EEXIST), L(ERROR_DISK_FULL, ENOSPC);
        L(1295, EDQUOT), L(ERROR_FILE_TOO_LARGE, EFBIG), L(ERROR_INVALID_NAME, EINVAL), L(ERROR_INVALID_HANDLE, EBADF);
        L(ERROR_DIRECTORY, ENOTDIR), L(ERROR_NOT_SUPPORTED, ENOTSUP), P(ERROR_NETNAME_DELETED, ENOTCONN);
        P(ERROR_BAD_NETPATH, ENOTCONN), P(ERROR_UNEXP_NET_ERR, ENOTCONN), P(ERROR_VC_DISCONNECTED, ENOTCONN);
        P(ERROR_CONNECTION_ABORTED, ENOTCONN), P(ERROR_NOT_CONNECTED, ENOTCONN), P(ERROR_HOST_UNREACHABLE, EHOSTDOWN);
        P(ERROR_HOST_DOWN, EHOSTDOWN), P(ERROR_NOT_READY, ENODEV), P(ERROR_FILE_INVALID, ESTALE);
        L(ERROR_SEM_TIMEOUT, ETIMEDOUT), P(ERROR_CRC, EIO), P(ERROR_NET_WRITE_FAULT, EIO), L(ERROR_WRITE_PROTECT, EROFS);
        L(ERROR_FILENAME_EXCED_RANGE, ENAMETOOLONG), L(ERROR_DIR_NOT_EMPTY, ENOTEMPTY), L(ERROR_NOT_SAME_DEVICE, EXDEV);
        L(ERROR_TOO_MANY_OPEN_FILES, EMFILE), L(ERROR_OUTOFMEMORY, ENOMEM), L(681, ELOOP), L(ERROR_HANDLE_EOF, 0);
        L(ERROR_INVALID_DATA, EPROTO), L(ERROR_DS_BUSY, EPROTO);
#undef L
#undef P
#else
        QSKIP("Win32's error codes");
#endif
    }
    void erreursWindows()
    {
#ifdef _WIN32
        QFETCH(int, code);
        QFETCH(int, attendu);
        QFETCH(bool, parti);
        QCOMPARE(sys::errnoWin32(DWORD(code)), attendu);
        QCOMPARE(FichiersTexte::partiDuPartage(attendu), parti);
#endif
    }
};

QTEST_APPLESS_MAIN(TestDisque)
#include "test_disque.moc"
