#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// A lexicon read exactly as Plumor reads lexique.stw, with everything in it
// that would surprise the teacher who wrote it.

// A stored theme line: the entries its split gives and the chooser name it
// adds, if any.
struct LigneVerifiee {
    int numero = 0; // line number in the file, from 1
    QString texte;
    QStringList entrees;
    std::optional<QString> nom;
};

// An entry of the theme chooser and the words choosing it shows.
struct ChoixVerifie {
    QString nom;
    int ligne = 0;      // the line that adds the entry
    int ligneMots = 0;  // the line whose words the choice shows; 0: none
    QStringList mots;
};

struct Avertissement {
    int ligne = 0; // 0: the file as a whole
    QString message;
};

struct VerificationLexique {
    QList<LigneVerifiee> lignes;
    QList<ChoixVerifie> choix;
    bool tropLong = false;
    QList<Avertissement> avertissements; // by line
};

// `octets` are the bytes Plumor would read from lexique.stw.
VerificationLexique verifierLexique(QByteArrayView octets);
