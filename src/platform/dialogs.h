#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;
class QPrinter;

namespace platform
{

// Every message box, file dialog and printer dialog of the application goes
// through this interface, so that tests can answer them from a script.
class Dialogs
{
public:
    enum class Icon { None, Critical, Question, Exclamation, Information };
    enum class Buttons { Ok, OkCancel, YesNo };
    enum class Answer { Ok, Cancel, Yes, No };

    struct FileRequest {
        QString title;
        QString initialName;   // "*.CAR", or a file name to offer, with its folder
        QString filter;        // "*.CAR"
        QString defaultSuffix; // "CAR"
        bool save = false;
        bool folder = false; // a folder is asked for; initialName is where to start
    };

    virtual ~Dialogs() = default;

    virtual Answer message(QWidget *parent, Icon icon, const QString &title, const QString &text,
                           Buttons buttons = Buttons::Ok) = 0;

    // A chosen path, or nullopt when the user cancelled.
    virtual std::optional<QString> fileName(QWidget *parent, const FileRequest &request) = 0;

    // The desktop's printer choice; true when the user accepted it.
    virtual bool printSetup(QWidget *parent, QPrinter &printer) = 0;

    // The printers installed on this machine; no names when there is none.
    struct Printers {
        QStringList names;
        QString defaultName; // empty when no printer is the default
    };
    virtual Printers printers() = 0;

    virtual void beep() = 0;
};

// The real dialogs, in French.
class QtDialogs : public Dialogs
{
public:
    Answer message(QWidget *parent, Icon icon, const QString &title, const QString &text,
                   Buttons buttons) override;
    std::optional<QString> fileName(QWidget *parent, const FileRequest &request) override;
    bool printSetup(QWidget *parent, QPrinter &printer) override;
    Printers printers() override;
    void beep() override;
};

} // namespace platform
