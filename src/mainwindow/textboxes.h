#pragma once

#include "cp1252validator.h"

#include <QPlainTextEdit>

// The aspect box Text2: several lines, stored with CR LF line breaks, at most
// `maxLength` stored characters, Windows-1252 only. A change that breaks
// these rules (a key, a paste, a drop) is taken back at once, but for the
// characters Windows-1252 cannot hold, which are turned into their stored
// form or left out (`adjusted` says how).
class AspectBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit AspectBox(QWidget *parent = nullptr);

    // The stored form (CR LF line breaks) and back.
    QString text() const;
    void setText(const QString &stored);

    void setMaxLength(int n) { maxLength_ = n; }
    int maxLength() const { return maxLength_; }

signals:
    // An accepted change, by the user or the program.
    void changed();
    // The text taken in differs from the one given: the note says how.
    void adjusted(const QString &note);

private:
    void onTextChanged();

    QString accepted_;
    int maxLength_ = 126;
    bool reverting_ = false;
    bool settingText_ = false;
};
