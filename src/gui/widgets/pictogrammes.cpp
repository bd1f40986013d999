#include "gui/widgets/pictogrammes.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <initializer_list>

namespace {

// Tool pictures are drawn on a 16-unit grid, the program icon on a 32-unit
// grid (or a simpler 16-unit one for tiny sizes). Outlines sit on half units so that at the native size each stroke
// covers exactly one row of pixels instead of smearing over two.
constexpr qreal grilleOutil = 16.0;
constexpr qreal grilleIcone = 32.0;

QPen contour(const QColor &couleur, qreal largeur)
{
    QPen stylo(couleur, largeur);
    stylo.setJoinStyle(Qt::MiterJoin);
    stylo.setCapStyle(Qt::SquareCap);
    return stylo;
}

QPen trait(const QColor &couleur, qreal largeur)
{
    QPen stylo(couleur, largeur);
    stylo.setJoinStyle(Qt::RoundJoin);
    stylo.setCapStyle(Qt::FlatCap);
    return stylo;
}

QPolygonF polygone(std::initializer_list<QPointF> points)
{
    return QPolygonF(QVector<QPointF>(points));
}

void remplir(QPainter &p, const QPainterPath &forme, const QColor &fond,
             const QColor &bord, qreal largeur)
{
    p.setPen(contour(bord, largeur));
    p.setBrush(fond);
    p.drawPath(forme);
}

void remplir(QPainter &p, const QPolygonF &forme, const QColor &fond,
             const QColor &bord, qreal largeur)
{
    p.setPen(contour(bord, largeur));
    p.setBrush(fond);
    p.drawPolygon(forme);
}

void remplir(QPainter &p, const QRectF &forme, const QColor &fond,
             const QColor &bord, qreal largeur)
{
    p.setPen(contour(bord, largeur));
    p.setBrush(fond);
    p.drawRect(forme);
}

// Short horizontal strokes standing for lines of writing on a page.
void lignesDEcriture(QPainter &p, qreal x0, qreal x1, qreal y0, int nombre,
                     qreal pas, const QColor &couleur)
{
    p.setPen(trait(couleur, 1.0));
    for (int i = 0; i < nombre; ++i) {
        const qreal y = y0 + i * pas;
        // Every other line is shorter, like the end of a sentence.
        const qreal fin = (i % 2 == 1) ? x1 - 2.0 : x1;
        p.drawLine(QPointF(x0, y), QPointF(fin, y));
    }
}

// --- 16-unit tool pictures ------------------------------------------------

void dessinerDossier(QPainter &p, qreal t)
{
    const QColor bord(0x7a, 0x5a, 0x00);
    const QColor dos(0xe2, 0xa8, 0x1e);
    const QColor devant(0xff, 0xd8, 0x4a);
    const QColor reflet(0xff, 0xee, 0xa0);

    // Back of the folder with its tab.
    remplir(p, polygone({{0.5, 3.5}, {5.5, 3.5}, {6.5, 4.5}, {12.5, 4.5},
                         {12.5, 13.5}, {0.5, 13.5}}),
            dos, bord, t);
    // A sheet peeking out tells the folder is open and holds something.
    remplir(p, QRectF(2.5, 5.5, 9.0, 4.0), Qt::white, QColor(0x80, 0x80, 0x80), t);
    // Front flap, tilted forward.
    remplir(p, polygone({{0.5, 13.5}, {3.5, 7.5}, {15.5, 7.5}, {12.5, 13.5}}),
            devant, bord, t);
    p.setPen(trait(reflet, 1.0));
    p.drawLine(QPointF(4.0, 8.5), QPointF(14.0, 8.5));
}

void dessinerDisquette(QPainter &p, qreal t)
{
    const QColor bord(0x14, 0x32, 0x6a);
    const QColor corps(0x2e, 0x6c, 0xd0);
    const QColor metal(0xd0, 0xd4, 0xda);
    const QColor lignes(0x7a, 0xa0, 0xd8);

    remplir(p, polygone({{1.5, 1.5}, {13.5, 1.5}, {14.5, 2.5}, {14.5, 14.5},
                         {1.5, 14.5}}),
            corps, bord, t);
    // Metal shutter with the window onto the disc.
    remplir(p, QRectF(4.5, 1.5, 7.0, 5.0), metal, bord, t);
    p.setPen(Qt::NoPen);
    p.setBrush(bord);
    p.drawRect(QRectF(8.0, 3.0, 2.0, 2.0));
    // Paper label.
    remplir(p, QRectF(3.5, 8.5, 9.0, 6.0), Qt::white, bord, t);
    lignesDEcriture(p, 5.0, 11.0, 10.5, 2, 2.0, lignes);
}

void dessinerImprimante(QPainter &p, qreal t)
{
    const QColor bord(0x40, 0x44, 0x4c);
    const QColor corps(0xb8, 0xbc, 0xc4);
    const QColor dessus(0x90, 0x94, 0x9c);
    const QColor papier(0x70, 0x74, 0x7c);
    const QColor encre(0x4a, 0x7a, 0xd0);

    // Sheet waiting at the back.
    remplir(p, QRectF(3.5, 0.5, 9.0, 7.0), Qt::white, papier, t);
    lignesDEcriture(p, 5.0, 11.0, 2.5, 2, 2.0, encre);
    // Body, its top in shadow.
    remplir(p, QRectF(0.5, 6.5, 15.0, 7.0), corps, bord, t);
    p.setPen(Qt::NoPen);
    p.setBrush(dessus);
    p.drawRect(QRectF(1.0, 7.0, 14.0, 2.0));
    // Power light.
    p.setBrush(QColor(0x30, 0xc0, 0x30));
    p.drawRect(QRectF(12.0, 10.0, 2.0, 1.0));
    // Printed sheet coming out at the front.
    remplir(p, QRectF(3.5, 11.5, 9.0, 4.0), Qt::white, papier, t);
    p.setPen(trait(encre, 1.0));
    p.drawLine(QPointF(5.0, 13.5), QPointF(11.0, 13.5));
}

void dessinerCiseaux(QPainter &p, qreal t)
{
    const QColor bord(0x40, 0x44, 0x4c);
    const QColor lame(0xdc, 0xe0, 0xe6);
    const QColor poignee(0xd8, 0x30, 0x30);
    const QColor bordPoignee(0x78, 0x10, 0x10);

    // One half of the scissors: a blade with a straight cutting edge and a
    // curved back, crossing the pivot to reach the ring on the other side.
    QPainterPath moitie;
    moitie.moveTo(2.0, 0.5);
    moitie.lineTo(9.5, 7.5);
    moitie.lineTo(11.5, 9.5);
    moitie.lineTo(9.5, 12.0);
    moitie.lineTo(6.5, 10.5);
    moitie.quadTo(3.0, 6.5, 2.0, 0.5);
    moitie.closeSubpath();

    // The hole is left unoutlined: at small sizes a second outline would
    // fill it in.
    const QPointF centreAnneau(12.5, 12.5);
    QPainterPath anneau;
    anneau.setFillRule(Qt::OddEvenFill);
    anneau.addEllipse(centreAnneau, 3.0, 3.0);
    anneau.addEllipse(centreAnneau, 1.4, 1.4);

    // The far half is the mirror image of the near one around the middle.
    for (int cote = 0; cote < 2; ++cote) {
        p.save();
        if (cote == 0) {
            p.translate(grilleOutil, 0.0);
            p.scale(-1.0, 1.0);
        }
        remplir(p, moitie, lame, bord, t);
        p.setPen(Qt::NoPen);
        p.setBrush(poignee);
        p.drawPath(anneau);
        p.setPen(contour(bordPoignee, t));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(centreAnneau, 3.0, 3.0);
        p.restore();
    }
    p.setPen(Qt::NoPen);
    p.setBrush(bord);
    p.drawEllipse(QPointF(8.0, 8.6), 0.9, 0.9);
}

// A white page with a folded top-right corner.
void page(QPainter &p, const QRectF &r, qreal t, const QColor &bord,
          const QColor &lignes, int nombreLignes)
{
    const qreal coin = 3.0;
    remplir(p, polygone({r.topLeft(), {r.right() - coin, r.top()},
                         {r.right(), r.top() + coin}, r.bottomRight(),
                         r.bottomLeft()}),
            Qt::white, bord, t);
    remplir(p, polygone({{r.right() - coin, r.top()},
                         {r.right() - coin, r.top() + coin},
                         {r.right(), r.top() + coin}}),
            QColor(0xdc, 0xe0, 0xe8), bord, t);
    lignesDEcriture(p, r.left() + 1.5, r.right() - 1.5, r.top() + coin + 1.0,
                    nombreLignes, 2.0, lignes);
}

void dessinerDeuxPages(QPainter &p, qreal t)
{
    const QColor bord(0x50, 0x58, 0x68);
    const QColor lignes(0x6a, 0x94, 0xd4);
    page(p, QRectF(1.5, 0.5, 8.0, 10.0), t, bord, lignes, 3);
    page(p, QRectF(6.5, 5.5, 8.0, 10.0), t, bord, lignes, 3);
}

void dessinerPressePapiers(QPainter &p, qreal t)
{
    const QColor bord(0x5a, 0x32, 0x0e);
    const QColor planche(0xb8, 0x78, 0x38);
    const QColor metal(0xd0, 0xd4, 0xda);
    const QColor bordMetal(0x40, 0x44, 0x4c);
    const QColor lignes(0x6a, 0x94, 0xd4);

    QPainterPath forme;
    forme.addRoundedRect(QRectF(1.5, 1.5, 12.0, 14.0), 1.0, 1.0);
    remplir(p, forme, planche, bord, t);
    remplir(p, QRectF(3.5, 4.5, 8.0, 9.0), Qt::white, QColor(0x70, 0x74, 0x7c), t);
    lignesDEcriture(p, 5.0, 10.0, 6.5, 3, 2.0, lignes);
    // The clip holding the page.
    remplir(p, polygone({{5.5, 0.5}, {9.5, 0.5}, {9.5, 2.5}, {10.5, 2.5},
                         {10.5, 4.5}, {4.5, 4.5}, {4.5, 2.5}, {5.5, 2.5}}),
            metal, bordMetal, t);
}

// --- 32-unit program icon -------------------------------------------------

// Colours shared by the large and the small program icon.
struct Teintes {
    QColor bordPeau{0x8a, 0x50, 0x20};
    QColor peau{0xff, 0xd4, 0xa4};
    QColor cheveux{0xc8, 0x5a, 0x14};
    QColor bordCheveux{0x6a, 0x28, 0x00};
    QColor yeux{0x20, 0x24, 0x40};
    QColor joues{0xff, 0x98, 0x98};
    QColor bouche{0xb0, 0x20, 0x30};
    QColor bordBouche{0x70, 0x10, 0x18};
    QColor bordCrayon{0x5a, 0x40, 0x08};
    QColor corpsCrayon{0xff, 0xd0, 0x1c};
    QColor ombreCrayon{0xe8, 0xa0, 0x00};
    QColor bois{0xf4, 0xcc, 0x94};
    QColor mine{0x38, 0x38, 0x40};
    QColor bague{0xb4, 0xb8, 0xc0};
    QColor gomme{0xff, 0x8c, 0xa8};
};

void dessinerCrayon(QPainter &p, qreal t)
{
    const Teintes c;

    // Drawn lying along +x with the point at the origin, then tilted by the
    // caller; 25 units long, 6 units wide.
    const qreal demi = 3.0;
    remplir(p, QRectF(19.0, -demi, 4.0, 2 * demi), c.gomme, c.bordCrayon, t);
    remplir(p, QRectF(16.5, -demi, 3.0, 2 * demi), c.bague, c.bordCrayon, t);
    remplir(p, QRectF(6.0, -demi, 10.5, 2 * demi), c.corpsCrayon, c.bordCrayon, t);
    // The shaded lower half gives the round body some volume.
    p.setPen(Qt::NoPen);
    p.setBrush(c.ombreCrayon);
    p.drawRect(QRectF(6.0 + t / 2, 0.7, 10.5 - t, demi - 0.7 - t / 2));
    remplir(p, polygone({{6.0, -demi}, {0.0, 0.0}, {6.0, demi}}), c.bois,
            c.bordCrayon, t);
    remplir(p, polygone({{2.2, -1.1}, {0.0, 0.0}, {2.2, 1.1}}), c.mine, c.mine, t);
}

// Small renderings get their own simpler drawing on the 16-unit grid: the
// large one shrunk down turns into a blur of outlines.
void dessinerPlumorPetit(QPainter &p, qreal t)
{
    const Teintes c;

    p.setPen(contour(c.bordPeau, t));
    p.setBrush(c.peau);
    p.drawEllipse(QPointF(6.5, 8.5), 6.0, 6.0);

    QPainterPath chevelure;
    chevelure.moveTo(0.5, 9.0);
    chevelure.cubicTo(0.0, 4.0, 3.0, 1.5, 6.5, 1.5);
    chevelure.cubicTo(10.0, 1.5, 13.0, 4.0, 12.5, 9.0);
    chevelure.quadTo(11.5, 6.5, 10.5, 5.5);
    chevelure.quadTo(8.5, 7.0, 6.5, 5.5);
    chevelure.quadTo(4.5, 7.0, 2.5, 5.5);
    chevelure.quadTo(1.5, 6.5, 0.5, 9.0);
    chevelure.closeSubpath();
    p.setPen(trait(c.bordCheveux, t));
    p.setBrush(c.cheveux);
    p.drawPath(chevelure);

    p.setPen(Qt::NoPen);
    p.setBrush(c.yeux);
    p.drawRect(QRectF(3.0, 7.5, 1.0, 2.0));
    p.drawRect(QRectF(9.0, 7.5, 1.0, 2.0));

    QPainterPath sourire;
    sourire.moveTo(4.0, 10.0);
    sourire.lineTo(9.0, 10.0);
    sourire.lineTo(9.0, 11.0);
    sourire.quadTo(8.5, 13.0, 6.5, 13.0);
    sourire.quadTo(4.5, 13.0, 4.0, 11.0);
    sourire.closeSubpath();
    p.setBrush(c.bouche);
    p.drawPath(sourire);

    // At this size only an upright pencil stays sharp.
    remplir(p, QRectF(11.5, 0.5, 4.0, 2.0), c.gomme, c.bordCrayon, t);
    remplir(p, QRectF(11.5, 2.5, 4.0, 1.5), c.bague, c.bordCrayon, t);
    remplir(p, QRectF(11.5, 4.0, 4.0, 7.0), c.corpsCrayon, c.bordCrayon, t);
    p.setPen(Qt::NoPen);
    p.setBrush(c.ombreCrayon);
    p.drawRect(QRectF(14.0, 4.5, 1.0, 6.0));
    remplir(p, polygone({{11.5, 11.0}, {15.5, 11.0}, {13.5, 15.5}}), c.bois,
            c.bordCrayon, t);
    p.setPen(Qt::NoPen);
    p.setBrush(c.mine);
    p.drawRect(QRectF(13.0, 14.0, 1.0, 2.0));
}

void dessinerPlumor(QPainter &p, qreal t)
{
    const Teintes c;

    const QPointF centre(14.0, 16.5);
    const qreal rayon = 11.5;

    // Ears first so the face covers their inner half.
    p.setPen(contour(c.bordPeau, t));
    p.setBrush(c.peau);
    p.drawEllipse(QPointF(centre.x() - rayon, centre.y() + 1.0), 2.0, 3.0);
    p.drawEllipse(QPointF(centre.x() + rayon, centre.y() + 1.0), 2.0, 3.0);
    p.drawEllipse(centre, rayon, rayon);

    // Hair: a cap over the top of the head ending in a fringe of tufts.
    QPainterPath chevelure;
    chevelure.moveTo(centre.x() - rayon - 0.8, centre.y() + 1.0);
    chevelure.cubicTo(centre.x() - rayon - 1.5, centre.y() - 11.0,
                      centre.x() - 6.0, centre.y() - rayon - 2.5,
                      centre.x() + 1.0, centre.y() - rayon - 1.0);
    chevelure.cubicTo(centre.x() + 8.0, centre.y() - rayon - 1.5,
                      centre.x() + rayon + 1.5, centre.y() - 9.0,
                      centre.x() + rayon + 0.8, centre.y() + 1.0);
    // Fringe, right to left: scallops hanging over the forehead.
    chevelure.quadTo(centre.x() + 9.0, centre.y() - 4.0,
                     centre.x() + 7.0, centre.y() - 6.5);
    chevelure.quadTo(centre.x() + 5.0, centre.y() - 3.5,
                     centre.x() + 2.0, centre.y() - 6.5);
    chevelure.quadTo(centre.x() - 1.0, centre.y() - 3.5,
                     centre.x() - 3.5, centre.y() - 6.5);
    chevelure.quadTo(centre.x() - 6.0, centre.y() - 3.5,
                     centre.x() - 8.0, centre.y() - 6.0);
    chevelure.quadTo(centre.x() - 9.5, centre.y() - 3.0,
                     centre.x() - rayon - 0.8, centre.y() + 1.0);
    chevelure.closeSubpath();
    p.setPen(trait(c.bordCheveux, t));
    p.setBrush(c.cheveux);
    p.drawPath(chevelure);

    // Eyes, with a white glint so they look alive.
    p.setPen(Qt::NoPen);
    p.setBrush(c.yeux);
    p.drawEllipse(QPointF(centre.x() - 4.0, centre.y() + 0.5), 1.6, 2.2);
    p.drawEllipse(QPointF(centre.x() + 4.0, centre.y() + 0.5), 1.6, 2.2);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(centre.x() - 3.5, centre.y() - 0.3), 0.6, 0.6);
    p.drawEllipse(QPointF(centre.x() + 4.5, centre.y() - 0.3), 0.6, 0.6);

