#pragma once

#include <QFont>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QMessageBox;
class QWidget;

// Everything modal the pupil answers goes through this interface, so that
// tests can script the answers.
class Dialogues
{
public:
    enum class Boutons { Ok, OkAnnuler, OuiNon };
    enum class Icone { Aucune, Exclamation };
    enum class Reponse { Ok, Annuler, Oui, Non };
    enum class ModeFichier { Ouvrir, Enregistrer };

    struct Message {
        QString texte;
        Boutons boutons = Boutons::Ok;
        Icone icone = Icone::Aucune;
        QString titre; // empty: the application title
    };

    virtual ~Dialogues() = default;

    virtual Reponse message(const Message &m) = 0;
    // A notice that stays on screen, without holding up the window, until
    // the next one replaces it; an empty text takes it away.
    virtual void avis(const QString &texte) = 0;
    // The chosen full path, or nothing when the pupil cancelled.
    virtual std::optional<QString> choisirFichier(ModeFichier mode, const QString &dossier) = 0;
    // What the font dialog lets the pupil choose: the panes take the face
    // and the size, printing the face alone.
    enum class ChoixPolice { FaceEtTaille, FaceSeule };
    // The chosen font, or nothing when the pupil cancelled. The dialog opens
    // on `initiale` and offers no more than `choix`; with `appliquer` it has
    // an Apply button, which hands the font shown to it without closing.
    using Application = std::function<void(const QFont &)>;
    virtual std::optional<QFont> choisirPolice(const QFont &initiale, ChoixPolice choix,
                                               const Application &appliquer = {}) = 0;

    // Shorthands for the message shapes the program uses.
    void information(const QString &texte) { message({texte, Boutons::Ok, Icone::Aucune, {}}); }
    bool question(const QString &texte)
    {
        return message({texte, Boutons::OuiNon, Icone::Aucune, {}}) == Reponse::Oui;
    }
};

// The title of message boxes that have none of their own.
inline QString titreApplication() { return QStringLiteral("Plumor"); }

// Qt's own dialogs; texts are always shown as plain text.
class DialoguesQt : public Dialogues
{
public:
    explicit DialoguesQt(QWidget *parent);
    ~DialoguesQt() override;

    Reponse message(const Message &m) override;
    void avis(const QString &texte) override;
    std::optional<QString> choisirFichier(ModeFichier mode, const QString &dossier) override;
    std::optional<QFont> choisirPolice(const QFont &initiale, ChoixPolice choix,
                                       const Application &appliquer = {}) override;

private:
    QWidget *m_parent;
    QPointer<QMessageBox> m_avis;
    // Where the file dialog ended last time and the name chosen in it.
    QString m_dernierDossier;
    QString m_dernierNom;
};
