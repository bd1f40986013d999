// The yardstick for Plumor's start: the least a Qt 6 editor window can be, a
// QMainWindow with one QPlainTextEdit and a menu, at Plumor's window size.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow fenetre;
    auto *fichier = fenetre.menuBar()->addMenu(QStringLiteral("Fichier"));
    fichier->addAction(QStringLiteral("Ouvrir"));
    fichier->addAction(QStringLiteral("Quitter"), &app, &QApplication::quit);
    fenetre.setCentralWidget(new QPlainTextEdit);
    fenetre.resize(807, 550);
    fenetre.show();
    return app.exec();
}
