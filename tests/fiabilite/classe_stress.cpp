// A class on one share: N copies, each a process of its own, open, change,
// save, save under another name, close and read M texts of one folder, at
// random from a seed or all opening the same text at the same instants. Each
// copy keeps a journal of the texts it held and the versions it wrote; the
// journals, laid side by side on the machine's one monotonic clock, must
// show no double hold, no save into a text another copy held and no save
// over a version its writer never read (words lost), and the folder must end
// with no torn text, no mark and no draft or claim left.
//
//   classe_stress [--copies N] [--textes M] [--operations K] [--graine S]
//                 [--dispute [--periode MS]] [--hostile [--outils PLUMOR-OUTILS]]
//                 [--deux-postes VERROUS-AILLEURS.so]
//
// --deux-postes makes two machines of the copies, half on each, whose share
// does not pass locks on: the one folder, and a library preloaded into the
// second machine's copies that moves their locks to other bytes.
//
// --hostile adds a pupil who, before and during the run, hard-links texts and
// files of a decoy folder outside the class under names copies use, swaps the
// sub-folder CM1 for a link to the decoy and back, forges
// user.cifs.dosattrib on texts, deletes, renames and writes anew texts copies
// may hold, and releases texts with the teacher's tool; the decoy must end
// with every file's mode and bytes unchanged. Marks left are reported but do
// not fail that run.
#include "base/texts/attributs.h"
#include "base/cp1252.h"
#include "base/texts/fichiers_texte.h"
#include "harnais.h"

#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

namespace {

using Horloge = std::chrono::steady_clock; // the machine's one monotonic clock, in ns

qint64 maintenant()
{
    return Horloge::now().time_since_epoch().count();
}

// "writer:number" of a version, from its first line.
QByteArray idVersion(const QByteArray &o)
{
    const QList<QByteArray> tete = o.left(o.indexOf("\r\n")).split(' ');
    return tete.size() == 3 ? tete[0] + ':' + tete[1].mid(4) : QByteArray("?");
}

// The system's attributes, noting when the first mark of a command reached
// the disk and when the last release was about to, so that a hold is timed
// from the disk's view.
struct AttributsChronometres : AttributsSysteme {
    qint64 marque = 0, liberation = 0;
    int ecrireFd(int fd, quint16 mot) override
    {
        if (!attribut::estMarque(mot))
            liberation = maintenant();
        const int err = AttributsSysteme::ecrireFd(fd, mot);
        if (err == 0 && attribut::estMarque(mot) && marque == 0)
            marque = maintenant();
        return err;
    }
    int libererFd(int fd, int modeAvant) override
    {
        liberation = maintenant();
        return AttributsSysteme::libererFd(fd, modeAvant);
    }
};

// One pupil's copy, following the document commands' order of steps. Names
// in its journal are relative to the folder it sees the class by.
struct Copie {
    explicit Copie(const QString &d) : dossier(d), fichiers(attributs, std::make_shared<const DossierClasse>(d)) {}
    QString dossier;
    AttributsChronometres attributs;
    FichiersTexte fichiers;
    FILE *journal = nullptr;
    int id = 0;
    QRandomGenerator hasard;
    QString tenu;
    qint64 debut = 0;
    QByteArray texte, base; // the version the text in the zone comes from
    int seq = 0, ouvertures = 0, reussies = 0, refus = 0, ecritures = 0, dechirees = 0;

