#include "gui/apropos.h"

#include "gui/widgets/cadre.h"
#include "gui/fenetre/controles.h"
#include "gui/widgets/geometrie.h"
#include "gui/widgets/twips.h"
#include "gui/version.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

namespace {

// Broken by hand: the box shows the lines as written.
const char16_t *const lignesConditions[] = {
    u"Plumor : conditions d'utilisation",
    u"© 2026 les auteurs de Plumor.",
    u"",
    u"Note : Plumor sert à une classe qui",
    u"écrit ses textes à plusieurs, dans un",
    u"dossier partagé du réseau de l'école.",
    u"Note : un texte ouvert pour l'écriture",
    u"est pris ; les autres postes peuvent le",
    u"lire, mais pas le modifier.",
    u"",
    u"1. Plumor est un logiciel libre, sous",
    u"licence MIT : chacun peut l'installer,",
    u"le copier, le modifier et le donner,",
    u"en gardant cet avis de droits.",
    u"2. Les textes restent la propriété des",
    u"élèves qui les ont écrits. Plumor ne les",
    u"envoie nulle part et ne garde aucune",
    u"information sur les élèves ni sur leurs",
    u"ordinateurs.",
    u"3. La marque « le texte est pris » est",
    u"levée quand l'élève ferme son texte ou",
    u"quitte Plumor. Si un poste s'arrête",
    u"avant, l'enseignant lève la marque en",
    u"retirant l'attribut « lecture seule »",
    u"du fichier, quand plus personne ne",
    u"travaille sur ce texte.",
    u"4. Un texte ne peut pas dépasser 3200",
    u"caractères. Enregistrez souvent votre",
    u"travail et fermez le texte à la fin.",
    u"5. Le lexique thématique est lu dans le",
    u"fichier lexique.stw, près de Plumor.",
    u"L'enseignant peut y écrire ses thèmes,",
    u"un thème par ligne, avec leurs mots.",
    u"6. Plumor est fourni tel quel, sans",
    u"aucune garantie. Les auteurs ne sont",
    u"pas responsables d'une perte de texte.",
    u"7. Le texte de la licence est installé",
    u"avec Plumor, dans le fichier copyright",
    u"de /usr/share/doc/plumor.",
    u"Bonne écriture à toutes et à tous !",
};

QLabel *etiquette(QWidget *parent, const char *nom, const QString &texte, const QColor &couleur)
{
    QLabel *l = nouveauLabel(parent, nom, texte);
    // Centred across the label's width, drawn from its top as the box was designed.
    l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, couleur);
    l->setPalette(p);
    return l;
}

} // namespace

QString conditionsUtilisation()
{
    QStringList lignes;
    for (const char16_t *ligne : lignesConditions)
        lignes << QString::fromUtf16(ligne);
    return lignes.join(QStringLiteral("\r\n"));
}

apropos::apropos(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("apropos"));
    setWindowTitle(QStringLiteral("B"));
    setFixedSize(twips::taille(4200, 3015));

    // Its top edge lies above the client area, so its upper border is hidden.
    Frame1 = place(new QFrame(this), "Frame1", 0, -75, 4155, 3045);
    Frame1->setFrameShape(QFrame::Box);
    Frame1->setFrameShadow(QFrame::Sunken);

    const QColor bleu(0, 0, 255);
    Label2 = place(etiquette(Frame1, "Label2", QStringLiteral("Plumor"), bleu), "Label2", 120, 120, 3975, 285);
    QFont titre{QStringLiteral("MS Sans Serif")};
    titre.setPointSizeF(13.5);
    Label2->setFont(titre);
    Label3 = place(etiquette(Frame1, "Label3", QStringLiteral("fonctionne en réseau Windows 95-98"), bleu),
                   "Label3", 165, 960, 3735, 285);
    version = place(etiquette(Frame1, "version", QString(), QColor(64, 64, 64)), "version", 120, 1185, 3975, 210);

    Text1 = place(new QPlainTextEdit(Frame1), "Text1", 90, 1410, 4005, 1095);
    Text1->setReadOnly(true);
    Text1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setPlainText(conditionsUtilisation().replace(QLatin1String("\r\n"), QLatin1String("\n")));

    // Created last so that it stands in front of Frame1.
    OKButton = place(new QPushButton(QStringLiteral("OK"), this), "OKButton", 2865, 2505, 1215, 375);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    Frame1->setFocusPolicy(Qt::NoFocus);
    setTabOrder(OKButton, Text1);
    OKButton->setFocus();

    Form_Load();
    new SuiviCadre(this, [this](bool premiereFois) {
        if (premiereFois)
            centrer();
    });
}

void apropos::Form_Load()
{
    centrer();
    version->setText(texteVersionProgramme());
}

void apropos::centrer()
{
    const QScreen *ecran = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (ecran)
        move(geometrie::coinCentre(ecran->geometry(), frameGeometry().size()));
}

void afficherAPropos(QWidget *parent)
{
    // Guarded: the parent may take the box with it while it is open.
    QPointer<apropos> boite = new apropos(parent);
    boite->exec();
    delete boite;
}
