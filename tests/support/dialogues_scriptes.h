#pragma once

#include "ui/dialogues.h"

#include <QList>
#include <QStringList>

#include <functional>
#include <optional>

// Dialogs whose answers a test scripts in advance; every message shown is
// recorded. A question without a scripted answer is answered No (and counted),
// so that a test notices an unexpected question.
class DialoguesScriptes : public Dialogues
{
public:
    QList<Message> messages;
    QList<Reponse> reponses;
    QList<std::optional<QString>> fichiers;
    QList<ModeFichier> modesDemandes;
    QList<std::optional<QFont>> polices;
    // Runs while a file dialog is open, before it answers: what other
    // copies might do meanwhile.
    std::function<void()> pendantDialogueFichier;
    int questionsImprevues = 0;
    int fichiersImprevus = 0;

    Reponse message(const Message &m) override
    {
        messages << m;
        if (m.boutons == Boutons::Ok)
            return Reponse::Ok;
        if (reponses.isEmpty()) {
            ++questionsImprevues;
            return m.boutons == Boutons::OuiNon ? Reponse::Non : Reponse::Annuler;
        }
        return reponses.takeFirst();
    }

    std::optional<QString> choisirFichier(ModeFichier mode, const QString &) override
    {
        modesDemandes << mode;
        if (pendantDialogueFichier)
            pendantDialogueFichier();
        if (fichiers.isEmpty()) {
            ++fichiersImprevus;
            return std::nullopt;
        }
        return fichiers.takeFirst();
    }

    // Fonts the pupil tries with Apply before answering.
    QList<QFont> appliquees;

    std::optional<QFont> choisirPolice(const QFont &, ChoixPolice, const Application &appliquer = {}) override
    {
        if (appliquer) {
            for (const QFont &f : std::as_const(appliquees))
                appliquer(f);
        }
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
