#pragma once

#include <QIdentityProxyModel>

namespace platform
{

// The file dialog's list as Qt's file system model gives it, but with sizes
// and dates written in the application's locale (QLocale()): Qt writes them
// in the system's locale, which is English on a machine set to "C".
class FrenchFileModel : public QIdentityProxyModel
{
    Q_OBJECT
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex &index, int role) const override;
};

} // namespace platform