    QByteArray nom(const QString &chemin) const { return QDir(dossier).relativeFilePath(chemin).toLocal8Bit(); }
    void lacher()
    {
        if (tenu.isEmpty())
            return;
        // A text deleted meanwhile, or held under the name it was opened by
        // again, is let go with no change of mode: its hold ends now.
        attributs.liberation = maintenant();
        fichiers.liberer(tenu);
        std::fprintf(journal, "T %s %lld %lld\n", nom(tenu).constData(), debut, attributs.liberation);
        tenu.clear();
    }
    void prendre(const QString &chemin)
    {
        if (chemin == tenu)
            return;
        lacher();
        tenu = chemin;
        debut = attributs.marque != 0 ? attributs.marque : maintenant();
    }
    void ouvrir(const QString &chemin)
    {
        ++ouvertures;
        attributs.marque = 0;
        const FichiersTexte::Lecture l = fichiers.prendre(chemin);
        refus += l.issue == FichiersTexte::Lecture::Issue::Pris;
        if (l.issue != FichiersTexte::Lecture::Issue::Lu)
            return;
        ++reussies;
        prendre(chemin);
        texte = cp1252::encode(l.texte);
        base = idVersion(texte);
    }
    // A save over what it read ("*": over whatever was there, the pupil said so).
    void ecrit(const QString &chemin, qint64 avant, const QByteArray &sur)
    {
        ++ecritures;
        std::fprintf(journal, "E %s %lld %lld %s %s\n", nom(chemin).constData(), avant, maintenant(), sur.constData(),
                     idVersion(texte).constData());
        base = idVersion(texte);
    }
    void enregistrerSous(const QString &chemin)
    {
        if (texte.isEmpty())
            return;
        if (fichiers.examiner(chemin).etat == FichiersTexte::Cible::Etat::Prise) {
            ++refus;
            return;
        }
        attributs.marque = 0;
        const qint64 avant = maintenant();
        const FichiersTexte::Ecriture e = fichiers.ecrireSous(chemin, texte);
        refus += e.issue == FichiersTexte::Ecriture::Issue::Prise;
        if (e.issue == FichiersTexte::Ecriture::Issue::Ecrit) {
            ecrit(chemin, avant, "*");
            prendre(chemin);
        }
    }
    void enregistrer(const QString &cible)
    {
        if (tenu.isEmpty())
            return enregistrerSous(cible);
        const qint64 avant = maintenant();
        if (fichiers.reecrire(tenu, texte).issue == FichiersTexte::Ecriture::Issue::Ecrit)
            ecrit(tenu, avant, base);
    }
    void lire(const QString &chemin)
    {
        const FichiersTexte::Lecture l = fichiers.lire(chemin);
        dechirees += l.issue == FichiersTexte::Lecture::Issue::Lu && !harnais::entiere(cp1252::encode(l.texte));
    }
};

int copie(const QStringList &a)
{
    // --copie ID FOLDER SEED OPERATIONS JOURNAL MODE PERIOD_MS
    const QString dossier = a.at(2);
    const int operations = a.at(4).toInt();
    const bool dispute = a.at(6) == u"dispute";
    const qint64 periode = a.at(7).toLongLong() * 1000000;
    const bool hostile = a.contains(QStringLiteral("--hostile"));
    Copie c(dossier);
    c.id = a.at(1).toInt();
    c.hasard.seed(a.at(3).toUInt());
    c.journal = std::fopen(QFile::encodeName(a.at(5)).constData(), "w");
    QStringList textes;
    for (const QString &n : QDir(dossier).entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name))
        textes << QDir(dossier).filePath(n);
    const qint64 depart = harnais::attendreDepart();
    if (!c.journal || depart < 0)
        return 2;
    const auto attendre = [](qint64 ns) { std::this_thread::sleep_until(Horloge::time_point(Horloge::duration(ns))); };
    for (int i = 0; i < operations; ++i) {
        if (dispute) {
            attendre(depart + i * periode);
            c.ouvrir(textes.at(i % textes.size()));
            attendre(depart + i * periode + periode / 2);
            c.lacher();
            continue;
        }
        const QString cible = textes.at(int(c.hasard.bounded(textes.size())));
        switch ("oooccceesffln"[c.hasard.bounded(13)]) {
        case 'o': c.ouvrir(cible); break;
        case 'c': c.texte = harnais::version("copie=" + QByteArray::number(c.id), ++c.seq, 20 + int(c.hasard.bounded(300))); break;
        case 'e': c.enregistrer(cible); break;
        case 's': c.enregistrerSous(cible); break;
        case 'f': c.lacher(); c.texte.clear(); break;
        case 'l': c.lire(cible); break;
        // A new text saved under a name other copies may choose at the same
        // instant; in the sub-folder the hostile pupil swaps for a link too.
        default:
            c.enregistrerSous(QDir(dossier).filePath((hostile && c.hasard.bounded(2) ? QStringLiteral("CM1/nouveau%1.txt")
                                                                                      : QStringLiteral("nouveau%1.txt"))
                                                         .arg(c.hasard.bounded(3))));
        }
    }
    c.lacher();
    std::fprintf(c.journal, "S %d %d %d %d %d\n", c.ouvertures, c.reussies, c.refus, c.ecritures, c.dechirees);
    return std::fclose(c.journal) == 0 ? 0 : 1;
}

