#pragma once

#include <QTemporaryDir>
#include <QTranslator>
#include <QUrl>
#include <QWidget>

class QHelpEngine;
class QLineEdit;
class QTabWidget;

namespace help
{

class HelpBrowser;

// The help and the course, read from the compiled help file: a topics view
// (contents, index, search) beside the page shown. The engine keeps its
// collection and search index in `collectionDir`, a folder it may write; the
// compiled file itself is only read.
class HelpWindow : public QWidget
{
    Q_OBJECT
public:
    HelpWindow(const QString &compiledHelp, const QString &collectionDir,
               QWidget *parent = nullptr);

    // False when the compiled help could not be read; `error()` says why.
    bool isReady() const { return ready_; }
    QString error() const { return error_; }

    // The help's home page, with the contents shown in the topics view.
    bool showTopics();
    // The course's first page.
    bool showCourse();
    // Shows `url` (a page of the help, "aide/..." or "cours/..." with an
    // optional anchor); false when the help holds no such page.
    bool showPage(const QString &page);

    QHelpEngine &engine() { return *engine_; }
    QUrl currentPage() const;

    static QUrl pageUrl(const QString &page);

private:
    void buildControls();
    void raiseWindow();

    QTranslator translator_;
    QTemporaryDir fallback_;
    QHelpEngine *engine_ = nullptr;
    HelpBrowser *browser_ = nullptr;
    QTabWidget *topics_ = nullptr;
    QLineEdit *indexFilter_ = nullptr;
    bool ready_ = false;
    QString error_;
};

} // namespace help
