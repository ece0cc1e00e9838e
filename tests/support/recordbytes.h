#pragma once

// Files built by the tests byte by byte from the record layout (16-bit
// little-endian length, the Windows-1252 bytes, zero filler to 128 bytes),
// independent of the code under test.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

inline QByteArray record(const QByteArray &cp1252)
{
    QByteArray r(128, '\0');
    r[0] = static_cast<char>(cp1252.size() & 0xff);
    r[1] = static_cast<char>(cp1252.size() >> 8);
    r.replace(2, cp1252.size(), cp1252);
    return r;
}

inline QByteArray records(const QList<QByteArray> &texts)
{
    QByteArray out;
    for (const QByteArray &t : texts)
        out += record(t);
    return out;
}

// The text of record `n` (from 1) of `bytes`; empty past the end.
inline QByteArray recordText(const QByteArray &bytes, int n)
{
    const qsizetype at = qsizetype(n - 1) * 128;
    if (bytes.size() < at + 2)
        return {};
    const int length = quint8(bytes[at]) | (quint8(bytes[at + 1]) << 8);
    return bytes.mid(at + 2, length);
}

// A card file's first record.
inline const QByteArray kCardFileHeader = "Carte d'identit\xe9 d'une esp\xe8"
                                          "ce chimique pour le logiciel ZYP";

// A card file holding the card `nom`, its other fields those of water.
inline QByteArray cardFile(const QByteArray &nom)
{
    return records({kCardFileHeader, nom, "H#2O", "0100000000", "liquide", "18", "1000", "1", "100",
                    "0", "1,33", ""});
}

// The whole file; empty when it cannot be read.
inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}
