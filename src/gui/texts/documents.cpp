// Every command here keeps two promises: the text this copy holds is marked
// while it holds it, and a text the pupil has not saved is never dropped
// without the pupil's say.
#include "gui/texts/documents.h"

#include "base/cp1252.h"
#include "base/texts/disque.h"
#include "base/texts/noms.h"
#include "base/texts/partage.h"
#include "gui/fenetre/accessibilite.h"
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
#include <QPushButton>
#include <QTextDocument>
#include <QWidget>

#include <optional>
#include <utility>

namespace {
// What the platform's common file dialog reports for a cancelled dialog.
constexpr int dialogueAnnule = 32755;
const QString tropLongPourLire = QStringLiteral("Ce texte dépasse 32000 caractères!");
} // namespace

Documents::Documents(EtatFenetre &etat, Controles &c, QWidget &fenetre, Dialogues &dialogues, Partage &partage)
    : m_etat(etat), m_c(c), m_fenetre(fenetre), m_dialogues(dialogues), m_partage(partage)
{
}

void Documents::commencer(bool remplaceLaZone)
{
    m_enCours = true;
    // The buttons follow at once, not at the next tick.
    desactiverCommandes();
    m_c.Command2->setEnabled(false);
    m_c.Command3->setEnabled(false);
    if (remplaceLaZone) {
        m_zoneSuspendue = true;
        m_c.Text1->suspendre(true);
        decrireTextes(m_etat, m_c, true);
    }
}

void Documents::rendreLaZone()
{
    if (!std::exchange(m_zoneSuspendue, false))
        return;
    m_c.Text1->suspendre(false);
    decrireTextes(m_etat, m_c, true);
}

