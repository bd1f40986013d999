#include "fenetre.h"

#include "app/demarrage.h"
#include "ui/disposition.h"
#include "ui/geometrie.h"
#include "ui/twips.h"
#include "ui/zone_texte.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

#include <climits>

using disposition::Disposition;

namespace {

// The fields in a fixed order, so that QCOMPARE shows every figure on failure.
QList<int> champs(const Disposition &d)
{
    return {d.largeurFenetre, d.hauteurFenetre, d.gauche_Frame3, d.hauteur_Frame3, d.hauteur_Text2,
            d.haut_nom_texte2, d.haut_taille, d.hauteur_Text1, d.largeur_Text1, d.haut_taille_plumor,
            d.haut_Label4};
}

} // namespace

class TestDisposition : public QObject
{
    Q_OBJECT
private:
    Classe m_classe;

private slots:
    void initTestCase() { preparerApplication(*qApp); }

    // Whole layouts worked out by hand from the design-time places.
    void figures_data()
    {
        QTest::addColumn<int>("largeur");
        QTest::addColumn<int>("hauteur");
        QTest::addColumn<QList<int>>("attendu");
        // window w, h | Frame3 left, height | Text2 height | nom_texte2, taille top
        // | Text1 height, width | taille_plumor, Label4 top
        QTest::newRow("minimum") << 12000 << 6000
                                 << QList<int>{12000, 6000, 6290, 5200, 2300, 4750, 4750, 3665, 5990, 4750, 4750};
        QTest::newRow("design") << 12225 << 8565
                                << QList<int>{12225, 8565, 6515, 7765, 4865, 7315, 7315, 6230, 6215, 7315, 7315};
        QTest::newRow("grande") << 20000 << 12000
                                << QList<int>{20000, 12000, 14290, 11200, 8300, 10750, 10750, 9665, 13990, 10750,
                                              10750};
    }
    void figures()
    {
        QFETCH(int, largeur);
        QFETCH(int, hauteur);
        QFETCH(QList<int>, attendu);
        QCOMPARE(champs(disposition::calculer(largeur, hauteur)), attendu);
    }

    void elargir_data()
    {
        QTest::addColumn<int>("delta");
        QTest::newRow("1 twip") << 1;
        QTest::newRow("1 pixel") << 15;
        QTest::newRow("3000") << 3000;
        QTest::newRow("enorme") << 100000000;
    }
    // Frame3 goes right and Text1 widens by the same amount; nothing else moves.
    void elargir()
    {
        QFETCH(int, delta);
        const Disposition base = disposition::calculer(12000, 7000);
        Disposition attendu = base;
        attendu.largeurFenetre += delta;
        attendu.gauche_Frame3 += delta;
        attendu.largeur_Text1 += delta;
        QCOMPARE(champs(disposition::calculer(12000 + delta, 7000)), champs(attendu));
    }

    void allonger_data() { elargir_data(); }
    // Both panes lengthen by the same amount and the four labels follow.
    void allonger()
    {
        QFETCH(int, delta);
        const Disposition base = disposition::calculer(13000, 6000);
        Disposition attendu = base;
        attendu.hauteurFenetre += delta;
        attendu.hauteur_Frame3 += delta;
        attendu.hauteur_Text2 += delta;
        attendu.hauteur_Text1 += delta;
        for (int *haut : {&attendu.haut_nom_texte2, &attendu.haut_taille, &attendu.haut_taille_plumor,
                          &attendu.haut_Label4})
            *haut += delta;
        QCOMPARE(champs(disposition::calculer(13000, 6000 + delta)), champs(attendu));
    }

