#pragma once
// The shell open operation: the one place where the viewer hands a URL to the desktop, which
// opens a web URL in the user's browser and a mailto: URL as a new message in the mail program.

#include <QString>
#include <QUrl>

// Opens url with the desktop's handler for its scheme and does not wait for it. Whether the
// desktop managed to open it is not reported: with no browser or mail program nothing happens.
// Only http, https and mailto URLs are opened; any other scheme (file:, javascript:, ...) could
// start programs or read local files, so it is refused with a warning on the log.
void shellOpen(const QString& url);

// Whether shellOpen would hand url on.
bool isOpenableUrl(const QUrl& url);
