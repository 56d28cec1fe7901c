#include <QApplication>
#include <QGuiApplication>

#include "app/program.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumarel"));
    QApplication::setApplicationVersion(QStringLiteral("2.1.0"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.lumarel.Lumarel"));

    lumarel::Program program(QCoreApplication::applicationDirPath());
    program.show();
    return QApplication::exec();
}
