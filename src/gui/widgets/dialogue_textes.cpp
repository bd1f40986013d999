#include "gui/widgets/dialogue_textes.h"

#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

namespace {
constexpr int roleDossier = Qt::UserRole;

void trier(QStringList &noms)
{
    std::sort(noms.begin(), noms.end(), [](const QString &a, const QString &b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
}
} // namespace

DialogueTextes::DialogueTextes(bool enregistrer, ArrierePlan arrierePlan, QWidget *parent)
    : QDialog(parent), m_enregistrer(enregistrer), m_arrierePlan(std::move(arrierePlan)),
      m_chemin(new QComboBox(this)), m_liste(new QListWidget(this)), m_nom(new QLineEdit(this)),
      m_accepter(new QPushButton(enregistrer ? QStringLiteral("Enregistrer") : QStringLiteral("Ouvrir"), this)),
      m_attente(new QTimer(this))
{
    setWindowTitle(enregistrer ? QStringLiteral("Enregistrer sous") : QStringLiteral("Ouvrir"));
    auto *haut = new QToolButton(this);
    haut->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
    haut->setToolTip(QStringLiteral("Dossier parent"));
    haut->setAccessibleName(QStringLiteral("Dossier parent"));
    auto *type = new QComboBox(this);
    type->addItem(QStringLiteral("text files (*.txt)"));
    auto *annuler = new QPushButton(QStringLiteral("Annuler"), this);
    m_accepter->setDefault(true);
    m_liste->setAccessibleName(QStringLiteral("Dossiers et textes"));
    const int petite = style()->pixelMetric(QStyle::PM_SmallIconSize);
    m_liste->setIconSize(QSize(petite, petite));
    m_liste->installEventFilter(this);

    auto *grille = new QGridLayout(this);
    const auto etiquette = [this](const QString &texte, QWidget *pour) {
        auto *l = new QLabel(texte, this);
        l->setBuddy(pour);
        return l;
    };
    grille->addWidget(etiquette(QStringLiteral("&Voir dans :"), m_chemin), 0, 0);
    grille->addWidget(m_chemin, 0, 1);
    grille->addWidget(haut, 0, 2);
    grille->addWidget(m_liste, 1, 0, 1, 3);
    grille->addWidget(etiquette(QStringLiteral("&Nom de fichier :"), m_nom), 2, 0);
    grille->addWidget(m_nom, 2, 1);
    grille->addWidget(m_accepter, 2, 2);
    grille->addWidget(etiquette(QStringLiteral("Fichiers de &type :"), type), 3, 0);
    grille->addWidget(type, 3, 1);
    grille->addWidget(annuler, 3, 2);
    grille->setColumnStretch(1, 1);
    resize(560, 380);

    m_attente->setSingleShot(true);
    m_attente->setInterval(attenteMaximaleMs);
    connect(m_attente, &QTimer::timeout, this, [this] {
        avertir(QStringLiteral("Le lecteur réseau ne répond pas : le dossier « %1 » ne peut pas être montré. "
                               "Réessayez dans un moment.").arg(QDir::toNativeSeparators(m_dossier)));
    });
    connect(haut, &QToolButton::clicked, this, [this] { aller(QFileInfo(m_dossier).absolutePath()); });
    connect(m_chemin, &QComboBox::activated, this, [this](int i) { aller(m_chemin->itemData(i).toString()); });
    connect(m_liste, &QListWidget::itemActivated, this, &DialogueTextes::activer);
    connect(m_liste, &QListWidget::currentItemChanged, this, [this](QListWidgetItem *item) {
        if (item && item->flags().testFlag(Qt::ItemIsSelectable) && !item->data(roleDossier).toBool())
            m_nom->setText(item->text());
    });
    connect(m_accepter, &QPushButton::clicked, this, &DialogueTextes::accepter);
    connect(annuler, &QPushButton::clicked, this, &QDialog::reject);
    m_nom->setFocus();
}

void DialogueTextes::ouvrirSur(const QString &dossier, const QString &nom)
{
    // Proposed selected, as Qt's dialog does: what the pupil types replaces it.
    m_nom->setText(nom);
    m_nom->selectAll();
    aller(dossier);
}

DialogueTextes::Contenu DialogueTextes::lire(const QString &dossier)
{
    // One pass over the folder; the entries' types come with the listing.
    Contenu c;
    QDirIterator it(dossier, QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isDir())
            c.dossiers.append(info.fileName());
        else if (info.fileName().endsWith(QLatin1String(".txt"), Qt::CaseInsensitive))
            c.textes.append(info.fileName());
    }
    // Only a listing that found nothing asks whether the folder could be read.
    c.lisible = !c.dossiers.isEmpty() || !c.textes.isEmpty() || QFileInfo(dossier).isReadable();
    trier(c.dossiers);
    trier(c.textes);
    return c;
}

void DialogueTextes::aller(const QString &dossier)
{
    m_dossier = QDir::cleanPath(dossier);
    // The folder and those above it, the nearest first as Qt's dialog shows them.
    m_chemin->clear();
    for (QString d = m_dossier, haut;; d = haut) {
        m_chemin->addItem(style()->standardIcon(QStyle::SP_DirIcon), QDir::toNativeSeparators(d), d);
        if ((haut = QFileInfo(d).absolutePath()) == d)
            break;
    }
    avertir(QStringLiteral("Lecture du dossier…"));
    const int lecture = ++m_lecture;
    m_attente->start();
    m_arrierePlan([dossier = m_dossier, lecture, moi = QPointer<DialogueTextes>(this)] {
        const Contenu c = lire(dossier);
        return Suite([=] {
            if (moi && moi->m_lecture == lecture)
                moi->montrer(c);
        });
    });
}

void DialogueTextes::avertir(const QString &texte)
{
    m_liste->clear();
    auto *item = new QListWidgetItem(texte, m_liste);
    item->setFlags(Qt::ItemIsEnabled);
}

void DialogueTextes::montrer(const Contenu &c)
{
    m_attente->stop();
    if (!c.lisible)
        return avertir(QStringLiteral("Ce dossier ne peut pas être lu."));
    m_liste->clear();
    for (const QString &n : c.dossiers) {
        auto *item = new QListWidgetItem(style()->standardIcon(QStyle::SP_DirIcon), n, m_liste);
        item->setData(roleDossier, true);
    }
    for (const QString &n : c.textes)
        new QListWidgetItem(style()->standardIcon(QStyle::SP_FileIcon), n, m_liste);
}

bool DialogueTextes::eventFilter(QObject *objet, QEvent *e)
{
    // Backspace in the list goes up a folder, as in Qt's dialog.
    if (objet == m_liste && e->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(e)->key() == Qt::Key_Backspace) {
        aller(QFileInfo(m_dossier).absolutePath());
        return true;
    }
    return QDialog::eventFilter(objet, e);
}

void DialogueTextes::activer(QListWidgetItem *item)
{
    if (!item->flags().testFlag(Qt::ItemIsSelectable))
        return;
    if (item->data(roleDossier).toBool())
        return aller(QDir(m_dossier).filePath(item->text()));
    m_nom->setText(item->text());
    accepter();
}

void DialogueTextes::accepter()
{
    const QString nom = m_nom->text().trimmed();
    // One question at a time: a second Return while the first is out asks nothing.
    if (nom.isEmpty() || m_question)
        return;
    m_question = true;
    const QString chemin = QDir::cleanPath(QDir(m_dossier).absoluteFilePath(nom));
    m_arrierePlan([chemin, moi = QPointer<DialogueTextes>(this)] {
        // One stat answers both: the folder question first, whose answer QFileInfo keeps.
        const QFileInfo info(chemin);
        const bool dossier = info.isDir(), existe = dossier || info.exists();
        return Suite([=] {
            if (moi)
                moi->conclure(chemin, existe, dossier);
        });
    });
}

void DialogueTextes::conclure(QString chemin, bool existe, bool estDossier)
{
    m_question = false;
    if (estDossier) {
        m_nom->clear();
        return aller(chemin);
    }
    if (!m_enregistrer && !existe) {
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("%1\nFichier introuvable.\nVérifiez que le nom du fichier est correct.")
                                 .arg(QFileInfo(chemin).fileName()));
        return;
    }
    if (m_enregistrer && !existe && QFileInfo(chemin).suffix().isEmpty())
        chemin += QStringLiteral(".txt");
    m_choisi = chemin;
    accept();
}
