#pragma once

#include "print/impression.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>

// A printer that writes a PDF file of known page and margins in place of the
// default printer, and remembers how it was asked for.
class ImprimantePdf : public FournisseurImprimante
{
public:
    explicit ImprimantePdf(QString fichier) : m_fichier(std::move(fichier)) {}

    QStringList installees{QStringLiteral("PDF")};
    QMarginsF marges{20, 20, 20, 20}; // millimetres
    int demandes = 0;
    // The mouse pointer when the printer was asked for (Qt::ArrowCursor: none set).
    Qt::CursorShape pointeur = Qt::ArrowCursor;

    QStringList imprimantesInstallees() const override { return installees; }

    std::unique_ptr<QPrinter> imprimante() override
    {
        ++demandes;
        const QCursor *c = QGuiApplication::overrideCursor();
        pointeur = c ? c->shape() : Qt::ArrowCursor;
        auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
        p->setOutputFormat(QPrinter::PdfFormat);
        p->setOutputFileName(m_fichier);
        p->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, marges,
                                     QPageLayout::Millimeter));
        return p;
    }

private:
    QString m_fichier;
};
