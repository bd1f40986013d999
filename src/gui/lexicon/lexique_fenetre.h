#pragma once

#include <QObject>
#include <QString>

struct Controles;
struct EtatFenetre;
class Dialogues;

// The lexicon's part of the main window: loading lexique.stw into the theme
// chooser, choosing a theme and picking a word for the clipboard.
class LexiqueFenetre : public QObject
{
    Q_OBJECT
public:
    // dossierProgramme: the folder that holds lexique.stw (the program's).
    LexiqueFenetre(EtatFenetre &etat, Controles &c, Dialogues &dialogues, QString dossierProgramme,
                   QObject *parent = nullptr);

    // Connects Combo2 and lexique to their handlers.
    void relier();

    // Start-up: reads the lexicon and fills Combo2.
    void lire_intrus();
    // Reads the file `liste` of the program's folder into lignes_lexique and nb_themes.
    void open_intrus(const QString &liste);
    // Empties lexique, adds the line's entries to it and its name to Combo2.
    // Only the line's first longueurDecoupee characters are split, so that a
    // damaged lexicon cannot freeze the window.
    void decoupe_lex(const QString &texte);
    // The same without touching Combo2.
    void decoupe_lex2(const QString &texte);

    void Combo2_Click();
    void lexique_Click();

private:
    void remplirListe(const QStringList &entrees);

    EtatFenetre &m_etat;
    Controles &m_c;
    Dialogues &m_dialogues;
    QString m_dossierProgramme;
    bool m_remplissage = false; // lexique's selection changes from filling are no pick
};
