#include "marques.h"

#include "base/texts/attributs.h"
#include "base/texts/disque.h"
#include "base/texts/processus.h"
#include "base/texts/verrou.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>

namespace {

// One descriptor a level: deeper folders are reported, not walked.
constexpr int profondeurMax = 200;

// Drafts of this version (.plumor-XXXXXX) and of earlier ones (.name.txt.XXXXXX).
bool estBrouillon(const QByteArray &nom)
{
    return disque::estBrouillon(QString::fromLatin1(nom))
           || (nom.startsWith('.') && nom.size() > 12 && nom.at(nom.size() - 7) == '.'
               && nom.toLower().chopped(7).endsWith(".txt"));
}

bool estTexte(const QByteArray &nom)
{
    return nom.toLower().endsWith(".txt");
}

// The entry `nom` of `dossier`, never through a link, for reading its word:
// for reading where allowed, else for lookups only (fstat and fstatfs).
Descripteur ouvrirTexte(int dossier, const QByteArray &nom)
{
    Descripteur f = DossierClasse::ouvrirDans(dossier, nom, O_RDONLY | O_NONBLOCK);
    return f.ok() || f.erreur() != EACCES ? std::move(f) : DossierClasse::ouvrirDans(dossier, nom, O_PATH);
}

// A copy at work on the text: its lock seen, or its claim naming a process of this machine that runs.
bool enMarche(int fd, const std::optional<prise::Detenteur> &d)
{
    return (fd >= 0 && verrou::detenteur(fd) == verrou::Detenteur::Vivant) || (d && d->enMarcheIci());
}

// A claim of another machine: whether its copy runs cannot be known from here.
bool ailleurs(const std::optional<prise::Detenteur> &d)
{
    return d && !processus::estCetteMachine(d->copie.machine);
}

EntreeClasse entree(const QByteArray &relatif, const struct sys::stat &st)
{
    EntreeClasse e;
    e.chemin = relatif;
    e.taille = qint64(st.st_size);
    e.modification = QDateTime::fromSecsSinceEpoch(st.st_mtim.tv_sec);
    return e;
}

// Takes `fd`, a folder opened for reading.
void parcourir(int fd, const QByteArray &relatif, int profondeur, const Attributs &attributs, ReleveMarques &r)
{
    QList<QByteArray> prises, marques;
    r.nettoyes += prise::nettoyer(fd);
    sys::DIR *d = sys::fdopendir(fd);
    if (!d) {
        r.nonLus.append({relatif, errno});
        sys::close(fd);
        return;
    }
    for (;;) {
        errno = 0;
        const sys::dirent *e = sys::readdir(d);
        if (!e) {
            if (errno != 0)
                r.nonLus.append({relatif, errno});
            break;
        }
        const QByteArray nom(e->d_name);
        if (nom == "." || nom == "..")
            continue;
        const QByteArray rel = relatif.isEmpty() ? nom : relatif + '/' + nom;
        struct sys::stat st {};
        if (sys::fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT) // gone meanwhile: nothing to list
                r.nonLus.append({rel, errno});
            continue;
        }
        if (nom.startsWith('.')) {
            if (S_ISREG(st.st_mode) && estBrouillon(nom))
                r.brouillons.append(entree(rel, st));
            else if (prise::estPrise(nom))
                prises.append(nom);
        } else if (S_ISDIR(st.st_mode)) {
            const int sous = profondeur >= profondeurMax
                ? (errno = ENAMETOOLONG, -1)
                : sys::openat(fd, e->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sous < 0)
                r.nonLus.append({rel, errno});
            else
                parcourir(sous, rel, profondeur + 1, attributs, r);
        } else if (estTexte(nom) && S_ISLNK(st.st_mode)) {
            r.liens.append(entree(rel, st));
        } else if (estTexte(nom) && S_ISREG(st.st_mode)) {
            // The file opened is the one judged: its link count and its word.
            const Descripteur texte = ouvrirTexte(fd, nom);
            if (texte.ok() && sys::fstat(texte.fd(), &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink > 1) {
                r.plusieursNoms.append(entree(rel, st));
                continue;
            }
            const LectureAttribut lu = texte.ok() ? attributs.lireFd(texte.fd()) : LectureAttribut{0, texte.erreur()};
            if (!lu.ok()) {
                r.illisibles << rel;
            } else if (attribut::estMarque(lu.mot)) {
                EntreeClasse e = entree(rel, st);
                e.detenteur = prise::lire(fd, nom).detenteur;
                e.enMarche = enMarche(texte.fd(), e.detenteur);
                e.ailleurs = !e.enMarche && ailleurs(e.detenteur);
                r.marques.append(e);
                marques << prise::nomDans(fd, nom);
            }
        }
    }
    // The claims no marked text of this folder accounts for, and what stands
    // at a claim's name but is none: the name a claim records is never
    // looked at unless it is a name of this folder that claim's name is made from.
    for (const QByteArray &p : std::as_const(prises)) {
        if (marques.contains(p) || !p.startsWith(".plumor-prise-") || p.indexOf('-', 14) >= 0)
            continue;
        const QByteArray rel = relatif.isEmpty() ? p : relatif + '/' + p;
        struct sys::stat st {};
        prise::Detenteur d;
        const QString etranger = prise::etranger(fd, p, {}, &d);
        if (!etranger.isEmpty()) {
            if (sys::fstatat(fd, p.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue; // gone meanwhile
            EntreeClasse e = entree(rel, st);
            e.etranger = etranger;
            r.etrangers.append(e);
            continue;
        }
        // The text's size and date where it is still there.
        const bool texte = sys::fstatat(fd, d.texte.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
        if (!texte && sys::fstatat(fd, p.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0)
            st.st_size = 0;
        EntreeClasse e = entree((relatif.isEmpty() ? d.texte : relatif + '/' + d.texte) + (texte ? "" : " (disparu)"), st);
        e.detenteur = d;
        e.ailleurs = ailleurs(e.detenteur);
        r.prisesSansMarque.append(e);
    }
    sys::closedir(d);
}

// Why a file may not be released, or nothing.
std::optional<QString> refus(const struct sys::stat &st, const QByteArray &nom)
{
    if (S_ISLNK(st.st_mode))
        return QStringLiteral("c'est un lien, pas un texte");
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("c'est un dossier : nommez les textes un par un");
    if (!S_ISREG(st.st_mode) || !estTexte(nom))
        return QStringLiteral("ce n'est pas un texte .txt");
    if (st.st_nlink > 1)
        return QStringLiteral("ce texte a plusieurs noms (lien physique) : il n'est jamais libéré");
    return std::nullopt;
}

} // namespace

ReleveMarques releverMarques(int dossier, const Attributs &attributs)
{
    ReleveMarques r;
    // A reading position of its own: the caller's descriptor stays untouched.
    const int fd = sys::openat(dossier, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        r.nonLus.append({".", errno});
    else
        parcourir(fd, {}, 0, attributs, r);
    const auto parChemin = [](const auto &a, const auto &b) { return a.chemin < b.chemin; };
    for (QList<EntreeClasse> *l : {&r.marques, &r.liens, &r.plusieursNoms, &r.brouillons, &r.prisesSansMarque, &r.etrangers})
        std::sort(l->begin(), l->end(), parChemin);
    std::sort(r.illisibles.begin(), r.illisibles.end());
    std::sort(r.nonLus.begin(), r.nonLus.end(), parChemin);
    return r;
}

QString affichable(const QByteArray &chemin)
{
    QString texte;
    for (qsizetype i = 0; i < chemin.size();) {
        // The valid UTF-8 sequence starting here, if any (its length is fixed by its first byte).
        qsizetype n = 0;
        for (qsizetype k = 1; k <= 4 && i + k <= chemin.size() && n == 0; ++k) {
            const QString essai = QString::fromUtf8(chemin.mid(i, k));
            if (!essai.contains(QChar::ReplacementCharacter) && essai.toUtf8() == chemin.mid(i, k))
                n = k;
        }
        // A control character (C0, DEL, C1) would reach the terminal raw: its bytes are escaped too.
        const char32_t c = n == 0 ? 0 : QString::fromUtf8(chemin.mid(i, n)).toUcs4().value(0);
        if (n == 0 || c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
            for (qsizetype k = i; k < i + qMax<qsizetype>(n, 1); ++k)
                texte += QStringLiteral("\\x") + QString::number(uchar(chemin.at(k)), 16).rightJustified(2, u'0').toUpper();
        } else {
            // A backslash is doubled only where it would read as an escape:
            // Windows paths keep their separators as they are.
            const char suivant = i + 1 < chemin.size() ? chemin.at(i + 1) : '\0';
            texte += chemin.at(i) == '\\' && (suivant == '\\' || suivant == 'x') ? QStringLiteral("\\\\")
                                                                             : QString::fromUtf8(chemin.mid(i, n));
        }
        i += qMax<qsizetype>(n, 1);
    }
    return texte;
}

QByteArray natif(const QString &affiche)
{
    QByteArray octets;
    qsizetype debut = 0; // of the plain text not yet added: a character may take two QChars
    const auto texte = [&](qsizetype fin) { octets += affiche.mid(debut, fin - debut).toUtf8(); };
    for (qsizetype i = 0; i < affiche.size(); ++i) {
        if (affiche.at(i) == u'\\' && affiche.mid(i + 1, 1) == u"\\") {
            texte(i);
            octets += '\\';
            debut = ++i + 1;
        } else if (affiche.at(i) == u'\\' && affiche.mid(i + 1, 1) == u"x" && i + 3 < affiche.size()) {
            bool ok = false;
            const uint b = affiche.mid(i + 2, 2).toUInt(&ok, 16);
            if (ok) {
                texte(i);
                octets += char(b);
                debut = i + 4;
            }
            i += 3;
        }
    }
    texte(affiche.size());
    return octets;
}

TexteResolu resoudre(int racine, const QByteArray &chemin)
{
    TexteResolu t;
    t.chemin = chemin;
#ifdef _WIN32
    // Windows splits at '\' too: passed whole, "CM1\conte.txt" would lead
    // NT through CM1 even where CM1 is a pupil's junction. A ':' names a
    // drive or an alternate data stream, never a text of the folder.
    const QByteArray separes = QByteArray(chemin).replace('\\', '/');
    if (separes.contains(':') && separes.indexOf(':') != 1) {
        t.refus = QStringLiteral("« : » n'est jamais dans le nom d'un texte");
        return t;
    }
    if (separes.startsWith('/') || separes.contains(':')) {
#else
    const QByteArray &separes = chemin;
    if (separes.startsWith('/')) {
#endif
        t.refus = QStringLiteral("chemin absolu : nommez le texte depuis le dossier");
        return t;
    }
    QList<QByteArray> parties = separes.split('/');
    parties.removeAll(QByteArray());
    parties.removeAll(QByteArray("."));
    if (parties.contains("..")) {
        t.refus = QStringLiteral("ce texte n'est pas dans le dossier");
        return t;
    }
    if (parties.isEmpty()) {
        t.refus = QStringLiteral("c'est un dossier : nommez les textes un par un");
        return t;
    }
    t.dossier = Descripteur::ouvert(sys::fcntl(racine, F_DUPFD_CLOEXEC, 0));
    t.nom = parties.takeLast();
    for (const QByteArray &partie : std::as_const(parties)) {
        // Each folder from the one before, never through a link: a folder
        // swapped meanwhile can only make the path fail.
        Descripteur suivant = DossierClasse::ouvrirDans(t.dossier.fd(), partie, O_PATH | O_DIRECTORY);
        if (!suivant.ok()) {
            t.refus = suivant.erreur() == ELOOP ? QStringLiteral("le chemin passe par un lien : refusé")
                                                : QStringLiteral("introuvable");
            return t;
        }
        t.dossier = std::move(suivant);
    }
    struct sys::stat st {};
    if (sys::fstatat(t.dossier.fd(), t.nom.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        t.refus = errno == ENOENT ? QStringLiteral("introuvable") : disque::raison(errno);
    else if (const std::optional<QString> r = refus(st, t.nom))
        t.refus = *r;
    return t;
}

ResultatLiberation liberer(const TexteResolu &texte, Attributs &attributs, bool forcer)
{
    // One open file for the check, the test of the mark and its release.
    const Descripteur f = DossierClasse::ouvrirDans(texte.dossier.fd(), texte.nom, O_RDONLY | O_NONBLOCK);
    if (!f.ok())
        return {Liberation::Echec, f.erreur() == ELOOP ? QStringLiteral("c'est un lien, pas un texte")
                                                       : disque::raison(f.erreur())};
    struct sys::stat st {};
    if (sys::fstat(f.fd(), &st) != 0)
        return {Liberation::Echec, disque::raison(errno)};
    if (const std::optional<QString> r = refus(st, texte.nom))
        return {Liberation::Echec, *r};
    const LectureAttribut avant = attributs.lireFd(f.fd());
    if (!avant.ok())
        return {Liberation::Echec, disque::raison(avant.erreur)};
    const prise::Lue p = prise::lire(texte.dossier.fd(), texte.nom);
    if (!forcer && enMarche(f.fd(), p.detenteur))
        return {Liberation::EnMarche, {}};
    if (!forcer && ailleurs(p.detenteur))
        return {Liberation::EnMarche, QStringLiteral("pris sur %1 : cette machine ne peut pas savoir si la copie tourne "
                                                     "encore ; vérifiez ce poste, ou --forcer")
                                          .arg(p.detenteur->hote)};
    if (!attribut::estMarque(avant.mot)) {
        prise::retirer(texte.dossier.fd(), texte.nom, {});
        return {Liberation::DejaLibre, p.detenteur ? QStringLiteral("sa prise est retirée") : QString()};
    }
    // A claim is the pupils' writing: what it says the text had may narrow
    // what the folder gives a new text (owner write, group write where the
    // folder and the umask give it), never widen it.
    struct sys::stat dossier {};
    const unsigned int plafond =
        S_IWUSR | (sys::fstat(texte.dossier.fd(), &dossier) == 0 ? (S_IWGRP & dossier.st_mode & ~disque::masqueCreation()) : 0u);
    const int modeAvant = p.detenteur && p.detenteur->modeAvant >= 0 ? int((unsigned(p.detenteur->modeAvant) | S_IWUSR) & plafond)
                                                                     : int(plafond);
    if (const int erreur = attributs.libererFd(f.fd(), modeAvant))
        return {Liberation::Echec, disque::raison(erreur)};
    const LectureAttribut apres = attributs.lireFd(f.fd());
    if (!apres.ok() || attribut::estMarque(apres.mot))
        return {Liberation::Echec, QStringLiteral("la marque est restée")};
    // After the mark: a claim left on a free text is known stale by the copies.
    if (const int erreur = prise::retirer(texte.dossier.fd(), texte.nom, {}))
        return {Liberation::Echec, QStringLiteral("sa prise est restée : %1").arg(disque::raison(erreur))};
    return {Liberation::Liberee, {}};
}