    // Only the dimension that is too small snaps to the minimum.
    void minimum_data()
    {
        QTest::addColumn<int>("largeur");
        QTest::addColumn<int>("hauteur");
        QTest::addColumn<QSize>("taille");
        QTest::newRow("trop etroite") << 11999 << 8000 << QSize(12000, 8000);
        QTest::newRow("trop basse") << 15000 << 5999 << QSize(15000, 6000);
        QTest::newRow("les deux") << 3000 << 2000 << QSize(12000, 6000);
        QTest::newRow("nulle") << 0 << 0 << QSize(12000, 6000);
        QTest::newRow("negative") << INT_MIN << -1 << QSize(12000, 6000);
        QTest::newRow("juste") << 12000 << 6000 << QSize(12000, 6000);
        QTest::newRow("au-dessus") << 12001 << 6001 << QSize(12001, 6001);
    }
    void minimum()
    {
        QFETCH(int, largeur);
        QFETCH(int, hauteur);
        QFETCH(QSize, taille);
        const Disposition d = disposition::calculer(largeur, hauteur);
        QCOMPARE(QSize(d.largeurFenetre, d.hauteurFenetre), taille);
        // The controls are laid out for the corrected size, not the asked one.
        QCOMPARE(champs(d), champs(disposition::calculer(taille.width(), taille.height(), false)));
    }

    // Sizes that the minimum does not guard (a maximised or minimised window).
    void jamaisNegatif_data()
    {
        QTest::addColumn<int>("largeur");
        QTest::addColumn<int>("hauteur");
        QTest::addColumn<bool>("imposerMinimum");
        const int tailles[][2] = {{0, 0}, {1, 1}, {5709, 2899}, {6010, 3400}, {12000, 100}, {100, 6000},
                                  {-1, -1}, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, {INT_MAX, 0}};
        for (const auto &t : tailles)
            for (const bool imposer : {false, true})
                QTest::addRow("%d x %d%s", t[0], t[1], imposer ? " minimum" : "")
                    << t[0] << t[1] << imposer;
    }
    void jamaisNegatif()
    {
        QFETCH(int, largeur);
        QFETCH(int, hauteur);
        QFETCH(bool, imposerMinimum);
        const Disposition d = disposition::calculer(largeur, hauteur, imposerMinimum);
        for (int v : {d.largeurFenetre, d.hauteurFenetre, d.hauteur_Frame3, d.hauteur_Text2, d.hauteur_Text1,
                      d.largeur_Text1})
            QVERIFY2(v >= 0, qPrintable(QString::number(v)));
        // The labels stay right under their panes, even when those are empty.
        QCOMPARE(d.haut_nom_texte2, disposition::haut_Text2 + d.hauteur_Text2 + 50);
        QCOMPARE(d.haut_taille, d.haut_nom_texte2);
        QCOMPARE(d.haut_Label4, disposition::haut_Text1 + d.hauteur_Text1 + 50);
        QCOMPARE(d.haut_taille_plumor, d.haut_Label4);
        if (!imposerMinimum && largeur >= 0 && hauteur >= 0)
            QCOMPARE(QSize(d.largeurFenetre, d.hauteurFenetre), QSize(largeur, hauteur));
    }

    // A minimised, maximised or full-screen window is never resized.
    void etats_data()
    {
        QTest::addColumn<Qt::WindowStates>("etat");
        QTest::addColumn<bool>("imposable");
        QTest::newRow("normale") << Qt::WindowStates(Qt::WindowNoState) << true;
        QTest::newRow("active") << Qt::WindowStates(Qt::WindowActive) << true;
        QTest::newRow("reduite") << Qt::WindowStates(Qt::WindowMinimized) << false;
        QTest::newRow("agrandie") << Qt::WindowStates(Qt::WindowMaximized) << false;
        QTest::newRow("agrandie active") << (Qt::WindowMaximized | Qt::WindowActive) << false;
        QTest::newRow("reduite depuis agrandie") << (Qt::WindowMinimized | Qt::WindowMaximized) << false;
        QTest::newRow("plein ecran") << Qt::WindowStates(Qt::WindowFullScreen) << false;
    }
    void etats()
    {
        QFETCH(Qt::WindowStates, etat);
        QFETCH(bool, imposable);
        QCOMPARE(disposition::minimumImposable(etat), imposable);
        const Disposition d = disposition::pourEtat(9000, 4000, etat);
        QCOMPARE(QSize(d.largeurFenetre, d.hauteurFenetre), imposable ? QSize(12000, 6000) : QSize(9000, 4000));
    }

