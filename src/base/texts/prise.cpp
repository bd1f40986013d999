#include "base/texts/prise.h"
#include "base/texts/systeme.h"

#include "base/texts/disque.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>

namespace prise {

namespace {

const QByteArray prefixe = QByteArrayLiteral(".plumor-prise-");
// Where a claim is written before it takes its name.
const QByteArray prefixeBrouillon = QByteArrayLiteral(".plumor-p");
const QByteArray entete = QByteArrayLiteral("plumor-prise 1\n");

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
    const QByteArray cible = nom(d.texte);
    if (err == 0)
        err = remplacerLAncienne ? disque::renommer(dossier, brouillon, cible, ecrite)
                                 : disque::renommerSansRemplacer(dossier, brouillon, cible);
    if (err != 0)
        sys::unlinkat(dossier, brouillon.constData(), 0);
    return err;
}

} // namespace

QByteArray nom(const QByteArray &nomTexte)
{
    const QByteArray plie = QFile::decodeName(nomTexte).toCaseFolded().toUtf8();
    return prefixe + QCryptographicHash::hash(plie, QCryptographicHash::Sha1).toHex().left(20);
}

bool estPrise(const QByteArray &nomFichier)
{
    return nomFichier.startsWith(prefixe)
           || (nomFichier.startsWith(prefixeBrouillon) && nomFichier.size() == prefixeBrouillon.size() + 6);
}

bool Detenteur::perime() const
{
    return copie == processus::cetteCopie() || !processus::enVie(copie);
}

bool Detenteur::enMarcheIci() const
{
    return copie.machine == processus::cetteCopie().machine && processus::enVie(copie);
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
            mode = mode || d.modeAvant == -1;
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
    const int fd = sys::openat(dossier, nom(nomTexte).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {std::nullopt, errno};
    QByteArray octets;
    const int err = disque::lire(fd, 4096, octets);
    const std::optional<disque::Identite> id = disque::identite(fd);
    sys::close(fd);
    if (err != 0)
        return {std::nullopt, err};
    std::optional<Detenteur> d = decoder(octets);
    return {d, d ? 0 : EINVAL, id ? id->modification : 0};
}

int remplacer(int dossier, const Detenteur &d, const QByteArray &jeton)
{
    const auto toujours = [&] {
        const Lue l = lire(dossier, d.texte);
        return l.detenteur && l.detenteur->jeton == jeton;
    };
    if (!toujours())
        return ESTALE;
    const QByteArray successeur = nom(d.texte) + '-' + jeton.left(16);
    const int fd = sys::openat(dossier, successeur.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return errno == EEXIST ? ESTALE : errno;
    sys::close(fd);
    // Checked again once the race is won: the teacher may have removed it meanwhile.
    const int err = toujours() ? ecrire(dossier, d, true) : ESTALE;
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
    return sys::unlinkat(dossier, nom(nomTexte).constData(), 0) == 0 || errno == ENOENT ? 0 : errno;
}

} // namespace prise
