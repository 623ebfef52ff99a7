// The four web-site buttons and the author's credit label: each opens its fixed URL once.
#include "app/credits.h"
#include "app/form1.h"
#include "banner/shell_open.h"
#include "banner/site_links.h"

void Form1::Command1_Click()
{
    shellOpen(site_links::portalFlashChannel());
}

void Form1::Command2_Click()
{
    shellOpen(site_links::yeskyFlashPage());
}

void Form1::Command3_Click()
{
    shellOpen(site_links::flashGallery());
}

void Form1::Command4_Click()
{
    shellOpen(site_links::flashEmpire());
}

void Form1::lblRight_Click()
{
    shellOpen(site_links::mailUrl(credits::authorMail()));
}
