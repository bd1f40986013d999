// The print command: its dialogs, then a real print through Qt into a PDF
// file that poppler's pdftotext reads back.

#include "dialogues_scriptes.h"
#include "print/impression.h"

#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using Reponse = Dialogues::Reponse;

namespace {

const QString question = u"Voulez-vous imprimer?"_s;
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
        const QCursor *pointeur = QGuiApplication::overrideCursor();
        occupeALImprimante = pointeur && pointeur->shape() == Qt::WaitCursor;
        auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
        p->setOutputFileName(fichier);
        p->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter));
        return p;
    }
};

// Clicks the print button on `texte`, the pupil answering as scripted; true
// when a page was written.
bool imprimer(DialoguesScriptes &d, const QString &fichier, const QString &texte,
              Reponse reponse, std::optional<QFont> police, QStringList installees = {u"PDF"_s})
{
    d.reponses = {reponse};
    d.polices = {police};
    Impression impression(d, std::make_unique<ImprimantePdf>(fichier, installees),
                          [&] { return TexteAImprimer{texte, u"conte.txt"_s}; });
    impression.Command3_Click();
    return QFileInfo(fichier).size() > 0;
}

// Each word with where it stands, as "page:line,column word", and its height
// in points.
QList<std::pair<QString, double>> mots(const QString &pdf)
{
    static const QRegularExpression re(uR"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)")re"
                                       uR"re( xMax="[\d.]+" yMax="([\d.]+)">([^<]*)<)re"_s);
    const double marge = 20 / 25.4 * 72;
    QProcess pdftotext;
    pdftotext.start(u"pdftotext"_s, {u"-bbox"_s, pdf, u"-"_s});
    pdftotext.waitForFinished();
    QList<std::pair<QString, double>> r;
    int page = -1;
    for (auto it = re.globalMatch(pdftotext.readAllStandardOutput()); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const double x = m.captured(1).toDouble(), y = m.captured(2).toDouble();
        if (m.captured(1).isEmpty())
            ++page;
        else
            r.append({u"%1:%2,%3 %4"_s.arg(page).arg(qRound((y - marge) / 12))
                          .arg(qRound((x - marge) / 6)).arg(m.captured(4)),
                      m.captured(3).toDouble() - y});
    }
    return r;
}

} // namespace

class TestImpression : public QObject
{
    Q_OBJECT

private slots:
    // Every way the command ends without a page.
    void rienAImprimer()
    {
        const QString aucune = u"Aucune imprimante n'est installée."_s;
        const struct {
            QString texte; Reponse reponse; bool police; QStringList installees, messages;
            bool policeDemandee;
        } cas[] = {
            {{}, Reponse::Ok, true, {u"PDF"_s}, {}, false},
            {u"Bonjour"_s, Reponse::Annuler, true, {u"PDF"_s}, {question}, false},
            {u"Bonjour"_s, Reponse::Ok, true, {}, {question, aucune}, false},
            {u"Bonjour"_s, Reponse::Ok, false, {u"PDF"_s}, {question}, true},
        };
        for (const auto &c : cas) {
            QTemporaryDir dossier;
            DialoguesScriptes d;
            QVERIFY(!imprimer(d, dossier.filePath(u"p.pdf"_s), c.texte, c.reponse,
                              c.police ? std::optional(QFont()) : std::nullopt, c.installees));
            QCOMPARE(d.textes(), c.messages);
            QCOMPARE(d.polices.isEmpty(), c.policeDemandee);
        }
    }

    // A dialogue over two pages, the font chosen at 20 points in bold.
    void page()
    {
        if (QStandardPaths::findExecutable(u"pdffonts"_s).isEmpty())
            QSKIP("pdftotext and pdffonts (poppler-utils) read the page back");
        QString texte = u"Il dit.\r\n-Non, merci.\r\n"_s;
        for (int i = 1; i <= 27; ++i)
            texte += u"\r\nLigne "_s + QString::number(i);
        const QFont police(u"DejaVu Serif"_s, 20, QFont::Bold);
        QTemporaryDir dossier;
        const QString fichier = dossier.filePath(u"p.pdf"_s);
        DialoguesScriptes d;
        QVERIFY(imprimer(d, fichier, texte, Reponse::Ok, police));
        QCOMPARE(d.textes(), QStringList{question});
        QCOMPARE(d.messages.at(0).titre, u"conte.txt"_s);
        QVERIFY(occupeALImprimante);
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);

        QStringList places;
        for (const auto &[place, hauteur] : mots(fichier)) {
            places << place;
            // Only the face comes from the dialog, neither the size (at 10
            // points a DejaVu line box is 11.66 points high) nor the weight.
            QVERIFY2(qAbs(hauteur - 11.66) < 0.5, qPrintable(place));
        }
        const QString trait(80, u'_');
        for (const QString &attendu : {u"0:1,5 conte.txt"_s, u"0:2,0 "_s + trait, u"0:5,1 Il"_s,
                                       u"0:7,1 -"_s, u"0:7,3 Non,"_s, u"0:9,1 Ligne"_s,
                                       u"0:59,1 Ligne"_s, u"1:1,5 conte.txt"_s,
                                       u"1:2,0 "_s + trait, u"1:5,1 Ligne"_s})
            QVERIFY2(places.contains(attendu), qPrintable(attendu + u" not in\n"_s + places.join(u'\n')));
        QProcess pdffonts;
        pdffonts.start(u"pdffonts"_s, {fichier});
        pdffonts.waitForFinished();
        const QString polices = QString::fromUtf8(pdffonts.readAllStandardOutput());
        QVERIFY2(polices.contains(u"DejaVuSerif "_s) && !polices.contains(u"Bold"_s), qPrintable(polices));
    }
};

QTEST_MAIN(TestImpression)
#include "test_impression.moc"
