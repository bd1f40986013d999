#pragma once

#include <QDialog>
#include <QFont>

#include <functional>

class QComboBox;
class QDialogButtonBox;
class QFontComboBox;
class QLabel;

// The font dialog: it offers only what Plumor applies, the face and, for the
// panes, the size; bold, italic, underline and writing systems are left out
// because nothing would apply them. It opens on the font the caller gives.
class DialoguePolice : public QDialog
{
    Q_OBJECT
public:
    DialoguePolice(const QFont &initiale, bool avecTaille, QWidget *parent = nullptr);

    // The initial font with the face and the size shown.
    QFont police() const;
    // Adds the Apply button; it hands the font shown to `appliquer`.
    void ajouterAppliquer(const std::function<void(const QFont &)> &appliquer);

private:
    void montrer();

    QFont m_initiale;
    QFontComboBox *m_face = nullptr;
    QComboBox *m_taille = nullptr; // null when only the face is chosen
    QLabel *m_exemple = nullptr;
    QDialogButtonBox *m_boutons = nullptr;
};
