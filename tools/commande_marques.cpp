#include "commandes.h"
#include "ligne_commande.h"
#include "marques.h"
#include "base/texts/attributs.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <cerrno>
#include <vector>

using namespace outils;

namespace {

const QString utilisation = QStringLiteral(
    "Utilisation : plumor-outils marques [DOSSIER] [--json] [--liberer CHEMIN…]");

const QString aide = utilisation + QStringLiteral(R"(

Une copie de Plumor qui s'est arrêtée sans fermer son texte (plantage,
machine éteinte) laisse ce texte marqué pour toujours : plus aucune copie ne
peut l'ouvrir pour l'écrire. Sans --liberer, liste chaque texte .txt marqué
sous DOSSIER et ses sous-dossiers (chemin, taille, dernière modification)
puis leur nombre, les liens nommés comme des textes (jamais suivis), les
textes qui ont plusieurs noms (liens physiques, jamais libérés), les
brouillons qu'un enregistrement interrompu a laissés (le texte le plus
récent y est peut-être ; rien n'est effacé) et les dossiers qui n'ont pas pu
être lus : la liste est alors incomplète. Un caractère de contrôle ou un
octet de nom qui n'est pas de l'UTF-8 s'écrit \xNN, une barre oblique
inverse \\.

Avec --liberer, libère les seuls textes nommés, chacun par son chemin depuis
DOSSIER : un fichier .txt ordinaire, à un seul nom, qui est vraiment dans le
dossier. Un lien (même un dossier du chemin), un dossier, un chemin absolu
ou qui sort du dossier est refusé avant que rien ne change.

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
marqués, illisibles, à plusieurs noms ou impossibles à libérer, ou une liste
incomplète (dossiers non lus), 2 mauvaise utilisation.
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

QString raison(int erreur)
{
    switch (erreur) {
    case EACCES:
    case EPERM: return QStringLiteral("accès refusé");
    case ENAMETOOLONG: return QStringLiteral("trop profond");
    default: return qt_error_string(erreur);
    }
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

int liste(const DossierClasse &dossier, const QString &ou, bool json, const Attributs &attributs)
{
    const ReleveMarques r = releverMarques(dossier.fd(), attributs);
    QStringList illisibles;
    for (const QByteArray &chemin : r.illisibles)
        illisibles << affichable(chemin);
    if (json) {
        QJsonArray nonLus;
        for (const NonLu &n : r.nonLus)
            nonLus.append(QJsonObject{{"chemin", affichable(n.chemin)}, {"raison", raison(n.erreur)}});
        ecrireJson(QJsonObject{{"dossier", ou}, {"marques", enJson(r.marques)},
                               {"total", r.marques.size()}, {"liens", enJson(r.liens)},
                               {"plusieurs_noms", enJson(r.plusieursNoms)},
                               {"brouillons", enJson(r.brouillons)},
                               {"illisibles", QJsonArray::fromStringList(illisibles)},
                               {"non_lus", nonLus}, {"complet", r.nonLus.isEmpty()}});
    } else {
        QString texte = enLignes(r.marques);
        texte += r.marques.isEmpty() ? QStringLiteral("Aucun texte marqué sous %1.\n").arg(ou)
               : r.marques.size() == 1 ? QStringLiteral("1 texte marqué sous %1.\n").arg(ou)
               : QStringLiteral("%1 textes marqués sous %2.\n").arg(r.marques.size()).arg(ou);
        if (!r.liens.isEmpty())
            texte += QStringLiteral("\nLiens nommés comme des textes (jamais suivis, jamais libérés) :\n")
                     + enLignes(r.liens, QStringLiteral(" (lien)"));
        if (!r.plusieursNoms.isEmpty())
            texte += QStringLiteral("\nTextes à plusieurs noms (liens physiques, jamais libérés) :\n")
                     + enLignes(r.plusieursNoms);
        if (!r.brouillons.isEmpty())
            texte += QStringLiteral("\nBrouillons laissés par un enregistrement interrompu (le texte le plus récent "
                                    "y est peut-être ; rien n'est effacé) :\n")
                     + enLignes(r.brouillons);
        if (!r.nonLus.isEmpty()) {
            texte += QStringLiteral("\nNon lus (la liste est incomplète) :\n");
            for (const NonLu &n : r.nonLus)
                texte += QStringLiteral("  %1  (%2)\n").arg(affichable(n.chemin), raison(n.erreur));
        }
        ecrire(stdout, texte);
    }
    for (const QString &chemin : std::as_const(illisibles))
        ecrire(stderr, QStringLiteral("Marque illisible : %1\n").arg(chemin));
    const bool rien = r.marques.isEmpty() && r.illisibles.isEmpty() && r.plusieursNoms.isEmpty() && r.nonLus.isEmpty();
    return rien ? reussite : probleme;
}

int libererTous(const std::vector<TexteResolu> &textes, bool json, Attributs &attributs)
{
    QJsonArray resultats;
    QString texte;
    bool liberee = false, echec = false;
    for (const TexteResolu &t : textes) {
        const ResultatLiberation r = liberer(t, attributs);
        static const char *const etats[] = {"libéré", "déjà libre", "échec"};
        const QString etat = QString::fromUtf8(etats[int(r.etat)]);
        liberee = liberee || r.etat == Liberation::Liberee;
        echec = echec || r.etat == Liberation::Echec;
        const QString chemin = affichable(t.chemin);
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
    Arguments a;
    const Syntaxe syntaxe{utilisation, aide, QStringLiteral("un seul dossier à la fois"), {}, QStringLiteral("--liberer")};
    if (const std::optional<int> fin = lireCommande(args, syntaxe, a))
        return *fin;
    const QString dossier = a.positionnels.value(0, QStringLiteral("."));
    // The one handle on the class folder: everything below is reached from it.
    const DossierClasse racine(dossier);
    const QString ou = affichable(QFile::encodeName(QDir::toNativeSeparators(QDir(dossier).absolutePath())));
    if (racine.erreur() != 0) {
        ecrire(stderr, QStringLiteral("Dossier introuvable : %1\n").arg(ou));
        return probleme;
    }
    AttributsSysteme attributs;
    if (!a.drapeaux.contains(QStringLiteral("--liberer")))
        return liste(racine, ou, a.json(), attributs);
    if (a.liste.isEmpty())
        return refuserUtilisation(QStringLiteral("--liberer attend au moins un fichier"), utilisation);
    // Checked before anything changes: only the class's own plain texts.
    std::vector<TexteResolu> textes;
    for (const QString &chemin : std::as_const(a.liste)) {
        TexteResolu t = resoudre(racine.fd(), natif(chemin));
        if (!t.refus.isEmpty())
            return refuserUtilisation(QStringLiteral("%1 : %2").arg(affichable(natif(chemin)), t.refus), utilisation);
        textes.push_back(std::move(t));
    }
    return libererTous(textes, a.json(), attributs);
}