// The hostile pupil: --hostile-eleve FOLDER DECOY SEED JOURNAL [TOOL]; runs
// until its standard input closes, then puts the real CM1 back. The decoy's
// files and the texts it writes are versions too, so that one linked or
// written into the class is no torn text. Its journal says between which
// instants each name it changed stopped naming what it named ("P name from to").
int eleveHostile(const QStringList &a)
{
    const QByteArray classe = QFile::encodeName(a.at(1)), leurre = QFile::encodeName(a.at(2));
    QRandomGenerator hasard(a.at(3).toUInt());
    FILE *journal = std::fopen(QFile::encodeName(a.at(4)).constData(), "w");
    const QString outils = a.value(5);
    const QStringList textes = QDir(a.at(1)).entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    if (!journal || harnais::attendreDepart() < 0)
        return 2;
    long liens = 0, echanges = 0, forges = 0, changes = 0, liberations = 0, seq = 0;
    // The folders the pupil's names go to: the class and the real CM1, never the decoy.
    const int dossiers[] = {::open(classe, O_RDONLY | O_DIRECTORY), ::open(classe + "/CM1", O_RDONLY | O_DIRECTORY)};
    qint64 avant = 0;
    const auto change = [&](const QByteArray &nom, bool fait) {
        if (fait)
            std::fprintf(journal, "P %s %lld %lld\n", nom.constData(), avant, maintenant());
        changes += fait;
    };
    pollfd entree{0, POLLIN, 0};
    for (long tour = 0; ::poll(&entree, 1, 1) == 0; ++tour) {
        const int ou = dossiers[hasard.bounded(2)];
        const QByteArray nouveau = "nouveau" + QByteArray::number(hasard.bounded(3)) + ".txt";
        const QByteArray texte = QFile::encodeName(textes.at(hasard.bounded(textes.size())));
        avant = maintenant();
        switch (hasard.bounded(7)) {
        case 0: // a file outside under a name copies save to
            liens += ::linkat(AT_FDCWD, leurre + "/leurre" + QByteArray::number(hasard.bounded(3)) + ".txt", ou, nouveau, 0) == 0;
            break;
        case 1: // a second name for a text of the class
            liens += ::linkat(dossiers[0], texte, ou, nouveau, 0) == 0;
            break;
        case 2: // CM1 becomes the link to the decoy, or the folder again
            echanges += ::renameat2(AT_FDCWD, classe + "/CM1", AT_FDCWD, classe + "/CM1-lien", RENAME_EXCHANGE) == 0;
            break;
        case 3: { // "normal" (free) on a held text, or "read-only" on a free one
            const quint32 mot = hasard.bounded(2) ? attribut::normal : attribut::lectureSeule;
            forges += ::lsetxattr(classe + '/' + texte, "user.cifs.dosattrib", &mot, sizeof mot, 0) == 0;
            break;
        }
        case 4: // a text, maybe held, deleted; or renamed, to the other's name
            if (hasard.bounded(4) == 0) {
                change(texte, ::unlinkat(dossiers[0], texte, 0) == 0);
            } else {
                const QByteArray autre = QFile::encodeName(textes.at(hasard.bounded(textes.size())));
                const bool fait = ::renameat(dossiers[0], texte, dossiers[0], autre) == 0;
                change(texte, fait);
                change(autre, fait);
            }
            break;
        case 5: { // a text written anew by another program, whole, where a text is or was
            const QByteArray tmp = "eleve.tmp";
            const int fd = ::openat(dossiers[0], tmp, O_CREAT | O_TRUNC | O_WRONLY, 0644);
            const QByteArray v = harnais::version("eleve", int(++seq), 20 + int(hasard.bounded(300)));
            const bool ecrit = fd >= 0 && ::write(fd, v.constData(), size_t(v.size())) == v.size();
            change(texte, ::close(fd) == 0 && ecrit && ::renameat(dossiers[0], tmp, dossiers[0], texte) == 0);
            break;
        }
        default: // the teacher releases a text, as the guide says; a running copy's is left alone
            if (!outils.isEmpty() && tour % 8 == 0) {
                QProcess enseignant; // its words kept, never read
                enseignant.start(outils, {QStringLiteral("marques"), a.at(1), QStringLiteral("--liberer"), QString::fromLocal8Bit(texte)});
                liberations += enseignant.waitForFinished() && enseignant.exitCode() == 0;
            }
        }
    }
    struct stat st {};
    if (::lstat(classe + "/CM1", &st) == 0 && S_ISLNK(st.st_mode))
        ::renameat2(AT_FDCWD, classe + "/CM1", AT_FDCWD, classe + "/CM1-lien", RENAME_EXCHANGE);
    std::printf("%ld %ld %ld %ld %ld\n", liens, echanges, forges, changes, liberations);
    return std::fclose(journal) == 0 ? 0 : 1;
}

