#include "gui/print/impression.h"

#include "base/print/decoupe.h"
#include "base/print/mise_en_page.h"
#include "gui/widgets/dialogues.h"

#include <QCursor>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

constexpr double taillePolice = 10.0;
constexpr double twipsParPouce = 1440.0;

// Shown from the font dialog's answer to the end of the print, whatever way
// the print ends.
class PointeurOccupe
{
public:
    PointeurOccupe() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~PointeurOccupe() { QGuiApplication::restoreOverrideCursor(); }
    PointeurOccupe(const PointeurOccupe &) = delete;
    PointeurOccupe &operator=(const PointeurOccupe &) = delete;
};

bool enErreur(const QPrinter &imprimante)
{
    return imprimante.printerState() == QPrinter::Error
        || imprimante.printerState() == QPrinter::Aborted;
}

// Cancels a begun job. Engines that cannot cancel (Qt's CUPS engine only
// hands the document to the queue when it ends) still have to be ended, so
// the painter is never left open on the printer.
bool abandonner(QPrinter &imprimante, QPainter &peintre)
{
    imprimante.abort();
    if (peintre.isActive())
        peintre.end();
    return false;
}

} // namespace

QStringList ImprimanteSysteme::imprimantesInstallees() const
{
    return QPrinterInfo::availablePrinterNames();
}

std::unique_ptr<QPrinter> ImprimanteSysteme::imprimante()
{
    QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        const QStringList noms = QPrinterInfo::availablePrinterNames();
        if (noms.isEmpty())
            return nullptr;
        info = QPrinterInfo::printerInfo(noms.constFirst());
    }
    if (info.isNull())
        return nullptr;
    auto imprimante = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    // A printer Qt could not open falls back to writing a PDF file nobody
    // would ever find: that is no print.
    if (!imprimante->isValid() || imprimante->outputFormat() != QPrinter::NativeFormat)
        return nullptr;
    return imprimante;
}

Impression::Impression(Dialogues &dialogues, std::unique_ptr<FournisseurImprimante> fournisseur,
                       Source source)
    : m_dialogues(dialogues), m_fournisseur(std::move(fournisseur)), m_source(std::move(source))
{
}

Impression::~Impression() = default;

bool Impression::Imprimer_Click()
{
    if (!m_source)
        return false;
    const TexteAImprimer t = m_source();
    return impression(t.texte, t.nomFichier, t.police);
}

bool Impression::Command3_Click()
{
    return Imprimer_Click();
}

bool Impression::impression(const QString &texte, const QString &nomFichier, const QFont &police)
{
    if (texte.isEmpty())
        return false;
    const Dialogues::Message question{QStringLiteral("Voulez-vous imprimer?"),
                                      Dialogues::Boutons::OkAnnuler, Dialogues::Icone::Aucune,
                                      nomFichier};
    if (m_dialogues.message(question) != Dialogues::Reponse::Ok)
        return false;
    // Without this a pupil could not tell a print that never happened from
    // one that worked.
    if (m_fournisseur->imprimantesInstallees().isEmpty()) {
        m_dialogues.information(QStringLiteral("Aucune imprimante n'est installée."));
        return false;
    }
    const std::optional<QFont> choisie = m_dialogues.choisirPolice(police, Dialogues::ChoixPolice::FaceSeule);
    if (!choisie)
        return false;

    const PointeurOccupe occupe;
    const std::unique_ptr<QPrinter> imprimante = m_fournisseur->imprimante();
    if (!imprimante)
        return false;
    imprimante->setDocName(nomFichier.isEmpty() ? titreApplication() : nomFichier);
    return imprimerTexte(*imprimante, texte, *choisie, nomFichier);
}

bool imprimerTexte(QPrinter &imprimante, const QString &texte, const QFont &police,
                   const QString &entete)
{
    // Only the face counts: the size, the weight and the style chosen in the
    // dialog never reach the page.
    QFont policeImprimee(police.family());
    policeImprimee.setPointSizeF(taillePolice);

    // The grid in device pixels; everything that can go wrong before the
    // printer is touched happens here, so that no job is begun for nothing.
    const double dpiX = imprimante.logicalDpiX();
    const double dpiY = imprimante.logicalDpiY();
    if (dpiX <= 0 || dpiY <= 0)
        return false;
    const double pixelsParColonne = dpiX * twipsParColonne / twipsParPouce;
    const double pixelsParLigne = dpiY * twipsParLigne / twipsParPouce;
    const QRectF zone = imprimante.pageRect(QPrinter::DevicePixel);
    const double largeurColonnes = zone.width() / pixelsParColonne;
    const int lignesParPage = int(zone.height() / pixelsParLigne);

    const QFontMetricsF metriques(policeImprimee, &imprimante);
    const auto mesure = [&](const QString &s) {
        return metriques.horizontalAdvance(s) / pixelsParColonne;
    };
    const QList<FragmentImprime> fragments =
        miseEnPage(decoupe(texte), largeurColonnes, lignesParPage, entete, mesure);
    // A line's text stands on the baseline at its ascent below the line's top,
    // as a printer prints from its current position.
    const double ascendante = metriques.ascent();

    QPainter peintre;
    if (!peintre.begin(&imprimante))
        return abandonner(imprimante, peintre);
    peintre.setFont(policeImprimee);
    peintre.setPen(Qt::black);
    int page = 0;
    for (const FragmentImprime &f : fragments) {
        for (; page < f.page; ++page) {
            if (!imprimante.newPage() || enErreur(imprimante))
                return abandonner(imprimante, peintre);
        }
        peintre.drawText(QPointF(f.colonne * pixelsParColonne,
                                 f.ligne * pixelsParLigne + ascendante),
                         f.texte);
    }
    if (enErreur(imprimante))
        return abandonner(imprimante, peintre);
    return peintre.end() && !enErreur(imprimante);
}
