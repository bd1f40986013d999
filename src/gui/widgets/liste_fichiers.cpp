#include "gui/widgets/liste_fichiers.h"

#include <QDir>
#include <QGuiApplication>
#include <QPointer>
#include <QScrollBar>

#include <algorithm>
#include <utility>
#include <vector>

ListeFichiers::ListeFichiers(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    // A click on the name already selected reads the text again, so the
    // current-item signal alone is not enough.
    connect(this, &QListWidget::itemClicked, this, [this] {
        if (!m_actualisation)
            emit selectionParLeLecteur();
    });
    connect(this, &QListWidget::currentRowChanged, this, [this](int ligne) {
        // Mouse presses are announced by itemClicked once the click is complete.
        if (!m_actualisation && ligne >= 0 && item(ligne)->isSelected()
            && QGuiApplication::mouseButtons() == Qt::NoButton)
            emit selectionParLeLecteur();
    });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (!m_actualisation)
            emit defileParLeLecteur();
    });
}

void ListeFichiers::focusInEvent(QFocusEvent *e)
{
    QListWidget::focusInEvent(e);
    // Focus coming in by Tab or with the window's activation makes the first
    // row current without selecting it. That reads nothing, and the first
    // Down must then select the first row, not the second.
    if (currentItem() && !currentItem()->isSelected())
        selectionModel()->clearCurrentIndex();
}

QStringList ListeFichiers::nomsTextes(const QString &dossier, bool *lisible)
{
    // Without QDir::CaseSensitive the pattern ignores case: "CONTE.TXT" is a
    // text, as on Windows. Hidden files are not listed.
    const QDir dir(dossier, QStringLiteral("*.txt"), QDir::Unsorted, QDir::Files);
    const QStringList noms = dir.entryList();
    // Only a listing that found nothing asks whether the folder is there to
    // be read: on a share each question is a round trip, at every refresh.
    const bool ok = !noms.isEmpty() || (dir.exists() && dir.isReadable());
    if (lisible)
        *lisible = ok;
    if (!ok)
        return {};
    // QDir's Name | IgnoreCase order, without QDir's sort, which copies file
    // information at every comparison and costs twice the listing: each name
    // lowered once, then compared as QDir compares them.
    std::vector<std::pair<QString, QString>> cles;
    cles.reserve(size_t(noms.size()));
    for (const QString &nom : noms)
        cles.emplace_back(nom.toLower(), nom);
    std::sort(cles.begin(), cles.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    QStringList tries;
    tries.reserve(noms.size());
    for (auto &cle : cles)
        tries.append(std::move(cle.second));
    return tries;
}

void ListeFichiers::definirDossier(const QString &chemin)
{
    m_dossier = chemin;
    const QSignalBlocker bloque(this);
    clear();
    actualiser();
}

void ListeFichiers::actualiser()
{
    // A burst of wheel notches on a slow share reads the folder twice, not
    // once a notch.
    if (m_enLecture) {
        m_encore = true;
        return;
    }
    m_enLecture = true;
    m_arrierePlan([dossier = m_dossier, moi = QPointer<ListeFichiers>(this)] {
        bool lisible = false;
        QStringList noms = nomsTextes(dossier, &lisible);
        return Suite([moi, dossier, noms = std::move(noms), lisible] {
            if (moi)
                moi->montrer(dossier, noms, lisible);
        });
    });
}

void ListeFichiers::montrer(const QString &dossier, const QStringList &noms, bool lisible)
{
    m_enLecture = false;
    // Another folder asked for meanwhile: this reading is no longer wanted.
    if (dossier != m_dossier || m_encore) {
        m_encore = false;
        actualiser();
        if (dossier != m_dossier)
            return;
    }
    m_actualisation = true;
    const QString selection = nomSelectionne();
    const int defilement = verticalScrollBar()->value();
    bool identique = noms.size() == count();
    for (int i = 0; identique && i < count(); ++i)
        identique = item(i)->text() == noms.at(i);
    if (!identique) {
        clear();
        addItems(noms);
        if (!selection.isEmpty()) {
            const int ligne = int(noms.indexOf(selection));
            if (ligne >= 0)
                setCurrentRow(ligne);
        }
        verticalScrollBar()->setValue(defilement);
    }
    m_actualisation = false;
    emit lue(lisible);
}

QString ListeFichiers::nomSelectionne() const
{
    const QListWidgetItem *i = currentItem();
    return i ? i->text() : QString();
}
