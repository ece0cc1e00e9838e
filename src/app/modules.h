#pragma once

#include "services.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <memory>

class QWidget;

namespace platform
{
class Dialogs;
}

// The program's modules: the network windows and the help, loaded the first
// time one of their windows is opened and kept until the program ends. They
// are looked for in each folder given, in order: beside the program (a build
// tree, a portable copy), then the installed folder.
class Modules
{
public:
    Modules(QStringList folders, platform::Dialogs &dialogs);

    // The function `name` of the module `module` (a file name without ".so"),
    // or null after telling the user, over `parent`, that it could not be had.
    template <typename Function>
    Function function(const char *module, const char *name, QWidget *parent)
    {
        return reinterpret_cast<Function>(resolve(module, name, parent));
    }

    platform::Dialogs &dialogs() const { return dialogs_; }

private:
    QFunctionPointer resolve(const char *module, const char *name, QWidget *parent);

    QStringList folders_;
    platform::Dialogs &dialogs_;
};

// The help and the course from the help module, loaded at the first request.
class ModuleHelpViewer : public platform::HelpViewer
{
public:
    ModuleHelpViewer(Modules &modules, QString executableDir, QString dataDir,
                     QString collectionDir);
    ~ModuleHelpViewer() override;

    void showHelp(QWidget *from) override;
    void showCourse(QWidget *from) override;

private:
    platform::HelpViewer *viewer(QWidget *from);

    Modules &modules_;
    QString executableDir_;
    QString dataDir_;
    QString collectionDir_;
    std::unique_ptr<platform::HelpViewer> viewer_;
};
