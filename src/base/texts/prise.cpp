#include "base/texts/prise.h"
#include "base/texts/systeme.h"

#include "base/texts/disque.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QRandomGenerator>

#include <cerrno>

namespace prise {

namespace {

const QByteArray prefixe = QByteArrayLiteral(".plumor-prise-");
// Where a claim is written before it takes its name.
const QByteArray prefixeBrouillon = QByteArrayLiteral(".plumor-p");
const QByteArray entete = QByteArrayLiteral("plumor-prise 1\n");
std::optional<bool> casseImposee;

bool estBrouillonDePrise(const QByteArray &n)
{
    return n.startsWith(prefixeBrouillon) && n.size() == prefixeBrouillon.size() + 6;
}

// A successor: a claim's name, '-' and 16 characters of the token it replaces.
bool estSuccesseur(const QByteArray &n)
{
    return n.startsWith(prefixe) && n.size() == prefixe.size() + 37 && n.at(prefixe.size() + 20) == '-';
}

QString sorte(const struct sys::stat &st)
{
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("un dossier");
    if (S_ISLNK(st.st_mode))
        return QStringLiteral("un lien symbolique");
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("un fichier spécial (tube, périphérique…)");
    if (st.st_nlink != 1)
        return QStringLiteral("un fichier à plusieurs noms (lien physique)");
    return st.st_size == 0 ? QStringLiteral("un fichier vide") : QStringLiteral("un fichier qui n'est pas une prise");
}

bool memeTexte(const QByteArray &a, const QByteArray &b, bool sansCasse)
{
    return sansCasse ? QFile::decodeName(a).toCaseFolded() == QFile::decodeName(b).toCaseFolded() : a == b;
}

// Now by the clock of the folder's disk, the one its files' times are
// written by: the time of a file made for the question. 0 when none can be.
qint64 maintenant(int dossier)
{
    QByteArray n;
    const int fd = disque::creerBrouillon(dossier, n, prefixeBrouillon, 0600);
    if (fd < 0)
        return 0;
    const std::optional<disque::Identite> id = disque::identite(fd);
    sys::close(fd);
    sys::unlinkat(dossier, n.constData(), 0);
    return id ? id->modification : 0;
}

// Removes what `nom` names only while it is the file judged (`dev`, `ino`):
// renamed to a hidden name of its own first, so that a claim another copy
// put there meanwhile is seen and put back, never removed. A folder goes
// only while empty.
bool ecarter(int dossier, const QByteArray &n, quint64 dev, quint64 ino)
{
    struct sys::stat st {};
    if (sys::fstatat(dossier, n.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || quint64(st.st_dev) != dev
        || quint64(st.st_ino) != ino)
        return false;
    if (S_ISDIR(st.st_mode))
        return sys::unlinkat(dossier, n.constData(), AT_REMOVEDIR) == 0;
    // A draft's name: a kill before the end leaves what nettoyer() removes.
    QByteArray aPart;
    const int fd = disque::creerBrouillon(dossier, aPart, prefixeBrouillon, 0600);
    if (fd < 0)
        return false;
    sys::close(fd);
    if (sys::renameat(dossier, n.constData(), dossier, aPart.constData()) != 0) {
        sys::unlinkat(dossier, aPart.constData(), 0);
        return false;
    }
    if (sys::fstatat(dossier, aPart.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0
        && (quint64(st.st_dev) != dev || quint64(st.st_ino) != ino)
        && disque::renommerSansRemplacer(dossier, aPart, n) == 0)
        return false;
    sys::unlinkat(dossier, aPart.constData(), 0);
    return true;
}

// Whether a claim's draft or successor file was left by a copy that died
// while writing it: its maker, written in it, known dead here, or older than
// any take lasts. Removed then, while it is still that file.
bool abandonne(int dossier, const QByteArray &n, qint64 &horloge)
{
    const int fd = sys::openat(dossier, n.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    QByteArray octets;
    const bool lu = disque::lire(fd, 4096, octets) == 0;
    const std::optional<disque::Identite> id = disque::identite(fd);
    sys::close(fd);
    if (!lu || !id)
        return false;
    std::optional<processus::Copie> auteur = processus::depuisNom(QString::fromUtf8(octets));
    if (const std::optional<Detenteur> d = decoder(octets))
        auteur = d->copie;
    bool mort = auteur && !processus::enVie(*auteur);
    if (!mort) {
        if (horloge == 0)
            horloge = maintenant(dossier);
        mort = horloge != 0 && horloge - id->modification > dureeMaxNs;
    }
    return mort && ecarter(dossier, n, id->peripherique, id->inode);
}

Lue seule(int erreur)
{
    Lue l;
    l.erreur = erreur;
    return l;
}

// What stands at the claim name `n`: judged a claim of `nomTexte` (of the
// text it records itself when `nomTexte` is null, which must then be a name
// of this folder that the claim's name is derived from).
Lue juger(int dossier, const QByteArray &n, const QByteArray *nomTexte, bool sc)
{
    Lue l;
    struct sys::stat st {};
    if (sys::fstatat(dossier, n.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return seule(errno);
    l.peripherique = quint64(st.st_dev);
    l.inode = quint64(st.st_ino);
    l.erreur = EINVAL;
    if (!S_ISREG(st.st_mode)) {
        l.etranger = sorte(st);
        return l;
    }
    const int fd = sys::openat(dossier, n.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return seule(errno == ELOOP ? ENOENT : errno); // changed meanwhile
    QByteArray octets;
    const int err = disque::lire(fd, 4096, octets);
    const std::optional<disque::Identite> id = disque::identite(fd);
    // Its links as the file system says now: a share's cache may still count
    // the draft a claim was linked from.
    struct sys::statx sx {};
    const bool un = sys::statx(fd, "", AT_EMPTY_PATH | AT_STATX_FORCE_SYNC, STATX_NLINK, &sx) == 0 && sx.stx_nlink == 1;
    st.st_nlink = un ? 1 : 2;
    sys::close(fd);
    if (err != 0)
        return seule(err);
    if (!id || !un) {
        l.etranger = sorte(st);
        return l;
    }
    l.peripherique = id->peripherique;
    l.inode = id->inode;
    l.date = id->modification;
    const std::optional<Detenteur> d = decoder(octets);
    if (!d) {
        l.etranger = sorte(st);
    } else if (nomTexte && !memeTexte(d->texte, *nomTexte, sc)) {
        l.etranger = QStringLiteral("une prise de « %1 »").arg(QString::fromUtf8(d->texte));
    } else if (!nomTexte && (d->texte.contains('/') || d->texte == "." || d->texte == ".." || nom(d->texte, sc) != n)) {
        // Never looked at: a name outside the folder, or another claim's.
        l.etranger = QStringLiteral("une prise forgée, qui nomme « %1 »").arg(QString::fromUtf8(d->texte));
    } else {
        l.detenteur = d;
        l.erreur = 0;
    }
    return l;
}

QByteArray champ(const QByteArray &nom, const QByteArray &valeur)
{
    return nom + '=' + valeur.toPercentEncoding() + '\n';
}

// A claim written in a hidden file of its own, then given its name: 0 or an errno.
int ecrire(int dossier, const Detenteur &d, bool remplacerLAncienne)
{
    QByteArray brouillon;
    const int fd = disque::creerBrouillon(dossier, brouillon, prefixeBrouillon, 0644);
    if (fd < 0)
        return -fd;
    int err = disque::ecrireTout(fd, encoder(d));
    // Closed before it is named: a share's server has the bytes once the close returns.
    struct sys::stat ecrite {};
    if (remplacerLAncienne && err == 0 && sys::fstat(fd, &ecrite) != 0)
        err = errno;
    if (sys::close(fd) != 0 && err == 0)
        err = errno;
    const QByteArray cible = nomDans(dossier, d.texte);
    if (err == 0)
        err = remplacerLAncienne ? disque::renommer(dossier, brouillon, cible, ecrite)
                                 : disque::renommerSansRemplacer(dossier, brouillon, cible);
    if (err != 0)
        sys::unlinkat(dossier, brouillon.constData(), 0);
    return err;
}

} // namespace

QByteArray nom(const QByteArray &nomTexte, bool sansCasse)
{
    const QByteArray cle = sansCasse ? QFile::decodeName(nomTexte).toCaseFolded().toUtf8() : nomTexte;
    return prefixe + QCryptographicHash::hash(cle, QCryptographicHash::Sha1).toHex().left(20);
}

bool sansCasse(int dossier)
{
    if (casseImposee)
        return *casseImposee;
    // A folder's case rule does not change while it is mounted: asked once,
    // not at each claim on a share where each question is a round trip.
    static QMutex garde;
    static QHash<QPair<quint64, quint64>, bool> connus;
    quint64 peripherique = 0, inode = 0;
    if (!DossierConnu::identite(dossier, peripherique, inode))
        return sys::nomsSansCasse(dossier);
    const QPair<quint64, quint64> cle{peripherique, inode};
    {
        const QMutexLocker l(&garde);
        if (const auto i = connus.constFind(cle); i != connus.constEnd())
            return *i;
    }
    const bool sc = sys::nomsSansCasse(dossier);
    const QMutexLocker l(&garde);
    connus.insert(cle, sc);
    return sc;
}

void imposerCasse(std::optional<bool> sc)
{
    casseImposee = sc;
}

QByteArray nomDans(int dossier, const QByteArray &nomTexte)
{
    return nom(nomTexte, sansCasse(dossier));
}

bool estPrise(const QByteArray &nomFichier)
{
    return nomFichier.startsWith(prefixe) || estBrouillonDePrise(nomFichier);
}

bool Detenteur::perime() const
{
    return copie == processus::cetteCopie() || !processus::enVie(copie);
}

bool Detenteur::enMarcheIci() const
{
    return processus::estCetteMachine(copie.machine) && processus::enVie(copie);
}

Detenteur pourCetteCopie(const QByteArray &nomTexte, int modeAvant)
{
    quint32 hasard[4];
    QRandomGenerator::system()->fillRange(hasard);
    return {processus::cetteCopie(), processus::utilisateur(), processus::hote(),
            QByteArray(reinterpret_cast<const char *>(hasard), sizeof hasard).toHex(), modeAvant, nomTexte,
            QDateTime::currentSecsSinceEpoch()};
}

QByteArray encoder(const Detenteur &d)
{
    return entete + champ("texte", d.texte) + champ("copie", processus::nomDe(d.copie).toUtf8())
           + champ("utilisateur", d.utilisateur.toUtf8()) + champ("hote", d.hote.toUtf8()) + champ("jeton", d.jeton)
           + champ("mode", d.modeAvant < 0 ? QByteArray("-1") : QByteArray::number(d.modeAvant, 8)) + champ("depuis", QByteArray::number(d.depuis));
}

std::optional<Detenteur> decoder(const QByteArray &octets)
{
    if (!octets.startsWith(entete) || !octets.endsWith('\n'))
        return std::nullopt;
    Detenteur d;
    bool copie = false, mode = false, depuis = false;
    for (const QByteArray &ligne : octets.mid(entete.size()).chopped(1).split('\n')) {
        const qsizetype egal = ligne.indexOf('=');
        const QByteArray cle = ligne.left(egal), valeur = QByteArray::fromPercentEncoding(ligne.mid(egal + 1));
        if (cle == "texte")
            d.texte = valeur;
        else if (cle == "copie") {
            const std::optional<processus::Copie> c = processus::depuisNom(QString::fromUtf8(valeur));
            copie = c.has_value();
            d.copie = c.value_or(processus::Copie{});
        } else if (cle == "utilisateur")
            d.utilisateur = QString::fromUtf8(valeur);
        else if (cle == "hote")
            d.hote = QString::fromUtf8(valeur);
        else if (cle == "jeton")
            d.jeton = valeur;
        else if (cle == "mode") {
            d.modeAvant = valeur == "-1" ? -1 : valeur.toInt(&mode, 8);
            mode = (mode && d.modeAvant <= 07777 && d.modeAvant >= 0) || d.modeAvant == -1;
        } else if (cle == "depuis")
            d.depuis = valeur.toLongLong(&depuis);
    }
    if (!copie || !mode || !depuis || d.jeton.isEmpty() || d.texte.isEmpty())
        return std::nullopt;
    return d;
}

int poser(int dossier, const Detenteur &d)
{
    return ecrire(dossier, d, false);
}

Lue lire(int dossier, const QByteArray &nomTexte)
{
    const bool sc = sansCasse(dossier);
    return juger(dossier, nom(nomTexte, sc), &nomTexte, sc);
}

QString etranger(int dossier, const QByteArray &nomFichier, const QByteArray &nomTexte, Detenteur *d)
{
    const bool sc = sansCasse(dossier);
    const Lue l = juger(dossier, nomFichier, nomTexte.isEmpty() ? nullptr : &nomTexte, sc);
    if (d && l.detenteur)
        *d = *l.detenteur;
    return l.erreur == EINVAL ? l.etranger : l.erreur == 0 ? QString() : QStringLiteral("illisible : %1").arg(disque::raison(l.erreur));
}

int prendre(int dossier, const Detenteur &d, const std::function<bool(const Lue &)> &perimee)
{
    qint64 horloge = 0;
    for (int essai = 0; essai < 4; ++essai) {
        const int err = ecrire(dossier, d, false);
        if (err != EEXIST)
            return err;
        const Lue l = lire(dossier, d.texte);
        if (l.erreur == ENOENT)
            continue; // released meanwhile
        if (l.erreur == EINVAL) {
            if (ecarter(dossier, nomDans(dossier, d.texte), l.peripherique, l.inode))
                continue;
            // What cannot be set aside is left, and refuses nothing: the
            // text is taken without a claim.
            const Lue encore = lire(dossier, d.texte);
            if (encore.erreur == EINVAL && encore.inode == l.inode)
                return ENOTSUP;
            continue;
        }
        if (l.erreur != 0)
            return EEXIST; // a claim that cannot be read: a copy at work
        // A claim on a name no text has, left longer than a take lasts: a
        // copy killed between its claim and its file, on any machine.
        struct sys::stat texte {};
        bool perimee_ = perimee(l);
        if (!perimee_ && sys::fstatat(dossier, d.texte.constData(), &texte, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT) {
            if (horloge == 0)
                horloge = maintenant(dossier);
            perimee_ = horloge != 0 && horloge - l.date > dureeMaxNs;
        }
        if (!perimee_)
            return EEXIST;
        const int r = remplacer(dossier, d, l.detenteur->jeton);
        if (r != ESTALE)
            return r == 0 ? 0 : EEXIST;
    }
    return EEXIST;
}

int nettoyer(int dossier)
{
    const int fd = sys::openat(dossier, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    sys::DIR *d = fd < 0 ? nullptr : sys::fdopendir(fd);
    if (!d) {
        if (fd >= 0)
            sys::close(fd);
        return 0;
    }
    QList<QByteArray> noms;
    while (const sys::dirent *e = sys::readdir(d)) {
        const QByteArray n(e->d_name);
        if (estBrouillonDePrise(n) || estSuccesseur(n))
            noms << n;
    }
    sys::closedir(d);
    qint64 horloge = 0;
    int retires = 0;
    for (const QByteArray &n : std::as_const(noms))
        retires += abandonne(dossier, n, horloge) ? 1 : 0;
    return retires;
}

int remplacer(int dossier, const Detenteur &d, const QByteArray &jeton)
{
    const auto toujours = [&] {
        const Lue l = lire(dossier, d.texte);
        return l.detenteur && l.detenteur->jeton == jeton;
    };
    if (!toujours())
        return ESTALE;
    const QByteArray successeur = nomDans(dossier, d.texte) + '-' + jeton.left(16);
    // Named only once it holds its maker, for the copy that finds it after
    // this one died: where nothing has that name, so that one copy wins.
    QByteArray brouillon;
    const int fd = disque::creerBrouillon(dossier, brouillon, prefixeBrouillon, 0644);
    if (fd < 0)
        return -fd;
    int err = disque::ecrireTout(fd, processus::nomDe(processus::cetteCopie()).toUtf8());
    if (sys::close(fd) != 0 && err == 0)
        err = errno;
    qint64 horloge = 0;
    if (err == 0)
        err = disque::renommerSansRemplacer(dossier, brouillon, successeur);
    // One a dead copy left is no race to lose.
    if (err == EEXIST && abandonne(dossier, successeur, horloge))
        err = disque::renommerSansRemplacer(dossier, brouillon, successeur);
    if (err != 0) {
        sys::unlinkat(dossier, brouillon.constData(), 0);
        return err == EEXIST ? ESTALE : err;
    }
    // Checked again once the race is won: the teacher may have removed it meanwhile.
    err = toujours() ? ecrire(dossier, d, true) : ESTALE;
    sys::unlinkat(dossier, successeur.constData(), 0);
    return err;
}

int retirer(int dossier, const QByteArray &nomTexte, const QByteArray &jeton)
{
    const Lue l = lire(dossier, nomTexte);
    if (l.erreur == ENOENT)
        return 0;
    if (!jeton.isEmpty() && (!l.detenteur || l.detenteur->jeton != jeton))
        return 0; // another's claim: not this copy's to remove
    if (l.erreur == EINVAL)
        return ecarter(dossier, nomDans(dossier, nomTexte), l.peripherique, l.inode) ? 0 : EEXIST;
    return sys::unlinkat(dossier, nomDans(dossier, nomTexte).constData(), 0) == 0 || errno == ENOENT ? 0 : errno;
}

} // namespace prise
