#pragma once

#include "feuillep.h"
#include "fulldatabase.h"
#include "scripteddialogs.h"
#include "services.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

// The main window on a full database (2978 cards), shown, for the benchmarks
// of what a user does in it. The help and the course are not measured.
struct FullWindow {
    struct NoHelp : platform::HelpViewer {
        void showHelp(QWidget *) override {}
        void showCourse(QWidget *) override {}
    };

    QTemporaryDir dir;
    platform::ScriptedDialogs dialogs;
    platform::NoDialUp dialUp;
    NoHelp help;
    std::unique_ptr<feuilleP> window;

    FullWindow()
    {
        writeFullDatabase(QFile::encodeName(dir.path()).toStdString());
        window = std::make_unique<feuilleP>(dir.path(), dialogs, dialUp, help);
        window->show();
        QCoreApplication::processEvents();
    }

    // Made at first use; main() drops it while the application still exists.
    static std::unique_ptr<FullWindow> &shared()
    {
        static std::unique_ptr<FullWindow> instance;
        return instance;
    }
    static FullWindow &get()
    {
        if (!shared())
            shared() = std::make_unique<FullWindow>();
        return *shared();
    }
};
