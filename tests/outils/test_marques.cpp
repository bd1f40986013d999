#include "fenetre.h"
#include "marques.h"

#include <QtTest>

// The listing and release core on DOS words a POSIX disk cannot show.
class TestMarques : public QObject
{
    Q_OBJECT
private slots:
    void mot_data();
    void mot();
    void sous_dossiers_et_extension();
};

void TestMarques::mot_data()
{
    QTest::addColumn<int>("mot");
    QTest::addColumn<bool>("liste");
    QTest::addColumn<int>("liberation");
    QTest::addColumn<int>("motApres");

    QTest::newRow("1 : marqué") << 1 << true << int(Liberation::Liberee) << 0;
    QTest::newRow("33 : lecture seule et archive, libre") << 33 << false << int(Liberation::DejaLibre) << 33;
    QTest::newRow("lecture seule et système") << 0x05 << false << int(Liberation::DejaLibre) << 0x05;
    QTest::newRow("archive") << 0x20 << false << int(Liberation::DejaLibre) << 0x20;
    QTest::newRow("aucun attribut") << 0 << false << int(Liberation::DejaLibre) << 0;
}

void TestMarques::mot()
{
    QFETCH(int, mot);
    QFETCH(bool, liste);
    QFETCH(int, liberation);
    QFETCH(int, motApres);

    Classe classe;
    const QString chemin = classe.ecrire(QStringLiteral("conte.txt"), "Il était une fois\r\n");
    AttributsMemoire attributs;
    attributs.mots[chemin] = quint16(mot);

    const ReleveMarques releve = releverMarques(classe.dossier(), attributs);
    QCOMPARE(releve.marques.size(), liste ? 1 : 0);
    if (liste) {
        QCOMPARE(releve.marques.first().chemin, QStringLiteral("conte.txt"));
        QCOMPARE(releve.marques.first().taille, 20);
    }
    QCOMPARE(int(liberer(chemin, attributs).etat), liberation);
    QCOMPARE(int(attributs.mots.value(chemin)), motApres);
}

void TestMarques::sous_dossiers_et_extension()
{
    Classe classe;
    QVERIFY(QDir(classe.dossier()).mkpath(QStringLiteral("CM1/groupe")));
    AttributsMemoire attributs;
    attributs.motParDefaut = attribut::marque;
    for (const char *nom : {"b.txt", "CM1/A.TXT", "CM1/groupe/c.txt", "CM1/notes.doc", "CM1/.cache.txt"})
        classe.ecrire(QString::fromUtf8(nom), "x");

    QStringList chemins;
    for (const TexteMarque &t : releverMarques(classe.dossier(), attributs).marques)
        chemins << t.chemin;
    QCOMPARE(chemins, (QStringList{"CM1/A.TXT", "CM1/groupe/c.txt", "b.txt"}));
}

QTEST_GUILESS_MAIN(TestMarques)
#include "test_marques.moc"
