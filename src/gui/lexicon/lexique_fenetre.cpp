#include "gui/lexicon/lexique_fenetre.h"

#include "base/lexicon/lexique.h"
#include "base/cp1252.h"
#include "gui/fenetre/controles.h"
#include "gui/widgets/annonceur.h"
#include "gui/widgets/dialogues.h"
#include "gui/fenetre/etat_fenetre.h"
#include "gui/widgets/zone_texte.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QScopedValueRollback>
#include <QTimer>

#include <algorithm>
#include <exception>
#include <utility>

LexiqueFenetre::LexiqueFenetre(EtatFenetre &etat, Controles &c, Dialogues &dialogues,
                               QString dossierProgramme, QObject *parent)
    : QObject(parent), m_etat(etat), m_c(c), m_dialogues(dialogues),
      m_dossierProgramme(std::move(dossierProgramme))
{
}

void LexiqueFenetre::relier()
{
    // activated: the pupil's choice, by mouse, keyboard or wheel, never filling.
    connect(m_c.Combo2, &QComboBox::activated, this, &LexiqueFenetre::Combo2_Click);
    // A selection, not the current item: tabbing into the list makes an item
    // current without selecting it, and that is no pick.
    connect(m_c.lexique, &QListWidget::itemSelectionChanged, this, [this] {
        if (!m_remplissage && !m_c.lexique->selectedItems().isEmpty())
            lexique_Click();
    });
}

void LexiqueFenetre::lire_intrus()
{
    // The file is found by its full path: the current directory stays as it is.
    try {
        open_intrus(QStringLiteral("lexique.stw"));
        m_c.Combo2->clear();
        // The chooser needs only the names; the list, hidden until a theme is
        // chosen, is left holding the last line's entries as decoupe_lex
        // line after line would leave it, but is filled once.
        QStringList noms;
        for (int i = 1; i <= m_etat.nb_themes; ++i) {
            if (auto nom = nomTheme(QStringView(m_etat.lignes_lexique[size_t(i)]).left(longueurDecoupee)))
                noms.append(std::move(*nom));
        }
        if (m_etat.nb_themes > 0)
            decoupe_lex2(m_etat.lignes_lexique[size_t(m_etat.nb_themes)]);
        m_c.Combo2->addItems(noms);
        // Nothing is chosen until the pupil chooses: the first Down picks the first theme.
        m_c.Combo2->setCurrentIndex(-1);
    } catch (const std::exception &) {
        m_dialogues.information(QStringLiteral("Le lexique n'est pas disponible!"));
    }
}

void LexiqueFenetre::open_intrus(const QString &liste)
{
    const QString chemin = QDir(m_dossierProgramme).filePath(liste);
    const auto pasDisponible = [&] {
        m_dialogues.information(QStringLiteral("Fichier ") + liste + QStringLiteral(" pas disponible!"));
    };
    Lexique lu;
    try {
        const std::optional<QByteArray> octets = lireFichierLexique(chemin);
        if (!octets) {
            pasDisponible();
            return;
        }
        lu = chargerLexiqueOctets(*octets, cp1252::decode, longueurDecoupee);
    } catch (const std::exception &) {
        pasDisponible();
        return;
    }
    if (lu.tropLong)
        m_dialogues.information(QStringLiteral("Votre lexique est trop long! 100 thèmes maxi!"));
    for (int i = 1; i <= lu.nbThemes; ++i)
        m_etat.lignes_lexique[size_t(i)] = std::move(lu.lignes[size_t(i)]);
    m_etat.nb_themes = lu.nbThemes;
}

void LexiqueFenetre::remplirListe(const QStringList &entrees)
{
    const QScopedValueRollback<bool> garde(m_remplissage, true);
    m_c.lexique->clear();
    m_c.lexique->addItems(entrees);
}

void LexiqueFenetre::decoupe_lex(const QString &texte)
{
    const DecoupageLigne d = decouperLigne(QStringView(texte).left(longueurDecoupee));
    remplirListe(d.entrees);
    if (d.nom)
        m_c.Combo2->addItem(*d.nom);
}

void LexiqueFenetre::decoupe_lex2(const QString &texte)
{
    remplirListe(decouperLigne(QStringView(texte).left(longueurDecoupee)).entrees);
}

void LexiqueFenetre::Combo2_Click()
{
    m_c.theme->setText(m_c.Combo2->currentText());
    const qint16 i = chercherTheme(m_etat.lignes_lexique, m_etat.nb_themes, m_c.theme->text());
    const QString ligne = m_etat.lignes_lexique[size_t(i)];
    remplirListe({});
    decoupe_lex2(ligne);
    m_c.theme->setText(m_c.lexique->count() > 0 ? m_c.lexique->item(0)->text() : QString());
    m_c.lexique->show();
    m_c.lexique->raise(); // over the reader pane
    const int mots = m_c.lexique->count();
    Annonceur::annoncer(m_c.Combo2, QStringLiteral("Thème « %1 » : %2 %3.")
                                        .arg(m_c.Combo2->currentText()).arg(mots)
                                        .arg(mots == 1 ? QStringLiteral("mot") : QStringLiteral("mots")));
}

void LexiqueFenetre::lexique_Click()
{
    const QList<QListWidgetItem *> choisis = m_c.lexique->selectedItems();
    const QString mot = choisis.isEmpty() ? QString() : choisis.first()->text();
    // Put as it stands, spaces included, and without emptying the clipboard first.
    QGuiApplication::clipboard()->setText(mot);
    m_etat.zone_active = 1;
    Annonceur::annoncer(m_c.lexique, QStringLiteral("« %1 » copié.").arg(mot.trimmed()));
    // Hidden once the list has finished with the key or the click: the focus
    // then leaves it after the list has said what it selected, and a screen
    // reader follows the focus to the writing zone instead of staying on the
    // word.
    QTimer::singleShot(0, m_c.lexique, [this] {
        const bool avaitLeFocus = m_c.lexique->hasFocus();
        m_c.lexique->hide();
        if (avaitLeFocus)
            m_c.Text1->setFocus(Qt::OtherFocusReason);
    });
}
