#pragma once

#include <QString>

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

// Opens the help file and the course document in the desktop's viewer.
class HelpViewer
{
public:
    virtual ~HelpViewer() = default;
    // Opens `path` if it exists; a missing file gives no message of ours.
    virtual void open(const QString &path) = 0;
};

class DesktopHelpViewer : public HelpViewer
{
public:
    void open(const QString &path) override;
};

} // namespace platform
