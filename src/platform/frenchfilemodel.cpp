#include "frenchfilemodel.h"

#include <QFileSystemModel>
#include <QLocale>

namespace platform
{

namespace
{
// QFileSystemModel's columns.
constexpr int kSizeColumn = 1;
constexpr int kDateColumn = 3;
} // namespace

QVariant FrenchFileModel::data(const QModelIndex &index, int role) const
{
    const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
    if (!files || role != Qt::DisplayRole || !index.isValid())
        return QIdentityProxyModel::data(index, role);
    const QModelIndex source = mapToSource(index);
    switch (index.column()) {
    case kSizeColumn:
        if (files->isDir(source))
            break;
        return QLocale().formattedDataSize(files->size(source));
    case kDateColumn: {
        const QDateTime modified = files->lastModified(source);
        if (!modified.isValid())
            break;
        return QLocale().toString(modified, QLocale::ShortFormat);
    }
    default:
        break;
    }
    return QIdentityProxyModel::data(index, role);
}

} // namespace platform
