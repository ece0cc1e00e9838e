#include "hazardpictures.h"

#include "cardlayout.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <array>

namespace hazardpictures
{

namespace
{

const QString kKey = QStringLiteral("carte/pictogrammes");
const QString kOrange = QStringLiteral("orange");
const QString kGhs = QStringLiteral("sgh");

} // namespace

QString hazardResource(Style style, int k)
{
    if (k < 0 || k > 3)
        return {};
    if (style == Style::Ghs) {
        static const std::array<QString, 4> ghs{
            QStringLiteral(":/pictures/ghs02.svg"), QStringLiteral(":/pictures/ghs05.svg"),
            QStringLiteral(":/pictures/ghs07.svg"), QStringLiteral(":/pictures/ghs06.svg")};
        return ghs[std::size_t(k)];
    }
    const QByteArray name = "Image8(" + QByteArray::number(k) + ')';
    return QString::fromUtf8(cardlayout::control(name.constData()).caption);
}

bool showsHazard(Style style, int k, const std::array<bool, 4> &set)
{
    if (k < 0 || k > 3 || !set[std::size_t(k)])
        return false;
    return !(style == Style::Ghs && k == 2 && set[3]);
}

bool showsEnvironment(Style style, bool waterPollution)
{
    return style == Style::Ghs && waterPollution;
}

QString settingsFile()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("cartes-especes/cartes-especes.conf"));
}

Style loadStyle()
{
    const QSettings settings(settingsFile(), QSettings::IniFormat);
    return styleNamed(settings.value(kKey).toString()).value_or(Style::Orange);
}

std::optional<Style> styleNamed(const QString &name)
{
    if (name == kGhs)
        return Style::Ghs;
    if (name == kOrange)
        return Style::Orange;
    return std::nullopt;
}

bool saveStyle(Style style)
{
    const QString file = settingsFile();
    // QSettings makes the folder itself but says nothing when it cannot.
    if (!QDir().mkpath(QFileInfo(file).absolutePath()))
        return false;
    QSettings settings(file, QSettings::IniFormat);
    settings.setValue(kKey, style == Style::Ghs ? kGhs : kOrange);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace hazardpictures
