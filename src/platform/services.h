#pragma once

#include <QString>

class QWidget;

namespace platform
{

// The dial-up service. Where none exists (Linux desktops), nothing is ever
// connected and there is nothing to hang up.
class DialUp
{
public:
    virtual ~DialUp() = default;
    virtual bool estconnecte() = 0;
    virtual void hangup() = 0;
};

class NoDialUp : public DialUp
{
public:
    bool estconnecte() override { return false; }
    void hangup() override {}
};

// Opens the help and the course. The main window does not wait for them.
class HelpViewer
{
public:
    virtual ~HelpViewer() = default;
    // The help, at its topics view.
    virtual void showHelp(QWidget *from) = 0;
    // The course, at its first topic.
    virtual void showCourse(QWidget *from) = 0;
};

} // namespace platform
