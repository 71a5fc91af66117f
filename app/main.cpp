#include "mainwindow/form1.h"
#include "mainwindow/platformchoice.h"
#include "platform/settingsstore.h"

#include <QApplication>

int main(int argc, char** argv)
{
    PlatformChoice::preferX11UnderWayland(argc, argv);
    QApplication app(argc, argv);
    SettingsStore store;
    Form1 form(store);
    form.show();
    return app.exec();
}
