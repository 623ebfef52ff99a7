// Vantoro: create the window, run its load handler, show it.
#include <QApplication>

#include "app/form1.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    Form1 form;
    form.Form_Load();
    form.show();
    return app.exec();
}
