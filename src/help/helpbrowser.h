#pragma once

#include <QTextBrowser>

class QHelpEngineCore;

namespace help
{

// A text browser that reads its pages, style sheet and pictures from the
// compiled help (qthelp:// addresses) rather than from files.
class HelpBrowser : public QTextBrowser
{
    Q_OBJECT
public:
    HelpBrowser(QHelpEngineCore &engine, QWidget *parent = nullptr);

    QVariant loadResource(int type, const QUrl &name) override;

private:
    QHelpEngineCore &engine_;
};

} // namespace help
