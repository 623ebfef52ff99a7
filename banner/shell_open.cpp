#include "banner/shell_open.h"

#include <QDesktopServices>
#include <QDebug>

bool isOpenableUrl(const QUrl& url)
{
    const QString scheme = url.scheme();  // QUrl keeps schemes in lower case
    return url.isValid() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
            scheme == QLatin1String("mailto"));
}

void shellOpen(const QString& url)
{
    const QUrl target(url, QUrl::TolerantMode);
    if (!isOpenableUrl(target)) {
        qWarning().noquote() << "Vantoro: refused to open" << url;
        return;
    }
    // The result is ignored on purpose: a missing browser is the desktop's business.
    QDesktopServices::openUrl(target);
}
