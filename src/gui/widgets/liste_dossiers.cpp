#include "gui/widgets/liste_dossiers.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace {
constexpr int roleChemin = Qt::UserRole;
constexpr int roleProfondeur = Qt::UserRole + 1;
constexpr int retraitPixels = 7;

// Each level of the path stands a little to the right of its parent.
class DelegueRetrait : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem decale(option);
        decale.rect.setLeft(option.rect.left() + index.data(roleProfondeur).toInt() * retraitPixels);
        QStyledItemDelegate::paint(p, decale, index);
    }

    // A name cut short by the list's width shows whole in a tooltip; the
    // others leave the list's own tooltip.
    bool helpEvent(QHelpEvent *e, QAbstractItemView *vue, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override
    {
        if (e->type() == QEvent::ToolTip && index.isValid()) {
            QStyleOptionViewItem o(option);
            initStyleOption(&o, index);
            o.rect.setLeft(option.rect.left() + index.data(roleProfondeur).toInt() * retraitPixels);
            const QStyle *style = vue->style();
            const QRect zone = style->subElementRect(QStyle::SE_ItemViewItemText, &o, vue);
            const int marges = 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, vue) + 1);
            if (o.fontMetrics.horizontalAdvance(o.text) > zone.width() - marges) {
                QToolTip::showText(e->globalPos(), o.text, vue);
                return true;
            }
        }
        return QStyledItemDelegate::helpEvent(e, vue, option, index);
    }
};
} // namespace

ListeDossiers::ListeDossiers(QWidget *parent) : QListWidget(parent)
{
    setItemDelegate(new DelegueRetrait(this));
    connect(this, &QListWidget::itemDoubleClicked, this, &ListeDossiers::entrer);
}

void ListeDossiers::entrer(QListWidgetItem *item)
{
    const QString chemin = item->data(roleChemin).toString();
    if (chemin == m_dossier)
        return;
    definirDossier(chemin, [this, chemin](bool lu) {
        if (lu)
            emit dossierChange();
        else
            emit dossierIllisible(chemin);
    });
}

void ListeDossiers::keyPressEvent(QKeyEvent *e)
{
    // Enter does what a double click does, for a pupil using the keyboard.
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && currentItem()) {
        entrer(currentItem());
        return;
    }
    QListWidget::keyPressEvent(e);
}

// What a folder's reading brings back to the window's thread.
struct ListeDossiers::Lu {
    bool lisible = false;
    QString dossier;
    QStringList ancetres, sousDossiers;
};

void ListeDossiers::definirDossier(const QString &chemin, std::function<void(bool)> apres)
{
    const int demande = ++m_demande;
    m_arrierePlan([chemin, demande, apres = std::move(apres), moi = QPointer<ListeDossiers>(this)] {
        Lu lu;
        const QDir dir(chemin);
        // A link to a folder leads out of the class folder (or anywhere): Plumor
        // neither shows one nor saves through one.
        if (dir.exists() && dir.isReadable()) {
            lu.sousDossiers = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name | QDir::IgnoreCase);
            // An unreadable folder lists nothing at all, not even "." and "..".
            lu.lisible = !lu.sousDossiers.isEmpty() || !dir.entryList(QDir::AllEntries | QDir::System | QDir::Hidden).isEmpty();
        }
        if (lu.lisible) {
            lu.dossier = QDir::cleanPath(dir.absolutePath());
            for (QDir d(lu.dossier);;) {
                lu.ancetres.prepend(d.absolutePath());
                if (d.isRoot() || !d.cdUp())
                    break;
            }
        }
        return Suite([moi, demande, apres, lu = std::move(lu)] {
            if (!moi || demande != moi->m_demande)
                return;
            if (lu.lisible)
                moi->montrer(lu);
            if (apres)
                apres(lu.lisible);
        });
    });
}

void ListeDossiers::montrer(const Lu &lu)
{
    m_dossier = lu.dossier;
    clear();
    const QIcon ouvert = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon ferme = style()->standardIcon(QStyle::SP_DirClosedIcon);

    // The path from the root, one entry per folder, each indented one step more.
    int profondeur = 0;
    for (const QString &a : lu.ancetres) {
        const QString nom = QDir(a).isRoot() ? QDir::toNativeSeparators(a) : QFileInfo(a).fileName();
        auto *item = new QListWidgetItem(ouvert, nom, this);
        item->setData(roleChemin, a);
        item->setData(roleProfondeur, profondeur);
        ++profondeur;
    }
    setCurrentRow(count() - 1);
    QListWidgetItem *courant = currentItem();
    const QDir dir(m_dossier);
    for (const QString &nom : lu.sousDossiers) {
        auto *item = new QListWidgetItem(ferme, nom, this);
        item->setData(roleChemin, dir.absoluteFilePath(nom));
        item->setData(roleProfondeur, profondeur);
    }
    scrollToItem(courant, QAbstractItemView::PositionAtTop);
}
