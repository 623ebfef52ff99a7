// The rotating banner: every tick of Timer1 shows the next of the five frames held by Image2
// in the banner box Picture1; a click on the box opens the banner's site.
#include "app/form1.h"
#include "app/image_control.h"
#include "app/picture_box.h"
#include "banner/shell_open.h"
#include "banner/site_links.h"

namespace {
// The cycle runs through the five frames of Image2 and starts again.
constexpr int kBannerCycle = 5;
} // namespace

static_assert(std::tuple_size_v<decltype(Form1::Image2)> == kBannerCycle);

void Form1::Timer1_Timer()
{
    ChangeImage();
}

void Form1::ChangeImage()
{
    // The box gets the very picture the image control holds (QPixmap shares its pixels) and
    // draws it unscaled from its top-left corner over its own background. at() throws for a
    // counter out of range, which ends the tick before the counter moves.
    Picture1->setPicture(Image2.at(static_cast<std::size_t>(bannerFrame))->picture());
    bannerFrame += 1;
    if (bannerFrame == kBannerCycle)
        bannerFrame = 0;
}

void Form1::Picture1_Click()
{
    shellOpen(site_links::bannerSite());
}
