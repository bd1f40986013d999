// Prints a Windows-1252 text through the print command, answering its dialogs
// OK with a chosen face at 14 points: on the default printer, or into a PDF
// file with --pdf.
//
//   plumor_imprimer_fichier TEXTE.txt [--pdf SORTIE.pdf] [--police FAMILLE]
//
// Exit status: 0 when a printer was handed the page, 2 when the command said
// that no printer is installed, 1 otherwise.

#include "dialogues_scriptes.h"
#include "imprimante_pdf.h"
#include "print/impression.h"
#include "texts/cp1252.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPrinterInfo>
#include <QTextStream>

namespace {

// Counts the printers handed out by the one it wraps.
class Compteur : public FournisseurImprimante
{
public:
    explicit Compteur(std::unique_ptr<FournisseurImprimante> f) : m_f(std::move(f)) {}
    int donnees = 0;
    QStringList imprimantesInstallees() const override { return m_f->imprimantesInstallees(); }
    std::unique_ptr<QPrinter> imprimante() override
    {
        auto p = m_f->imprimante();
        donnees += p ? 1 : 0;
        return p;
    }

private:
    std::unique_ptr<FournisseurImprimante> m_f;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        err << "usage: plumor_imprimer_fichier TEXTE.txt [--pdf SORTIE.pdf] [--police FAMILLE]\n";
        return 1;
    }
    QString pdf;
    QString famille = QStringLiteral("DejaVu Sans");
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == u"--pdf")
            pdf = args[i + 1];
        else if (args[i] == u"--police")
            famille = args[i + 1];
    }

    QFile fichier(args.first());
    if (!fichier.open(QIODevice::ReadOnly)) {
        err << "cannot read " << args.first() << "\n";
        return 1;
    }
    // The writing zone holds the file without its final line break.
    QString texte = cp1252::decode(fichier.readAll());
    if (texte.endsWith(u"\r\n"))
        texte.chop(2);

    std::unique_ptr<FournisseurImprimante> cible;
    if (pdf.isEmpty()) {
        err << "printers: " << QPrinterInfo::availablePrinterNames().join(u' ')
            << "; default: " << QPrinterInfo::defaultPrinterName() << "\n";
        cible = std::make_unique<ImprimanteSysteme>();
    } else {
        cible = std::make_unique<ImprimantePdf>(pdf);
    }
    auto compteur = std::make_unique<Compteur>(std::move(cible));
    Compteur *c = compteur.get();

    DialoguesScriptes dialogues;
    dialogues.reponses = {Dialogues::Reponse::Ok};
    dialogues.polices = {QFont(famille, 14)};
    Impression impression(dialogues, std::move(compteur));
    impression.impression(texte, QFileInfo(args.first()).fileName());

    for (const Dialogues::Message &m : dialogues.messages)
        err << "message: " << m.texte << "\n";
    if (dialogues.textes().contains(QStringLiteral("Aucune imprimante n'est installée.")))
        return 2;
    return c->donnees == 1 ? 0 : 1;
}