    // On a real window, in pixels; 15000 x 9000 twips is 1000 x 600 pixels.
    void fenetreReelle_data()
    {
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QRect>("place"); // twips
        QTest::newRow("Frame3") << "Frame3" << QRect(9290, 0, 5610, 8200);
        QTest::newRow("Text2") << "Text2" << QRect(120, 2400, 5385, 5300);
        QTest::newRow("nom_texte2") << "nom_texte2" << QRect(120, 7750, 3465, 285);
        QTest::newRow("taille") << "taille" << QRect(3600, 7750, 1935, 285);
        QTest::newRow("Text1") << "Text1" << QRect(120, 1035, 8990, 6665);
        QTest::newRow("taille_plumor") << "taille_plumor" << QRect(4200, 7750, 2085, 330);
        QTest::newRow("Label4") << "Label4" << QRect(120, 7750, 3975, 330);
        // Untouched controls keep their design-time places.
        QTest::newRow("Frame1") << "Frame1" << QRect(0, 0, 6360, 675);
        QTest::newRow("Label3") << "Label3" << QRect(120, 750, 4305, 225);
        QTest::newRow("Dir1") << "Dir1" << QRect(2880, 360, 2475, 1215);
        QTest::newRow("lexique") << "lexique" << QRect(2160, 2280, 3400, 3960);
    }
    void fenetreReelle()
    {
        QFETCH(QString, nom);
        QFETCH(QRect, place);
        Fenetre f = ouvrirFenetre(m_classe.dossier());
        // Twice: applying the same layout again must not drift.
        for (int fois = 0; fois < 2; ++fois)
            disposition::appliquer(disposition::calculer(15000, 9000), f.c());
        auto *w = f.form->findChild<QWidget *>(nom);
        QVERIFY(w);
        QCOMPARE(w->geometry(), twips::rect(place.x(), place.y(), place.width(), place.height()));
    }

    // The panes' lower edges stay on the same pixel row whatever the size.
    void voletsAlignes_data()
    {
        QTest::addColumn<QSize>("taille");
        for (const QSize s : {QSize(12000, 6000), QSize(12007, 6007), QSize(13333, 7777), QSize(19205, 10799)})
            QTest::addRow("%d x %d", s.width(), s.height()) << s;
    }
    void voletsAlignes()
    {
        QFETCH(QSize, taille);
        Fenetre f = ouvrirFenetre(m_classe.dossier());
        disposition::appliquer(disposition::calculer(taille.width(), taille.height()), f.c());
        const Controles &c = f.c();
        const int basText2 = c.Text2->mapTo(c.client, QPoint(0, c.Text2->height())).y();
        QCOMPARE(c.Text1->geometry().y() + c.Text1->height(), basText2);
        QCOMPARE(c.Label4->y(), c.taille_plumor->y());
        QCOMPARE(c.nom_texte2->mapTo(c.client, QPoint()).y(), c.Label4->y());
    }

    void fenetreGardeeDansLEcran_data()
    {
        QTest::addColumn<QRect>("cadre");
        QTest::addColumn<QRect>("disponible");
        QTest::addColumn<QRect>("attendu");
        const QRect ecran(0, 0, 1024, 768);
        QTest::newRow("tient deja") << QRect(100, 100, 807, 544) << ecran << QRect(100, 100, 807, 544);
        QTest::newRow("centree trop haute, echelle 2") << QRect(-153, -4, 1614, 1088) << QRect(0, 0, 960, 540)
                                                       << QRect(0, 0, 960, 540);
        QTest::newRow("sous un panneau") << QRect(100, 0, 807, 544) << QRect(0, 30, 1024, 738)
                                         << QRect(100, 30, 807, 544);
        QTest::newRow("deborde a droite") << QRect(400, 100, 807, 544) << ecran << QRect(217, 100, 807, 544);
    }
    void fenetreGardeeDansLEcran()
    {
        QFETCH(QRect, cadre);
        QFETCH(QRect, disponible);
        QFETCH(QRect, attendu);
        QCOMPARE(geometrie::dansLEcran(cadre, disponible), attendu);
    }
};

QTEST_MAIN(TestDisposition)
#include "test_disposition.moc"
