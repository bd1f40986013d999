// Every command here keeps two promises: the text this copy holds is marked
// while it holds it, and a text the pupil has not saved is never dropped
// without the pupil's say.
#include "gui/texts/documents.h"

#include "base/cp1252.h"
#include "base/texts/disque.h"
#include "base/texts/noms.h"
#include "base/texts/partage.h"
#include "gui/fenetre/controles.h"
#include "gui/widgets/annonceur.h"
#include "gui/widgets/dialogues.h"
#include "gui/fenetre/etat_fenetre.h"
#include "gui/widgets/liste_dossiers.h"
#include "gui/widgets/titre.h"
#include "gui/widgets/zone_texte.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTextDocument>
#include <QWidget>

namespace {
// What the platform's common file dialog reports for a cancelled dialog.
constexpr int dialogueAnnule = 32755;
const QString tropLongPourLire = QStringLiteral("Ce texte dépasse 32000 caractères!");
} // namespace

Documents::Documents(EtatFenetre &etat, Controles &c, QWidget &fenetre, Dialogues &dialogues, Partage &partage)
    : m_etat(etat), m_c(c), m_fenetre(fenetre), m_dialogues(dialogues), m_partage(partage)
{
}

bool Documents::occupe() const
{
    // One command at a time: while one waits for the share, the others
    // (clicked in the events that go on) do nothing.
    return m_partage.occupe();
}

QChar Documents::separateurNatif()
{
    return QDir::separator();
}

QString Documents::extrait_nomfic(const QString &fichier, QChar separateur)
{
    return fichier.mid(fichier.lastIndexOf(separateur) + 1);
}

QString Documents::cheminComplet(const QString &chemin) const
{
    return QFileInfo(chemin).isRelative() ? QDir(m_c.Dir1->dossier()).absoluteFilePath(chemin) : chemin;
}

QByteArray Documents::octetsAEcrire() const
{
    // A text ends with one line break: saving an opened text unchanged must
    // not make it grow by a blank line each time.
    QString texte = m_c.Text1->texteCrLf();
    if (!texte.endsWith(QLatin1String("\r\n")))
        texte += QLatin1String("\r\n");
    return cp1252::encode(texte);
}

void Documents::erreurEcriture(const QString &prefixe, disque::Erreur erreur)
{
    if (erreur == disque::cheminChange || erreur == disque::texteSupprime)
        m_dialogues.information(QStringLiteral("Ce texte a été %1 par quelqu'un d'autre : il n'est pas enregistré. "
                                               "Gardez-le avec « Enregistrer sous... ».")
                                    .arg(erreur == disque::texteSupprime ? QStringLiteral("supprimé")
                                                                         : QStringLiteral("déplacé ou remplacé")));
    else
        m_dialogues.information(prefixe + disque::description(erreur));
}

void Documents::liberer(const QString &chemin, const QString &sauf)
{
    const std::optional<disque::Erreur> resultat = m_partage.appeler([&](FichiersTexte &f) -> std::optional<disque::Erreur> {
        if (!sauf.isEmpty() && FichiersTexte::memeFichier(chemin, sauf))
            return std::nullopt;
        return f.liberer(chemin);
    });
    if (!resultat)
        return;
    const disque::Erreur err = *resultat;
    if (err.ok()) {
        if (!chemin.isEmpty())
            Annonceur::annoncer(&m_fenetre, QStringLiteral("Le texte « %1 » est libéré.").arg(extrait_nomfic(chemin)));
        return;
    }
    // The teacher's tool never releases a text with a second name: that name goes first.
    const QString remede = QStringLiteral("L'enseignant peut le libérer avec la commande « plumor-outils marques --liberer ».");
    m_dialogues.information(QStringLiteral("Le texte « %1 » n'a pas pu être libéré : les autres postes le croient "
                                           "toujours pris. %2")
                                .arg(extrait_nomfic(chemin),
                                     err == EMLINK ? QStringLiteral("Il porte aussi un autre nom (un lien) : "
                                                                    "l'enseignant doit d'abord supprimer cet autre "
                                                                    "nom. ") + remede
                                                   : remede));
}

bool Documents::refuserNomIllisible(const QString &chemin)
{
    if (!chemin.contains(QChar::ReplacementCharacter))
        return false;
    m_dialogues.information(QStringLiteral("Le nom de ce fichier n'est pas lisible : renommez-le ou choisissez-en un autre."));
    return true;
}

void Documents::erreurOuverture()
{
    m_dialogues.message({QStringLiteral("Erreur lors d'une tentative d'ouverture de fichier."),
                         Dialogues::Boutons::Ok, Dialogues::Icone::Exclamation,
                         QStringLiteral("Editeur de texte")});
}

