// The four procedures that touch text files, and the mark helpers.
#include "texts/documents.h"

#include "app/etat_fenetre.h"
#include "texts/attributs.h"
#include "texts/cp1252.h"
#include "texts/ecriture.h"
#include "texts/verrou.h"
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

    // Test and mark in one step under an OS lock, so that two copies opening
    // the same free text at once cannot both take it. The content is read
    // once the text is ours, so it is the latest saved.
    bool pris = false;
    quint16 motAvant = attribut::libre;
    int errMarque = 0;
    if (modeEcriture) {
        VerrouFichier verrou(chemin);
        const LectureAttribut a = m_attributs.lire(chemin);
        if (!dejaTenu && a.ok() && attribut::estMarque(a.mot)) {
            m_dialogues.information(QStringLiteral("Quelqu'un travaille déjà sur ce texte!"));
            return;
        }
        // A file that will not be read (missing, empty, too long) is left untouched.
        const QFileInfo info(chemin);
        if (info.isFile() && info.size() > 0 && info.size() <= tailleMaximaleFichier) {
            motAvant = a.ok() ? a.mot : attribut::libre;
            errMarque = marquer(chemin);
            pris = errMarque == 0;
        }
    }

    QByteArray octets;
    const int errLecture = ecriture::lire(chemin, tailleMaximaleFichier, octets);
    const bool tropLong = errLecture == 0 && octets.size() > tailleMaximaleFichier;
    // An empty file counts as nothing read, so it is not taken either.
    const bool lu = errLecture == 0 && !tropLong && !octets.isEmpty();
    if (pris && !lu)
        m_attributs.ecrire(chemin, motAvant); // the file changed after the test

    if (errLecture != 0) {
        erreurOuverture();
        return;
    }
    if (tropLong) {
        m_dialogues.information(QStringLiteral("Ce texte dépasse 32000 caractères!"));
        return;
    }
    m_etat.contenu_lu = cp1252::decode(octets);
    if (modeEcriture && lu && !pris) {
        if (errMarque == 0)
            errMarque = marquer(chemin); // it was empty at the test and filled since
        if (errMarque != 0) {
            // A text this copy cannot mark would be written by two pupils at once.
            m_etat.contenu_lu.clear();
            erreurOuverture();
        }
    }
}

int Documents::remplacerSansLacher(const QString &chemin)
{
    // The text keeps its mark while it is written, so no other copy can take
    // it meanwhile (a marked file's mode goes to the new content). A share
    // that refuses to replace a read-only file gets it released first.
    int err = ecriture::remplacer(chemin, octetsAEcrire());
    if ((err == EACCES || err == EPERM) && estMarque(chemin) && liberer(chemin) == 0)
        err = ecriture::remplacer(chemin, octetsAEcrire());
    return err;
}

void Documents::closefile(const QString &filename, bool garderMarque)
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
        // Another copy may have opened the text while the pupil answered:
        // test again and take it in one step, so that its text is not
        // replaced under it and nobody opens it while it is written.
        VerrouFichier verrou(filename);
        const LectureAttribut b = m_attributs.lire(filename);
        if (b.ok() && attribut::estMarque(b.mot)) {
            m_dialogues.information(QStringLiteral("Quelqu'un travaille sur un fichier de même nom!"));
            return;
        }
        motAvant = b.ok() ? b.mot : a.mot;
        if (const int err = marquer(filename))
            return erreur(err);
    }

    if (const int err = existait ? remplacerSansLacher(filename) : ecriture::remplacer(filename, octetsAEcrire())) {
        // The old content is untouched; give it back its attributes too.
        if (existait)
            m_attributs.ecrire(filename, motAvant);
        return erreur(err);
    }
    if (existait && !garderMarque)
        liberer(filename);
    m_etat.enregistrement_ok = 1;
    m_fenetre.setWindowTitle(filename);
}

bool Documents::reenregistrer(const QString &filename)
{
    int err = remplacerSansLacher(filename);
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
