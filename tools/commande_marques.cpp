#include "commandes.h"
#include "ligne_commande.h"
#include "marques.h"

#include "base/texts/attributs.h"
#include "base/texts/disque.h"

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
    "Utilisation : plumor-outils marques [DOSSIER] [--json] [--liberer CHEMIN… [--forcer]]");

const QString aide = utilisation + QStringLiteral(R"(

Une copie de Plumor qui s'est arrêtée sans fermer son texte (plantage,
machine éteinte) peut laisser ce texte marqué : plus aucune copie ne peut
l'ouvrir pour l'écrire. Sans --liberer, liste chaque texte .txt marqué sous
DOSSIER et ses sous-dossiers (chemin, taille, dernière modification), dit
s'il est « ouvert par une copie en marche » (Plumor l'a ouvert sur un poste
et tourne encore) ou s'il porte une « marque sans copie vivante », et qui l'a
pris (compte, poste, depuis quand) ; puis leur nombre, les prises restées sur
des textes libres ou disparus (elles font refuser ces textes), les liens
nommés comme des textes (jamais suivis), les textes qui ont plusieurs noms
(liens physiques, jamais libérés), les brouillons qu'un enregistrement
interrompu a laissés (le texte le plus récent y est peut-être ; rien n'est
effacé) et les dossiers qui n'ont pas pu être lus : la liste est alors
incomplète. Un caractère de contrôle ou un octet de nom qui n'est pas de
l'UTF-8 s'écrit \xNN, une barre oblique inverse \\.

Avec --liberer, libère les seuls textes nommés, chacun par son chemin depuis
DOSSIER : un fichier .txt ordinaire, à un seul nom, qui est vraiment dans le
dossier, et retire sa prise. Un lien (même un dossier du chemin), un dossier,
un chemin absolu ou qui sort du dossier est refusé avant que rien ne change.
Un texte ouvert par une copie en marche n'est pas libéré, sauf avec --forcer :
cette copie l'enregistre encore, et les autres le refusent tant qu'elle tourne.

Un texte « pris sur posteX » l'a été par une copie d'un autre poste : d'ici,
rien ne dit si elle tourne encore. --liberer le refuse sans --forcer ; ne
forcez qu'après avoir vu ce poste (Plumor fermé, poste éteint). Seule une
prise de ce poste dont la copie est arrêtée est « sans copie vivante ».
Un « fichier étranger » porte le nom caché d'une prise sans en être une : il
ne refuse aucun texte, et la copie qui prend ce texte l'écarte.

Les marques sont lues et effacées comme Plumor le fait : sur un partage
CIFS, c'est la marque que voient aussi les copies Windows.

  DOSSIER          le dossier de la classe (par défaut : le dossier courant)
  --liberer CHEMIN…  libère ces textes
  --forcer         libère aussi un texte ouvert par une copie en marche
  --json           un seul document JSON au lieu du texte
  --help           cette aide

Code de sortie : 0 aucun texte marqué (ou tout est libéré), 1 des textes
marqués, illisibles, à plusieurs noms, pris sans marque ou impossibles à
libérer, ou une liste incomplète (dossiers non lus), 2 mauvaise utilisation.
)");

const QString avertissementDouble = QStringLiteral(
    "Attention : sur un partage qui ne transmet pas les verrous, une copie de Plumor d'un autre poste peut "
    "encore avoir ce texte ouvert ; il serait alors ouvert deux fois.\n");

const QString enMarche = QStringLiteral("ouvert par une copie en marche");
const QString sansCopie = QStringLiteral("marque sans copie vivante");

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
    default: return disque::raison(erreur);
    }
}

QString date(const QDateTime &d)
{
    return d.toString(QStringLiteral("dd/MM/yyyy HH:mm"));
}

// A claim of another machine: old maybe, dead never, as far as this one can tell.
QString ailleurs(const prise::Detenteur &d)
{
    return QStringLiteral("pris sur %1 depuis %2 (cette machine ne peut pas savoir si la copie tourne encore), compte %3")
        .arg(outils::visible(d.hote), date(QDateTime::fromSecsSinceEpoch(d.depuis)), outils::visible(d.utilisateur));
}

QString etat(const EntreeClasse &e)
{
    return e.enMarche ? enMarche : e.ailleurs && e.detenteur ? ailleurs(*e.detenteur) : sansCopie;
}

// Who took a text, from its claim.
QString qui(const std::optional<prise::Detenteur> &d)
{
    if (!d)
        return {};
    return QStringLiteral("pris par %1 sur %2 le %3")
        .arg(outils::visible(d->utilisateur), outils::visible(d->hote), date(QDateTime::fromSecsSinceEpoch(d->depuis)));
}

