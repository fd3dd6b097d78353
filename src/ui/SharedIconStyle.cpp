#include "ui/SharedIconStyle.h"

#include <QApplication>

namespace Ui {

SharedIconStyle::SharedIconStyle(const QString &key) : QProxyStyle(key) {}

QIcon SharedIconStyle::standardIcon(StandardPixmap icon, const QStyleOption *option, const QWidget *widget) const
{
    // An icon asked for with an option may depend on it; those are made each time.
    if (option)
        return QProxyStyle::standardIcon(icon, option, widget);
    auto found = icons.constFind(int(icon));
    if (found == icons.constEnd())
        found = icons.insert(int(icon), QProxyStyle::standardIcon(icon, option, widget));
    return *found;
}

void SharedIconStyle::Install()
{
    QApplication::setStyle(new SharedIconStyle(QApplication::style()->name()));
}

} // namespace Ui
