#pragma once

#include <QString>
#include <QTextStream>

namespace datagen {

struct AlphabetSummary
{
    int alphabets = 0;
    int letters = 0;
};

// Writes every alphabet of the list below outRoot + "Alphabets/Color/", each
// with its set data file, its letter files and its letter catalog.
bool generateAlphabets(const QString &outRoot, const QString &fontsRoot, const QString &charactersFile,
                       const QString &listFile, QTextStream &log, AlphabetSummary *summary);

// The letter files of one alphabet as the generator made them, for tour pictures.
QString letterFileName(const QString &prefix, const QString &letterName, const QString &format);

} // namespace datagen