    p.setBrush(c.joues);
    p.drawEllipse(QPointF(centre.x() - 7.0, centre.y() + 4.5), 2.0, 1.3);
    p.drawEllipse(QPointF(centre.x() + 7.0, centre.y() + 4.5), 2.0, 1.3);

    // Smile: an open mouth shaped like a slice of melon.
    QPainterPath sourire;
    sourire.moveTo(centre.x() - 4.5, centre.y() + 5.0);
    sourire.quadTo(centre.x(), centre.y() + 6.0,
                   centre.x() + 4.5, centre.y() + 5.0);
    sourire.quadTo(centre.x() + 4.0, centre.y() + 10.0,
                   centre.x(), centre.y() + 10.0);
    sourire.quadTo(centre.x() - 4.0, centre.y() + 10.0,
                   centre.x() - 4.5, centre.y() + 5.0);
    sourire.closeSubpath();
    p.setPen(trait(c.bordBouche, t));
    p.setBrush(c.bouche);
    p.drawPath(sourire);

    // The pencil stands in front of the lower right of the face, point down.
    p.save();
    p.translate(19.5, 30.0);
    p.rotate(-62.0);
    dessinerCrayon(p, t);
    p.restore();
}

} // namespace

QPixmap dessinerPictogramme(Pictogramme quoi, int taille)
{
    QPixmap image(taille, taille);
    image.fill(Qt::transparent);
    if (taille <= 0)
        return image;

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    const bool grandeIcone = (quoi == Pictogramme::Plumor && taille >= 20);
    const qreal grille = grandeIcone ? grilleIcone : grilleOutil;
    const qreal echelle = taille / grille;
    p.scale(echelle, echelle);

    // One unit of outline looks right up to three pixels; beyond that it
    // turns heavy, so large renderings get a proportionally finer stroke.
    // Below one pixel it would fade out, so it never goes thinner than that.
    const qreal pixels = qBound(1.0, echelle, 3.0 + (echelle - 3.0) * 0.5);
    const qreal t = pixels / echelle;

    switch (quoi) {
    case Pictogramme::OuvrirDossier: dessinerDossier(p, t); break;
    case Pictogramme::Disquette: dessinerDisquette(p, t); break;
    case Pictogramme::Imprimante: dessinerImprimante(p, t); break;
    case Pictogramme::Ciseaux: dessinerCiseaux(p, t); break;
    case Pictogramme::DeuxPages: dessinerDeuxPages(p, t); break;
    case Pictogramme::PressePapiers: dessinerPressePapiers(p, t); break;
    case Pictogramme::Plumor:
        if (grandeIcone)
            dessinerPlumor(p, t);
        else
            dessinerPlumorPetit(p, t);
        break;
    }
    return image;
}

