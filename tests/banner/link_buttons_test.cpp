// The four web-site buttons and the credit label: a click hands exactly its URL to the desktop.
#include "app/credits.h"
#include "app/form1_test_support.h"
#include "banner/site_links.h"
#include "url_catcher.h"

namespace {

class LinkButtons : public FormTest {
protected:
    void SetUp() override { showForm(); }
    UrlCatcher catcher;
};

TEST_F(LinkButtons, EachControlOpensItsOwnUrlOnce)
{
    const struct {
        QWidget* control;
        QString url;
    } links[] = {
        {form.Command1, QStringLiteral("http://flash.163.com/")},
        {form.Command2, QStringLiteral("http://www.yesky.com/home/flash.htm")},
        {form.Command3, QStringLiteral("http://www.flash8.net/flash/")},
        {form.Command4, QStringLiteral("http://www.flashempire.com/")},
        {form.lblRight, QStringLiteral("mailto:") + credits::authorMail() + QStringLiteral("?subject=关于Vantoro")},
    };
    for (const auto& link : links) {
        catcher.opened.clear();
        QTest::mouseClick(link.control, Qt::LeftButton);
        ASSERT_EQ(catcher.opened.size(), 1) << link.url.toStdString();
        EXPECT_EQ(catcher.opened[0], QUrl(link.url));
    }
    EXPECT_TRUE(reports.isEmpty());
}

TEST_F(LinkButtons, MailLinkAddressesTheAuthorWithTheSubjectOnly)
{
    QTest::mouseClick(form.lblRight, Qt::LeftButton);
    ASSERT_EQ(catcher.opened.size(), 1);
    const QUrl mail = catcher.opened[0];
    EXPECT_EQ(mail.scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(mail.path(), credits::authorMail());
    EXPECT_EQ(mail.query(QUrl::FullyDecoded), QStringLiteral("subject=关于Vantoro"));
    // The credit line names the same address.
    EXPECT_TRUE(form.lblRight->text().contains(QStringLiteral("(") + credits::authorMail() + QStringLiteral(")")));
}

TEST_F(LinkButtons, ClickingTwiceOpensTwiceAndChangesNothingElse)
{
    form.Timer1_Timer();
    const int width = form.Width();
    QTest::mouseClick(form.Command3, Qt::LeftButton);
    QTest::mouseClick(form.Command3, Qt::LeftButton);
    QTest::mouseClick(form.lblRight, Qt::LeftButton);
    QTest::mouseClick(form.lblRight, Qt::LeftButton);
    ASSERT_EQ(catcher.opened.size(), 4);
    EXPECT_EQ(catcher.opened[0], catcher.opened[1]);
    EXPECT_EQ(catcher.opened[2], catcher.opened[3]);
    EXPECT_EQ(form.Width(), width);
    EXPECT_EQ(form.bannerFrame, 1);
}

TEST_F(LinkButtons, CreditLabelStillOpensInPlayMode)
{
    form.applyPlayMode();
    QTest::mouseClick(form.lblRight, Qt::LeftButton);
    EXPECT_EQ(catcher.opened.size(), 1);
}

} // namespace
