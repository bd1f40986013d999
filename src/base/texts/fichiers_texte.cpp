#include "base/texts/fichiers_texte.h"
#include "base/texts/systeme.h"

#include "base/texts/attributs.h"
#include "base/cp1252.h"
#include "base/texts/prise.h"
#include "base/texts/verrou.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <utility>

using Lecture = FichiersTexte::Lecture;
using Ecriture = FichiersTexte::Ecriture;

// A text this copy holds: the file, open from the take to the release with
// the hold's lock on it, and the folder its claim lies in, pinned.
struct FichiersTexte::TexteTenu {
    Tenue tenue;
    Descripteur fichier;
    Descripteur dossier;
    QByteArray nom; // its name in `dossier` when it was taken
};

namespace {

Lecture lu(int erreur, const QByteArray &octets)
{
    if (erreur != 0)
        return {Lecture::Issue::Erreur, {}, erreur};
    if (octets.size() > FichiersTexte::tailleMaximale)
        return {Lecture::Issue::TropLong, {}, 0};
    if (octets.isEmpty())
        return {Lecture::Issue::Vide, {}, 0};
    return {Lecture::Issue::Lu, cp1252::decode(octets), 0};
}

// fstat, where a second name is asked of the server again: a client may
// still count a name taken away a moment ago (a draft's, after a link).
int statFrais(int fd, struct sys::stat &st)
{
    if (sys::fstat(fd, &st) != 0)
        return errno;
    struct sys::statx x {};
    if (st.st_nlink > 1 && sys::statx(fd, "", AT_EMPTY_PATH | AT_STATX_FORCE_SYNC, STATX_NLINK, &x) == 0)
        st.st_nlink = x.stx_nlink;
    return 0;
}

// Why an open file is no text to write, or 0. A file with a second name
// (a hard link) would carry its mark and its new bytes to that name too.
// `vu` keeps what was asked, for the checks after it.
int pasUnTexte(int fd, struct sys::stat *vu = nullptr)
{
    struct sys::stat autre {};
    struct sys::stat &st = vu ? *vu : autre;
    if (const int e = statFrais(fd, st))
        return e;
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    if (!S_ISREG(st.st_mode))
        return EINVAL;
    // Deleted meanwhile: a text nobody can see.
    return st.st_nlink > 1 ? EMLINK : st.st_nlink == 0 ? ENOENT : 0;
}

bool ecriture(int fd)
{
    return (sys::fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDWR;
}

// An open file and a file seen: one file.
bool memeOuvertQue(int a, const struct sys::stat &sb)
{
    struct sys::stat sa {};
    return sys::fstat(a, &sa) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// Two open files of one file.
bool memeOuvert(int a, int b)
{
    struct sys::stat sb {};
    return sys::fstat(b, &sb) == 0 && memeOuvertQue(a, sb);
}

int permissions(int fd)
{
    struct sys::stat st {};
    return sys::fstat(fd, &st) == 0 ? int(st.st_mode & 07777) : -1;
}

// Whether a living copy holds the open text: its lock says so even where its
// mark does not show. Otherwise the hold is this copy's from now on.
bool tenuAilleurs(int fd)
{
    return verrou::detenteur(fd) == verrou::Detenteur::Vivant || verrou::tenir(fd) == EAGAIN;
}

void retirerPrise(int dossier, const QByteArray &nom, const QByteArray &jeton)
{
    if (!jeton.isEmpty())
        prise::retirer(dossier, nom, jeton);
}

} // namespace

FichiersTexte::FichiersTexte(Attributs &attributs, std::shared_ptr<const DossierClasse> dossier)
    : m_attributs(attributs), m_dossier(dossier ? std::move(dossier) : std::make_shared<const DossierClasse>())
{
}

FichiersTexte::~FichiersTexte() = default;

bool FichiersTexte::tient(const QString &chemin) const
{
    return std::any_of(m_tenus.begin(), m_tenus.end(), [&](const TexteTenu &u) { return u.tenue.chemin == chemin; });
}

FichiersTexte::TexteTenu *FichiersTexte::tenu(const QString &chemin)
{
    const auto t = std::find_if(m_tenus.begin(), m_tenus.end(), [&](const TexteTenu &u) { return u.tenue.chemin == chemin; });
    return t == m_tenus.end() ? nullptr : &*t;
}

FichiersTexte::TexteTenu *FichiersTexte::tenu(int fd)
{
    struct sys::stat st {};
    return sys::fstat(fd, &st) == 0 ? tenu(st) : nullptr;
}

FichiersTexte::TexteTenu *FichiersTexte::tenu(const struct sys::stat &st)
{
    // A held file's identity is known from its take or its last save: the
    // share is not asked again.
    const auto t = std::find_if(m_tenus.begin(), m_tenus.end(), [&](const TexteTenu &u) {
        const disque::Identite &id = u.tenue.identite;
        if (id.inode == 0)
            return memeOuvertQue(u.fichier.fd(), st);
        return id.peripherique == quint64(st.st_dev) && id.inode == quint64(st.st_ino);
    });
    return t == m_tenus.end() ? nullptr : &*t;
}

QList<FichiersTexte::Tenue> FichiersTexte::tenues() const
{
    QList<Tenue> t;
    for (const TexteTenu &u : m_tenus)
        t << u.tenue;
    return t;
}

void FichiersTexte::changement()
{
    if (m_surChangement)
        m_surChangement();
}

void FichiersTexte::tenir(TexteTenu &&t)
{
    m_tenus.erase(std::remove_if(m_tenus.begin(), m_tenus.end(), [&](const TexteTenu &u) { return u.tenue.chemin == t.tenue.chemin; }),
                  m_tenus.end());
    m_tenus.push_back(std::move(t));
    changement();
}

int FichiersTexte::revendiquer(int dossier, const QByteArray &nom, int texte, int modeAvant, QByteArray &jeton)
{
    // Once a run in each folder: what copies killed mid-claim left there.
    quint64 peripherique = 0, inode = 0;
    if (DossierConnu::identite(dossier, peripherique, inode) && m_nettoyes.insert({peripherique, inode}).second)
        prise::nettoyer(dossier);
    const prise::Detenteur moi = prise::pourCetteCopie(nom, modeAvant);
    m_tentative = {{peripherique, inode}, nom, moi.jeton, modeAvant};
    // Nobody's any more: a claim this copy or a dead copy of this machine
    // left, or one on a free text whose mark came and went well after it (a
    // release by hand, from a Windows machine's file properties), as the file
    // system itself says, not a cache of it. Any other is a copy at work.
    const int err = prise::prendre(dossier, moi, [&](const prise::Lue &l) {
        if (l.detenteur->perime())
            return true;
        if (texte < 0 || l.date == 0)
            return false;
        const std::optional<disque::Identite> id = disque::identite(texte, true);
        const LectureAttribut a = m_attributs.lireFd(texte);
        return id && a.ok() && !attribut::estMarque(a.mot) && id->changement > l.date + 2000000000;
    });
    // A folder that holds no claim (no right to create files there, a
    // foreign file at the claim's name that cannot be set aside): the lock
    // and the mark alone keep the take single.
    jeton = err == 0 ? moi.jeton : QByteArray();
    return err == EEXIST ? EEXIST : 0;
}

bool FichiersTexte::reprisApresReponsePerdue(int dossier, std::pair<quint64, quint64> idDossier, const QByteArray &nom,
                                             QByteArray &jeton, int &modeAvant)
{
    // Only this copy's last claim, by its token, which no other copy knew
    // when it was made: a claim a pupil forged grants nothing.
    // The folder by its inode: a share mounted again numbers its device anew.
    const Tentative t = std::exchange(m_tentative, {});
    if (t.jeton.isEmpty() || t.dossier.second != idDossier.second || t.nom != nom)
        return false;
    const prise::Lue p = prise::lire(dossier, nom);
    if (!p.detenteur || p.detenteur->jeton != t.jeton)
        return false;
    jeton = t.jeton;
    modeAvant = t.modeAvant;
    return true;
}

bool FichiersTexte::changeEntreTemps(int fd, int dossier, const QByteArray &nom, const QByteArray &jeton)
{
    const LectureAttribut a = m_attributs.lireFd(fd);
    struct sys::stat ouvert {}, nomme {};
    const bool nomme_ = sys::fstat(fd, &ouvert) == 0 && sys::fstatat(dossier, nom.constData(), &nomme, AT_SYMLINK_NOFOLLOW) == 0
                        && ouvert.st_nlink > 0 && ouvert.st_dev == nomme.st_dev && ouvert.st_ino == nomme.st_ino;
    if (nomme_ && !(a.ok() && attribut::estMarque(a.mot)))
        return false;
    retirerPrise(dossier, nom, jeton);
    return true;
}

int FichiersTexte::marquer(int fd)
{
    const LectureAttribut a = m_attributs.lireFd(fd);
    if (a.ok() && attribut::estMarque(a.mot))
        return 0;
    if (const int err = m_attributs.ecrireFd(fd, attribut::marque))
        return err;
    // A share that ignores the change (a fixed file mode) says so only here.
    const LectureAttribut b = m_attributs.lireFd(fd);
    return !b.ok() ? b.erreur : attribut::estMarque(b.mot) ? 0 : ENOTSUP;
}

disque::Erreur FichiersTexte::liberer(const QString &chemin)
{
    TexteTenu *t = tenu(chemin);
    if (!t)
        return 0;
    const int fd = t->fichier.fd();
    disque::Erreur err;
    struct sys::stat st {};
    if (const int e = statFrais(fd, st))
        err = e;
    else if (st.st_nlink > 1)
        err = EMLINK; // a second name since: that name would be freed too
    else if (st.st_nlink == 1)
        err = m_attributs.libererFd(fd, t->tenue.modeAvant);
    // Deleted meanwhile: nobody can see it any more, nothing to release.
    // The claim after the mark: a claim left on a free text is known stale
    // by the next copy; a mark left without its claim would not be.
    retirerPrise(t->dossier.fd(), t->nom, t->tenue.jeton);
    verrou::lacher(fd);
    m_aFermer.push_back(std::move(t->fichier));
    m_aFermer.push_back(std::move(t->dossier));
    m_tenus.erase(m_tenus.begin() + (t - m_tenus.data()));
    changement();
    return err;
}

void FichiersTexte::oublier(const Tenue &tenue)
{
    QByteArray nom;
    const Descripteur dossier = m_dossier->contient(tenue.chemin) ? m_dossier->ouvrirParent(tenue.chemin, nom) : Descripteur();
    if (dossier.ok())
        retirerPrise(dossier.fd(), nom, tenue.jeton);
}

bool FichiersTexte::partiDuPartage(int erreur)
{
    return erreur == ENOTCONN || erreur == ESTALE || erreur == ENODEV || erreur == EIO || erreur == EHOSTDOWN;
}

bool FichiersTexte::reconnecter()
{
    auto dossier = std::make_shared<const DossierClasse>(m_dossier->chemin(), m_dossier->resolution());
    if (dossier->erreur() != 0)
        return false;
    m_dossier = std::move(dossier);
    for (TexteTenu &t : m_tenus) {
        QByteArray nom;
        Descripteur parent = m_dossier->ouvrirParent(t.tenue.chemin, nom);
        Descripteur fichier = parent.ok() ? DossierClasse::ouvrirDans(parent.fd(), nom, O_RDWR | O_NONBLOCK) : Descripteur();
        // Its own mark keeps a pupil from opening it for writing: held again
        // for reading, as a save in place already knows how to write it.
        if (parent.ok() && !fichier.ok() && (fichier.erreur() == EACCES || fichier.erreur() == EPERM))
            fichier = DossierClasse::ouvrirDans(parent.fd(), nom, O_RDONLY | O_NONBLOCK);
        const std::optional<disque::Identite> id = fichier.ok() ? disque::identite(fichier.fd()) : std::nullopt;
        const LectureAttribut a = fichier.ok() ? m_attributs.lireFd(fichier.fd()) : LectureAttribut{0, EBADF};
        const prise::Lue p = t.tenue.jeton.isEmpty() || !parent.ok() ? prise::Lue{} : prise::lire(parent.fd(), nom);
        // Its own still: the same file, its mark, its claim; else it stays as it was, which no save reaches.
        if (!id || !id->memeTexte(t.tenue.identite) || !a.ok() || !attribut::estMarque(a.mot)
            || (!t.tenue.jeton.isEmpty() && (!p.detenteur || p.detenteur->jeton != t.tenue.jeton))
            || verrou::tenir(fichier.fd()) != 0)
            continue;
        t.fichier = std::move(fichier);
        t.dossier = std::move(parent);
        t.nom = nom;
        // A new mount numbers its device anew: the file held is known by it from now on.
        t.tenue.identite.peripherique = id->peripherique;
    }
    return true;
}

void FichiersTexte::fermerLesAnciens()
{
    m_aFermer.clear();
}

void FichiersTexte::libererTout()
{
    while (!m_tenus.empty())
        liberer(m_tenus.front().tenue.chemin);
}

bool FichiersTexte::reprendre(const Tenue &tenue)
{
    // A record naming a path outside the class folder is none of this copy's business.
    if (!m_dossier->contient(tenue.chemin))
        return false;
    QByteArray nom;
    Descripteur dossier = m_dossier->ouvrirParent(tenue.chemin, nom);
    if (!dossier.ok())
        return false;
    VerrouFichier verrou(dossier.fd(), nom);
    if (verrou.etat() != VerrouFichier::Etat::Tenu && verrou.etat() != VerrouFichier::Etat::SansVerrou)
        return false;
    const int fd = verrou.fd();
    const std::optional<disque::Identite> id = disque::identite(fd);
    if (!id || pasUnTexte(fd) != 0)
        return false;
    if (tenu(fd))
        return true;
    if (tenuAilleurs(fd))
        return false;
    const LectureAttribut a = m_attributs.lireFd(fd);
    QByteArray jeton;
    bool sienne = a.ok() && attribut::estMarque(a.mot);
    if (sienne && !tenue.jeton.isEmpty()) {
        // Its claim still holds the dead copy's token, which the teacher's
        // release and another copy's take end: it becomes this copy's.
        // Where the folder no longer lets it be rewritten, it stays as it is, and its token is this copy's.
        const prise::Detenteur moi = prise::pourCetteCopie(nom, tenue.modeAvant);
        const int err = prise::remplacer(dossier.fd(), moi, tenue.jeton);
        sienne = err != ESTALE;
        jeton = err == 0 ? moi.jeton : tenue.jeton;
    } else if (sienne) {
        sienne = id->inchangee(tenue.identite);
    }
    if (!sienne) {
        verrou::lacher(fd);
        return false;
    }
    tenir({{tenue.chemin, *id, jeton, tenue.modeAvant}, verrou.garder(), std::move(dossier), nom});
    return true;
}

Lecture FichiersTexte::lire(const QString &chemin) const
{
    QByteArray octets;
    const int err = disque::lire(chemin, tailleMaximale, octets);
    return lu(err, octets);
}

Lecture FichiersTexte::prendre(const QString &chemin)
{
    QByteArray nom;
    std::pair<quint64, quint64> idDossier;
    Descripteur dossier = m_dossier->ouvrirParent(chemin, nom, &idDossier);
    if (!dossier.ok())
        return {Lecture::Issue::Erreur, {}, dossier.erreur()};
    const DossierConnu connu(dossier.fd(), idDossier.first, idDossier.second);
    VerrouFichier verrou(dossier.fd(), nom);
    switch (verrou.etat()) {
    case VerrouFichier::Etat::Erreur:
        return {Lecture::Issue::Erreur, {}, verrou.erreur()};
    case VerrouFichier::Etat::Occupe:
        return {Lecture::Issue::Pris, {}, EAGAIN};
    case VerrouFichier::Etat::Tenu:
    case VerrouFichier::Etat::SansVerrou:
        break;
    }
    const int fd = verrou.fd();
    struct sys::stat vu {};
    if (const int err = pasUnTexte(fd, &vu))
        return {Lecture::Issue::Erreur, {}, err};
    // Read under the lock from the file tested: what is read is what is marked.
    QByteArray octets;
    const Lecture lecture = lu(disque::lire(fd, tailleMaximale, octets), octets);
    if (TexteTenu *t = tenu(vu)) {
        // Its own text, read again as its own, known from now on by the name chosen.
        if (t->tenue.chemin != chemin) {
            t->tenue.chemin = chemin;
            changement();
        }
        return lecture;
    }
    // A file that will not be read (empty, too long) is left untouched.
    if (lecture.issue != Lecture::Issue::Lu)
        return lecture;
    if (tenuAilleurs(fd))
        return {Lecture::Issue::Pris, {}, 0};
    // A word that cannot be read is neither free nor taken.
    const LectureAttribut a = m_attributs.lireFd(fd);
    if (!a.ok()) {
        verrou::lacher(fd);
        return {Lecture::Issue::Erreur, {}, a.erreur};
    }
    int modeAvant = permissions(fd);
    QByteArray jeton;
    if (attribut::estMarque(a.mot) && reprisApresReponsePerdue(dossier.fd(), idDossier, nom, jeton, modeAvant)) {
        const std::optional<disque::Identite> id = disque::identite(fd);
        tenir({{chemin, id.value_or(disque::Identite{}), jeton, modeAvant}, verrou.garder(), std::move(dossier), nom});
        return lecture;
    }
    if (attribut::estMarque(a.mot) || revendiquer(dossier.fd(), nom, fd, modeAvant, jeton) == EEXIST
        || changeEntreTemps(fd, dossier.fd(), nom, jeton)) {
        verrou::lacher(fd);
        return {Lecture::Issue::Pris, {}, 0};
    }
    // A text that cannot be marked is refused: other copies would not see it taken.
    if (const int err = marquer(fd)) {
        // A share gone may have set the mark before its reply was lost: mark
        // and claim stay for the take asked again once it is back.
        if (!partiDuPartage(err)) {
            m_attributs.ecrireFd(fd, a.mot);
            retirerPrise(dossier.fd(), nom, jeton);
        }
        verrou::lacher(fd);
        return {Lecture::Issue::Erreur, {}, err};
    }
    const std::optional<disque::Identite> id = disque::identite(fd);
    tenir({{chemin, id.value_or(disque::Identite{}), jeton, modeAvant}, verrou.garder(), std::move(dossier), nom});
    return lecture;
}

FichiersTexte::Cible FichiersTexte::examiner(const QString &chemin) const
{
    const Descripteur d = m_dossier->ouvrir(chemin, O_RDONLY | O_NONBLOCK);
    if (!d.ok()) {
        switch (d.erreur()) {
        case ENOENT:
            return {Cible::Etat::Absente, 0};
        case ELOOP:
            return {Cible::Etat::Lien, ELOOP};
        default:
            return {Cible::Etat::Erreur, d.erreur()};
        }
    }
    if (const int err = pasUnTexte(d.fd()))
        return {err == EMLINK ? Cible::Etat::Lien : Cible::Etat::Erreur, err};
    const LectureAttribut a = m_attributs.lireFd(d.fd());
    if (!a.ok())
        return {Cible::Etat::Erreur, a.erreur};
    const bool prise = attribut::estMarque(a.mot) || verrou::detenteur(d.fd()) == verrou::Detenteur::Vivant;
    return {prise ? Cible::Etat::Prise : Cible::Etat::Libre, 0};
}

disque::Erreur FichiersTexte::surPlace(int fd, const QString &chemin, const QByteArray &octets,
                                       const std::optional<QByteArray> &jeton)
{
    const std::optional<disque::Identite> id = disque::identite(fd);
    QByteArray avant;
    if (!id)
        return EINVAL;
    if (const int err = disque::lire(fd, tailleMaximale, avant))
        return err;
    // Refused before anything changes, the mode included.
    if (const int err = disque::tailleAdmise(qMax(avant.size(), octets.size())))
        return err;
    // The record knows what is being written before anything changes: a copy
    // killed from here on is finished or given back at the next start.
    if (jeton) {
        m_reecriture = Reecriture{chemin, *id, octets, avant, *jeton};
        if (const int err = m_surReecriture ? m_surReecriture() : 0) {
            m_reecriture.reset();
            return err;
        }
    }
    Descripteur ouvert;
    int ecrire = fd;
    disque::Erreur err;
    if (!ecriture(fd)) {
        // Writable for the instant of the open only, under the lock, and
        // marked again before a byte is written: no copy ever sees it free.
        err = m_attributs.ecrireFd(fd, attribut::libre);
        if (err == 0) {
            const int w = sys::rouvrirEnEcriture(fd);
            ouvert = w >= 0 ? Descripteur::ouvert(w) : Descripteur::echec(errno);
            const int errMarque = m_attributs.ecrireFd(fd, attribut::marque);
            err = !ouvert.ok() ? disque::Erreur(ouvert.erreur())
                  : !memeOuvert(ouvert.fd(), fd) ? disque::cheminChange : disque::Erreur(errMarque);
            ecrire = ouvert.fd();
        }
    }
    if (err.ok())
        err = disque::reecrireSurPlace(ecrire, octets);
    m_reecriture.reset();
    return err;
}

disque::AvantRenommage FichiersTexte::marquerLeBrouillon()
{
    // The new content is marked, and held, before it takes the text's place:
    // on a share it would otherwise come in with the server's default
    // attributes, free for any copy until marked. Where it cannot be, it is
    // marked right after (pris()).
    return [this](int brouillon) {
        m_attributs.ecrireFd(brouillon, attribut::marque);
        verrou::tenir(brouillon);
        return 0;
    };
}

int FichiersTexte::pris(const Descripteur &texte)
{
    // Held already, unless the text had to be opened again by its name.
    verrou::tenir(texte.fd());
    return marquer(texte.fd());
}

disque::Erreur FichiersTexte::ecrireTenu(int fd, int dossier, const QByteArray &nom, const QString &chemin,
                                         const QByteArray &octets, const QByteArray &jeton, Descripteur &texte,
                                         int &errMarque)
{
    const std::optional<disque::Identite> attendu = disque::identite(fd);
    if (!attendu)
        return EINVAL;
    // Where no file open anywhere may be replaced by a rename (Windows, this
    // copy's own hold included), the text is rewritten in place at once.
    if (sys::remplaceFichierOuvert()) {
        disque::Erreur err = disque::remplacer(dossier, nom, octets, &*attendu, marquerLeBrouillon(), &texte);
        // A folder that lets drafts be made but a share that refuses to replace
        // a read-only file: the old file is let go for the rename only, under
        // the lock, the new one already marked; the rename puts one in the
        // other's place at once.
        if ((err == EACCES || err == EPERM) && sys::faccessat(dossier, ".", W_OK | X_OK, AT_EACCESS) == 0) {
            if (m_attributs.ecrireFd(fd, attribut::libre) == 0) {
                err = disque::remplacer(dossier, nom, octets, &*attendu, marquerLeBrouillon(), &texte);
                if (err)
                    m_attributs.ecrireFd(fd, attribut::marque);
            }
        }
        if (err.ok()) {
            errMarque = pris(texte);
            return 0;
        }
        if (err != EACCES && err != EPERM)
            return err;
    }
    // A folder where no draft may be created: in place.
    const disque::Erreur err = surPlace(fd, chemin, octets, jeton);
    if (err.ok())
        errMarque = marquer(fd);
    return err;
}

Ecriture FichiersTexte::ecrireSous(const QString &chemin, const QByteArray &octets)
{
    if (octets.size() > tailleMaximale)
        return {Ecriture::Issue::TropLong, 0};
    QByteArray nom;
    std::pair<quint64, quint64> idDossier;
    Descripteur dossier = m_dossier->ouvrirParent(chemin, nom, &idDossier);
    if (!dossier.ok())
        return {Ecriture::Issue::Erreur, dossier.erreur()};
    const DossierConnu connu(dossier.fd(), idDossier.first, idDossier.second);
    struct sys::stat st {};
    if (sys::fstatat(dossier.fd(), nom.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT)
            return {Ecriture::Issue::Erreur, errno};
        // A new text, claimed, then put in place only where nothing has its
        // name meanwhile: two copies saving a new text under one name at
        // once, the second finds it there.
        const int modeAvant = int(0666 & ~disque::masqueCreation());
        QByteArray jeton;
        if (revendiquer(dossier.fd(), nom, -1, modeAvant, jeton) == EEXIST)
            return {Ecriture::Issue::Prise, EEXIST};
        Descripteur texte;
        if (const disque::Erreur err = disque::remplacer(dossier.fd(), nom, octets, nullptr, marquerLeBrouillon(), &texte)) {
            retirerPrise(dossier.fd(), nom, jeton);
            return {err == EEXIST ? Ecriture::Issue::Prise : Ecriture::Issue::Erreur, err};
        }
        const int errMarque = pris(texte);
        const std::optional<disque::Identite> id = disque::identite(texte.fd());
        tenir({{chemin, id.value_or(disque::Identite{}), jeton, modeAvant}, std::move(texte), std::move(dossier), nom});
        return {errMarque == 0 ? Ecriture::Issue::Ecrit : Ecriture::Issue::EcritNonMarque, errMarque};
    }

    Descripteur texte;
    QByteArray jeton;
    int errMarque = 0, modeAvant = -1;
    {
        VerrouFichier verrou(dossier.fd(), nom);
        if (verrou.etat() == VerrouFichier::Etat::Erreur)
            return {Ecriture::Issue::Erreur, verrou.erreur()};
        if (verrou.etat() == VerrouFichier::Etat::Occupe)
            return {Ecriture::Issue::Prise, EAGAIN};
        const int fd = verrou.fd();
        if (const int err = pasUnTexte(fd))
            return {Ecriture::Issue::Erreur, err};
        if (tenuAilleurs(fd))
            return {Ecriture::Issue::Prise, 0};
        const LectureAttribut a = m_attributs.lireFd(fd);
        modeAvant = permissions(fd);
        if (!a.ok()) {
            verrou::lacher(fd);
            return {Ecriture::Issue::Erreur, a.erreur};
        }
        if (attribut::estMarque(a.mot) || revendiquer(dossier.fd(), nom, fd, modeAvant, jeton) == EEXIST
            || changeEntreTemps(fd, dossier.fd(), nom, jeton)) {
            verrou::lacher(fd);
            return {Ecriture::Issue::Prise, 0};
        }
        const quint16 motAvant = a.mot;
        disque::Erreur err = m_attributs.ecrireFd(fd, attribut::marque);
        if (err.ok())
            err = ecrireTenu(fd, dossier.fd(), nom, chemin, octets, jeton, texte, errMarque);
        if (err) {
            // The old content is untouched; give it back its attributes too.
            m_attributs.ecrireFd(fd, motAvant);
            retirerPrise(dossier.fd(), nom, jeton);
            verrou::lacher(fd);
            return {Ecriture::Issue::Erreur, err};
        }
        // Rewritten in place, the file held is the one the lock is on.
        if (!texte.ok())
            texte = verrou.garder();
    }
    const std::optional<disque::Identite> id = disque::identite(texte.fd());
    tenir({{chemin, id.value_or(disque::Identite{}), jeton, modeAvant}, std::move(texte), std::move(dossier), nom});
    return {errMarque == 0 ? Ecriture::Issue::Ecrit : Ecriture::Issue::EcritNonMarque, errMarque};
}

Ecriture FichiersTexte::reecrire(const QString &chemin, const QByteArray &octets)
{
    if (octets.size() > tailleMaximale)
        return {Ecriture::Issue::TropLong, 0};
    TexteTenu *t = tenu(chemin);
    if (!t)
        return {Ecriture::Issue::Erreur, disque::cheminChange};
    const int fd = t->fichier.fd();
    // A save never goes where the text is not: its name must still name it.
    // The held file's identity is known; its name is asked once, and what
    // it names is then the open file, seen now.
    struct sys::stat nomme {};
    const bool nommeLa = sys::fstatat(t->dossier.fd(), t->nom.constData(), &nomme, AT_SYMLINK_NOFOLLOW) == 0;
    if (!nommeLa || tenu(nomme) != t) {
        struct sys::stat ouvert {};
        if (sys::fstat(fd, &ouvert) != 0)
            return {Ecriture::Issue::Erreur, errno};
        // Deleted: written again only under a name the pupil chooses.
        if (ouvert.st_nlink == 0)
            return {Ecriture::Issue::Erreur, disque::texteSupprime};
        return {Ecriture::Issue::Erreur, disque::cheminChange};
    }
    if (const int e = !S_ISREG(nomme.st_mode) ? EINVAL : nomme.st_nlink > 1 ? pasUnTexte(fd) : 0)
        return {Ecriture::Issue::Erreur, e};
    Descripteur texte;
    int errMarque = 0;
    disque::Erreur err;
    {
        VerrouFichier verrou(fd);
        if (verrou.etat() == VerrouFichier::Etat::Occupe)
            return {Ecriture::Issue::Erreur, EAGAIN};
        err = ecrireTenu(fd, t->dossier.fd(), t->nom, chemin, octets, t->tenue.jeton, texte, errMarque);
        // Not written: the text at this path is still this copy's own.
        if (err && err != disque::cheminChange)
            marquer(fd);
    }
    if (texte.ok()) {
        m_aFermer.push_back(std::move(t->fichier));
        t->fichier = std::move(texte);
    }
    if (const std::optional<disque::Identite> id = disque::identite(t->fichier.fd()))
        t->tenue.identite = *id;
    changement();
    if (err)
        return {Ecriture::Issue::Erreur, err};
    return {errMarque == 0 ? Ecriture::Issue::Ecrit : Ecriture::Issue::EcritNonMarque, errMarque};
}

std::optional<disque::Identite> FichiersTexte::terminer(const Reecriture &r, bool &fini)
{
    fini = false;
    if (!m_dossier->contient(r.chemin))
        return std::nullopt;
    QByteArray nom;
    const Descripteur dossier = m_dossier->ouvrirParent(r.chemin, nom);
    if (!dossier.ok())
        return std::nullopt;
    VerrouFichier verrou(dossier.fd(), nom);
    if (verrou.etat() != VerrouFichier::Etat::Tenu && verrou.etat() != VerrouFichier::Etat::SansVerrou)
        return std::nullopt;
    const int fd = verrou.fd();
    const std::optional<disque::Identite> id = disque::identite(fd);
    // The same file by its inode and birth, not by its times or size: the
    // dead copy's own write moved those, and its bytes are judged below.
    if (!id || !id->memeTexte(r.identite) || pasUnTexte(fd) != 0 || tenu(fd) || tenuAilleurs(fd))
        return std::nullopt;
    const LectureAttribut a = m_attributs.lireFd(fd);
    const prise::Lue p = r.jeton.isEmpty() ? prise::Lue{} : prise::lire(dossier.fd(), nom);
    QByteArray f;
    if (!a.ok() || !attribut::estMarque(a.mot) || (!r.jeton.isEmpty() && (!p.detenteur || p.detenteur->jeton != r.jeton))
        || disque::lire(fd, tailleMaximale, f) != 0)
        return std::nullopt;
    // The new bytes as far as the write went, the old ones after it.
    qsizetype k = 0;
    while (k < f.size() && k < r.octets.size() && f[k] == r.octets[k])
        ++k;
    const bool enCours = f == r.octets || (k == f.size() && f.size() >= r.avant.size())
                         || (f.size() == r.avant.size() && f.mid(k) == r.avant.mid(k));
    if (!enCours)
        return std::nullopt;
    // Finished or not, the file and its mark are the dead copy's.
    fini = surPlace(fd, r.chemin, r.octets, std::nullopt).ok();
    return disque::identite(fd);
}
