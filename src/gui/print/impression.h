#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class Dialogues;
class QPrinter;

// Where the page goes. The program prints on the system's default printer;
// tests put a PDF file in its place.
class FournisseurImprimante
{
public:
    virtual ~FournisseurImprimante() = default;
    // The names of the installed printers; empty when there is none.
    virtual QStringList imprimantesInstallees() const = 0;
    // A printer ready for a new document, or null when it cannot be had.
    virtual std::unique_ptr<QPrinter> imprimante() = 0;
};

// The default printer of the system, through Qt's print support (CUPS on
// Linux). With printers installed but none made the default, the first one is
// used: a pupil cannot choose a printer.
class ImprimanteSysteme : public FournisseurImprimante
{
public:
    QStringList imprimantesInstallees() const override;
    std::unique_ptr<QPrinter> imprimante() override;
};

// What the print buttons print: the writing zone's text with CR LF line
// breaks and the bare name of its file (empty for a new text), and the
// zone's font, which the font dialog opens on.
struct TexteAImprimer {
    QString texte;
    QString nomFichier;
    QFont police;
};

// The print command: asks, takes a font, and prints the text double-spaced
// under a rule, at 10 points, on as many pages as it takes.
class Impression
{
public:
    using Source = std::function<TexteAImprimer()>;

    explicit Impression(Dialogues &dialogues,
                        std::unique_ptr<FournisseurImprimante> fournisseur
                        = std::make_unique<ImprimanteSysteme>(),
                        Source source = {});
    ~Impression();

    // The menu item and the button print what the source gives, nothing else.
    // True once the text went to the printer.
    bool Imprimer_Click();
    bool Command3_Click();

    // The name of the text heads the page and titles the question. Every
    // failure ends silently except a missing printer, which is said before
    // the font dialog. True once the text went to the printer.
    bool impression(const QString &texte, const QString &nomFichier, const QFont &police = {});

private:
    Dialogues &m_dialogues;
    std::unique_ptr<FournisseurImprimante> m_fournisseur;
    Source m_source;
};

// Draws the text on the printer with the face of `police` at 10 points; the
// header stands at column 5 of line 1 of every page. False when the job
// could not be begun or was aborted; nothing more is printed then.
bool imprimerTexte(QPrinter &imprimante, const QString &texte, const QFont &police,
                   const QString &entete);
