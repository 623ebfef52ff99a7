#include "app/form1.h"
#include "player/shockwave_flash.h"

void Form1::Form_Load()
{
    applyBrowseMode();
    ShockwaveFlash1->setVisible(false);
    // Timer1 is enabled by design; with an interval it starts ticking, the first tick a second
    // from now.
    Timer1->setInterval(1000);
}
