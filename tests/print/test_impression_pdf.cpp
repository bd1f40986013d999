// Real pages: the print command draws through Qt into a PDF file, and
// poppler's pdftotext tells where each word landed on the 120 x 240 twip grid.

#include "dialogues_scriptes.h"
#include "imprimante_pdf.h"
#include "print/impression.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextDocumentFragment>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// A column is 6 points wide, a line 12 points high.
constexpr double pointsParColonne = 6.0;
constexpr double pointsParLigne = 12.0;
// A quarter of a cell either way still names one cell only.
constexpr double tolerance = 0.25;

struct Mot {
    int page = 0;
    double colonne = 0;
    double ligne = 0;
    double hauteur = 0; // points
    QString texte;
};

QString lancer(const QString &programme, const QStringList &args)
{
    QProcess p;
    p.start(programme, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

class Page
{
public:
    // Prints `texte` through the command, `police` chosen in the dialog.
    bool imprimer(const QString &texte, const QString &nom = u"conte.txt"_s,
                  const QFont &police = QFont(u"DejaVu Sans"_s, 12))
    {
        auto fournisseur = std::make_unique<ImprimantePdf>(fichier());
        const QPageLayout mise(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                               fournisseur->marges, QPageLayout::Millimeter);
        m_origine = mise.paintRectPoints().topLeft();
        DialoguesScriptes dialogues;
        dialogues.reponses = {Dialogues::Reponse::Ok};
        dialogues.polices = {police};
        Impression impression(dialogues, std::move(fournisseur));
        impression.impression(texte, nom);
        return QFileInfo(fichier()).size() > 0;
    }

    QList<Mot> mots() const
    {
        const QString html = lancer(u"pdftotext"_s, {u"-bbox"_s, fichier(), u"-"_s});
        static const QRegularExpression motRe(
            uR"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="([\d.]+)">(.*)</word>)re"_s);
        QList<Mot> liste;
        int page = -1;
        for (const QString &ligne : html.split(u'\n')) {
            if (ligne.contains(u"<page "))
                ++page;
            const QRegularExpressionMatch m = motRe.match(ligne);
            if (!m.hasMatch())
                continue;
            const double x = m.captured(1).toDouble();
            const double y = m.captured(2).toDouble();
            liste << Mot{page, (x - m_origine.x()) / pointsParColonne,
                         (y - m_origine.y()) / pointsParLigne, m.captured(3).toDouble() - y,
                         QTextDocumentFragment::fromHtml(m.captured(4)).toPlainText()};
        }
        return liste;
    }

    QString polices() const { return lancer(u"pdffonts"_s, {fichier()}); }

private:
    QString fichier() const { return m_dossier.filePath(u"page.pdf"_s); }
    QTemporaryDir m_dossier;
    QPointF m_origine;
};

// The n-th word (from 1) that reads exactly `texte`.
std::optional<Mot> trouver(const QList<Mot> &mots, const QString &texte, int n = 1)
{
    for (const Mot &m : mots) {
        if (m.texte == texte && --n == 0)
            return m;
    }
    return std::nullopt;
}

QString paragraphes(int nombre)
{
    QStringList p;
    for (int i = 1; i <= nombre; ++i)
        p << u"Ligne "_s + QString::number(i) + u'.';
    return p.join(u"\r\n"_s);
}

} // namespace

class TestImpressionPdf : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void placement_data();
    void placement();
    void enteteEtTrait_data();
    void enteteEtTrait();
    void police_data();
    void police();
};

void TestImpressionPdf::initTestCase()
{
    if (QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty()
        || QStandardPaths::findExecutable(u"pdffonts"_s).isEmpty())
        QSKIP("pdftotext and pdffonts (Debian package poppler-utils) are needed to read the pages");
}

void TestImpressionPdf::placement_data()
{
    QTest::addColumn<QString>("texte");
    QTest::addColumn<QString>("mot");
    QTest::addColumn<int>("occurrence");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("ligne");
    QTest::addColumn<double>("colonne");

    QTest::newRow("one word: column 1 of line 5") << u"Bonjour"_s << u"Bonjour"_s << 1 << 0 << 5 << 1.0;
    QTest::newRow("paragraphs are double-spaced, an empty line adds nothing")
        << u"Il pleut.\r\n\r\nIl neige."_s << u"Il"_s << 2 << 0 << 7 << 1.0;
    QTest::newRow("a glued dialogue dash stands at column 1")
        << u"Il dit.\r\n-Non, merci."_s << u"-"_s << 1 << 0 << 7 << 1.0;
    QTest::newRow("the dialogue's text starts at column 3")
        << u"Il dit.\r\n-Non, merci."_s << u"Non,"_s << 1 << 0 << 7 << 3.0;
    QTest::newRow("a line-opening guillemet is a straight quote at column 1")
        << u"Il dit :\r\n« Viens. »"_s << u"\""_s << 1 << 0 << 7 << 1.0;
    QTest::newRow("the guillemet's text starts at column 3")
        << u"Il dit :\r\n« Viens. »"_s << u"Viens."_s << 1 << 0 << 7 << 3.0;
    QTest::newRow("a dash and a space is ordinary text")
        << u"Il dit.\r\n- Non."_s << u"Non."_s << 1 << 0 << 7 << 2.0;
    QTest::newRow("the last line of a full page")
        << paragraphes(40) << u"Ligne"_s << 28 << 0 << 59 << 1.0;
    QTest::newRow("a long text goes on at line 5 of page 2")
        << paragraphes(40) << u"Ligne"_s << 29 << 1 << 5 << 1.0;
    QTest::newRow("page 2 keeps double spacing")
        << paragraphes(40) << u"Ligne"_s << 30 << 1 << 7 << 1.0;
}

