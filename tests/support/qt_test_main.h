#pragma once
// The main() of a widget test program: the offscreen platform, an application, settings and
// data kept apart from the user's (QStandardPaths' test mode), and a watchdog that closes a
// modal dialog left open, so a test fails instead of hanging.

#include <QApplication>
#include <QStandardPaths>
#include <QTest>

#include "support/ui_watchdog.h"

#define LUMAREL_QTEST_MAIN(TestClass)                        \
    int main(int argc, char** argv)                          \
    {                                                        \
        qputenv("QT_QPA_PLATFORM", "offscreen");             \
        QStandardPaths::setTestModeEnabled(true);            \
        QApplication app(argc, argv);                        \
        lumarel::test::UiWatchdog watchdog;                  \
        TestClass test;                                      \
        return QTest::qExec(&test, argc, argv);              \
    }
