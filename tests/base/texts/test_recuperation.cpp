// The recovery record keeps up with the copy after its folder refused a write.
#include "classe.h"
#include "base/texts/recuperation.h"

#include <QTest>

#include <atomic>
#include <csignal>

class TestRecuperation : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { std::signal(SIGXFSZ, SIG_IGN); }

    void unEchecNArretePasLeReleve()
    {
        Classe classe;
        recuperation::Dossier dossier(classe.chemin(QStringLiteral("etat")));
        if (dossier.erreur() != 0)
            QSKIP("this system cannot tell its processes apart");
        std::atomic<int> echecs{0};
        // The one record on disk holds `texte`; none for an empty one.
        const auto sur = [&](const QString &texte) {
            const QStringList f = QDir(classe.chemin(QStringLiteral("etat"))).entryList(QDir::Files);
            QByteArray o;
            disque::lire(classe.chemin(QStringLiteral("etat/") + f.value(0)), 1 << 20, o);
            return texte.isEmpty() ? f.isEmpty()
                                   : f.size() == 1 && recuperation::decoder(o).value_or(recuperation::Releve()).texte == texte;
        };
        const auto releve = [](const QString &texte) { return recuperation::Releve{true, texte, {}, {}, {}}; };
        {
            recuperation::Ecrivain ecrivain(dossier, [&](int) { ++echecs; });
            ecrivain.demander(releve(QStringLiteral("un")));
            ecrivain.attendre();
            // The folder full once: the record lags behind, then catches up on its own.
            avecDisquePlein([&] {
                ecrivain.demander(releve(QStringLiteral("deux")));
                ecrivain.attendre();
            });
            QVERIFY(sur(QStringLiteral("un")) && echecs == 1);
            QTRY_VERIFY_WITH_TIMEOUT(sur(QStringLiteral("deux")), 2 * recuperation::Ecrivain::reessaiMs);
            // Full again, then the text saved and closed: nothing is left to offer.
            avecDisquePlein([&] {
                ecrivain.demander(releve(QStringLiteral("trois")));
                ecrivain.attendre();
                ecrivain.demander(std::nullopt);
            });
        }
        QVERIFY(sur(QString()) && echecs == 1);
    }
};

QTEST_APPLESS_MAIN(TestRecuperation)
#include "test_recuperation.moc"
