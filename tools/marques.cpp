#include "marques.h"

#include "commandes.h"
#include "ligne_commande.h"
#include "texts/attributs.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>

using namespace outils;

ReleveMarques releverMarques(const QString &dossier, const Attributs &attributs)
{
    ReleveMarques releve;
    const QDir racine(QDir(dossier).absolutePath());
    // Matched without regard to case, like the window's file list; hidden
    // files and folders are no texts of the class.
    QDirIterator it(racine.path(), {QStringLiteral("*.txt")}, QDir::Files | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString chemin = it.next();
        const QFileInfo info = it.fileInfo();
        const LectureAttribut lu = attributs.lire(chemin);
        const QString relatif = racine.relativeFilePath(chemin);
        if (!lu.ok())
            releve.illisibles << relatif;
        else if (attribut::estMarque(lu.mot))
            releve.marques.append({relatif, info.size(), info.lastModified()});
    }
    std::sort(releve.marques.begin(), releve.marques.end(),
              [](const TexteMarque &a, const TexteMarque &b) { return a.chemin < b.chemin; });
    releve.illisibles.sort();
    return releve;
}

ResultatLiberation liberer(const QString &chemin, Attributs &attributs)
{
    if (!QFileInfo(chemin).isFile())
        return {Liberation::Introuvable, {}};
    const LectureAttribut avant = attributs.lire(chemin);
    if (!avant.ok())
        return {Liberation::Echec, qt_error_string(avant.erreur)};
    if (!attribut::estMarque(avant.mot))
        return {Liberation::DejaLibre, {}};
    if (const int erreur = attributs.ecrire(chemin, attribut::libre))
        return {Liberation::Echec, qt_error_string(erreur)};
    const LectureAttribut apres = attributs.lire(chemin);
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
puis leur nombre. Avec --liberer, libère les seuls fichiers nommés (jamais un
dossier entier) ; un chemin relatif part de DOSSIER.

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

int liste(const QString &dossier, bool json, const Attributs &attributs)
{
    const ReleveMarques r = releverMarques(dossier, attributs);
    if (json) {
        QJsonArray marques;
        for (const TexteMarque &t : r.marques) {
            marques.append(QJsonObject{{"chemin", t.chemin}, {"taille", t.taille},
                                       {"modification", t.modification.toUTC().toString(Qt::ISODate)}});
        }
        ecrireJson(QJsonObject{{"dossier", QDir(dossier).absolutePath()}, {"marques", marques},
                               {"total", r.marques.size()},
                               {"illisibles", QJsonArray::fromStringList(r.illisibles)}});
    } else {
        QString texte;
        qsizetype largeurChemin = 0, largeurTaille = 0;
        for (const TexteMarque &t : r.marques) {
            largeurChemin = std::max(largeurChemin, t.chemin.size());
            largeurTaille = std::max(largeurTaille, tailleLisible(t.taille).size());
        }
        for (const TexteMarque &t : r.marques) {
            texte += QStringLiteral("  %1  %2  %3\n")
                         .arg(t.chemin.leftJustified(largeurChemin),
                              tailleLisible(t.taille).rightJustified(largeurTaille),
                              t.modification.toString(QStringLiteral("dd/MM/yyyy HH:mm")));
        }
        const QString ou = QDir::toNativeSeparators(QDir(dossier).absolutePath());
        texte += r.marques.isEmpty() ? QStringLiteral("Aucun texte marqué sous %1.\n").arg(ou)
               : r.marques.size() == 1 ? QStringLiteral("1 texte marqué sous %1.\n").arg(ou)
               : QStringLiteral("%1 textes marqués sous %2.\n").arg(r.marques.size()).arg(ou);
        ecrire(stdout, texte);
    }
    for (const QString &chemin : r.illisibles)
        ecrire(stderr, QStringLiteral("Marque illisible : %1\n").arg(chemin));
    return r.marques.isEmpty() && r.illisibles.isEmpty() ? reussite : probleme;
}

int libererTous(const QString &dossier, const QStringList &chemins, bool json, Attributs &attributs)
{
    QJsonArray resultats;
    QString texte;
    bool liberee = false, echec = false;
    for (const QString &chemin : chemins) {
        const ResultatLiberation r = liberer(QDir(dossier).filePath(chemin), attributs);
        static const char *const etats[] = {"libéré", "déjà libre", "introuvable", "échec"};
        const QString etat = QString::fromUtf8(etats[int(r.etat)]);
        liberee = liberee || r.etat == Liberation::Liberee;
        echec = echec || r.etat == Liberation::Introuvable || r.etat == Liberation::Echec;
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
    // Checked before anything changes: a folder is never released at once.
    for (const QString &chemin : cibles.positionnels) {
        const QFileInfo info(QDir(dossier).filePath(chemin));
        if (info.isDir())
            return refuserUtilisation(QStringLiteral("%1 est un dossier : nommez les textes un par un").arg(chemin),
                                        utilisation);
        if (info.suffix().compare(u"txt", Qt::CaseInsensitive) != 0)
            return refuserUtilisation(QStringLiteral("%1 n'est pas un texte .txt").arg(chemin), utilisation);
    }
    return libererTous(dossier, cibles.positionnels, json, attributs);
}
