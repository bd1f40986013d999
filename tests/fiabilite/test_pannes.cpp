// Faults injected under an open text that the texts' own tests do not cover:
// a really full file system, a folder made read-only and a file made
// unreadable for an unprivileged pupil, the current file renamed, the shown
// folder removed. Each time the pupil is told in French, the previous
// content stays on disk, the writing zone keeps the text and the marks are
// where they should be.
#include "fenetre.h"

#include "texts/documents.h"
#include "ui/zone_texte.h"

#include <QDir>
#include <QProcess>
#include <QTest>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using R = Dialogues::Reponse;
const QString kErreurOuverture = QStringLiteral("Erreur lors d'une tentative d'ouverture de fichier.");
const QString kAcces = QStringLiteral("Erreur=Accès refusé.");
constexpr uid_t kPersonne = 65534;

void ouvrir(Fenetre &f, const QString &chemin)
{
    f.dialogues->fichiers << chemin;
    f.form->documents().ouvrir_Click();
}

void changer(Fenetre &f, const QString &texte)
{
    f.c().Text1->selectAll();
    f.c().Text1->remplacerSelection(texte);
}

int mode(const QString &chemin)
{
    struct stat st {};
    return ::stat(QFile::encodeName(chemin).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

QByteArray contenu(const QString &chemin)
{
    QFile f(chemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

int fichiersCaches(const QString &dossier)
{
    return int(QDir(dossier).entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden).size());
}

// Runs the unprivileged copy: as root, in a child that first becomes nobody.
QByteArray lancerSansDroits(const QString &scenario, const QString &dossier)
{
    QProcess p;
    QStringList args{QStringLiteral(PANNE_SANS_DROITS), scenario, dossier};
    if (::geteuid() == 0)
        args = QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                           QStringLiteral("--clear-groups"), QStringLiteral("--")} + args;
    p.start(::geteuid() == 0 ? QStringLiteral("setpriv") : args.takeFirst(), args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return "<failed> " + p.readAllStandardError();
    return p.readAllStandardOutput();
}

// A tmpfs of a few pages, for a real "no space left"; gone with the object.
class PetitDisque
{
public:
    PetitDisque()
    {
        if (::geteuid() == 0)
            m_monte = ::mount("plumor", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0, "size=16k") == 0;
    }
    ~PetitDisque()
    {
        if (m_monte)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    bool monte() const { return m_monte; }
    QString dossier() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    bool m_monte = false;
};

} // namespace

class TestPannes : public QObject
{
    Q_OBJECT
private slots:
    void disqueVraimentPlein()
    {
        PetitDisque disque;
        if (!disque.monte())
            QSKIP("mounting a small tmpfs needs root");
        const QString a = QDir(disque.dossier()).filePath(QStringLiteral("a.txt"));
        QFile fa(a);
        QVERIFY(fa.open(QIODevice::WriteOnly));
        fa.write("ancien\r\n");
        fa.close();
        Fenetre f = ouvrirFenetre(disque.dossier());
        ouvrir(f, a);
        // Fill what is left, then save a text bigger than any free page.
        QFile plein(QDir(disque.dossier()).filePath(QStringLiteral("plein")));
        QVERIFY(plein.open(QIODevice::WriteOnly));
        while (plein.write(QByteArray(1024, 'x')) > 0 && plein.flush()) {
        }
        plein.close();
        const QString texte = QString(3000, u'z');
        changer(f, texte);
        f.form->documents().enregistrer_Click();
        QCOMPARE(f.dialogues->textes(), QStringList{QStringLiteral("Erreur=Il n'y a plus de place sur le disque.")});
        QCOMPARE(contenu(a), QByteArray("ancien\r\n"));
        QCOMPARE(mode(a) & 0222, 0); // still this copy's text
        QCOMPARE(f.c().Text1->texteCrLf(), texte);
        QCOMPARE(fichiersCaches(disque.dossier()), 0);
    }

    void sansDroits_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QByteArray>("sortie");
        QTest::addColumn<int>("modeApres");
        // The save is refused twice (Enregistrer, then Fermer's Yes); the text
        // stays in the zone, still held.
        QTest::newRow("dossier devenu en lecture seule")
            << "dossier-lecture-seule"
            << QByteArray("M " + kAcces.toUtf8() + "\nM Voulez-vous enregistrer le texte?\nM " + kAcces.toUtf8()
                          + "\nZ nouveau\nC %1/a.txt\n")
            << 0444;
        QTest::newRow("fichier illisible")
            << "fichier-illisible"
            << QByteArray("L \nM " + kErreurOuverture.toUtf8() + "\nM " + kErreurOuverture.toUtf8() + "\nZ \nC \n")
            << 0600;
    }
    void sansDroits()
    {
        QFETCH(QString, scenario);
        QFETCH(QByteArray, sortie);
        QFETCH(int, modeApres);
        QTemporaryDir d;
        const QString dossier = QDir(d.path()).filePath(QStringLiteral("classe"));
        QVERIFY(QDir().mkdir(dossier));
        ::chmod(QFile::encodeName(d.path()).constData(), 0755);
        const QString a = QDir(dossier).filePath(QStringLiteral("a.txt"));
        QFile fa(a);
        QVERIFY(fa.open(QIODevice::WriteOnly));
        fa.write("ancien\r\n");
        fa.close();
        const bool pupilleAProprietaire = scenario == QLatin1String("dossier-lecture-seule");
        if (::geteuid() != 0 && !pupilleAProprietaire)
            QSKIP("an owner can always give itself read access back; run as root to test as nobody");
        ::chmod(QFile::encodeName(a).constData(), pupilleAProprietaire ? 0644 : 0600);
        if (::geteuid() == 0 && pupilleAProprietaire) {
            QCOMPARE(::chown(QFile::encodeName(dossier).constData(), kPersonne, kPersonne), 0);
            QCOMPARE(::chown(QFile::encodeName(a).constData(), kPersonne, kPersonne), 0);
        }

        QCOMPARE(lancerSansDroits(scenario, dossier), sortie.replace("%1", QFile::encodeName(dossier)));
        QCOMPARE(contenu(a), QByteArray("ancien\r\n"));
        QCOMPARE(mode(a), modeApres);
        QCOMPARE(fichiersCaches(dossier), 0);
    }

    void texteCourantRenommeAilleurs()
    {
        Classe classe;
        const QString a = classe.ecrire(QStringLiteral("a.txt"), "A\r\n");
        Fenetre f = ouvrirFenetre(classe.dossier());
        ouvrir(f, a);
        QVERIFY(QFile::rename(a, classe.chemin(QStringLiteral("b.txt"))));
        changer(f, QStringLiteral("suite"));
        f.form->documents().enregistrer_Click();
        // The pupil's text is written back under the name it was opened with.
        QVERIFY(f.dialogues->messages.isEmpty());
        QCOMPARE(classe.octets(QStringLiteral("a.txt")), QByteArray("suite\r\n"));
        QCOMPARE(classe.octets(QStringLiteral("b.txt")), QByteArray("A\r\n"));
        QVERIFY(classe.marqueSurDisque(QStringLiteral("a.txt")));
        f.form->documents().Fermer_Click();
        QVERIFY(!classe.marqueSurDisque(QStringLiteral("a.txt")));
        QVERIFY(f.etat().fichier_courant.isEmpty());
    }

    void dossierDuTexteSupprime()
    {
        Classe classe;
        const QString a = classe.ecrire(QStringLiteral("CM1/a.txt"), "A\r\n");
        Fenetre f = ouvrirFenetre(classe.dossier());
        ouvrir(f, a);
        changer(f, QStringLiteral("suite"));
        QVERIFY(QDir(classe.chemin(QStringLiteral("CM1"))).removeRecursively());
        f.form->documents().enregistrer_Click();
        f.dialogues->reponses << R::Oui;
        f.form->documents().Fermer_Click();
        QCOMPARE(f.dialogues->textes(),
                 (QStringList{QStringLiteral("Erreur=Fichier ou dossier introuvable."),
                              QStringLiteral("Voulez-vous enregistrer le texte?"),
                              QStringLiteral("Erreur=Fichier ou dossier introuvable.")}));
        QCOMPARE(f.c().Text1->texteCrLf(), QStringLiteral("suite"));
        QCOMPARE(f.etat().fichier_courant, a);

        // The pupil saves elsewhere: the text is safe and held there.
        f.dialogues->messages.clear();
        f.dialogues->fichiers << classe.chemin(QStringLiteral("sauve.txt"));
        f.form->documents().enregistrer_sous_Click();
        QVERIFY(f.dialogues->messages.isEmpty());
        QCOMPARE(classe.octets(QStringLiteral("sauve.txt")), QByteArray("suite\r\n"));
        QVERIFY(classe.marqueSurDisque(QStringLiteral("sauve.txt")));
        QCOMPARE(f.etat().fichier_courant, classe.chemin(QStringLiteral("sauve.txt")));
    }
};

QTEST_MAIN(TestPannes)
#include "test_pannes.moc"
