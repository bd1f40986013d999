// Opening a text for writing, closing it, and the closing sequence of the
// program. Every path keeps two promises: the text this copy holds is marked
// while it holds it, and a text the pupil has not saved is never dropped
// without the pupil's say.
#include "texts/documents.h"

#include "app/etat_fenetre.h"
#include "texts/navigateur.h"
#include "ui/controles.h"
#include "ui/dialogues.h"
#include "ui/liste_dossiers.h"
#include "ui/zone_texte.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QWidget>

namespace {
// What the platform's common file dialog reports for a cancelled dialog.
constexpr int kDialogueAnnule = 32755;
}

bool Documents::memeFichier(const QString &a, const QString &b) const
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    const QString ca = QFileInfo(a).canonicalFilePath();
    const QString cb = QFileInfo(b).canonicalFilePath();
    return (!ca.isEmpty() && ca == cb) || QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

void Documents::viderTexteCourant()
{
    m_c.Text1->definirTexteCrLf(QString());
    m_fenetre.setWindowTitle(QString());
    m_etat.fichier_courant.clear();
}

void Documents::desactiverCommandes()
{
    for (QAction *a : {m_c.Fermer, m_c.enregistrer, m_c.enregistrer_sous, m_c.Imprimer})
        a->setEnabled(false);
}

void Documents::erreurFermer(int numero)
{
    m_dialogues.information(QStringLiteral("erreur_fermer") + QString::number(numero));
}

void Documents::ouvrir_Click()
{
    if (!m_c.Text1->estVide() && m_etat.ecriture_en_cours == 1
        && m_dialogues.question(QStringLiteral("Voulez-vous mettre à jour le texte?"))) {
        if (!m_etat.fichier_courant.isEmpty()) {
            // A text that could not be saved is not replaced by another one.
            if (!reenregistrer(m_etat.fichier_courant))
                return;
        } else {
            // A new text is saved and stays the current text, marked; the
            // pupil chooses "Ouvrir" again to open another one.
            if (!refuserSiTropLong())
                etapeEnregistrerSous();
            return;
        }
    }

    // The current text keeps its mark while the pupil chooses: nobody else
    // can take it in the meantime.
    const auto choix = m_dialogues.choisirFichier(Dialogues::ModeFichier::Ouvrir, m_c.Dir1->dossier());
    if (!choix)
        return;
    m_etat.fichier_precedent = m_etat.fichier_courant;
    m_etat.fichier_courant = *choix;
    const bool memeTexte = memeFichier(m_etat.fichier_precedent, m_etat.fichier_courant);
    m_etat.mode_lecture = 0;
    lire_fichier(m_etat.fichier_courant, memeTexte);
    if (m_etat.contenu_lu.isEmpty()) {
        m_etat.fichier_courant = m_etat.fichier_precedent;
        return;
    }
    if (!memeTexte)
        liberer(m_etat.fichier_precedent);

    m_c.Text1->definirTexteCrLf(m_etat.contenu_lu);
    for (QAction *a : {m_c.Fermer, m_c.enregistrer, m_c.enregistrer_sous, m_c.Imprimer})
        a->setEnabled(true);
    m_c.taille_plumor->setText(libelleLongueur(m_etat.contenu_lu.size()));
    m_c.Label4->setText(extrait_nomfic(m_etat.fichier_courant));
    m_fenetre.setWindowTitle(m_etat.fichier_courant);
    m_etat.ecriture_en_cours = 0;
}

void Documents::Fermer_Click()
{
    m_etat.ecriture_en_cours = 0;
    const bool vide = m_c.Text1->estVide();
    if (vide && !m_etat.fichier_courant.isEmpty()) {
        liberer(m_etat.fichier_courant);
        viderTexteCourant();
        desactiverCommandes();
        return;
    }

    if (!vide && m_dialogues.question(QStringLiteral("Voulez-vous enregistrer le texte?"))) {
        // Whenever the text stays unsaved in the zone, a later "Quitter"
        // must ask again: ecriture_en_cours goes back to 1.
        if (!m_etat.fichier_courant.isEmpty()) {
            if (!reenregistrer(m_etat.fichier_courant)) {
                m_etat.ecriture_en_cours = 1;
                return;
            }
        } else {
            if (refuserSiTropLong()) {
                m_etat.ecriture_en_cours = 1;
                return;
            }
            switch (etapeEnregistrerSous()) {
            case Resultat::Annule:
                erreurFermer(kDialogueAnnule);
                m_etat.ecriture_en_cours = 1;
                return;
            case Resultat::NonEcrit:
                m_etat.ecriture_en_cours = 1;
                return;
            case Resultat::Ecrit:
                break;
            }
        }
    }
    liberer(m_etat.fichier_courant);
    viderTexteCourant();
    desactiverCommandes();
}

bool Documents::Form_Unload()
{
    const bool vide = m_c.Text1->estVide();
    if (vide && !m_etat.fichier_courant.isEmpty()) {
        liberer(m_etat.fichier_courant);
        return true;
    }
    if (!vide && m_etat.ecriture_en_cours == 1
        && m_dialogues.question(QStringLiteral("Voulez-vous enregistrer le texte?"))) {
        // Every way the save can fail keeps the window open with the text.
        if (!m_etat.fichier_courant.isEmpty()) {
            if (!reenregistrer(m_etat.fichier_courant))
                return false;
        } else {
            if (refuserSiTropLong())
                return false;
            switch (etapeEnregistrerSous()) {
            case Resultat::Annule:
                erreurFermer(kDialogueAnnule);
                return false;
            case Resultat::NonEcrit:
                return false;
            case Resultat::Ecrit:
                break;
            }
        }
    }
    liberer(m_etat.fichier_courant);
    viderTexteCourant();
    return true;
}

void Documents::abandonnerSansQuestion()
{
    liberer(m_etat.fichier_courant);
}
