#pragma once

#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// poppler-utils on a printed file.
namespace pdf
{

inline QByteArray run(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return p.readAllStandardOutput();
}

inline int pages(const QString &file)
{
    const QString info = QString::fromUtf8(run(QStringLiteral("pdfinfo"), {file}));
    for (const QString &line : info.split(u'\n'))
        if (line.startsWith(QStringLiteral("Pages:")))
            return line.mid(6).trimmed().toInt();
    return -1;
}

// The text of one page (1-based), lines in reading order.
inline QString text(const QString &file, int page)
{
    const QString n = QString::number(page);
    return QString::fromUtf8(
        run(QStringLiteral("pdftotext"),
            {QStringLiteral("-f"), n, QStringLiteral("-l"), n, file, QStringLiteral("-")}));
}

// Pictures drawn in the file: how many times, and how many distinct objects.
struct Images {
    int uses = 0;
    int objects = 0;
};
inline Images images(const QString &file)
{
    Images result;
    QStringList ids;
    const QStringList rows =
        QString::fromUtf8(run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), file}))
            .split(u'\n', Qt::SkipEmptyParts)
            .mid(2);
    for (const QString &row : rows) {
        const QStringList f = row.simplified().split(u' ');
        if (f.size() < 11)
            continue;
        ++result.uses;
        ids << f[10];
    }
    ids.removeDuplicates();
    result.objects = int(ids.size());
    return result;
}

inline QImage render(const QString &file, int page, int dpi)
{
    QTemporaryDir dir;
    const QString n = QString::number(page);
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-f"), n, QStringLiteral("-l"), n, QStringLiteral("-singlefile"),
         QStringLiteral("-r"), QString::number(dpi), file, dir.filePath(QStringLiteral("page"))});
    // A plain pixmap: a PNG would take pdftoppm four times as long to write.
    return QImage(dir.filePath(QStringLiteral("page.ppm")));
}

} // namespace pdf
