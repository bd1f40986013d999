#include "marques.h"

#include "commandes.h"
#include "ligne_commande.h"
#include "base/texts/attributs.h"
#include "base/texts/disque.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>

using namespace outils;

namespace {

// Drafts of this version (.plumor-XXXXXX) and of earlier ones (.name.txt.XXXXXX).
bool estBrouillon(const QByteArray &nom)
{
    return disque::estBrouillon(QString::fromLatin1(nom))
           || (nom.startsWith('.') && nom.size() > 12 && nom.at(nom.size() - 7) == '.'
               && nom.toLower().chopped(7).endsWith(".txt"));
}

EntreeClasse entree(const QByteArray &relatif, const struct stat &st)
{
    return {relatif, qint64(st.st_size), QDateTime::fromSecsSinceEpoch(st.st_mtim.tv_sec)};
}

void parcourir(const QByteArray &racine, const QByteArray &relatif, const Attributs &attributs, ReleveMarques &r)
{
    DIR *d = ::opendir((relatif.isEmpty() ? racine : racine + '/' + relatif).constData());
    if (!d)
        return;
    while (const dirent *e = ::readdir(d)) {
        const QByteArray nom(e->d_name);
        if (nom == "." || nom == "..")
            continue;
        const QByteArray rel = relatif.isEmpty() ? nom : relatif + '/' + nom;
        const QByteArray complet = racine + '/' + rel;
        struct stat st {};
        if (::lstat(complet.constData(), &st) != 0)
            continue;
        if (nom.startsWith('.')) {
            if (S_ISREG(st.st_mode) && estBrouillon(nom))
                r.brouillons.append(entree(rel, st));
        } else if (S_ISDIR(st.st_mode)) {
            parcourir(racine, rel, attributs, r);
        } else if (nom.toLower().endsWith(".txt") && S_ISLNK(st.st_mode)) {
            r.liens.append(entree(rel, st));
        } else if (nom.toLower().endsWith(".txt") && S_ISREG(st.st_mode)) {
            const LectureAttribut lu = attributs.lireNatif(complet);
            if (!lu.ok())
                r.illisibles << rel;
            else if (attribut::estMarque(lu.mot))
                r.marques.append(entree(rel, st));
        }
    }
    ::closedir(d);
}

} // namespace

ReleveMarques releverMarques(const QString &dossier, const Attributs &attributs)
{
    ReleveMarques r;
    parcourir(QFile::encodeName(QDir(dossier).absolutePath()), {}, attributs, r);
    const auto parChemin = [](const EntreeClasse &a, const EntreeClasse &b) { return a.chemin < b.chemin; };
    for (QList<EntreeClasse> *l : {&r.marques, &r.liens, &r.brouillons})
        std::sort(l->begin(), l->end(), parChemin);
    std::sort(r.illisibles.begin(), r.illisibles.end());
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
        if (n == 0)
            texte += QStringLiteral("\\x") + QString::number(uchar(chemin.at(i)), 16).rightJustified(2, u'0').toUpper();
        else
            texte += chemin.at(i) == '\\' ? QStringLiteral("\\\\") : QString::fromUtf8(chemin.mid(i, n));
        i += qMax<qsizetype>(n, 1);
    }
    return texte;
}

QByteArray natif(const QString &affiche)
{
    QByteArray octets;
    for (qsizetype i = 0; i < affiche.size(); ++i) {
        if (affiche.at(i) == u'\\' && affiche.mid(i + 1, 1) == u"\\") {
            octets += '\\';
            ++i;
        } else if (affiche.at(i) == u'\\' && affiche.mid(i + 1, 1) == u"x" && i + 3 < affiche.size()) {
            bool ok = false;
            const uint b = affiche.mid(i + 2, 2).toUInt(&ok, 16);
            octets += ok ? QByteArray(1, char(b)) : affiche.mid(i, 4).toUtf8();
            i += 3;
        } else {
            octets += QString(affiche.at(i)).toUtf8();
        }
    }
    return octets;
}

std::optional<QString> refusLiberation(const QString &dossier, const QByteArray &chemin)
{
    if (chemin.startsWith('/'))
        return QStringLiteral("chemin absolu : nommez le texte depuis le dossier");
    const QByteArray racine = QFile::encodeName(QDir(dossier).absolutePath());
    const QByteArray complet = racine + '/' + chemin;
    struct stat st {};
    if (::lstat(complet.constData(), &st) != 0)
        return QStringLiteral("introuvable");
    if (S_ISLNK(st.st_mode))
        return QStringLiteral("c'est un lien, pas un texte");
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("c'est un dossier : nommez les textes un par un");
    if (!S_ISREG(st.st_mode) || !chemin.toLower().endsWith(".txt"))
        return QStringLiteral("ce n'est pas un texte .txt");
    char reelRacine[PATH_MAX], reel[PATH_MAX];
    if (!::realpath(racine.constData(), reelRacine) || !::realpath(complet.constData(), reel)
        || !QByteArray(reel).startsWith(QByteArray(reelRacine) + '/'))
        return QStringLiteral("ce texte n'est pas dans le dossier");
    return std::nullopt;
}