void Documents::terminer()
{
    rendreLaZone();
    m_enCours = false;
    emit termine();
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

void Documents::enregistreA(quint64 revision)
{
    // The zone now says what the disk says, unless keys came in meanwhile:
    // those stay unsaved, for the record and for the next question.
    if (m_c.Text1->revision() == revision)
        m_c.Text1->document()->setModified(false);
    else
        m_etat.ecriture_en_cours = 1;
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

void Documents::liberer(const QString &chemin, const QString &sauf, std::function<void()> suite)
{
    m_partage.lancer(
        this,
        [chemin, sauf](FichiersTexte &f) -> std::optional<disque::Erreur> {
            // The text just opened was this one under another name: it is still held.
            if (!sauf.isEmpty() && (chemin == sauf || !f.tient(chemin)))
                return std::nullopt;
            return f.liberer(chemin);
        },
        [this, chemin, suite = std::move(suite)](std::optional<disque::Erreur> resultat) {
            if (resultat && resultat->ok()) {
                if (!chemin.isEmpty())
                    Annonceur::annoncer(&m_fenetre,
                                        QStringLiteral("Le texte « %1 » est libéré.").arg(extrait_nomfic(chemin)));
            } else if (resultat) {
                // The teacher's tool never releases a text with a second name: that name goes first.
                const QString remede = QStringLiteral(
                    "L'enseignant peut le libérer avec la commande « plumor-outils marques --liberer ».");
                m_dialogues.information(
                    QStringLiteral("Le texte « %1 » n'a pas pu être libéré : les autres postes le croient "
                                   "toujours pris. %2")
                        .arg(extrait_nomfic(chemin),
                             *resultat == EMLINK ? QStringLiteral("Il porte aussi un autre nom (un lien) : "
                                                                  "l'enseignant doit d'abord supprimer cet autre "
                                                                  "nom. ") + remede
                                                 : remede));
            }
            suite();
        });
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

void Documents::lire_fichier(const QString &texte_lu, std::function<void(const QString &)> suite)
{
    const QString chemin = cheminComplet(texte_lu);
    const bool lecture = m_etat.mode_lecture == 1;
    m_partage.lancer(
        this, [chemin, lecture](FichiersTexte &f) { return lecture ? f.lire(chemin) : f.prendre(chemin); },
        [this, suite = std::move(suite)](FichiersTexte::Lecture l) {
            m_etat.contenu_lu.clear();
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
            suite(m_etat.contenu_lu);
        });
}

void Documents::closefile(const QString &filename, Suite suite)
{
    m_etat.enregistrement_ok = 0;
    // The words written are the zone's as the command begins.
    const quint64 revision = m_c.Text1->revision();
    m_partage.lancer(
        this, [filename](FichiersTexte &f) { return f.examiner(filename); },
        [this, filename, revision, octets = octetsAEcrire(), suite = std::move(suite)](FichiersTexte::Cible cible) {
            switch (cible.etat) {
            case FichiersTexte::Cible::Etat::Erreur:
                erreurEcriture(QStringLiteral("Erreur=closefile"), cible.erreur);
                return suite(false);
            case FichiersTexte::Cible::Etat::Lien:
                erreurOuverture();
                return suite(false);
            case FichiersTexte::Cible::Etat::Prise:
                m_dialogues.information(QStringLiteral("Quelqu'un travaille sur un fichier de même nom!"));
                return suite(false);
            case FichiersTexte::Cible::Etat::Libre:
                if (!m_dialogues.question(QStringLiteral("Ce fichier existe déjà! Ecraser le fichier?")))
                    return suite(false);
                break;
            case FichiersTexte::Cible::Etat::Absente:
                break;
            }
            ecrireSous(filename, octets, revision, suite);
        });
}

void Documents::ecrireSous(const QString &filename, const QByteArray &octets, quint64 revision, Suite suite)
{
    m_partage.lancer(
        this, [filename, octets](FichiersTexte &f) { return f.ecrireSous(filename, octets); },
        [this, filename, revision, suite = std::move(suite)](FichiersTexte::Ecriture e) {
            using Issue = FichiersTexte::Ecriture::Issue;
            switch (e.issue) {
            case Issue::Prise:
                m_dialogues.information(QStringLiteral("Quelqu'un travaille sur un fichier de même nom!"));
                return suite(false);
            case Issue::TropLong:
                m_dialogues.information(tropLongPourLire);
                return suite(false);
            case Issue::Erreur:
                erreurEcriture(QStringLiteral("Erreur=closefile"), e.erreur);
                return suite(false);
            case Issue::EcritNonMarque:
                m_dialogues.information(QStringLiteral("Erreur=") + disque::description(e.erreur));
                break;
            case Issue::Ecrit:
                Annonceur::annoncer(&m_fenetre, QStringLiteral("Texte enregistré sous le nom « %1 ».")
                                                    .arg(extrait_nomfic(filename)));
                break;
            }
            m_etat.enregistrement_ok = 1;
            enregistreA(revision);
            afficherTitre(m_fenetre, filename);
            suite(true);
        },
        // A new text made before the reply was lost would be refused as
        // another's: the pupil is told, the words stay in the zone.
        Partage::Rejouer::Non);
}

void Documents::reenregistrer(const QString &filename, Suite suite)
{
    // Plumor never writes a file it would itself refuse to open.
    const quint64 revision = m_c.Text1->revision();
    m_partage.lancer(
        this, [filename, octets = octetsAEcrire()](FichiersTexte &f) { return f.reecrire(filename, octets); },
        [this, revision, suite = std::move(suite)](FichiersTexte::Ecriture e) {
            if (e.issue == FichiersTexte::Ecriture::Issue::TropLong)
                m_dialogues.information(tropLongPourLire);
            else if (e.issue != FichiersTexte::Ecriture::Issue::Ecrit)
                erreurEcriture(QStringLiteral("Erreur="), e.erreur);
            if (e.ecrit())
                enregistreA(revision);
            if (e.issue == FichiersTexte::Ecriture::Issue::Ecrit)
                Annonceur::annoncer(&m_fenetre, QStringLiteral("Texte enregistré."));
            suite(e.ecrit());
        });
}

bool Documents::refuserSiTropLong()
{
    if (m_c.Text1->longueurCrLf() <= longueurMaximale)
        return false;
    m_dialogues.information(
        QStringLiteral("Le texte est trop long! La taille maximale est de 3200 caractères."));
    return true;
}

void Documents::etapeEnregistrerSous(std::function<void(Resultat)> suite)
{
    const auto choix = m_dialogues.choisirFichier(Dialogues::ModeFichier::Enregistrer, m_c.Dir1->dossier());
    if (!choix)
        return suite(Resultat::Annule);
    if (refuserNomIllisible(*choix))
        return suite(Resultat::NonEcrit);
    // Windows classmates read the same folder: the rule holds on Linux too.
    if (const QString raison = noms::pasPortable(QFileInfo(*choix).fileName()); !raison.isEmpty()) {
        m_dialogues.information(QStringLiteral("Ce nom ne peut pas être lu par tous les ordinateurs de la classe : "
                                               "%1 Choisissez un autre nom.").arg(raison));
        return suite(Resultat::NonEcrit);
    }
    const QString chemin = *choix;
    closefile(chemin, [this, chemin, suite = std::move(suite)](bool ecrit) {
        if (!ecrit)
            return suite(Resultat::NonEcrit);
        // The new file is the current text from the moment it is written.
        m_etat.fichier_precedent = m_etat.fichier_courant;
        m_etat.fichier_courant = chemin;
        liberer(m_etat.fichier_precedent, chemin, [suite] { suite(Resultat::Ecrit); });
    });
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
    commencer(false);
    if (!m_etat.fichier_courant.isEmpty())
        reenregistrer(m_etat.fichier_courant, [this](bool) { terminer(); });
    else
        etapeEnregistrerSous([this](Resultat) { terminer(); });
}

void Documents::enregistrer_sous_Click()
{
    if (occupe())
        return;
    if (m_c.Text1->estVide()) {
        m_dialogues.information(QStringLiteral("Ce texte est vide!"));
        return;
    }
    if (refuserSiTropLong())
        return;
    commencer(false);
    etapeEnregistrerSous([this](Resultat) { terminer(); });
}

void Documents::enregistrerAvantDeLacher(Lacher commande, Suite suite)
{
    if (m_c.Text1->estVide())
        return suite(true);
    // "Fermer" always asks; the others only once the pupil has changed the text.
    const bool demander = commande == Lacher::Fermer || m_etat.ecriture_en_cours == 1;
    const QString question = commande == Lacher::Ouvrir ? QStringLiteral("Voulez-vous mettre à jour le texte?")
                                                         : QStringLiteral("Voulez-vous enregistrer le texte?");
    if (!demander || !m_dialogues.question(question))
        return suite(true);
    // A text that could not be saved is never dropped.
    if (!m_etat.fichier_courant.isEmpty())
        return reenregistrer(m_etat.fichier_courant, std::move(suite));
    if (refuserSiTropLong())
        return suite(false);
    etapeEnregistrerSous([this, commande, suite = std::move(suite)](Resultat r) {
        // A new text saved instead of opening stays the current text, marked:
        // the pupil chooses "Ouvrir" again to open another one.
        if (commande == Lacher::Ouvrir)
            return suite(false);
        if (r == Resultat::Annule)
            m_dialogues.information(QStringLiteral("erreur_fermer") + QString::number(dialogueAnnule));
        suite(r == Resultat::Ecrit);
    });
}

void Documents::lacherTexteCourant(std::function<void()> suite)
{
    liberer(m_etat.fichier_courant, {}, [this, suite = std::move(suite)] {
        m_c.Text1->definirTexteCrLf(QString());
        afficherTitre(m_fenetre, QString());
        m_etat.fichier_courant.clear();
        m_etat.ecriture_en_cours = 0;
        suite();
    });
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
    commencer(true);
    enregistrerAvantDeLacher(Lacher::Ouvrir, [this](bool continuer) {
        if (!continuer)
            return terminer();
        // The current text keeps its mark while the pupil chooses: nobody else
        // can take it in the meantime.
        const auto choix = m_dialogues.choisirFichier(Dialogues::ModeFichier::Ouvrir, m_c.Dir1->dossier());
        if (!choix || refuserNomIllisible(*choix))
            return terminer();
        const QString chemin = *choix;
        m_etat.mode_lecture = 0;
        lire_fichier(chemin, [this, chemin](const QString &texte) {
            if (texte.isEmpty())
                return terminer();
            m_etat.fichier_precedent = m_etat.fichier_courant;
            montrerTexte(chemin, texte);
            rendreLaZone();
            // The text left behind is let go once the new one is shown.
            liberer(m_etat.fichier_precedent, chemin, [this] { terminer(); });
        });
    });
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
    commencer(true);
    enregistrerAvantDeLacher(Lacher::Fermer, [this](bool lacher) {
        if (!lacher) {
            // The text stays unsaved in the zone: a later "Quitter" must ask again.
            m_etat.ecriture_en_cours = 1;
            return terminer();
        }
        lacherTexteCourant([this] {
            desactiverCommandes();
            Annonceur::annoncer(&m_fenetre, QStringLiteral("Texte fermé."));
            terminer();
        });
    });
}

void Documents::Form_Unload(Suite suite)
{
    commencer(true);
    // Every way the save can fail keeps the window open with the text.
    enregistrerAvantDeLacher(Lacher::Quitter, [this, suite = std::move(suite)](bool lacher) {
        if (!lacher) {
            terminer();
            return suite(false);
        }
        lacherTexteCourant([this, suite] {
            terminer();
            suite(true);
        });
    });
}

void Documents::abandonnerSansQuestion()
{
    m_partage.poster([](FichiersTexte &f) { f.libererTout(); });
    m_partage.vider(1000);
}
