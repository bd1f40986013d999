#include "app/arret.h"
#include "app/demarrage.h"
#include "gui/form1.h"
#include "gui/reprise.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    preparerApplication(app);
    ServicesForm1 services;
    services.dossierRecuperation = recuperation::dossierParDefaut();
    Form1 fenetre(std::move(services));
    relierArretPropre(fenetre);
    fenetre.show();
    // Over the window, once it is up.
    QTimer::singleShot(0, &fenetre, [&fenetre] { fenetre.reprise()->proposer(); });
    return app.exec();
}
