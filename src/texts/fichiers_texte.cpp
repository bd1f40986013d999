// The four procedures that touch text files, and the mark helpers.
#include "texts/documents.h"

#include "app/etat_fenetre.h"
#include "texts/attributs.h"
#include "texts/cp1252.h"
#include "texts/ecriture.h"
#include "ui/controles.h"
#include "ui/dialogues.h"
#include "ui/liste_dossiers.h"
#include "ui/zone_texte.h"

#include <QDir>
#include <QFileInfo>
#include <QWidget>

#include <cerrno>

Documents::Documents(EtatFenetre &etat, Controles &c, QWidget &fenetre, Dialogues &dialogues,
                     Attributs &attributs)
    : m_etat(etat), m_c(c), m_fenetre(fenetre), m_dialogues(dialogues), m_attributs(attributs)
{
}

QChar Documents::nativeSeparator()
{
    return QDir::separator();
}

QString Documents::extrait_nomfic(const QString &fichier, QChar separateur)
{
    return fichier.mid(fichier.lastIndexOf(separateur) + 1);
}

bool Documents::existe(const QString &chemin)
{
    const QFileInfo info(chemin);
    return info.isFile() && !info.isHidden();
}

int Documents::liberer(const QString &chemin)
{
    if (chemin.isEmpty())
        return 0;
    const int err = m_attributs.ecrire(chemin, attribut::libre);
    // A text someone deleted or renamed is no longer held by anybody.
    return err == ENOENT ? 0 : err;
}

int Documents::marquer(const QString &chemin)
{
    return m_attributs.ecrire(chemin, attribut::marque);
}

bool Documents::estMarque(const QString &chemin) const
{
    const LectureAttribut a = m_attributs.lire(chemin);
    return a.ok() && attribut::estMarque(a.mot);
}

QString Documents::cheminComplet(const QString &chemin) const
{
    return QFileInfo(chemin).isRelative() ? QDir(m_c.Dir1->dossier()).absoluteFilePath(chemin) : chemin;
}

QByteArray Documents::octetsAEcrire() const
{
    return cp1252::encode(QString(m_c.Text1->texteCrLf() + QLatin1String("\r\n")));
}

void Documents::erreurOuverture()
{
    m_dialogues.message({QStringLiteral("Erreur lors d'une tentative d'ouverture de fichier."),
                         Dialogues::Boutons::Ok, Dialogues::Icone::Exclamation,
                         QStringLiteral("Editeur de texte")});
}

void Documents::lire_fichier(const QString &texte_lu, bool dejaTenu)
{
    const QString chemin = cheminComplet(texte_lu);
    const bool modeEcriture = m_etat.mode_lecture != 1;
    m_etat.contenu_lu.clear();

    if (modeEcriture && !dejaTenu && estMarque(chemin)) {
        m_dialogues.information(QStringLiteral("Quelqu'un travaille déjà sur ce texte!"));
        return;
    }

    QByteArray octets;
    if (ecriture::lire(chemin, tailleMaximaleFichier, octets) != 0) {
        erreurOuverture();
        return;
    }
    if (octets.size() > tailleMaximaleFichier) {
        m_dialogues.information(QStringLiteral("Ce texte dépasse 32000 caractères!"));
        return;
    }
    m_etat.contenu_lu = cp1252::decode(octets);

    // An empty file counts as nothing read, so it is not taken either.
    if (modeEcriture && !octets.isEmpty() && marquer(chemin) != 0) {
        // A text this copy cannot mark would be written by two pupils at once.
        m_etat.contenu_lu.clear();
        erreurOuverture();
    }
}

void Documents::closefile(const QString &filename)
{
    m_etat.enregistrement_ok = 0;
    const auto erreur = [this](int err) {
        m_dialogues.information(QStringLiteral("Erreur=closefile") + ecriture::description(err));
    };

    const bool existait = existe(filename);
    quint16 motAvant = attribut::libre;
    if (existait) {
        const LectureAttribut a = m_attributs.lire(filename);
        if (!a.ok())
            return erreur(a.erreur);
        if (attribut::estMarque(a.mot)) {
            m_dialogues.information(QStringLiteral("Quelqu'un travaille sur un fichier de même nom!"));
            return;
        }
        if (!m_dialogues.question(QStringLiteral("Ce fichier existe déjà! Ecraser le fichier?")))
            return;
        motAvant = a.mot;
        if (const int err = liberer(filename))
            return erreur(err);
    }

    if (const int err = ecriture::remplacer(filename, octetsAEcrire())) {
        // The old content is untouched; give it back its attributes too.
        if (existait)
            m_attributs.ecrire(filename, motAvant);
        return erreur(err);
    }
    m_etat.enregistrement_ok = 1;
    m_fenetre.setWindowTitle(filename);
}

bool Documents::reenregistrer(const QString &filename)
{
    // If the release fails the write below still replaces the file, or says why not.
    liberer(filename);
    int err = ecriture::remplacer(filename, octetsAEcrire());
    if (err == 0) {
        err = marquer(filename);
    } else if (existe(filename)) {
        // The previous content is intact and still this copy's text.
        marquer(filename);
    }
    if (err != 0)
        m_dialogues.information(QStringLiteral("Erreur=") + ecriture::description(err));
    return err == 0;
}
