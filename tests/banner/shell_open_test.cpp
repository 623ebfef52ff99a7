// The shell open operation: what reaches the desktop's URL handlers, and what never does.
#include <gtest/gtest.h>

#include "banner/shell_open.h"
#include "banner/site_links.h"
#include "url_catcher.h"

TEST(ShellOpen, HandsWebAndMailUrlsToTheDesktopOnceEach)
{
    UrlCatcher catcher;
    shellOpen(QStringLiteral("http://www.example.org/a/b.htm"));
    shellOpen(QStringLiteral("https://www.example.org/"));
    shellOpen(QStringLiteral("mailto:someone@example.org?subject=hello"));
    ASSERT_EQ(catcher.opened.size(), 3);
    EXPECT_EQ(catcher.opened[0], QUrl(QStringLiteral("http://www.example.org/a/b.htm")));
    EXPECT_EQ(catcher.opened[1], QUrl(QStringLiteral("https://www.example.org/")));
    EXPECT_EQ(catcher.opened[2].scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(catcher.opened[2].path(), QStringLiteral("someone@example.org"));
}

TEST(ShellOpen, KeepsTheChineseMailSubjectIntact)
{
    UrlCatcher catcher;
    shellOpen(site_links::mailUrl(QStringLiteral("author@example.org")));
    ASSERT_EQ(catcher.opened.size(), 1);
    const QUrl url = catcher.opened[0];
    EXPECT_EQ(url.path(), QStringLiteral("author@example.org"));
    EXPECT_EQ(url.query(QUrl::FullyDecoded), QStringLiteral("subject=关于Vantoro"));
    // On the wire the subject is UTF-8, percent-encoded.
    EXPECT_EQ(url.toEncoded(), QByteArray("mailto:author@example.org?subject=%E5%85%B3%E4%BA%8EVantoro"));
}

TEST(ShellOpen, RefusesSchemesThatReachLocalFilesOrScripts)
{
    UrlCatcher catcher;
    // A handler for file: as well, so that a refusal is not mistaken for a missing handler.
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    for (const char* url : {"file:///etc/passwd", "javascript:alert(1)", "FILE:///tmp/x", "",
                            "not a url at all", "ftp://example.org/", "/etc/passwd"})
        shellOpen(QString::fromLatin1(url));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_TRUE(catcher.opened.isEmpty()) << catcher.opened.first().toString().toStdString();
}

TEST(ShellOpen, AcceptsSchemesWhateverTheirCase)
{
    UrlCatcher catcher;
    shellOpen(QStringLiteral("HTTP://www.example.org/"));
    shellOpen(QStringLiteral("MailTo:someone@example.org"));
    EXPECT_EQ(catcher.opened.size(), 2);
}
