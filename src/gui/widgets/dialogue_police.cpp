#include "gui/widgets/dialogue_police.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Below 8 points a pane is unreadable; above 36 it holds a few words.
constexpr int tailleMinimale = 8;
constexpr int tailleMaximale = 36;

} // namespace

DialoguePolice::DialoguePolice(const QFont &initiale, bool avecTaille, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_initiale(initiale)
{
    setWindowTitle(QStringLiteral("Choisir une police"));
    auto *grille = new QGridLayout;

    m_face = new QFontComboBox(this);
    // Only faces that can write French.
    m_face->setWritingSystem(QFontDatabase::Latin);
    m_face->setEditable(false);
    m_face->setCurrentFont(initiale);
    auto *etiquetteFace = new QLabel(QStringLiteral("&Police"), this);
    etiquetteFace->setBuddy(m_face);
    grille->addWidget(etiquetteFace, 0, 0);
    grille->addWidget(m_face, 1, 0);
    grille->setColumnStretch(0, 1);

    if (avecTaille) {
        m_taille = new QComboBox(this);
        const QLocale locale;
        const qreal actuelle = initiale.pointSizeF();
        QList<qreal> tailles;
        for (int t : QFontDatabase::standardSizes()) {
            if (t >= tailleMinimale && t <= tailleMaximale)
                tailles << t;
        }
        // The panes' own size stays on offer, 11.25 points included.
        if (actuelle > 0 && !tailles.contains(actuelle)) {
            tailles << actuelle;
            std::sort(tailles.begin(), tailles.end());
        }
        for (qreal t : std::as_const(tailles))
            m_taille->addItem(locale.toString(t), t);
        m_taille->setCurrentIndex(m_taille->findData(actuelle));
        auto *etiquetteTaille = new QLabel(QStringLiteral("&Taille"), this);
        etiquetteTaille->setBuddy(m_taille);
        grille->addWidget(etiquetteTaille, 0, 1);
        grille->addWidget(m_taille, 1, 1);
        connect(m_taille, &QComboBox::currentIndexChanged, this, &DialoguePolice::montrer);
    }

    auto *cadreExemple = new QGroupBox(QStringLiteral("Exemple"), this);
    m_exemple = new QLabel(QStringLiteral("AaBbCc ÀÉÈÇ àéèç 123"), cadreExemple);
    m_exemple->setAlignment(Qt::AlignCenter);
    m_exemple->setFixedSize(360, 80); // a large size is cut, not stretching the dialog
    (new QVBoxLayout(cadreExemple))->addWidget(m_exemple);

    m_boutons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(m_boutons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_boutons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *colonne = new QVBoxLayout(this);
    colonne->addLayout(grille);
    colonne->addWidget(cadreExemple);
    colonne->addWidget(m_boutons);
    setFixedSize(sizeHint());

    connect(m_face, &QFontComboBox::currentFontChanged, this, &DialoguePolice::montrer);
    montrer();
}

QFont DialoguePolice::police() const
{
    QFont f = m_initiale;
    f.setFamily(m_face->currentFont().family());
    if (m_taille)
        f.setPointSizeF(m_taille->currentData().toReal());
    return f;
}

void DialoguePolice::ajouterAppliquer(const std::function<void(const QFont &)> &appliquer)
{
    QPushButton *bouton = m_boutons->addButton(QDialogButtonBox::Apply);
    connect(bouton, &QPushButton::clicked, this, [this, appliquer] { appliquer(police()); });
}

void DialoguePolice::montrer()
{
    m_exemple->setFont(police());
}
