#include "base/texts/recuperation.h"
#include "base/texts/systeme.h"

#include "base/texts/disque.h"
#include "base/texts/processus.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>

namespace recuperation {

namespace {

constexpr quint32 magie = 0x504c5232;   // "PLR2"
constexpr quint32 magieV1 = 0x504c5231; // "PLR1", before holds had claims
// A record holds at most a pasted book; anything larger is not one.
constexpr qint64 tailleMaximale = 64 * 1024 * 1024;

// A record, never through a link.
QByteArray lireSansSuivre(const QByteArray &chemin)
{
    QByteArray octets;
    const int fd = sys::open(chemin.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0 && disque::lire(fd, tailleMaximale, octets) != 0)
        octets.clear();
    if (fd >= 0)
        sys::close(fd);
    return octets;
}

} // namespace

const FichiersTexte::Tenue *Releve::marqueCourante() const
{
    for (const FichiersTexte::Tenue &t : marques) {
        if (!fichier.isEmpty() && t.chemin == fichier)
            return &t;
    }
    return nullptr;
}

namespace {

// What version 1 kept of a file, and version 2 beside it.
void ecrireIdentite(QDataStream &s, const disque::Identite &i)
{
    s << i.peripherique << i.inode << i.taille << i.modification << i.changement << i.naissance;
}

void lireIdentite(QDataStream &s, disque::Identite &i, bool v1)
{
    s >> i.peripherique >> i.inode >> i.taille >> i.modification >> i.changement;
    if (!v1)
        s >> i.naissance;
}

} // namespace

QByteArray encoder(const Releve &r)
{
    QByteArray octets;
    QDataStream s(&octets, QIODevice::WriteOnly);
    s.setVersion(QDataStream::Qt_6_4);
    s << magie << r.modifie << r.fichier << r.texte << quint32(r.marques.size());
    for (const FichiersTexte::Tenue &t : r.marques) {
        s << t.chemin;
        ecrireIdentite(s, t.identite);
        s << t.jeton << qint32(t.modeAvant);
    }
    // A rewrite under way is written only when there is one.
    if (const std::optional<FichiersTexte::Reecriture> &e = r.reecriture) {
        s << e->chemin;
        ecrireIdentite(s, e->identite);
        s << e->octets << e->avant << e->jeton;
    }
    return octets;
}

std::optional<Releve> decoder(const QByteArray &octets)
{
    QDataStream s(octets);
    s.setVersion(QDataStream::Qt_6_4);
    quint32 m = 0, nombre = 0;
    Releve r;
    s >> m >> r.modifie >> r.fichier >> r.texte >> nombre;
    // A record a copy of the version before left, killed before the upgrade.
    const bool v1 = m == magieV1;
    for (quint32 k = 0; k < nombre && s.status() == QDataStream::Ok; ++k) {
        FichiersTexte::Tenue t;
        s >> t.chemin;
        lireIdentite(s, t.identite, v1);
        qint32 mode = -1;
        if (!v1)
            s >> t.jeton >> mode;
        t.modeAvant = mode;
        r.marques.append(t);
    }
    if (s.status() == QDataStream::Ok && !s.atEnd()) {
        FichiersTexte::Reecriture e;
        s >> e.chemin;
        lireIdentite(s, e.identite, v1);
        s >> e.octets >> e.avant;
        if (!v1)
            s >> e.jeton;
        r.reecriture = e;
    }
    if ((m != magie && !v1) || s.status() != QDataStream::Ok || !s.atEnd())
        return std::nullopt;
    return r;
}

bool terminer(Releve &r, FichiersTexte &fichiers)
{
    if (!r.reecriture)
        return false;
    const FichiersTexte::Reecriture e = *r.reecriture;
    r.reecriture.reset();
    bool fini = false;
    const std::optional<disque::Identite> id = fichiers.terminer(e, fini);
    if (!id)
        return false;
    // Its mark is known by the file as it is now, so it can be let go. A
    // free text saved over under a new name is rewritten before it is
    // counted as held: its mark is the dead copy's all the same.
    bool connue = false;
    for (FichiersTexte::Tenue &t : r.marques) {
        if (t.chemin == e.chemin && t.identite.memeTexte(*id)) {
            t.identite = *id;
            connue = true;
        }
    }
    if (!connue)
        r.marques.append({e.chemin, *id, e.jeton, -1});
    if (!fini)
        return false;
    r.modifie = false;
    r.texte.clear();
    return true;
}

QString dossierParDefaut()
{
    return sys::dossierEtat();
}

QString dossierDeSecours()
{
    return sys::dossierTemporaire();
}

Dossier::Dossier(const QString &chemin) : m_chemin(chemin), m_nom(processus::nomDe(processus::cetteCopie()))
{
    if (processus::cetteCopie().debut == 0)
        m_erreur = ENOSYS;
    else if (const int err = verifier(false); err != ENOENT)
        m_erreur = err;
}

int Dossier::verifier(bool creer) const
{
    const QByteArray c = QFile::encodeName(m_chemin);
    struct sys::stat st {};
    if (sys::lstat(c.constData(), &st) != 0) {
        if (errno != ENOENT || !creer)
            return errno;
        QDir().mkpath(QFileInfo(m_chemin).absolutePath());
        if (sys::mkdir(c.constData(), 0700) != 0 && errno != EEXIST)
            return errno;
        if (sys::lstat(c.constData(), &st) != 0)
            return errno;
    }
    // Pupils' texts are kept here: nobody else may read them or put records in.
    if (!S_ISDIR(st.st_mode) || st.st_uid != sys::geteuid())
        return EPERM;
    if ((st.st_mode & 077) != 0 && ::chmod(c.constData(), 0700) != 0)
        return errno;
    return 0;
}

QList<Dossier::Perdu> Dossier::perdus(int *illisibles)
{
    QList<Perdu> trouves;
    if (m_erreur != 0 || verifier(false) != 0)
        return trouves;
    const QByteArray racine = QFile::encodeName(m_chemin) + '/';
    sys::DIR *d = sys::opendir(racine.constData());
    if (!d)
        return trouves;
    while (const sys::dirent *e = sys::readdir(d)) {
        const QByteArray nom(e->d_name);
        // A draft is named after its record with a leading dot.
        const bool brouillon = nom.startsWith('.');
        const std::optional<processus::Copie> copie = processus::depuisNom(QFile::decodeName(brouillon ? nom.mid(1) : nom));
        if (!copie || processus::enVie(*copie))
            continue;
        const QByteArray chemin = racine + nom;
        struct sys::stat st {};
        if (sys::lstat(chemin.constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != sys::geteuid())
            continue;
        std::optional<Releve> r;
        if (!brouillon && st.st_size <= tailleMaximale)
            r = decoder(lireSansSuivre(chemin));
        if (r) {
            trouves.append({QFile::decodeName(nom), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec, *r, this});
            continue;
        }
        if (!brouillon && illisibles)
            ++*illisibles;
        sys::unlink(chemin.constData());
    }
    sys::closedir(d);
    std::sort(trouves.begin(), trouves.end(), [](const Perdu &a, const Perdu &b) { return a.date > b.date; });
    return trouves;
}

int Dossier::renommer(const QString &de, const QString &vers) const
{
    const QByteArray racine = QFile::encodeName(m_chemin) + '/';
    if (sys::rename((racine + QFile::encodeName(de)).constData(), (racine + QFile::encodeName(vers)).constData()) != 0)
        return errno;
    return disque::synchroniserDossier(racine);
}

bool Dossier::reclamer(Perdu &p)
{
    const QString nom = m_nom + QLatin1Char('_') + QString::number(++m_reclames);
    if (renommer(p.nom, nom) != 0)
        return false;
    p.nom = nom;
    return true;
}

int Dossier::adopter(Perdu &p)
{
    const int err = renommer(p.nom, m_nom);
    if (err == 0)
        p.nom = m_nom;
    return err;
}

QList<Dossier::Perdu> perdus(Dossier &dossier, Dossier *secours, int *illisibles)
{
    QList<Dossier::Perdu> trouves = dossier.perdus(illisibles);
    if (!secours)
        return trouves;
    const QList<Dossier::Perdu> ici = secours->perdus(illisibles);
    trouves.removeIf([&](const Dossier::Perdu &p) {
        const bool remplace = std::any_of(ici.cbegin(), ici.cend(), [&](const Dossier::Perdu &q) { return q.nom == p.nom; });
        if (remplace)
            dossier.oublier(p);
        return remplace;
    });
    trouves += ici;
    std::sort(trouves.begin(), trouves.end(), [](const auto &a, const auto &b) { return a.date > b.date; });
    return trouves;
}

void Dossier::oublier(const Perdu &p)
{
    sys::unlink(QFile::encodeName(m_chemin + QLatin1Char('/') + p.nom).constData());
}

int Dossier::ecrire(const QByteArray &octets)
{
    if (const int err = verifier(true))
        return err;
    const QByteArray racine = QFile::encodeName(m_chemin) + '/';
    const QByteArray cible = racine + QFile::encodeName(m_nom), brouillon = racine + '.' + QFile::encodeName(m_nom);
    const int fd = sys::open(brouillon.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    int err = disque::ecrireTout(fd, octets);
    if (err == 0 && sys::fsync(fd) != 0)
        err = errno;
    if (sys::close(fd) != 0 && err == 0)
        err = errno;
    if (err == 0 && sys::rename(brouillon.constData(), cible.constData()) != 0)
        err = errno;
    if (err != 0) {
        sys::unlink(brouillon.constData());
        return err;
    }
    return disque::synchroniserDossier(racine);
}

int Dossier::supprimer()
{
    const QByteArray racine = QFile::encodeName(m_chemin) + '/';
    if (sys::unlink((racine + QFile::encodeName(m_nom)).constData()) != 0)
        return errno == ENOENT ? 0 : errno;
    return disque::synchroniserDossier(racine);
}

Ecrivain::Ecrivain(Dossier &dossier, std::function<void(int)> echec)
    : m_dossier(dossier), m_echec(std::move(echec))
{
}

Ecrivain::~Ecrivain()
{
    {
        std::lock_guard<std::mutex> verrou(m_mutex);
        m_fin = true;
    }
    m_condition.notify_all();
    if (m_fil.joinable())
        m_fil.join();
}

void Ecrivain::demander(std::optional<Releve> releve)
{
    {
        std::lock_guard<std::mutex> verrou(m_mutex);
        m_releve = std::move(releve);
        m_demande = true;
        // The thread starts with the first record: a copy that never has
        // anything to keep costs nothing.
        if (!m_fil.joinable())
            m_fil = std::thread([this] { boucle(); });
    }
    m_condition.notify_all();
}

int Ecrivain::attendre(int ms)
{
    std::unique_lock<std::mutex> verrou(m_mutex);
    const auto fait = [this] { return !m_demande && !m_occupe; };
    if (ms < 0)
        m_condition.wait(verrou, fait);
    else if (!m_condition.wait_for(verrou, std::chrono::milliseconds(ms), fait))
        return ETIMEDOUT;
    return m_retard;
}

bool Ecrivain::enRetard(int ms)
{
    std::lock_guard<std::mutex> verrou(m_mutex);
    return m_occupe && std::chrono::steady_clock::now() - m_debut > std::chrono::milliseconds(ms);
}

void Ecrivain::boucle()
{
    std::unique_lock<std::mutex> verrou(m_mutex);
    std::optional<Releve> releve;
    bool enRetard = false; // the last record asked for is not on disk
    for (;;) {
        const auto pret = [this] { return m_demande || m_fin; };
        // A write that failed is tried again at the next change, or soon.
        if (enRetard)
            m_condition.wait_for(verrou, std::chrono::milliseconds(reessaiMs), pret);
        else
            m_condition.wait(verrou, pret);
        if (m_demande) {
            releve = std::move(m_releve);
            m_demande = false;
            enRetard = true;
        }
        if (!enRetard)
            return; // the end, with everything on disk
        m_occupe = true;
        m_debut = std::chrono::steady_clock::now();
        verrou.unlock();
        const int err = releve ? m_dossier.ecrire(encoder(*releve)) : m_dossier.supprimer();
        if (err != 0 && m_echec && !m_echoue)
            m_echec(err);
        verrou.lock();
        m_occupe = false;
        m_echoue = m_echoue || err != 0;
        enRetard = err != 0;
        m_retard = err;
        m_condition.notify_all();
        if (m_fin && !m_demande)
            return;
    }
}

} // namespace recuperation
