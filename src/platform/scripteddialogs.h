#pragma once

#include "dialogs.h"

#include <QList>
#include <QStringList>

#include <deque>
#include <functional>

namespace platform
{

// Answers dialogs from a queue and records what was shown. A dialog that the
// script did not expect is recorded in `unexpected` and answered with Cancel
// (or No / nullopt); tests check `unexpected` is empty.
class ScriptedDialogs : public Dialogs
{
public:
    struct Shown {
        QString kind; // "message", "file", "printSetup"
        Icon icon = Icon::None;
        QString title;
        QString text;
        Buttons buttons = Buttons::Ok;
        FileRequest request;
    };

    // Queue the answer to the next message box whose title is `title`.
    void expectMessage(const QString &title, Answer answer);
    // Queue the answer to the next file dialog (nullopt = cancel).
    void expectFile(std::optional<QString> path);
    // Queue the answer to the next printer choice (accepted or not); `apply`
    // may change the printer as the user would.
    void expectPrintSetup(bool accepted, std::function<void(QPrinter &)> apply = {});
    // The printers the machine is said to have; none until set, whatever the
    // machine running the test has.
    void setPrinters(const QStringList &names, const QString &defaultName = {});

    Answer message(QWidget *parent, Icon icon, const QString &title, const QString &text,
                   Buttons buttons) override;
    std::optional<QString> fileName(QWidget *parent, const FileRequest &request) override;
    bool printSetup(QWidget *parent, QPrinter &printer) override;
    Printers printers() override { return printers_; }
    void beep() override { ++beeps; }

    bool allAnswered() const { return queue_.empty(); }
    QStringList titles() const; // titles of every message shown, in order

    QList<Shown> shown;
    QStringList unexpected;
    int beeps = 0;

private:
    struct Pending {
        QString kind;
        QString title;
        Answer answer = Answer::Ok;
        std::optional<QString> path;
        bool accepted = false;
        std::function<void(QPrinter &)> apply;
    };
    std::deque<Pending> queue_;
    Printers printers_;
};

} // namespace platform
