#pragma once

#include "services.h"

#include <QPointer>
#include <QString>

namespace platform
{
class Dialogs;
}

namespace help
{

class HelpWindow;

// Opens the help and the course in the application's help window, made on
// first use. A help file that is missing or unreadable is told in a message
// box; the button never does nothing.
class HelpViewer : public platform::HelpViewer
{
public:
    HelpViewer(QString compiledHelp, QString collectionDir, platform::Dialogs &dialogs);
    ~HelpViewer() override;

    void showHelp(QWidget *from) override;
    void showCourse(QWidget *from) override;

    // The window once made (tests look at it).
    HelpWindow *window() const;

private:
    enum class What { Help, Course };
    void show(QWidget *from, What what);

    QString compiledHelp_;
    QString collectionDir_;
    platform::Dialogs &dialogs_;
    QPointer<HelpWindow> window_;
};

// The compiled help: in the program's own folder (the build tree, a portable
// install), else in the installed data folder. When neither holds it, the
// path in the program's folder, so that the message names a place.
QString findCompiledHelp(const QString &executableDir, const QString &dataDir);

} // namespace help
