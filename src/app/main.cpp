#include <QApplication>
#include <QGuiApplication>

#include "app/program.h"
#include "model/version.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumarel"));
    QApplication::setApplicationVersion(QString::fromLatin1(lumarel::version::kText));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.lumarel.Lumarel"));

    lumarel::Program program(QCoreApplication::applicationDirPath());
    program.show();
    return QApplication::exec();
}