ResultatLiberation liberer(const QByteArray &chemin, Attributs &attributs)
{
    const LectureAttribut avant = attributs.lireNatif(chemin);
    if (!avant.ok())
        return {Liberation::Echec, qt_error_string(avant.erreur)};
    if (!attribut::estMarque(avant.mot))
        return {Liberation::DejaLibre, {}};
    if (const int erreur = attributs.ecrireNatif(chemin, attribut::libre))
        return {Liberation::Echec, qt_error_string(erreur)};
    const LectureAttribut apres = attributs.lireNatif(chemin);
    if (!apres.ok() || attribut::estMarque(apres.mot))
        return {Liberation::Echec, QStringLiteral("la marque est restée")};
    return {Liberation::Liberee, {}};
}

namespace {

const QString utilisation = QStringLiteral(
    "Utilisation : plumor-outils marques [DOSSIER] [--json] [--liberer CHEMIN…]");

const QString aide = utilisation + QStringLiteral(R"(

Une copie de Plumor qui s'est arrêtée sans fermer son texte (plantage,
machine éteinte) laisse ce texte marqué pour toujours : plus aucune copie ne
peut l'ouvrir pour l'écrire. Sans --liberer, liste chaque texte .txt marqué
sous DOSSIER et ses sous-dossiers (chemin, taille, dernière modification)
puis leur nombre, les liens nommés comme des textes (jamais suivis) et les
brouillons qu'un enregistrement interrompu a laissés (le texte le plus
récent y est peut-être ; rien n'est effacé). Un octet de nom qui n'est pas
de l'UTF-8 s'écrit \xNN, une barre oblique inverse \\.

Avec --liberer, libère les seuls textes nommés, chacun par son chemin depuis
DOSSIER : un fichier .txt ordinaire qui est vraiment dans le dossier. Un
lien, un dossier, un chemin absolu ou qui sort du dossier est refusé avant
que rien ne change.

Attention : un texte encore ouvert dans une copie de Plumor serait ensuite
ouvert deux fois, et le dernier à enregistrer effacerait le travail de
l'autre. Ne libérez que des textes que personne n'écrit.

Les marques sont lues et effacées comme Plumor le fait : sur un partage
CIFS, c'est la marque que voient aussi les copies Windows.

  DOSSIER          le dossier de la classe (par défaut : le dossier courant)
  --liberer CHEMIN…  libère ces textes
  --json           un seul document JSON au lieu du texte
  --help           cette aide

Code de sortie : 0 aucun texte marqué (ou tout est libéré), 1 des textes
marqués, illisibles ou impossibles à libérer, 2 mauvaise utilisation.
)");

const QString avertissementDouble = QStringLiteral(
    "Attention : si une copie de Plumor a encore ce texte ouvert, il est maintenant ouvert deux fois, "
    "et le dernier à enregistrer effacera le travail de l'autre.\n");

QString tailleLisible(qint64 octets)
{
    QString chiffres = QString::number(octets);
    for (qsizetype i = chiffres.size() - 3; i > 0; i -= 3)
        chiffres.insert(i, u'\u202F');
    return chiffres + QStringLiteral(" octets");
}

QJsonArray enJson(const QList<EntreeClasse> &entrees)
{
    QJsonArray tableau;
    for (const EntreeClasse &e : entrees) {
        tableau.append(QJsonObject{{"chemin", affichable(e.chemin)}, {"taille", e.taille},
                                   {"modification", e.modification.toUTC().toString(Qt::ISODate)}});
    }
    return tableau;
}

// One line per entry: path, size and last change, in columns.
QString enLignes(const QList<EntreeClasse> &entrees, const QString &suffixe = {})
{
    qsizetype largeurChemin = 0, largeurTaille = 0;
    for (const EntreeClasse &e : entrees) {
        largeurChemin = std::max(largeurChemin, affichable(e.chemin).size() + suffixe.size());
        largeurTaille = std::max(largeurTaille, tailleLisible(e.taille).size());
    }
    QString texte;
    for (const EntreeClasse &e : entrees) {
        texte += QStringLiteral("  %1  %2  %3\n")
                     .arg((affichable(e.chemin) + suffixe).leftJustified(largeurChemin),
                          tailleLisible(e.taille).rightJustified(largeurTaille),
                          e.modification.toString(QStringLiteral("dd/MM/yyyy HH:mm")));
    }
    return texte;
}