void Documents::lire_fichier(const QString &texte_lu)
{
    const QString chemin = cheminComplet(texte_lu);
    m_etat.contenu_lu.clear();
    const bool lecture = m_etat.mode_lecture == 1;
    const FichiersTexte::Lecture l =
        m_partage.appeler([&chemin, lecture](FichiersTexte &f) { return lecture ? f.lire(chemin) : f.prendre(chemin); });
    using Issue = FichiersTexte::Lecture::Issue;
    switch (l.issue) {
    case Issue::Lu:
        m_etat.contenu_lu = l.texte;
        break;
    case Issue::Vide:
        break;
    case Issue::Pris:
        m_dialogues.information(QStringLiteral("Quelqu'un travaille déjà sur ce texte!"));
        break;
    case Issue::TropLong:
        m_dialogues.information(tropLongPourLire);
        break;
    case Issue::Erreur:
        erreurOuverture();
        break;
    }
}

bool Documents::closefile(const QString &filename)
{
    m_etat.enregistrement_ok = 0;
    const auto erreur = [this](disque::Erreur err) {
        erreurEcriture(QStringLiteral("Erreur=closefile"), err);
        return false;
    };
    const auto memeNom = [this] {
        m_dialogues.information(QStringLiteral("Quelqu'un travaille sur un fichier de même nom!"));
        return false;
    };

    const FichiersTexte::Cible cible = m_partage.appeler([&filename](FichiersTexte &f) { return f.examiner(filename); });
    switch (cible.etat) {
    case FichiersTexte::Cible::Etat::Erreur:
        return erreur(cible.erreur);
    case FichiersTexte::Cible::Etat::Lien:
        erreurOuverture();
        return false;
    case FichiersTexte::Cible::Etat::Prise:
        return memeNom();
    case FichiersTexte::Cible::Etat::Libre:
        if (!m_dialogues.question(QStringLiteral("Ce fichier existe déjà! Ecraser le fichier?")))
            return false;
        break;
    case FichiersTexte::Cible::Etat::Absente:
        break;
    }

    const FichiersTexte::Ecriture e =
        m_partage.appeler([&filename, octets = octetsAEcrire()](FichiersTexte &f) { return f.ecrireSous(filename, octets); });
    switch (e.issue) {
    case FichiersTexte::Ecriture::Issue::Prise:
        return memeNom();
    case FichiersTexte::Ecriture::Issue::TropLong:
        m_dialogues.information(tropLongPourLire);
        return false;
    case FichiersTexte::Ecriture::Issue::Erreur:
        return erreur(e.erreur);
    case FichiersTexte::Ecriture::Issue::Ecrit:
    case FichiersTexte::Ecriture::Issue::EcritNonMarque:
        break;
    }
    if (e.issue == FichiersTexte::Ecriture::Issue::EcritNonMarque)
        m_dialogues.information(QStringLiteral("Erreur=") + disque::description(e.erreur));
    else
        Annonceur::annoncer(&m_fenetre, QStringLiteral("Texte enregistré sous le nom « %1 ».").arg(extrait_nomfic(filename)));
    m_etat.enregistrement_ok = 1;
    // The zone now says what the disk says: nothing left to recover.
    m_c.Text1->document()->setModified(false);
    afficherTitre(m_fenetre, filename);
    return true;
}

bool Documents::reenregistrer(const QString &filename)
{
    // Plumor never writes a file it would itself refuse to open.
    const FichiersTexte::Ecriture e =
        m_partage.appeler([&filename, octets = octetsAEcrire()](FichiersTexte &f) { return f.reecrire(filename, octets); });
    if (e.issue == FichiersTexte::Ecriture::Issue::TropLong)
        m_dialogues.information(tropLongPourLire);
    else if (e.issue != FichiersTexte::Ecriture::Issue::Ecrit)
        erreurEcriture(QStringLiteral("Erreur="), e.erreur);
    if (e.ecrit())
        m_c.Text1->document()->setModified(false);
    if (e.issue == FichiersTexte::Ecriture::Issue::Ecrit)
        Annonceur::annoncer(&m_fenetre, QStringLiteral("Texte enregistré."));
    return e.ecrit();
}

bool Documents::refuserSiTropLong()
{
    if (m_c.Text1->longueurCrLf() <= longueurMaximale)
        return false;
    m_dialogues.information(
        QStringLiteral("Le texte est trop long! La taille maximale est de 3200 caractères."));
    return true;
}

Documents::Resultat Documents::etapeEnregistrerSous()
{
    const auto choix = m_dialogues.choisirFichier(Dialogues::ModeFichier::Enregistrer, m_c.Dir1->dossier());
    if (!choix)
        return Resultat::Annule;
    if (refuserNomIllisible(*choix))
        return Resultat::NonEcrit;
    // Windows classmates read the same folder: the rule holds on Linux too.
    if (const QString raison = noms::pasPortable(QFileInfo(*choix).fileName()); !raison.isEmpty()) {
        m_dialogues.information(QStringLiteral("Ce nom ne peut pas être lu par tous les ordinateurs de la classe : "
                                               "%1 Choisissez un autre nom.").arg(raison));
        return Resultat::NonEcrit;
    }
    m_etat.fichier_precedent = m_etat.fichier_courant;
    m_etat.fichier_courant = *choix;
    if (!closefile(m_etat.fichier_courant)) {
        m_etat.fichier_courant = m_etat.fichier_precedent;
        return Resultat::NonEcrit;
    }
    liberer(m_etat.fichier_precedent, m_etat.fichier_courant);
    return Resultat::Ecrit;
}

