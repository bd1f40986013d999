#pragma once

#include "gui/widgets/dialogues.h"

#include <QList>
#include <QStringList>

#include <functional>
#include <optional>

// Dialogs whose answers a test scripts in advance; every message shown is
// recorded. A question or a file dialog without a scripted answer gets No or
// Cancel.
class DialoguesScriptes : public Dialogues
{
public:
    QList<Message> messages;
    QStringList avisMontres; // the notices shown, "" when one was taken away
    QList<Reponse> reponses;
    QList<std::optional<QString>> fichiers;
    QList<ModeFichier> modesDemandes;
    QList<std::optional<QFont>> polices;
    QList<QFont> appliquees; // fonts the pupil tries with Apply before answering
    // Run while a file dialog or a message box is open, before it answers:
    // what other copies might do meanwhile.
    std::function<void()> pendantDialogueFichier;
    std::function<void(const Message &)> pendantMessage;

    Reponse message(const Message &m) override
    {
        messages << m;
        if (pendantMessage)
            pendantMessage(m);
        if (m.boutons == Boutons::Ok)
            return Reponse::Ok;
        if (reponses.isEmpty())
            return m.boutons == Boutons::OuiNon ? Reponse::Non : Reponse::Annuler;
        return reponses.takeFirst();
    }

    void avis(const QString &texte) override { avisMontres << texte; }

    std::optional<QString> choisirFichier(ModeFichier mode, const QString &) override
    {
        modesDemandes << mode;
        if (pendantDialogueFichier)
            pendantDialogueFichier();
        return fichiers.isEmpty() ? std::nullopt : fichiers.takeFirst();
    }

    std::optional<QFont> choisirPolice(const QFont &, ChoixPolice, const Application &appliquer = {}) override
    {
        for (const QFont &f : std::as_const(appliquees))
            appliquer ? appliquer(f) : void();
        return polices.isEmpty() ? std::nullopt : polices.takeFirst();
    }

    QStringList textes() const
    {
        QStringList t;
        for (const Message &m : messages)
            t << m.texte;
        return t;
    }
};
