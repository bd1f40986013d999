#pragma once

#include "gui/form1.h"
#include "gui/widgets/dialogues.h"

#include <QString>

#include <memory>

// A French class text of exactly `longueur` characters with LF line breaks:
// dialogue dashes, guillemets, elisions, inverted pronouns, and the
// typographic characters of the code page's upper half (’ « » œ …). Without
// `paragraphes` it is one single line.
QString texteFrancais(qsizetype longueur, bool paragraphes = true);

// Dialogs that answer at once and only count what they were asked.
class DialoguesMuets : public Dialogues
{
public:
    int messages = 0;
    Reponse message(const Message &m) override
    {
        ++messages;
        return m.boutons == Boutons::OuiNon ? Reponse::Non : Reponse::Ok;
    }
    void avis(const QString &) override {}
    std::optional<QString> choisirFichier(ModeFichier, const QString &) override { return std::nullopt; }
    std::optional<QFont> choisirPolice(const QFont &, ChoixPolice, const Application & = {}) override { return {}; }
};

// The main window on a class folder, with silent dialogs and the shipped
// lexicon; with a recovery folder, it keeps its recovery record there.
struct FenetreBench {
    std::unique_ptr<Form1> form;
    DialoguesMuets *dialogues = nullptr;
};
FenetreBench ouvrirFenetre(const QString &dossier, const QString &dossierProgramme = QStringLiteral(PLUMOR_DONNEES),
                           const QString &dossierRecuperation = {});

// Runs the benchmarks named on the command line inside a QApplication on the
// offscreen platform (unless QT_QPA_PLATFORM says otherwise).
int executerAvecApplication(int argc, char **argv);

// Peak resident memory of the process so far, in KiB.
long rssMaxKio();
