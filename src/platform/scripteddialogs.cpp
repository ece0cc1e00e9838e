#include "scripteddialogs.h"

namespace platform
{

void ScriptedDialogs::expectMessage(const QString &title, Answer answer)
{
    Pending p;
    p.kind = QStringLiteral("message");
    p.title = title;
    p.answer = answer;
    queue_.push_back(std::move(p));
}

void ScriptedDialogs::expectFile(std::optional<QString> path)
{
    Pending p;
    p.kind = QStringLiteral("file");
    p.path = std::move(path);
    queue_.push_back(std::move(p));
}

void ScriptedDialogs::expectPrintSetup(bool accepted, std::function<void(QPrinter &)> apply)
{
    Pending p;
    p.kind = QStringLiteral("printSetup");
    p.accepted = accepted;
    p.apply = std::move(apply);
    queue_.push_back(std::move(p));
}

void ScriptedDialogs::setPrinters(const QStringList &names, const QString &defaultName)
{
    printers_.names = names;
    printers_.defaultName = defaultName;
}

Dialogs::Answer ScriptedDialogs::message(QWidget *, Icon icon, const QString &title,
                                         const QString &text, Buttons buttons)
{
    Shown s;
    s.kind = QStringLiteral("message");
    s.icon = icon;
    s.title = title;
    s.text = text;
    s.buttons = buttons;
    shown.append(s);
    if (!queue_.empty() && queue_.front().kind == s.kind && queue_.front().title == title) {
        Answer a = queue_.front().answer;
        queue_.pop_front();
        return a;
    }
    unexpected.append(QStringLiteral("message: %1 / %2").arg(title, text));
    switch (buttons) {
    case Buttons::YesNo:
        return Answer::No;
    case Buttons::OkCancel:
        return Answer::Cancel;
    case Buttons::Ok:
        break;
    }
    return Answer::Ok;
}

std::optional<QString> ScriptedDialogs::fileName(QWidget *, const FileRequest &request)
{
    Shown s;
    s.kind = QStringLiteral("file");
    s.title = request.title;
    s.request = request;
    shown.append(s);
    if (!queue_.empty() && queue_.front().kind == s.kind) {
        // Moved out before the pop; GCC 12 at -O2 sees a maybe-uninitialized
        // optional in a plain copy here.
        std::optional<QString> path;
        path.swap(queue_.front().path);
        queue_.pop_front();
        return path;
    }
    unexpected.append(QStringLiteral("file: %1").arg(request.title));
    return std::nullopt;
}

bool ScriptedDialogs::printSetup(QWidget *, QPrinter &printer)
{
    Shown s;
    s.kind = QStringLiteral("printSetup");
    shown.append(s);
    if (!queue_.empty() && queue_.front().kind == s.kind) {
        Pending p = queue_.front();
        queue_.pop_front();
        if (p.accepted && p.apply)
            p.apply(printer);
        return p.accepted;
    }
    unexpected.append(QStringLiteral("printSetup"));
    return false;
}

QStringList ScriptedDialogs::titles() const
{
    QStringList out;
    for (const Shown &s : shown)
        if (s.kind == QLatin1String("message"))
            out.append(s.title);
    return out;
}

} // namespace platform
