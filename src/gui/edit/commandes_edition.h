#pragma once

#include <QFont>
#include <QObject>
#include <QString>
#include <QtGlobal>

struct Controles;
struct EtatFenetre;
class Dialogues;

// The editing commands: cut, copy and paste between the two panes and the
// clipboard, the Edition menu, the three picture buttons and the font command.
class CommandesEdition : public QObject
{
    Q_OBJECT
public:
    CommandesEdition(EtatFenetre &etat, Controles &c, Dialogues &dialogues, QObject *parent = nullptr);

    // Connects the controls to the handlers below and gives the reader pane
    // its restricted context menu.
    void relier();

    void Text1_Click();
    // Sets the items' enabled states as the menu opens.
    void Edition_Click();
    void Edititem_Click(qint16 Index);
    void couper_Click();
    void copier_Click();
    void coller_Click();
    void police_Click();

    // The timer's part for editing: the enabled state of couper, copier,
    // coller. The first tick reads the clipboard for the first time.
    void majBoutons();

    // Which of cut, copy and paste may act now, for the buttons and the menu alike.
    struct Possibles {
        bool couper = false;
        bool copier = false;
        bool coller = false;
    };
    Possibles possibles() const;

    // Whether the clipboard text is non-empty, as last seen. Reading the
    // clipboard can block on X11 while another program owns it, so the
    // periodic rules read this instead.
    bool pressePapiersATexte() const { return m_texteDisponible; }

protected:
    bool eventFilter(QObject *objet, QEvent *evenement) override;

private:
    void relirePressePapiers();
    // Both panes take the face and the size; bold and italic are ignored.
    void appliquerPolice(const QFont &police);
    // Replaces the writing zone's selection with the clipboard text; false,
    // changing nothing, when the clipboard holds no text.
    bool collerDansText1();

    EtatFenetre &m_etat;
    Controles &m_c;
    Dialogues &m_dialogues;
    bool m_texteDisponible = false;
    bool m_pressePapiersLu = false;
};
