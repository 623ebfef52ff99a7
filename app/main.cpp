// Vantoro: create the window, run its load handler, show it in the middle of the screen.
#include <QApplication>

#include "app/form1.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    Form1 form;
    form.runHandler([&form] { form.Form_Load(); });
    form.centreOnScreen();
    form.show();
    return app.exec();
}
