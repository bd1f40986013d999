// The file-and-mark protocol on real files: what each call says and what it
// leaves on disk (bytes, attribute words, drafts); first the attribute words
// themselves.
#include "classe.h"
#include "base/cp1252.h"
#include "base/texts/fichiers_texte.h"
#include "base/texts/processus.h"
#include "base/texts/prise.h"
#include "base/texts/recuperation.h"
#include "base/texts/verrou.h"

#include <QCryptographicHash>
#include <QDir>
#include <QSysInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>

#include <cerrno>
#include <ctime>

Q_DECLARE_METATYPE(DossierClasse::Resolution)

using namespace Qt::StringLiterals;

namespace {

using Issue = FichiersTexte::Lecture::Issue;
using Cible = FichiersTexte::Cible::Etat;
using Ecriture = FichiersTexte::Ecriture::Issue;

} // namespace

class TestFichiersTexte : public QObject
{
    Q_OBJECT
private slots:
    // A class folder's group may write: a released text gets group write back.
    void initTestCase() { commeLeProgramme(002); }

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
        SANS_WINDOWS("the DOS word of a CIFS mount is Linux's");
        Classe classe;
        const QString c = classe.ecrire(QStringLiteral("conte.txt"), "x");
        changerMode(c, 0644);
        // Little-endian, as CIFS keeps it.
        const auto mot32 = [](quint32 v) { return QByteArray(reinterpret_cast<const char *>(&v), 4); };
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
        QTest::newRow("dossier nomme x.txt") << "dossier" << QByteArray() << -1 << int(Issue::Erreur) << -1;
        QTest::newRow("tube nomme") << "tube" << QByteArray() << -1 << int(Issue::Erreur) << -1;
    }
    void prendre()
    {
        QFETCH(QString, sorte);
        QFETCH(QByteArray, octets);
        QFETCH(int, motAvant);
        QFETCH(int, issue);
        QFETCH(int, motApres);
        Classe classe;
        // A hidden text counts like any other.
        const QString c = classe.chemin(QStringLiteral(".x.txt"));
        if (sorte.isEmpty())
            classe.ecrire(QStringLiteral(".x.txt"), octets);
        else if (sorte == u"dossier")
            QDir().mkdir(c);
        else if (sorte == u"tube" && !creerTube(c))
            SANS_WINDOWS("no named pipe in a folder");
        AttributsMemoire attributs;
        if (motAvant >= 0)
            attributs.mots[c] = quint16(motAvant);
        FichiersTexte fichiers(attributs);
        const FichiersTexte::Lecture l = fichiers.prendre(c);
        QCOMPARE(int(l.issue), issue);
        QCOMPARE(l.texte, issue == int(Issue::Lu) ? cp1252::decode(octets) : QString());
        QCOMPARE(attributs.mots.value(c, quint16(-1)), quint16(motApres));
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
        if (disquePlein)
            SANS_WINDOWS("no file-size limit to play a full disk");
        // Words kept by name follow a draft to its name through the path of
        // its open file, which Wine keeps as it was before the rename.
        if (motAvant < 0 && qEnvironmentVariableIsSet("WINEPREFIX"))
            SANS_WINDOWS("Wine names a renamed open file by its old name");
        Classe classe;
        // A name of 255 bytes: the draft beside it is named whatever the text's name.
        // (On Windows the whole path must stay within MAX_PATH for the test's own checks.)
#ifdef _WIN32
        const QString nom = QString(150, u'e') + QStringLiteral(".txt"), c = classe.chemin(nom);
#else
        const QString nom = QString(251, u'e') + QStringLiteral(".txt"), c = classe.chemin(nom);
#endif
        AttributsMemoire attributs;
        if (motAvant >= 0) {
            classe.ecrire(nom, "ancien");
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
        QCOMPARE(classe.octets(nom), apres);
        QCOMPARE(attributs.mots.value(c, quint16(-1)), quint16(motApres));
        // Released, it leaves neither a draft nor its claim.
        fichiers.libererTout();
        QCOMPARE(classe.fichiers(), apres == "<absent>" ? QStringList() : QStringList{nom});
    }

    // A hostile pupil's class folder: nothing is read for writing, marked,
    // written or released through a link in any component, a second name of
    // a file, or while another copy keeps the lock (a forged attribute:
    // cifsLeMotDosEstPartage).
    void hostile_data()
    {
        QTest::addColumn<QString>("cas");
        QTest::addColumn<DossierClasse::Resolution>("resolution");
        for (const char *cas : {"sous-dossier lien", "sous-dossier lien, par un autre nom", "texte lien",
                                "lien physique hors de la classe", "lien physique vers un texte", "verrou gardé"}) {
            // The kernel's lookup, and the walk used where the kernel lacks it.
            QTest::addRow("%s", cas) << QString::fromUtf8(cas) << DossierClasse::Resolution::Automatique;
            QTest::addRow("%s, composant par composant", cas) << QString::fromUtf8(cas) << DossierClasse::Resolution::ParComposants;
        }
    }
    void hostile()
    {
        QFETCH(QString, cas);
        QFETCH(DossierClasse::Resolution, resolution);
        if (cas != u"verrou gardé")
            SANS_WINDOWS("no link without privileges");
        Classe classe, ailleurs;
        const QString prive = ailleurs.ecrire(QStringLiteral("prive/p.txt"), "secret");
        changerMode(prive, 0640);
        const QString a = classe.ecrire(QStringLiteral("a.txt"), "A\r\n");
        // Started from another name of the class folder (a link to it): paths by that name are inside too.
        const QString nom = cas.endsWith(u"autre nom") ? ailleurs.chemin(QStringLiteral("classe")) : classe.dossier();
        if (nom != classe.dossier())
            lienSymbolique(classe.dossier(), nom);
        const auto dossier = std::make_shared<const DossierClasse>(nom, resolution);
        AttributsSysteme attributs;
        FichiersTexte fichiers(attributs, dossier);
        const QString l = classe.chemin(QStringLiteral("l.txt"));
        QString c = l; // what the pupil opens
        if (cas.startsWith(u"sous-dossier lien")) {
            lienSymbolique(QFileInfo(prive).path(), classe.chemin(QStringLiteral("CM1")));
            c = nom + QStringLiteral("/CM1/p.txt");
            QCOMPARE(fichiers.ecrireSous(nom + QStringLiteral("/CM1/neuf.txt"), "x").erreur, ELOOP);
        } else if (cas == u"texte lien") {
            lienSymbolique(prive, l);
        } else if (cas.startsWith(u"lien physique")) {
            lienPhysique(cas.endsWith(u"classe") ? prive : a, l);
        }
        if (cas == u"verrou gardé") {
            // Another copy that keeps the lock past the wait: taken, never free. Its
            // descriptor is open for writing, as NFS needs for an exclusive lock.
            const VerrouFichier autre(dossier->fd(), "a.txt");
            QVERIFY(autre.tenu() && (sys::fcntl(autre.fd(), F_GETFL) & O_ACCMODE) == O_RDWR);
            QCOMPARE(fichiers.prendre(a).issue, Issue::Pris);
            QCOMPARE(fichiers.ecrireSous(a, "B\r\n").issue, Ecriture::Prise);
            QVERIFY(!classe.marqueSurDisque(QStringLiteral("a.txt")) && classe.octets(QStringLiteral("a.txt")) == "A\r\n");
            return;
        }
        QCOMPARE(fichiers.prendre(c).issue, Issue::Erreur);
        QCOMPARE(fichiers.examiner(c).etat, Cible::Lien);
        QCOMPARE(fichiers.ecrireSous(c, "x").issue, Ecriture::Erreur);
        QCOMPARE(fichiers.liberer(c), 0);
        QVERIFY(fichiers.tenues().isEmpty());
        // Nothing changed, on this side of the link or the other.
        QVERIFY(ailleurs.octets(QStringLiteral("prive/p.txt")) == "secret" && ailleurs.mode(QStringLiteral("prive/p.txt")) == 0640);
        QVERIFY(classe.octets(QStringLiteral("a.txt")) == "A\r\n" && !classe.marqueSurDisque(QStringLiteral("a.txt")));
    }

    // A text this copy holds is the file it opened, however its name and its
    // inode number go meanwhile; a take stays single by the holder's lock, or
    // by its claim where locks are not passed on.
    void unTexteTenuEstUnFichierOuvert_data()
    {
        QTest::addColumn<QString>("cas");
        QTest::addColumn<int>("issue"); // of the other copy's take
        QTest::newRow("supprimé, son numéro donné à un nouveau texte") << "supprime" << int(Issue::Pris);
        QTest::newRow("renommé, un lien à sa place, puis libéré") << "renomme" << int(Issue::Lu);
        QTest::newRow("marque refusée") << "refusee" << int(Issue::Erreur);
        QTest::newRow("marque ignorée par le partage") << "ignoree" << int(Issue::Erreur);
        QTest::newRow("mot illisible: ni libre ni pris") << "illisible" << int(Issue::Erreur);
        QTest::newRow("tenu par une copie en marche, marque levée à la main") << "vivante" << int(Issue::Pris);
        QTest::newRow("revendiqué depuis un poste qui ne partage pas les verrous") << "autre poste" << int(Issue::Pris);
        QTest::newRow("revendication d'une copie morte de ce poste") << "morte" << int(Issue::Lu);
        QTest::newRow("revendication puis marque levée à la main") << "levee" << int(Issue::Lu);
    }
    void unTexteTenuEstUnFichierOuvert()
    {
        QFETCH(QString, cas);
        QFETCH(int, issue);
        if (cas == u"renomme" || cas == u"levee" || cas == u"supprime" || cas == u"vivante")
            SANS_WINDOWS("Windows neither deletes nor renames a file another copy holds, and has no link to put there");
        Classe classe;
        const QString a = classe.ecrire(QStringLiteral("a.txt"), "A\r\n"), c = classe.chemin(QStringLiteral("c.txt"));
        const auto dossier = std::make_shared<const DossierClasse>(classe.dossier());
        const Descripteur fd = dossier->ouvrirDossier(classe.dossier());
        // The system's words, but a mark refused, a share that ignores it, or a word that cannot be read.
        struct Cas : AttributsSysteme {
            QString cas;
            LectureAttribut lireFd(int fd) const override { return cas == u"illisible" ? LectureAttribut{0, EIO} : AttributsSysteme::lireFd(fd); }
            int ecrireFd(int fd, quint16 mot) override { return cas == u"refusee" ? EPERM : cas == u"ignoree" ? 0 : AttributsSysteme::ecrireFd(fd, mot); }
        } attributs, systeme;
        attributs.cas = cas;
        FichiersTexte v(attributs, dossier), autre(systeme, dossier);
        prise::Detenteur ailleurs = prise::pourCetteCopie("a.txt", 0644);
        const QString cible = cas == u"supprime" || cas == u"renomme" ? c : a;
        if (cas == u"supprime") {
            // Its file stays open: the next new file cannot get its inode, and is not taken for it.
            QVERIFY(v.prendre(a).issue == Issue::Lu && QFile::remove(a) && autre.ecrireSous(c, "C\r\n").issue == Ecriture::Ecrit);
            QCOMPARE(v.reecrire(a, "B\r\n").erreur, disque::texteSupprime);
        } else if (cas == u"renomme") {
            // Renamed away, a link put in its place: not saved there, released where it went.
            QVERIFY(v.prendre(a).issue == Issue::Lu && QFile::rename(a, c) && QFile::link(QStringLiteral("/etc/passwd"), a));
            QVERIFY(v.reecrire(a, "B\r\n").erreur == disque::cheminChange && v.liberer(a) == 0);
            QVERIFY(!classe.marqueSurDisque(QStringLiteral("c.txt")) && classe.octets(QStringLiteral("c.txt")) == "A\r\n");
        } else if (cas == u"vivante") {
            QVERIFY(autre.prendre(a).issue == Issue::Lu && QFile::setPermissions(a, QFile::ReadOwner | QFile::WriteOwner));
        } else if (cas == u"illisible") {
            QCOMPARE(v.examiner(a).erreur, EIO);
        } else if (cas != u"ignoree" && cas != u"refusee") {
            // Claimed elsewhere, with no lock or mark this machine sees; a dead copy's pid now another process's.
            if (cas == u"morte")
                ailleurs.copie.debut += 1;
            else
                ailleurs.copie.machine = QStringLiteral("autre");
            QCOMPARE(prise::poser(fd.fd(), ailleurs), 0);
            // The claim ten seconds old, the mark since lifted by hand.
#ifndef _WIN32
            const timespec ilYA[2] = {{::time(nullptr) - 10, 0}, {::time(nullptr) - 10, 0}};
            if (cas == u"levee")
                QVERIFY(::utimensat(fd.fd(), prise::nom("a.txt", false).constData(), ilYA, 0) == 0 && QFile::setPermissions(a, QFile::ReadOwner | QFile::WriteOwner));
#endif
        }
        const FichiersTexte::Lecture l = v.prendre(cible);
        QVERIFY(int(l.issue) == issue && l.erreur == (cas == u"ignoree" ? ENOTSUP : cas == u"refusee" ? EPERM : cas == u"illisible" ? EIO : 0));
        QVERIFY(cas != u"autre poste" || v.ecrireSous(a, "B\r\n").issue == Ecriture::Prise);
        // Its claim is the one taking it now, else the one that stood there, else none.
        const prise::Lue p = prise::lire(fd.fd(), QFile::encodeName(QFileInfo(cible).fileName()));
        QCOMPARE(p.detenteur ? p.detenteur->jeton : QByteArray(),
                 issue == int(Issue::Lu) ? v.tenues().constLast().jeton : cas == u"autre poste" ? ailleurs.jeton
                 : cas == u"vivante" || cas == u"supprime" ? autre.tenues().constLast().jeton : QByteArray());
        v.libererTout();
        QCOMPARE(marqueSurDisque(cible), cas == u"supprime"); // the other copy holds it
    }

    // Only a whole claim of this very text, by the folder's case rule, keeps
    // it from a copy; anything else at its claim's name is set aside, or left
    // and ignored, and what a copy killed mid-claim left goes.
    void unePriseNeRefuseQueSonTexte_data()
    {
        QTest::addColumn<QString>("cas");
        QTest::addColumn<bool>("pris");
        QTest::addColumn<QString>("reste"); // hidden files but the taker's claim, by kind
        for (const char *c : {"fichier vide", "texte quelconque", "tube", "lien", "dossier vide", "prise d'un autre texte",
                              "prise à deux noms", "brouillon d'une copie morte", "successeur d'une copie morte",
                              "successeur ancien", "casse: dossier sensible", "nom absent, prise ancienne",
                              "copie morte, clé d'avant (machine et nom d'hôte)"})
            QTest::newRow(c) << QString::fromUtf8(c) << false << QString();
        QTest::newRow("dossier plein: laissé, le texte pris sans prise") << "dossier plein" << false << "dossier";
        QTest::newRow("successeur récent: une copie remplace") << "successeur recent" << true << "prise successeur";
        QTest::newRow("casse: dossier sans casse") << "sans casse" << true << QString();
        QTest::newRow("prise d'un autre poste") << "autre poste" << true << "prise";
        QTest::newRow("nom absent, prise récente") << "nom absent recent" << true << "prise";
    }
    void unePriseNeRefuseQueSonTexte()
    {
        QFETCH(QString, cas);
        QFETCH(bool, pris);
        QFETCH(QString, reste);
        SANS_WINDOWS("links, pipes and file times set by hand");
        Classe classe;
        const QString b = classe.ecrire(QStringLiteral("b.txt"), "B\r\n");
        const auto dossier = std::make_shared<const DossierClasse>(classe.dossier());
        const Descripteur fd = dossier->ouvrirDossier(classe.dossier());
        prise::imposerCasse(cas == u"sans casse" ? std::optional<bool>(true) : std::nullopt);
        const auto casse = qScopeGuard([] { prise::imposerCasse(std::nullopt); });
        AttributsSysteme attributs;
        FichiersTexte v(attributs, dossier);
        const bool absent = cas.startsWith(u"nom absent");
        QString cible = absent ? classe.chemin(QStringLiteral("n.txt")) : b;
        const QByteArray nomCible = QFile::encodeName(QFileInfo(cible).fileName());
        const QString chemin = classe.chemin(QString::fromLatin1(prise::nomDans(fd.fd(), nomCible)));
        // A claim of another machine, or of a copy of this one that died (its pid now another process's).
        prise::Detenteur d = prise::pourCetteCopie(nomCible, 0644);
        d.copie.machine = QStringLiteral("autre");
        prise::Detenteur morte = prise::pourCetteCopie(nomCible, 0644);
        morte.copie.debut += 1;
        const auto ecrire = [](const QString &c, const QByteArray &o) { QFile f(c); return f.open(QIODevice::WriteOnly) && f.write(o) == o.size(); };
        // An hour back (the rows that age files do not run on Windows).
        const auto vieillir = [](const QString &c) {
#ifndef _WIN32
            const timespec ilYA[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
            return ::utimensat(AT_FDCWD, QFile::encodeName(c).constData(), ilYA, AT_SYMLINK_NOFOLLOW) == 0;
#else
            Q_UNUSED(c);
            return false;
#endif
        };
        const QString successeur = chemin + u'-' + QString::fromLatin1(morte.jeton.left(16));
        if (cas == u"fichier vide" || cas == u"texte quelconque")
            QVERIFY(ecrire(chemin, cas == u"fichier vide" ? "" : "plumor-prise 1\ntexte=b.txt\n"));
        else if (cas == u"tube")
            QVERIFY(creerTube(chemin));
        else if (cas == u"lien")
            QVERIFY(lienSymbolique(QStringLiteral("/etc/passwd"), chemin));
        else if (cas.startsWith(u"dossier"))
            QVERIFY(QDir().mkpath(cas == u"dossier plein" ? chemin + QStringLiteral("/x") : chemin));
        else if (cas == u"prise d'un autre texte")
            QVERIFY(ecrire(chemin, prise::encoder(prise::pourCetteCopie("c.txt", 0644))));
        else if (cas == u"brouillon d'une copie morte")
            QVERIFY(ecrire(classe.chemin(QStringLiteral(".plumor-pabcdef")), prise::encoder(morte)));
        if (cas.startsWith(u"copie morte")) {
            // Written by an earlier version, whose machine key mixed in the host name.
            QCryptographicHash h(QCryptographicHash::Sha1);
            h.addData(sys::idMachine());
            h.addData(QSysInfo::machineHostName().toUtf8());
            morte.copie.machine = QString::fromLatin1(h.result().toHex().left(16));
            QCOMPARE(prise::poser(fd.fd(), morte), 0);
        }
        if (cas == u"prise à deux noms" || cas == u"autre poste" || absent)
            QCOMPARE(prise::poser(fd.fd(), d), 0);
        if (cas == u"prise à deux noms")
            QVERIFY(lienPhysique(chemin, classe.chemin(QStringLiteral("c.txt"))));
        if (cas.startsWith(u"successeur")) {
            QCOMPARE(prise::poser(fd.fd(), morte), 0);
            QVERIFY(ecrire(successeur, cas == u"successeur d'une copie morte" ? processus::nomDe(morte.copie).toUtf8() : ""));
            QVERIFY(cas != u"successeur ancien" || vieillir(successeur));
        }
        if (cas == u"nom absent, prise ancienne")
            QVERIFY(vieillir(chemin));
        if (cas == u"sans casse" || cas == u"casse: dossier sensible") {
            // Another machine's copy holds conte.txt; this one asks for Conte.txt.
            d.texte = "conte.txt";
            QCOMPARE(prise::poser(fd.fd(), d), 0);
            cible = classe.ecrire(QStringLiteral("Conte.txt"), "C\r\n");
        }
        const bool refuse = absent ? v.ecrireSous(cible, "N\r\n").issue == Ecriture::Prise : v.prendre(cible).issue == Issue::Pris;
        QCOMPARE(refuse, pris);
        // What stays hidden: the taker's claim, and what could be neither judged nor set aside.
        QStringList caches = QDir(classe.dossier()).entryList(QDir::Hidden | QDir::AllEntries | QDir::NoDotAndDotDot).filter(QRegularExpression(u"^\\."_s));
        QStringList sortes;
        for (const QString &c : std::as_const(caches)) {
            const prise::Lue l = prise::lire(fd.fd(), QFile::encodeName(QFileInfo(cible).fileName()));
            const bool duPreneur = !pris && !v.tenues().isEmpty() && l.detenteur && l.detenteur->jeton == v.tenues().constLast().jeton
                                   && c == QString::fromLatin1(prise::nomDans(fd.fd(), QFile::encodeName(QFileInfo(cible).fileName())));
            const bool deLAutre = d.texte == "conte.txt" && c == QString::fromLatin1(prise::nomDans(fd.fd(), "conte.txt"));
            if (!duPreneur && !deLAutre)
                sortes << (QFileInfo(classe.chemin(c)).isDir() ? u"dossier"_s : c.indexOf(u'-', 14) > 0 ? u"successeur"_s : u"prise"_s);
        }
        QCOMPARE(sortes.join(u' '), reste);
        // Foreign bytes never became a claim; the text's own mark is what the take set.
        QVERIFY(pris || marqueSurDisque(cible));
        v.libererTout();
    }

    // A copy's next start after it was killed holding a text it was rewriting
    // in place: it finishes the rewrite only while the text is still its own
    // file, its bytes the new ones as far as the write went and the old ones
    // after (never judged by its times, which the write itself moved); it
    // takes the mark over while its claim is still the dead copy's.
    void uneCopieMorte_data()
    {
        QTest::addColumn<QString>("cas");
        QTest::addColumn<QByteArray>("octets"); // the new text
        QTest::addColumn<QByteArray>("laisse"); // what the kill left of "ancien texte\r\n"
        QTest::addColumn<bool>("fini");
        const QByteArray ancien = "ancien texte\r\n", nouveau = "nouveau texte, plus long\r\n", court = "court\r\n",
                         milieu = nouveau.left(4) + ancien.mid(4);
        QTest::newRow("coupé avant le premier octet") << "rien" << nouveau << ancien << true;
        QTest::newRow("coupé au milieu") << "rien" << nouveau << milieu << true;
        QTest::newRow("plus long, écrit au-delà de l'ancien") << "rien" << nouveau << nouveau.left(20) << true;
        QTest::newRow("écrit en entier") << "rien" << nouveau << nouveau << true;
        QTest::newRow("plus court, pas encore coupé") << "rien" << court << court + ancien.mid(court.size()) << true;
        QTest::newRow("plus court, coupé") << "rien" << court << court << true;
        QTest::newRow("un octet ni neuf ni ancien") << "rien" << nouveau << nouveau.left(4) + 'X' + ancien.mid(5) << false;
        QTest::newRow("le disque remonté: un autre numéro de périphérique") << "remonte" << nouveau << milieu << true;
        QTest::newRow("un autre fichier depuis") << "remplace" << nouveau << milieu << false;
        QTest::newRow("un second nom depuis (lien physique)") << "lien" << nouveau << milieu << false;
        QTest::newRow("libéré par l'enseignant") << "libere" << nouveau << milieu << false;
        QTest::newRow("libéré, puis tenu par une copie en marche") << "tenu" << nouveau << milieu << false;
        QTest::newRow("libéré, puis pris par une copie morte depuis") << "pris" << nouveau << milieu << false;
        QTest::newRow("la suivante sur une autre classe: un texte hors de la sienne") << "dehors" << nouveau << milieu << false;
    }
    void uneCopieMorte()
    {
        QFETCH(QString, cas);
        QFETCH(QByteArray, octets);
        QFETCH(QByteArray, laisse);
        QFETCH(bool, fini);
        Classe classe, ailleurs;
        const QString t = classe.ecrire(QStringLiteral("t.txt"), "ancien texte\r\n");
        const auto dossier = std::make_shared<const DossierClasse>(QFileInfo(t).path());
        AttributsSysteme attributs;
        auto morte = std::make_unique<FichiersTexte>(attributs, dossier), autre = std::make_unique<FichiersTexte>(attributs, dossier);
        QCOMPARE(morte->prendre(t).issue, Issue::Lu);
        FichiersTexte::Tenue tenue = morte->tenues().constFirst();
        FichiersTexte::Reecriture r{t, tenue.identite, octets, "ancien texte\r\n", tenue.jeton};
        // Killed once the write left `laisse` in the same file: its open file and its lock go with it.
        classe.ecrire(QStringLiteral("t.txt"), laisse);
        changerMode(t, 0444);
        morte.reset();
        if (cas == u"remonte") {
            r.identite.peripherique = ++tenue.identite.peripherique;
        } else if (cas == u"remplace") {
            r.identite.inode += 1;
        } else if (cas == u"lien") {
            if (!lienPhysique(t, classe.chemin(QStringLiteral("l.txt"))))
                SANS_WINDOWS("no hard link");
        } else if (cas != u"rien" && cas != u"dehors") {
            // The teacher's release takes its claim and its mark away; another copy may take it then.
            QVERIFY(QFile::remove(classe.chemin(QString::fromLatin1(prise::nom("t.txt", false)))) && changerMode(t, 0644));
            QVERIFY(cas == u"libere" || autre->prendre(t).issue == Issue::Lu);
            // Taken by a copy dead since; else held with no claim (a folder that
            // takes none), where its mark and its lock alone tell.
            if (cas == u"pris")
                autre.reset();
            else
                r.jeton = tenue.jeton = QByteArray();
        }
        FichiersTexte suivante(attributs, std::make_shared<const DossierClasse>((cas == u"dehors" ? ailleurs : classe).dossier()));
        bool fait = false;
        QCOMPARE(suivante.terminer(r, fait).has_value() && fait, fini);
        QCOMPARE(classe.octets(QStringLiteral("t.txt")), fini ? octets : laisse);
        // Its claim, still the dead copy's, gives the mark over.
        const bool repris = cas == u"rien" || cas == u"remonte" || cas == u"remplace";
        QCOMPARE(suivante.reprendre(tenue), repris);
        QCOMPARE(marqueSurDisque(t), cas != u"libere");
        suivante.libererTout();
        QCOMPARE(marqueSurDisque(t), !repris && cas != u"libere");
    }

    // Run as an unprivileged user by test_fichiers_texte_sans_droits.
    void sansDroits()
    {
        if (sys::geteuid() == 0)
            QSKIP("root ignores permissions");
        Classe classe;
        const QString c = classe.ecrire(QStringLiteral("a.txt"), "A\r\n");
        const QString illisible = classe.ecrire(QStringLiteral("b.txt"), "B\r\n");
        const QString d = classe.ecrire(QStringLiteral("d.txt"), "D\r\n");
        changerMode(illisible, 0200);
        AttributsSysteme attributs;
        auto fichiers = std::make_unique<FichiersTexte>(attributs);
        QVERIFY(fichiers->lire(illisible).erreur == EACCES && fichiers->prendre(illisible).issue == Issue::Erreur);
        // Its word is read all the same (plumor-outils lists such texts).
        QVERIFY(classe.mode(QStringLiteral("b.txt")) == 0200 && attributs.lire(illisible).ok());
        // A folder where nothing may be created: taken without a claim.
        changerMode(classe.dossier(), 0555);
        QCOMPARE(fichiers->prendre(c).issue, Issue::Lu);
        // No draft may be created there: the text is rewritten in place. The
        // record holds the new bytes first, and the mark never goes.
        std::optional<FichiersTexte::Reecriture> vue;
        bool marqueePendant = false;
        fichiers->surReecriture([&] {
            vue = fichiers->reecriture();
            marqueePendant = classe.marqueSurDisque(QStringLiteral("a.txt"));
            return 0;
        });
        QCOMPARE(fichiers->reecrire(c, "B\r\n").issue, Ecriture::Ecrit);
        QVERIFY(vue && vue->octets == "B\r\n" && marqueePendant && !fichiers->reecriture());
        // A full disk, or a record that cannot say what is being written, changes nothing, and says so.
        avecDisquePlein([&] { QCOMPARE(fichiers->reecrire(c, "un texte plus long").erreur, EFBIG); });
        fichiers->surReecriture([&] { vue = fichiers->reecriture(); return ENOSPC; });
        QVERIFY(fichiers->reecrire(c, "un texte plus long\r\n").erreur == ENOSPC && !fichiers->reecriture());
        QVERIFY(classe.octets(QStringLiteral("a.txt")) == "B\r\n" && classe.marqueSurDisque(QStringLiteral("a.txt")));
        // No draft left, nor any claim.
        QCOMPARE(classe.fichiers(), (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("d.txt")}));

        // Killed midway through that longer text, its record written and read back: the next start finishes it.
        recuperation::Releve r = *recuperation::decoder(recuperation::encoder({true, QStringLiteral("un texte plus long"), c, fichiers->tenues(), *vue}));
        classe.ecrire(QStringLiteral("a.txt"), "un t");
        changerMode(c, 0444);
        // Killed: its open files and its lock go with it, its mark stays.
        fichiers.reset();
        FichiersTexte suivante(attributs, std::make_shared<const DossierClasse>(classe.dossier()));
        QVERIFY(recuperation::terminer(r, suivante) && !r.aRecuperer());
        QVERIFY(classe.octets(QStringLiteral("a.txt")) == "un texte plus long\r\n" && classe.marqueSurDisque(QStringLiteral("a.txt")));
        // With no claim, its mark is known as the dead copy's by the file as it is now, not as the write left it.
        QVERIFY(suivante.reprendre(r.marques.constFirst()) && suivante.liberer(c) == 0);

        // Saved under the name of a free text there, killed midway: its mark too is let go after.
        auto sous = std::make_unique<FichiersTexte>(attributs, std::make_shared<const DossierClasse>(classe.dossier()));
        sous->surReecriture([&] { vue = sous->reecriture(); return 0; });
        QVERIFY(sous->ecrireSous(d, "un texte plus long\r\n").ecrit() && vue);
        r = *recuperation::decoder(recuperation::encoder({true, QStringLiteral("un texte plus long"), c, {}, *vue}));
        classe.ecrire(QStringLiteral("d.txt"), "un t");
        changerMode(d, 0444);
        sous.reset();
        QVERIFY(recuperation::terminer(r, suivante) && r.marques.size() == 1);
        QVERIFY(suivante.reprendre(r.marques.constFirst()) && suivante.liberer(d) == 0 && !classe.marqueSurDisque(QStringLiteral("d.txt")));
        changerMode(classe.dossier(), 0755);
    }
};

QTEST_APPLESS_MAIN(TestFichiersTexte)
#include "test_fichiers_texte.moc"