void Documents::enregistrer_Click()
{
    if (occupe())
        return;
    if (m_c.Text1->estVide()) {
        m_dialogues.information(QStringLiteral("Ce texte est vide!"));
        return;
    }
    Command2_Click();
}

void Documents::Command2_Click()
{
    if (occupe())
        return;
    if (m_c.Text1->estVide() || refuserSiTropLong())
        return;
    if (!m_etat.fichier_courant.isEmpty())
        reenregistrer(m_etat.fichier_courant);
    else
        etapeEnregistrerSous();
}

void Documents::enregistrer_sous_Click()
{
    if (occupe())
        return;
    if (m_c.Text1->estVide()) {
        m_dialogues.information(QStringLiteral("Ce texte est vide!"));
        return;
    }
    if (!refuserSiTropLong())
        etapeEnregistrerSous();
}

bool Documents::enregistrerAvantDeLacher(Lacher commande)
{
    if (m_c.Text1->estVide())
        return true;
    // "Fermer" always asks; the others only once the pupil has changed the text.
    const bool demander = commande == Lacher::Fermer || m_etat.ecriture_en_cours == 1;
    const QString question = commande == Lacher::Ouvrir ? QStringLiteral("Voulez-vous mettre à jour le texte?")
                                                         : QStringLiteral("Voulez-vous enregistrer le texte?");
    if (!demander || !m_dialogues.question(question))
        return true;
    // A text that could not be saved is never dropped.
    if (!m_etat.fichier_courant.isEmpty())
        return reenregistrer(m_etat.fichier_courant);
    if (refuserSiTropLong())
        return false;
    const Resultat r = etapeEnregistrerSous();
    // A new text saved instead of opening stays the current text, marked:
    // the pupil chooses "Ouvrir" again to open another one.
    if (commande == Lacher::Ouvrir)
        return false;
    if (r == Resultat::Annule)
        m_dialogues.information(QStringLiteral("erreur_fermer") + QString::number(dialogueAnnule));
    return r == Resultat::Ecrit;
}

void Documents::lacherTexteCourant()
{
    liberer(m_etat.fichier_courant);
    m_c.Text1->definirTexteCrLf(QString());
    afficherTitre(m_fenetre, QString());
    m_etat.fichier_courant.clear();
}

void Documents::desactiverCommandes()
{
    for (QAction *a : {m_c.Fermer, m_c.enregistrer, m_c.enregistrer_sous, m_c.Imprimer})
        a->setEnabled(false);
}

void Documents::ouvrir_Click()
{
    if (occupe())
        return;
    if (!enregistrerAvantDeLacher(Lacher::Ouvrir))
        return;

    // The current text keeps its mark while the pupil chooses: nobody else
    // can take it in the meantime.
    const auto choix = m_dialogues.choisirFichier(Dialogues::ModeFichier::Ouvrir, m_c.Dir1->dossier());
    if (!choix || refuserNomIllisible(*choix))
        return;
    m_etat.fichier_precedent = m_etat.fichier_courant;
    m_etat.fichier_courant = *choix;
    m_etat.mode_lecture = 0;
    lire_fichier(m_etat.fichier_courant);
    if (m_etat.contenu_lu.isEmpty()) {
        m_etat.fichier_courant = m_etat.fichier_precedent;
        return;
    }
    liberer(m_etat.fichier_precedent, m_etat.fichier_courant);
    montrerTexte(m_etat.fichier_courant, m_etat.contenu_lu);
}

void Documents::montrerTexte(const QString &chemin, const QString &texte)
{
    m_etat.fichier_courant = chemin;
    m_c.Text1->definirTexteCrLf(texte);
    for (QAction *a : {m_c.Fermer, m_c.enregistrer, m_c.enregistrer_sous, m_c.Imprimer})
        a->setEnabled(true);
    m_c.taille_plumor->setText(libelleLongueur(texte.size()));
    m_c.Label4->setText(extrait_nomfic(chemin));
    afficherTitre(m_fenetre, chemin);
    m_etat.ecriture_en_cours = 0;
}

void Documents::Fermer_Click()
{
    if (occupe())
        return;
    m_etat.ecriture_en_cours = 0;
    if (!enregistrerAvantDeLacher(Lacher::Fermer)) {
        // The text stays unsaved in the zone: a later "Quitter" must ask again.
        m_etat.ecriture_en_cours = 1;
        return;
    }
    lacherTexteCourant();
    desactiverCommandes();
    Annonceur::annoncer(&m_fenetre, QStringLiteral("Texte fermé."));
}

bool Documents::Form_Unload()
{
    // Every way the save can fail keeps the window open with the text.
    if (!enregistrerAvantDeLacher(Lacher::Quitter))
        return false;
    lacherTexteCourant();
    return true;
}

void Documents::abandonnerSansQuestion()
{
    m_partage.poster([](FichiersTexte &f) { f.libererTout(); });
    m_partage.vider(1000);
}
