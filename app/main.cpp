// Vantoro: create the window, give its player the engine, run its load handler, show it in the
// middle of the screen.
#include <memory>

#include <QApplication>

#include "app/form1.h"
#include "player/shockwave_flash.h"
#ifdef VANTORO_HAS_ENGINE
#include "player/swf_movie_engine.h"
#endif

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    Form1 form;
#ifdef VANTORO_HAS_ENGINE
    form.ShockwaveFlash1->setEngine(std::make_unique<SwfMovieEngine>());
#endif
    form.runHandler([&form] { form.Form_Load(); });
    form.centreOnScreen();
    form.show();
    return app.exec();
}