void TestImpressionPdf::placement()
{
    QFETCH(QString, texte);
    QFETCH(QString, mot);
    QFETCH(int, occurrence);
    QFETCH(int, page);
    QFETCH(int, ligne);
    QFETCH(double, colonne);

    Page p;
    QVERIFY(p.imprimer(texte));
    const QList<Mot> mots = p.mots();
    const std::optional<Mot> m = trouver(mots, mot, occurrence);
    QVERIFY2(m, qPrintable(u"not printed: "_s + mot));
    QCOMPARE(m->page, page);
    QVERIFY2(qAbs(m->ligne - ligne) < tolerance, qPrintable(QString::number(m->ligne)));
    // "- Non." is measured from the dash's real width; only its side matters.
    if (mot == u"Non.")
        QVERIFY2(m->colonne > 1.5 && m->colonne < 3, qPrintable(QString::number(m->colonne)));
    else
        QVERIFY2(qAbs(m->colonne - colonne) < tolerance, qPrintable(QString::number(m->colonne)));
}

void TestImpressionPdf::enteteEtTrait_data()
{
    QTest::addColumn<QString>("nom");
    QTest::addColumn<int>("page");
    QTest::newRow("an open text, page 1") << u"conte.txt"_s << 0;
    QTest::newRow("an open text, page 2") << u"conte.txt"_s << 1;
    QTest::newRow("a new text has no header") << QString() << 0;
}

void TestImpressionPdf::enteteEtTrait()
{
    QFETCH(QString, nom);
    QFETCH(int, page);

    Page p;
    QVERIFY(p.imprimer(paragraphes(40), nom));
    QList<Mot> enHaut;
    for (const Mot &m : p.mots()) {
        if (m.page == page && m.ligne < 4)
            enHaut << m;
    }
    // 170 mm of printable width make 80 columns: one underscore each.
    const std::optional<Mot> trait = trouver(enHaut, QString(80, u'_'));
    QVERIFY2(trait, "no rule of 80 underscores");
    QVERIFY(qAbs(trait->ligne - 2) < tolerance);
    QVERIFY(qAbs(trait->colonne) < tolerance);
    if (nom.isEmpty()) {
        QCOMPARE(enHaut.size(), 1);
    } else {
        const std::optional<Mot> entete = trouver(enHaut, nom);
        QVERIFY2(entete, "no header");
        QVERIFY(qAbs(entete->ligne - 1) < tolerance);
        QVERIFY(qAbs(entete->colonne - 5) < tolerance);
        QCOMPARE(enHaut.size(), 2);
    }
}

void TestImpressionPdf::police_data()
{
    QTest::addColumn<QFont>("choisie");
    QTest::addColumn<QString>("nomPdf");
    QFont grasse(u"DejaVu Sans"_s, 20);
    grasse.setBold(true);
    QTest::newRow("14 points in the dialog") << QFont(u"DejaVu Sans"_s, 14) << u"DejaVuSans"_s;
    QTest::newRow("8 points, another face") << QFont(u"DejaVu Serif"_s, 8) << u"DejaVuSerif"_s;
    QTest::newRow("bold is not printed") << grasse << u"DejaVuSans"_s;
}

void TestImpressionPdf::police()
{
    QFETCH(QFont, choisie);
    QFETCH(QString, nomPdf);

    Page p;
    QVERIFY(p.imprimer(u"Bonjour"_s, u"conte.txt"_s, choisie));
    const std::optional<Mot> m = trouver(p.mots(), u"Bonjour"_s);
    QVERIFY(m);
    // A DejaVu line box is 1.164 em high: 11.6 points at 10 points.
    QVERIFY2(qAbs(m->hauteur - 11.64) < 0.5, qPrintable(QString::number(m->hauteur)));
    QStringList faces;
    for (const QString &ligne : p.polices().split(u'\n').mid(2))
        faces << ligne.section(u' ', 0, 0).section(u'+', -1);
    faces.removeAll(QString());
    QCOMPARE(faces, QStringList{nomPdf});
}

QTEST_MAIN(TestImpressionPdf)
#include "test_impression_pdf.moc"
