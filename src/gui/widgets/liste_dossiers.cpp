#include "gui/widgets/liste_dossiers.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHelpEvent>
#include <QKeyEvent>
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
    if (definirDossier(chemin))
        emit dossierChange();
    else
        emit dossierIllisible(chemin);
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

bool ListeDossiers::definirDossier(const QString &chemin)
{
    const QDir dir(chemin);
    if (!dir.exists() || !dir.isReadable())
        return false;
    // A link to a folder leads out of the class folder (or anywhere): Plumor
    // neither shows one nor saves through one.
    const QStringList sousDossiers =
        dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name | QDir::IgnoreCase);
    // An unreadable folder lists nothing at all, not even "." and "..".
    if (sousDossiers.isEmpty() && dir.entryList(QDir::AllEntries | QDir::System | QDir::Hidden).isEmpty())
        return false;

    m_dossier = QDir::cleanPath(dir.absolutePath());
    clear();
    const QIcon ouvert = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon ferme = style()->standardIcon(QStyle::SP_DirClosedIcon);

    // The path from the root, one entry per folder, each indented one step more.
    QStringList ancetres;
    for (QDir d(m_dossier);; ) {
        ancetres.prepend(d.absolutePath());
        if (d.isRoot() || !d.cdUp())
            break;
    }
    int profondeur = 0;
    for (const QString &a : std::as_const(ancetres)) {
        const QString nom = QDir(a).isRoot() ? QDir::toNativeSeparators(a) : QFileInfo(a).fileName();
        auto *item = new QListWidgetItem(ouvert, nom, this);
        item->setData(roleChemin, a);
        item->setData(roleProfondeur, profondeur);
        ++profondeur;
    }
    setCurrentRow(count() - 1);
    QListWidgetItem *courant = currentItem();
    for (const QString &nom : sousDossiers) {
        auto *item = new QListWidgetItem(ferme, nom, this);
        item->setData(roleChemin, dir.absoluteFilePath(nom));
        item->setData(roleProfondeur, profondeur);
    }
    scrollToItem(courant, QAbstractItemView::PositionAtTop);
    return true;
}
