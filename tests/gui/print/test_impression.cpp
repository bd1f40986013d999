// The print command: its dialogs, then a real print through Qt into a PDF
// file that poppler's pdftotext reads back.

#include "classe.h"
#include "dialogues_scriptes.h"
#include "gui/print/impression.h"

#include <QPrinter>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using Reponse = Dialogues::Reponse;

namespace {

bool occupeALImprimante = false;

// The default printer as an A4 PDF file with 20 mm margins: 80 columns of
// 6 points, 60 lines of 12 points.
struct ImprimantePdf : FournisseurImprimante {
    QString fichier;
    QStringList installees;
    ImprimantePdf(QString f, QStringList i) : fichier(std::move(f)), installees(std::move(i)) {}
    QStringList imprimantesInstallees() const override { return installees; }
    std::unique_ptr<QPrinter> imprimante() override
    {
        occupeALImprimante = QGuiApplication::overrideCursor() && QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
        auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
        p->setOutputFileName(fichier);
        p->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter));
        return p;
    }
};

// Clicks the print button on `texte`, the pupil answering as scripted. What
// the pupil saw: the first message's title, every message, "police ?" once
// the font dialog answered, then whether a page was written (and said so).
QStringList imprimer(const QString &fichier, const QString &texte, Reponse reponse, std::optional<QFont> police,
                     const QStringList &installees = {u"PDF"_s})
{
    DialoguesScriptes d;
    d.reponses = {reponse};
    d.polices = {police};
    Impression impression(d, std::make_unique<ImprimantePdf>(fichier, installees),
                          [&] { return TexteAImprimer{texte, u"conte.txt"_s, {}}; });
    const bool envoye = impression.Command3_Click();
    const bool page = QFileInfo(fichier).size() > 0;
    return QStringList{d.messages.value(0).titre} + d.textes() << (d.polices.isEmpty() ? u"police ?"_s : u"-"_s)
                                                                << (envoye != page ? u"dit à tort"_s : page ? u"page"_s : u"rien"_s);
}

// Each word as "page:line,column word", then its height in brackets unless
// that is a DejaVu line box at 10 points (11.66 points).
QStringList mots(const QString &pdf)
{
    static const QRegularExpression re(uR"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)")re"
                                       uR"re( xMax="[\d.]+" yMax="([\d.]+)">([^<]*)<)re"_s);
    const double marge = 20 / 25.4 * 72;
    QStringList r;
    int page = -1;
    for (auto it = re.globalMatch(sortie(u"pdftotext"_s, {u"-bbox"_s, pdf, u"-"_s})); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const double x = m.captured(1).toDouble(), y = m.captured(2).toDouble(), h = m.captured(3).toDouble() - y;
        if (m.captured(1).isEmpty())
            ++page;
        else
            r << u"%1:%2,%3 %4"_s.arg(page).arg(qRound((y - marge) / 12)).arg(qRound((x - marge) / 6)).arg(m.captured(4))
                    + (qAbs(h - 11.66) < 0.5 ? QString() : u" [%1]"_s.arg(h));
    }
    return r;
}

} // namespace

class TestImpression : public QObject
{
    Q_OBJECT

private slots:
    void commande()
    {
        QTemporaryDir dossier;
        const QString pdf = dossier.filePath(u"p.pdf"_s), question = u"Voulez-vous imprimer?"_s, titre = u"conte.txt"_s;
        // Every way the command ends without a page.
        QCOMPARE(imprimer(pdf, {}, Reponse::Ok, QFont()), (QStringList{"", "-", "rien"}));
        QCOMPARE(imprimer(pdf, u"Bonjour"_s, Reponse::Annuler, QFont()), (QStringList{titre, question, "-", "rien"}));
        QCOMPARE(imprimer(pdf, u"Bonjour"_s, Reponse::Ok, QFont(), {}),
                 (QStringList{titre, question, "Aucune imprimante n'est installée.", "-", "rien"}));
        QCOMPARE(imprimer(pdf, u"Bonjour"_s, Reponse::Ok, std::nullopt), (QStringList{titre, question, "police ?", "rien"}));

        // A dialogue over two pages, the font chosen at 20 points in bold;
        // the wait pointer shows while the printer opens, and not after.
        if (QStandardPaths::findExecutable(u"pdffonts"_s).isEmpty())
            QSKIP("pdftotext and pdffonts (poppler-utils) read the page back");
        QString texte = u"Il dit.\r\n-Non, merci.\r\n"_s;
        for (int i = 1; i <= 27; ++i)
            texte += u"\r\nLigne "_s + QString::number(i);
        QCOMPARE(imprimer(pdf, texte, Reponse::Ok, QFont(u"DejaVu Serif"_s, 20, QFont::Bold)),
                 (QStringList{titre, question, "police ?", "page"}));
        QVERIFY(occupeALImprimante && !QGuiApplication::overrideCursor());
        // Only the face comes from the dialog, neither the size nor the weight.
        const QStringList places = mots(pdf);
        QVERIFY2(places.filter(u" ["_s).isEmpty(), qPrintable(places.join(u'\n')));
        const QString trait(80, u'_');
        for (const QString &attendu : {u"0:1,5 conte.txt"_s, u"0:2,0 "_s + trait, u"0:5,1 Il"_s, u"0:7,1 -"_s,
                                       u"0:7,3 Non,"_s, u"0:9,1 Ligne"_s, u"0:59,1 Ligne"_s, u"1:1,5 conte.txt"_s,
                                       u"1:2,0 "_s + trait, u"1:5,1 Ligne"_s})
            QVERIFY2(places.contains(attendu), qPrintable(attendu + u" not in\n"_s + places.join(u'\n')));
        const QString polices = sortie(u"pdffonts"_s, {pdf});
        QVERIFY2(polices.contains(u"DejaVuSerif "_s) && !polices.contains(u"Bold"_s), qPrintable(polices));
    }
};

QTEST_MAIN(TestImpression)
#include "test_impression.moc"
