// The print command's dialogs and outcomes, on a PDF file standing in for the
// default printer.

#include "dialogues_scriptes.h"
#include "imprimante_pdf.h"
#include "print/impression.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using Reponse = Dialogues::Reponse;

Q_DECLARE_METATYPE(QList<Reponse>)

namespace {

const QString question = u"Voulez-vous imprimer?"_s;
const QString aucune = u"Aucune imprimante n'est installée."_s;

// Scripted dialogs that also note the mouse pointer at the font dialog.
class DialoguesObserves : public DialoguesScriptes
{
public:
    bool occupeAuChoixDePolice = false;
    int policesDemandees = 0;
    std::optional<QFont> choisirPolice(const QFont &initiale, ChoixPolice choix, const Application &appliquer = {}) override
    {
        ++policesDemandees;
        occupeAuChoixDePolice = QGuiApplication::overrideCursor() != nullptr;
        return DialoguesScriptes::choisirPolice(initiale, choix, appliquer);
    }
};

} // namespace

class TestImpression : public QObject
{
    Q_OBJECT

private slots:
    void deroulement_data();
    void deroulement();
    void boutonsEtMenu();
};

void TestImpression::deroulement_data()
{
    QTest::addColumn<QString>("texte");
    QTest::addColumn<QString>("nom");
    QTest::addColumn<QList<Reponse>>("reponses");
    QTest::addColumn<QStringList>("installees");
    QTest::addColumn<bool>("policeChoisie");
    QTest::addColumn<bool>("sortieAtteignable");
    QTest::addColumn<QStringList>("messagesAttendus");
    QTest::addColumn<bool>("policeDemandee");
    QTest::addColumn<bool>("imprimanteDemandee");
    QTest::addColumn<bool>("pageEcrite");

    const QList<Reponse> ok{Reponse::Ok};
    const QStringList pdf{u"PDF"_s};
    const QString nom = u"conte.txt"_s;
    QTest::newRow("empty zone: nothing asked")
        << QString() << nom << ok << pdf << true << true << QStringList() << false << false << false;
    QTest::newRow("Cancel at the question")
        << u"Bonjour"_s << nom << QList<Reponse>{Reponse::Annuler} << pdf << true << true
        << QStringList{question} << false << false << false;
    QTest::newRow("no printer installed: said before the font dialog")
        << u"Bonjour"_s << nom << ok << QStringList() << true << true
        << QStringList{question, aucune} << false << false << false;
    QTest::newRow("Cancel in the font dialog: nothing sent")
        << u"Bonjour"_s << nom << ok << pdf << false << true
        << QStringList{question} << true << false << false;
    QTest::newRow("OK and a font: the page is printed")
        << u"Bonjour"_s << nom << ok << pdf << true << true
        << QStringList{question} << true << true << true;
    QTest::newRow("a new text: an empty title, the application's")
        << u"Bonjour"_s << QString() << ok << pdf << true << true
        << QStringList{question} << true << true << true;
    QTest::newRow("a line break alone is still a text")
        << u"\r\n"_s << nom << ok << pdf << true << true
        << QStringList{question} << true << true << true;
    QTest::newRow("a job that cannot begin ends silently")
        << u"Bonjour"_s << nom << ok << pdf << true << false
        << QStringList{question} << true << true << false;
}

void TestImpression::deroulement()
{
    QFETCH(QString, texte);
    QFETCH(QString, nom);
    QFETCH(QList<Reponse>, reponses);
    QFETCH(QStringList, installees);
    QFETCH(bool, policeChoisie);
    QFETCH(bool, sortieAtteignable);
    QFETCH(QStringList, messagesAttendus);
    QFETCH(bool, policeDemandee);
    QFETCH(bool, imprimanteDemandee);
    QFETCH(bool, pageEcrite);

    QTemporaryDir dossier;
    const QString sortie = sortieAtteignable ? dossier.filePath(u"page.pdf"_s)
                                             : dossier.filePath(u"absent/page.pdf"_s);
    auto fournisseur = std::make_unique<ImprimantePdf>(sortie);
    fournisseur->installees = installees;
    ImprimantePdf *pdf = fournisseur.get();
    DialoguesObserves dialogues;
    dialogues.reponses = reponses;
    dialogues.polices = {policeChoisie ? std::optional<QFont>(QFont(u"DejaVu Sans"_s, 12))
                                       : std::nullopt};

    Impression impression(dialogues, std::move(fournisseur));
    impression.impression(texte, nom);

    QCOMPARE(dialogues.textes(), messagesAttendus);
    if (!dialogues.messages.isEmpty()) {
        // An empty title shows the application's.
        const Dialogues::Message &m = dialogues.messages.first();
        QCOMPARE(m.titre, nom);
        QCOMPARE(m.boutons, Dialogues::Boutons::OkAnnuler);
        QCOMPARE(m.icone, Dialogues::Icone::Aucune);
    }
    QCOMPARE(dialogues.questionsImprevues, 0);
    QCOMPARE(dialogues.policesDemandees > 0, policeDemandee);
    QCOMPARE(pdf->demandes > 0, imprimanteDemandee);
    QCOMPARE(QFile::exists(sortie) && QFileInfo(sortie).size() > 0, pageEcrite);
    // Busy from the printer on, never while the pupil chooses, and always
    // given back, a failed job included.
    QVERIFY(!dialogues.occupeAuChoixDePolice);
    if (imprimanteDemandee)
        QCOMPARE(pdf->pointeur, Qt::WaitCursor);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

void TestImpression::boutonsEtMenu()
{
    QTemporaryDir dossier;
    DialoguesScriptes dialogues;
    int lectures = 0;
    Impression impression(dialogues,
                          std::make_unique<ImprimantePdf>(dossier.filePath(u"p.pdf"_s)),
                          [&] {
                              ++lectures;
                              return TexteAImprimer{u"Bonjour"_s, u"mot.txt"_s, {}};
                          });
    dialogues.reponses = {Reponse::Annuler, Reponse::Annuler};
    impression.Imprimer_Click();
    impression.Command3_Click();

    // Each reads the zone when clicked and asks under the text's name.
    QCOMPARE(lectures, 2);
    QCOMPARE(dialogues.textes(), (QStringList{question, question}));
    QCOMPARE(dialogues.messages.at(1).titre, u"mot.txt"_s);
}

QTEST_MAIN(TestImpression)
#include "test_impression.moc"