int liste(const QString &dossier, bool json, const Attributs &attributs)
{
    const ReleveMarques r = releverMarques(dossier, attributs);
    QStringList illisibles;
    for (const QByteArray &chemin : r.illisibles)
        illisibles << affichable(chemin);
    if (json) {
        ecrireJson(QJsonObject{{"dossier", QDir(dossier).absolutePath()}, {"marques", enJson(r.marques)},
                               {"total", r.marques.size()}, {"liens", enJson(r.liens)},
                               {"brouillons", enJson(r.brouillons)},
                               {"illisibles", QJsonArray::fromStringList(illisibles)}});
    } else {
        const QString ou = QDir::toNativeSeparators(QDir(dossier).absolutePath());
        QString texte = enLignes(r.marques);
        texte += r.marques.isEmpty() ? QStringLiteral("Aucun texte marqué sous %1.\n").arg(ou)
               : r.marques.size() == 1 ? QStringLiteral("1 texte marqué sous %1.\n").arg(ou)
               : QStringLiteral("%1 textes marqués sous %2.\n").arg(r.marques.size()).arg(ou);
        if (!r.liens.isEmpty())
            texte += QStringLiteral("\nLiens nommés comme des textes (jamais suivis, jamais libérés) :\n")
                     + enLignes(r.liens, QStringLiteral(" (lien)"));
        if (!r.brouillons.isEmpty())
            texte += QStringLiteral("\nBrouillons laissés par un enregistrement interrompu (le texte le plus récent "
                                    "y est peut-être ; rien n'est effacé) :\n")
                     + enLignes(r.brouillons);
        ecrire(stdout, texte);
    }
    for (const QString &chemin : std::as_const(illisibles))
        ecrire(stderr, QStringLiteral("Marque illisible : %1\n").arg(chemin));
    return r.marques.isEmpty() && r.illisibles.isEmpty() ? reussite : probleme;
}

int libererTous(const QString &dossier, const QStringList &chemins, bool json, Attributs &attributs)
{
    QJsonArray resultats;
    QString texte;
    bool liberee = false, echec = false;
    const QByteArray racine = QFile::encodeName(QDir(dossier).absolutePath());
    for (const QString &chemin : chemins) {
        const ResultatLiberation r = liberer(racine + '/' + natif(chemin), attributs);
        static const char *const etats[] = {"libéré", "déjà libre", "échec"};
        const QString etat = QString::fromUtf8(etats[int(r.etat)]);
        liberee = liberee || r.etat == Liberation::Liberee;
        echec = echec || r.etat == Liberation::Echec;
        QJsonObject o{{"chemin", chemin}, {"resultat", etat}};
        if (!r.detail.isEmpty())
            o.insert(QStringLiteral("message"), r.detail);
        resultats.append(o);
        texte += QStringLiteral("%1 : %2%3\n").arg(chemin, etat,
                                                  r.detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(r.detail));
    }
    if (json)
        ecrireJson(QJsonObject{{"liberation", resultats}});
    else
        ecrire(stdout, texte);
    if (liberee)
        ecrire(stderr, avertissementDouble);
    return echec ? probleme : reussite;
}

} // namespace

int commandeMarques(const QStringList &args)
{
    // Everything after --liberer names a file to release.
    const qsizetype l = args.indexOf(QStringLiteral("--liberer"));
    const QStringList avant = l < 0 ? args : args.mid(0, l);
    const Arguments a = lireArguments(avant, {QStringLiteral("--json")}, {});
    if (!a.erreur.isEmpty())
        return refuserUtilisation(a.erreur, utilisation);
    Arguments cibles;
    if (l >= 0) {
        cibles = lireArguments(args.mid(l + 1), {QStringLiteral("--json")}, {});
        if (!cibles.erreur.isEmpty())
            return refuserUtilisation(cibles.erreur, utilisation);
    }
    if (a.drapeaux.contains(QStringLiteral("--help")) || cibles.drapeaux.contains(QStringLiteral("--help"))) {
        ecrire(stdout, aide);
        return reussite;
    }
    if (a.positionnels.size() > 1)
        return refuserUtilisation(QStringLiteral("un seul dossier à la fois"), utilisation);
    const QString dossier = a.positionnels.value(0, QStringLiteral("."));
    if (!QFileInfo(dossier).isDir()) {
        ecrire(stderr, QStringLiteral("Dossier introuvable : %1\n").arg(dossier));
        return probleme;
    }
    const bool json = a.drapeaux.contains(QStringLiteral("--json")) || cibles.drapeaux.contains(QStringLiteral("--json"));

    AttributsSysteme attributs;
    if (l < 0)
        return liste(dossier, json, attributs);
    if (cibles.positionnels.isEmpty())
        return refuserUtilisation(QStringLiteral("--liberer attend au moins un fichier"), utilisation);
    // Checked before anything changes: only the class's own plain texts.
    for (const QString &chemin : cibles.positionnels) {
        if (const std::optional<QString> refus = refusLiberation(dossier, natif(chemin)))
            return refuserUtilisation(QStringLiteral("%1 : %2").arg(chemin, *refus), utilisation);
    }
    return libererTous(dossier, cibles.positionnels, json, attributs);
}