namespace {

// Paints each size of a picture the first time it is asked for: a button
// shows one size, and painting the program's seven (up to 256 pixels) at
// start-up costs more than building the rest of the window. Every request
// first paints the size an eager icon holding all the sizes would pick, then
// answers from the sizes painted so far, so the result is the same.
class MoteurPictogramme : public QIconEngine
{
public:
    MoteurPictogramme(Pictogramme quoi, QList<int> tailles) : m_quoi(quoi), m_tailles(std::move(tailles)) {}

    void paint(QPainter *p, const QRect &r, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal dpr = p->device() ? p->device()->devicePixelRatio() : 1.0;
        preparer(r.size() * dpr);
        m_icone.paint(p, r, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize &taille, QIcon::Mode mode, QIcon::State state) override
    {
        preparer(taille);
        // `taille` is in device pixels already.
        return m_icone.pixmap(taille, 1.0, mode, state);
    }
    QSize actualSize(const QSize &taille, QIcon::Mode mode, QIcon::State state) override
    {
        preparer(taille);
        return m_icone.actualSize(taille, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> tailles;
        for (int t : m_tailles)
            tailles.append(QSize(t, t));
        return tailles;
    }
    QIconEngine *clone() const override { return new MoteurPictogramme(*this); }
    QString key() const override { return QStringLiteral("plumor-pictogramme"); }

private:
    // The size an icon holding them all would pick: the smallest at least as
    // large as asked, or else the largest.
    void preparer(const QSize &demandee)
    {
        const int aire = demandee.width() * demandee.height();
        int choisie = m_tailles.constLast();
        for (int t : m_tailles) {
            if (t * t >= aire) {
                choisie = t;
                break;
            }
        }
        if (!m_peintes.contains(choisie)) {
            m_icone.addPixmap(dessinerPictogramme(m_quoi, choisie));
            m_peintes.append(choisie);
        }
    }

    Pictogramme m_quoi;
    QList<int> m_tailles; // ascending
    QList<int> m_peintes;
    QIcon m_icone;
};

} // namespace

QIcon iconePictogramme(Pictogramme quoi)
{
    QList<int> tailles{16, 22, 32};
    if (quoi == Pictogramme::Plumor)
        tailles << 48 << 64 << 128 << 256;
    return QIcon(new MoteurPictogramme(quoi, tailles));
}
