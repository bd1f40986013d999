#include "gui/widgets/zone_texte.h"

#include "base/cp1252.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPalette>
#include <QTextBlock>
#include <QTextDocument>

QString normaliserSauts(QStringView texte)
{
    QString resultat;
    resultat.reserve(texte.size());
    for (qsizetype i = 0; i < texte.size(); ++i) {
        const QChar c = texte[i];
        if (c == u'\r') {
            resultat += u'\n';
            if (i + 1 < texte.size() && texte[i + 1] == u'\n')
                ++i;
        } else {
            resultat += c;
        }
    }
    return resultat;
}

ZoneTexte::ZoneTexte(QWidget *parent) : QPlainTextEdit(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab goes on to the next control, so that the keyboard reaches the whole
    // window; Ctrl+Tab puts a tab into the text.
    setTabChangesFocus(true);
    connect(document(), &QTextDocument::contentsChange, this, [this](int, int retires, int ajoutes) {
        ++m_revision;
        if (!m_chargement && (retires || ajoutes))
            emit modifieParLeLecteur();
    });
}

QString ZoneTexte::texteCrLf() const
{
    // toRawText() keeps non-breaking spaces, which toPlainText() turns into spaces.
    const QString brut = document()->toRawText();
    QString resultat;
    resultat.reserve(brut.size() + document()->blockCount());
    // Copied a line at a time: the recovery record reads it out every second
    // the pupil types.
    const QChar *debut = brut.constData(), *fin = debut + brut.size();
    for (const QChar *p = debut; p != fin; ++p) {
        if (*p == QChar::ParagraphSeparator || *p == QChar::LineSeparator) {
            resultat.append(debut, p - debut).append(QLatin1String("\r\n"));
            debut = p + 1;
        }
    }
    return resultat.append(debut, fin - debut);
}

void ZoneTexte::definirTexteCrLf(const QString &texte)
{
    m_chargement = true;
    setPlainText(normaliserSauts(texte));
    // What a file holds is not the pupil's unsaved work.
    document()->setModified(false);
    m_chargement = false;
}

int ZoneTexte::longueurCrLf() const
{
    // Each block ends in one separator (the last one included), and every
    // break between blocks stands for CR LF.
    const QTextDocument *doc = document();
    return doc->characterCount() - 1 + (doc->blockCount() - 1);
}

bool ZoneTexte::estVide() const
{
    return document()->isEmpty();
}

int ZoneTexte::longueurSelection() const
{
    const QTextCursor c = textCursor();
    return c.selectionEnd() - c.selectionStart();
}

QString ZoneTexte::texteSelectionne() const
{
    QString s = textCursor().selectedText();
    s.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
    s.replace(QChar::LineSeparator, QLatin1String("\r\n"));
    return s;
}

void ZoneTexte::remplacerSelection(const QString &texte)
{
    if (isReadOnly())
        return;
    textCursor().insertText(cp1252::adapter(normaliserSauts(texte)));
}

void ZoneTexte::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Tab && e->modifiers() == Qt::ControlModifier && !isReadOnly()) {
        remplacerSelection(QStringLiteral("\t"));
        ensureCursorVisible();
        return;
    }
    // Shift+Return would insert a line separator inside a paragraph; the file
    // knows only one kind of line break.
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && (e->modifiers() & Qt::ShiftModifier)) {
        QKeyEvent simple(e->type(), e->key(), e->modifiers() & ~Qt::ShiftModifier, e->text(),
                         e->isAutoRepeat(), ushort(e->count()));
        QPlainTextEdit::keyPressEvent(&simple);
        e->setAccepted(simple.isAccepted());
        return;
    }
    const QString texte = e->text();
    if (!texte.isEmpty() && !isReadOnly()) {
        const QString stockable = cp1252::adapter(texte);
        if (stockable != texte) {
            QKeyEvent adapte(e->type(), e->key(), e->modifiers(), stockable, e->isAutoRepeat(),
                             ushort(e->count()));
            if (stockable.isEmpty())
                return;
            QPlainTextEdit::keyPressEvent(&adapte);
            e->setAccepted(adapte.isAccepted());
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(e);
}

void ZoneTexte::inputMethodEvent(QInputMethodEvent *e)
{
    const QString stockable = cp1252::adapter(e->commitString());
    if (stockable != e->commitString()) {
        QInputMethodEvent adapte(e->preeditString(), e->attributes());
        adapte.setCommitString(stockable, e->replacementStart(), e->replacementLength());
        QPlainTextEdit::inputMethodEvent(&adapte);
        return;
    }
    QPlainTextEdit::inputMethodEvent(e);
}

void ZoneTexte::insertFromMimeData(const QMimeData *source)
{
    if (isReadOnly() || !source->hasText())
        return;
    // Plain text only: rich content from another program is never interpreted.
    remplacerSelection(source->text());
    ensureCursorVisible();
}

void ZoneTexte::suspendre(bool suspendue)
{
    if (suspendue == isReadOnly())
        return;
    setReadOnly(suspendue);
    // Greyed for a sighted pupil; a screen reader hears the read-only state.
    QPalette p = palette();
    p.setBrush(QPalette::Base, suspendue ? p.brush(QPalette::Window) : QPalette().brush(QPalette::Base));
    setPalette(p);
}
