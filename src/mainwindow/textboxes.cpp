#include "textboxes.h"

#include <QSignalBlocker>
#include <QTextBlock>

AspectBox::AspectBox(QWidget *parent) : QPlainTextEdit(parent)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    document()->setDocumentMargin(1);
    connect(this, &QPlainTextEdit::textChanged, this, &AspectBox::onTextChanged);
}

namespace
{

QString storedForm(const QString &plain)
{
    QString s = plain;
    s.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return s;
}

QString plainForm(const QString &stored)
{
    QString s = stored;
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return s;
}

} // namespace

QString AspectBox::text() const
{
    return accepted_;
}

void AspectBox::setText(const QString &stored)
{
    // The text read from a record is kept as it is, whatever its line breaks,
    // until the user changes it.
    accepted_ = stored;
    settingText_ = true;
    setPlainText(plainForm(stored));
    settingText_ = false;
}

void AspectBox::onTextChanged()
{
    if (reverting_)
        return;
    if (settingText_) {
        emit changed();
        return;
    }
    const QString stored = storedForm(toPlainText());
    // The program's own texts come from a record and always fit; a user's
    // change that does not fit is taken back, but for the characters that
    // have a stored form.
    if (!cp1252Encodable(stored)) {
        const StorableText taken = storableText(stored);
        if (taken.text.size() <= maxLength_) {
            const QString plain = toPlainText();
            const int position = int(storableText(plain.left(textCursor().position())).text.size());
            accepted_ = taken.text;
            reverting_ = true;
            {
                const QSignalBlocker blocker(this);
                setPlainText(plainForm(accepted_));
            }
            reverting_ = false;
            QTextCursor cursor = textCursor();
            cursor.setPosition(std::min(position, int(toPlainText().size())));
            setTextCursor(cursor);
            emit changed();
            emit adjusted(taken.note());
            return;
        }
    }
    if (stored.size() <= maxLength_ && cp1252Encodable(stored)) {
        accepted_ = stored;
        emit changed();
        return;
    }
    const int position = textCursor().position();
    reverting_ = true;
    {
        const QSignalBlocker blocker(this);
        setPlainText(plainForm(accepted_));
    }
    reverting_ = false;
    QTextCursor cursor = textCursor();
    cursor.setPosition(std::min(position, int(toPlainText().size())));
    setTextCursor(cursor);
    viewport()->update();
}