QJsonArray enJson(const QList<EntreeClasse> &entrees, bool marques = false)
{
    QJsonArray tableau;
    for (const EntreeClasse &e : entrees) {
        QJsonObject o{{"chemin", affichable(e.chemin)}, {"taille", e.taille},
                      {"modification", e.modification.toUTC().toString(Qt::ISODate)}};
        if (marques || e.ailleurs)
            o.insert(QStringLiteral("etat"), etat(e));
        if (!e.etranger.isEmpty())
            o.insert(QStringLiteral("etranger"), e.etranger);
        if (e.detenteur)
            o.insert(QStringLiteral("detenteur"),
                     QJsonObject{{"utilisateur", e.detenteur->utilisateur}, {"poste", e.detenteur->hote},
                                 {"depuis", QDateTime::fromSecsSinceEpoch(e.detenteur->depuis).toUTC().toString(Qt::ISODate)}});
        tableau.append(o);
    }
    return tableau;
}

// One line per entry: path, size and last change, in columns; for marks,
// their state and who took them.
QString enLignes(const QList<EntreeClasse> &entrees, const QString &suffixe = {}, bool marques = false)
{
    qsizetype largeurChemin = 0, largeurTaille = 0;
    for (const EntreeClasse &e : entrees) {
        largeurChemin = std::max(largeurChemin, affichable(e.chemin).size() + suffixe.size());
        largeurTaille = std::max(largeurTaille, tailleLisible(e.taille).size());
    }
    QString texte;
    for (const EntreeClasse &e : entrees) {
        QString etat = !e.etranger.isEmpty() ? QStringLiteral("fichier étranger : %1").arg(e.etranger)
                     : marques || e.ailleurs ? ::etat(e) : QString();
        const QString detenteur = e.ailleurs ? QString() : qui(e.detenteur);
        if (!detenteur.isEmpty())
            etat += (etat.isEmpty() ? QString() : QStringLiteral(", ")) + detenteur;
        texte += QStringLiteral("  %1  %2  %3%4\n")
                     .arg((affichable(e.chemin) + suffixe).leftJustified(largeurChemin),
                          tailleLisible(e.taille).rightJustified(largeurTaille), date(e.modification),
                          etat.isEmpty() ? QString() : QStringLiteral("  ") + etat);
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
        ecrireJson(QJsonObject{{"dossier", ou}, {"marques", enJson(r.marques, true)},
                               {"total", r.marques.size()}, {"liens", enJson(r.liens)},
                               {"plusieurs_noms", enJson(r.plusieursNoms)},
                               {"brouillons", enJson(r.brouillons)},
                               {"prises_sans_marque", enJson(r.prisesSansMarque)},
                               {"etrangers", enJson(r.etrangers)}, {"nettoyes", r.nettoyes},
                               {"illisibles", QJsonArray::fromStringList(illisibles)},
                               {"non_lus", nonLus}, {"complet", r.nonLus.isEmpty()}});
    } else {
        QString texte = enLignes(r.marques, {}, true);
        texte += r.marques.isEmpty() ? QStringLiteral("Aucun texte marqué sous %1.\n").arg(ou)
               : r.marques.size() == 1 ? QStringLiteral("1 texte marqué sous %1.\n").arg(ou)
               : QStringLiteral("%1 textes marqués sous %2.\n").arg(r.marques.size()).arg(ou);
        if (!r.prisesSansMarque.isEmpty())
            texte += QStringLiteral("\nPrises restées sur des textes libres ou disparus (les copies refusent ces "
                                    "textes ; --liberer les retire) :\n")
                     + enLignes(r.prisesSansMarque);
        if (!r.etrangers.isEmpty())
            texte += QStringLiteral("\nFichiers étrangers aux noms de prises (ils ne refusent aucun texte ; la copie "
                                    "qui prend ce texte les écarte) :\n")
                     + enLignes(r.etrangers);
        if (r.nettoyes > 0)
            texte += QStringLiteral("\n%1 fichier(s) caché(s) de prises laissé(s) par des copies mortes : retiré(s).\n")
                         .arg(r.nettoyes);
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
    const bool rien = r.marques.isEmpty() && r.illisibles.isEmpty() && r.plusieursNoms.isEmpty() && r.nonLus.isEmpty()
                      && r.prisesSansMarque.isEmpty() && r.etrangers.isEmpty();
    return rien ? reussite : probleme;
}

int libererTous(const std::vector<TexteResolu> &textes, bool json, bool forcer, Attributs &attributs)
{
    QJsonArray resultats;
    QString texte;
    bool liberee = false, echec = false;
    for (const TexteResolu &t : textes) {
        ResultatLiberation r = liberer(t, attributs, forcer);
        static const char *const etats[] = {"libéré", "déjà libre", "échec", "non libéré"};
        const QString etat = QString::fromUtf8(etats[int(r.etat)]);
        if (r.etat == Liberation::EnMarche && r.detail.isEmpty())
            r.detail = enMarche + QStringLiteral(" : fermez-le sur ce poste, ou --forcer");
        liberee = liberee || r.etat == Liberation::Liberee;
        echec = echec || r.etat == Liberation::Echec || r.etat == Liberation::EnMarche;
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
    const Syntaxe syntaxe{utilisation, aide, QStringLiteral("un seul dossier à la fois"), {}, QStringLiteral("--liberer"),
                          {QStringLiteral("--forcer")}};
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
    return libererTous(textes, a.json(), a.drapeaux.contains(QStringLiteral("--forcer")), attributs);
}