// The mode and bytes of every file of the decoy folder, by name.
QHash<QString, QByteArray> empreintes(const QString &dossier)
{
    QHash<QString, QByteArray> e;
    for (const QFileInfo &f : QDir(dossier).entryInfoList(QDir::Files | QDir::Hidden | QDir::System))
        e[f.fileName()] = harnais::empreinte(f.filePath());
    return e;
}

struct Intervalle {
    int copie;
    qint64 debut, fin;
    QByteArray sur, version; // saves: the version written over, the one written
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.value(0) == u"--copie")
        return copie(args);
    if (args.value(0) == u"--hostile-eleve")
        return eleveHostile(args);
    const int copies = harnais::option(args, "--copies", 30), nbTextes = harnais::option(args, "--textes", 10);
    const int operations = harnais::option(args, "--operations", 2000), graine = harnais::option(args, "--graine", 1);
    const bool dispute = args.contains(QStringLiteral("--dispute")), hostile = args.contains(QStringLiteral("--hostile"));
    const qsizetype outils = args.indexOf(QStringLiteral("--outils")), postes = args.indexOf(QStringLiteral("--deux-postes"));

    QTemporaryDir classe, journaux, leurre;
    const QString dossier = QDir(classe.path()).canonicalPath();
    QRandomGenerator hasard(graine);
    const auto ecrire = [&](const QString &chemin, int seq) {
        QFile f(chemin);
        return f.open(QIODevice::WriteOnly) && f.write(harnais::version("classe", seq, 20 + int(hasard.bounded(300)))) >= 0;
    };
    for (int i = 0; i < nbTextes; ++i) {
        if (!ecrire(QDir(dossier).filePath(QStringLiteral("texte%1.txt").arg(i, 2, 10, QLatin1Char('0'))), i))
            return 2;
    }
    if (hostile) {
        for (int i = 0; i < 3; ++i) {
            const QString chemin = leurre.filePath(QStringLiteral("leurre%1.txt").arg(i));
            if (!ecrire(chemin, 100 + i)
                || !QFile::setPermissions(chemin, i == 1 ? QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup : QFile::ReadOwner))
                return 2;
        }
        // Second names the copies find among their texts: one for a file
        // outside, one for a text of the class.
        if (!QDir(dossier).mkdir(QStringLiteral("CM1")) || !QFile::link(leurre.path(), QDir(dossier).filePath(QStringLiteral("CM1-lien")))
            || ::link(QFile::encodeName(leurre.filePath(QStringLiteral("leurre0.txt"))), QFile::encodeName(dossier + QStringLiteral("/double.txt"))) != 0
            || ::link(QFile::encodeName(dossier + QStringLiteral("/texte00.txt")), QFile::encodeName(dossier + QStringLiteral("/jumeau.txt"))) != 0)
            return 2;
    }
    const QHash<QString, QByteArray> leurreAvant = empreintes(leurre.path());

    // The hostile pupil first, then every copy; all are released together once all are ready.
    std::vector<std::unique_ptr<QProcess>> processus;
    const auto demarrer = [&](const QStringList &arguments, bool ailleurs = false) {
        auto &p = processus.emplace_back(std::make_unique<QProcess>());
        if (ailleurs) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("LD_PRELOAD"), args.value(postes + 1));
            // Under the sanitizers, the runtime then comes second.
            env.insert(QStringLiteral("ASAN_OPTIONS"), env.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":verify_asan_link_order=0"));
            p->setProcessEnvironment(env);
        }
        // Each copy is started from the class folder, as Plumor is.
        p->setWorkingDirectory(dossier);
        harnais::lancer(*p, arguments);
    };
    if (hostile)
        demarrer({QStringLiteral("--hostile-eleve"), dossier, leurre.path(), QString::number(graine),
                           journaux.filePath(QStringLiteral("eleve")), outils > 0 ? args.value(outils + 1) : QString()});
    for (int id = 1; id <= copies; ++id) {
        demarrer({QStringLiteral("--copie"), QString::number(id), dossier, QString::number(graine * 1000 + id),
                      QString::number(operations), journaux.filePath(QString::number(id)),
                      dispute ? QStringLiteral("dispute") : QStringLiteral("hasard"),
                      QString::number(harnais::option(args, "--periode", 40)), hostile ? QStringLiteral("--hostile") : QString()},
                 postes > 0 && id % 2 == 0);
    }
    for (auto &p : processus) {
        if (!harnais::estPret(*p))
            return 2;
    }
    const QByteArray depart = QByteArray::number(maintenant() + 200000000) + "\n";
    for (auto &p : processus) {
        p->write(depart);
        p->waitForBytesWritten(1000);
    }
    // Every copy to its end, then the pupil, who stops when his input closes.
    int echouees = 0;
    for (size_t i = hostile; i < processus.size() + hostile; ++i) {
        QProcess &p = *processus.at(i % processus.size());
        p.closeWriteChannel();
        echouees += !p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0;
    }
    const QByteArray hostilite = hostile ? processus.front()->readAllStandardOutput().trimmed() : QByteArray();
    long dehors = 0;
    const QHash<QString, QByteArray> leurreApres = empreintes(leurre.path());
    for (auto it = leurreApres.cbegin(); it != leurreApres.cend(); ++it)
        dehors += leurreAvant.value(it.key()) != it.value();

    QHash<QByteArray, std::vector<Intervalle>> tenues, ecritures;
    QHash<QByteArray, std::vector<std::pair<qint64, qint64>>> changes; // by the pupil, between two instants
    long stats[5] = {};
    for (int id = 0; id <= copies; ++id) {
        QFile j(journaux.filePath(id == 0 ? QStringLiteral("eleve") : QString::number(id)));
        echouees += id > 0 && !j.open(QIODevice::ReadOnly);
        if (id == 0 && (!hostile || !j.open(QIODevice::ReadOnly)))
            continue;
        while (!j.atEnd()) {
            const QList<QByteArray> c = j.readLine().trimmed().split(' ');
            if (c[0] == "T" && c.size() == 4)
                tenues[c[1]].push_back({id, c[2].toLongLong(), c[3].toLongLong(), {}, {}});
            else if (c[0] == "E" && c.size() == 6)
                ecritures[c[1]].push_back({id, c[2].toLongLong(), c[3].toLongLong(), c[4], c[5]});
            else if (c[0] == "P" && c.size() == 4)
                changes[c[1]].push_back({c[2].toLongLong(), c[3].toLongLong()});
            else if (c[0] == "S" && c.size() == 6)
                for (int k = 0; k < 5; ++k)
                    stats[k] += c[k + 1].toLong();
        }
    }
    // A hold of a name ends where the pupil made the name name another file,
    // at the earliest: a take begun while the pupil was changing the name may
    // have opened the file the name named before.
    for (auto it = tenues.begin(); it != tenues.end(); ++it) {
        for (Intervalle &t : it.value()) {
            for (const auto &[de, a] : changes.value(it.key()))
                t.fin = de < t.fin && a > t.debut ? std::min(t.fin, std::max(de, t.debut)) : t.fin;
        }
    }
    // A double hold: a copy took a text while another still held it. A save
    // made while another copy held the text from before to after it.
    long doubles = 0, sauvegardesSansTenir = 0, nbTenues = 0, perdus = 0;
    for (auto it = tenues.cbegin(); it != tenues.cend(); ++it) {
        const std::vector<Intervalle> &t = it.value();
        nbTenues += long(t.size());
        for (const Intervalle &a : t) {
            for (const Intervalle &b : t)
                doubles += a.copie < b.copie && a.debut < b.fin && b.debut < a.fin;
            for (const Intervalle &e : ecritures.value(it.key()))
                sauvegardesSansTenir += a.copie != e.copie && a.debut < e.debut && a.fin > e.fin;
        }
    }
    // Words lost: a save over a version other than the one on disk before it,
    // which its writer never read; the pupil's changes start a text afresh.
    for (auto it = ecritures.begin(); it != ecritures.end(); ++it) {
        std::vector<Intervalle> &e = it.value();
        std::sort(e.begin(), e.end(), [](const Intervalle &a, const Intervalle &b) { return a.fin < b.fin; });
        QByteArray avant = it.key().startsWith("texte") ? "classe:" + QByteArray::number(it.key().mid(5, 2).toInt()) : "*";
        qint64 depuis = 0;
        for (const Intervalle &s : e) {
            const auto p = changes.value(it.key());
            const bool change = std::any_of(p.cbegin(), p.cend(), [&](const auto &t) { return t.second > depuis && t.first < s.fin; });
            perdus += s.sur != "*" && avant != "*" && !change && s.sur != avant;
            avant = s.version;
            depuis = s.debut; // the pupil may have come in the middle of a save

        }
    }
    long dechires = 0, marques = 0, brouillons = 0, marquesPlusieursNoms = 0;
    for (const QString &ou : {dossier, QDir(dossier).filePath(QStringLiteral("CM1"))}) {
        const QStringList tous = QDir(ou).entryList({QStringLiteral("*.txt")}, QDir::Files);
        for (const QString &nom : tous) {
            QFile f(QDir(ou).filePath(nom));
            dechires += !f.open(QIODevice::ReadOnly) || !harnais::entiere(f.readAll());
            // A file with a second name is never marked nor released: the
            // decoy's own mode, or a text the pupil linked while it was held.
            struct stat st {};
            const bool plusieursNoms = ::stat(QFile::encodeName(f.fileName()), &st) == 0 && st.st_nlink > 1;
            const bool marque = attribut::estMarque(AttributsSysteme().lire(f.fileName()).mot);
            marques += marque && !plusieursNoms;
            marquesPlusieursNoms += marque && plusieursNoms;
        }
        brouillons += long(QDir(ou).entryList(QDir::Files | QDir::Hidden).size() - tous.size());
    }
    std::printf("copies %d, texts %d, operations per copy %d, seed %d, mode %s%s\n", copies, nbTextes, operations,
                graine, dispute ? "contended" : "random",
                postes > 0 ? ", two machines whose locks are not shared" : "");
    std::printf("opens tried %ld, succeeded %ld, refusals %ld, holds %ld, saves %ld\n", stats[0], stats[1], stats[2],
                nbTenues, stats[3]);
    std::printf("double holds %ld\nsaves while another copy held the text %ld\nwords lost %ld\n", doubles,
                sauvegardesSansTenir, perdus);
    std::printf("torn files %ld, torn reads %ld, marks left %ld, drafts and claims left %ld, copies that failed %d\n",
                dechires, stats[4], marques, brouillons, echouees);
    if (hostile)
        std::printf("hostile pupil (links, folder swaps, forged words, texts deleted, renamed or written anew, teacher's "
                    "releases) %s; read-only files with several names %ld; changes outside the class folder %ld\n",
                    hostilite.constData(), marquesPlusieursNoms, dehors);
    // Under the hostile pupil a held text's name may lead through his link when
    // it is released: the release is refused and the mark stays, the text whole.
    return dechires + stats[4] + (hostile ? 0 : marques) + brouillons + sauvegardesSansTenir + echouees + dehors + doubles
                       + perdus == 0 ? 0 : 1;
}
