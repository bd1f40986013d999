#include "app/arret.h"
#include "app/demarrage.h"
#include "app/form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    preparerApplication(app);
    Form1 fenetre;
    relierArretPropre(fenetre);
    fenetre.show();
    return app.exec();
}
