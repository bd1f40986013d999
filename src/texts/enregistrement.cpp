// The save commands and the save-as step.
#include "texts/documents.h"

#include "app/etat_fenetre.h"
#include "texts/ecriture.h"
#include "ui/controles.h"
#include "ui/dialogues.h"
#include "ui/liste_dossiers.h"
#include "ui/zone_texte.h"

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
    m_etat.fichier_precedent = m_etat.fichier_courant;
    m_etat.fichier_courant = *choix;
    closefile(m_etat.fichier_courant, true);
    if (m_etat.enregistrement_ok == 0) {
        m_etat.fichier_courant = m_etat.fichier_precedent;
        return Resultat::NonEcrit;
    }
    // The written file is now the text this copy holds; the previous one is not.
    if (const int err = marquer(m_etat.fichier_courant))
        m_dialogues.information(QStringLiteral("Erreur=") + ecriture::description(err));
    if (!memeFichier(m_etat.fichier_precedent, m_etat.fichier_courant))
        liberer(m_etat.fichier_precedent);
    return Resultat::Ecrit;
}

void Documents::enregistrer_Click()
{
    if (m_c.Text1->estVide()) {
        m_dialogues.information(QStringLiteral("Ce texte est vide!"));
        return;
    }
    Command2_Click();
}

void Documents::Command2_Click()
{
    if (m_c.Text1->estVide() || refuserSiTropLong())
        return;
    if (!m_etat.fichier_courant.isEmpty())
        reenregistrer(m_etat.fichier_courant);
    else
        etapeEnregistrerSous();
}

void Documents::enregistrer_sous_Click()
{
    if (m_c.Text1->estVide()) {
        m_dialogues.information(QStringLiteral("Ce texte est vide!"));
        return;
    }
    if (!refuserSiTropLong())
        etapeEnregistrerSous();
}
