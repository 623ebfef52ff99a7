#pragma once
// The fixed URLs that the banner, the four web-site buttons and the credit label open.

#include <QString>

namespace site_links {

// Command1 "网易": the NetEase portal's Flash channel.
inline QString portalFlashChannel() { return QStringLiteral("http://flash.163.com/"); }
// Command2 "天极网": Yesky's Flash page.
inline QString yeskyFlashPage() { return QStringLiteral("http://www.yesky.com/home/flash.htm"); }
// Command3 "Flash图库": the Flash works gallery of Flash8 (闪吧).
inline QString flashGallery() { return QStringLiteral("http://www.flash8.net/flash/"); }
// Command4 "闪客帝国": the Flash Empire community site.
inline QString flashEmpire() { return QStringLiteral("http://www.flashempire.com/"); }
// Picture1, the banner: the site of the shareware and free software contest it advertises.
inline QString bannerSite() { return QStringLiteral("http://www.softreg.com.cn/"); }

// lblRight: a new message to address about the program. The subject stays as written; the
// desktop's URL handling encodes it.
inline QString mailUrl(const QString& address)
{
    return QStringLiteral("mailto:") + address + QStringLiteral("?subject=") + QStringLiteral("关于Vantoro");
}

} // namespace site_links
