#pragma once

#include <QList>
#include <QString>
#include <QValidator>

#include <optional>
#include <utility>

// Text brought into a card (typed, pasted, dropped) in the form a record
// holds: each character Windows-1252 has no byte for turned into its usual
// stored form (script digits and signs into plain ones, "≈" into "~",
// dashes, quotes and spaces into the code page's own), or else left out.
struct StorableText {
    QString text;
    QList<std::pair<QString, QString>> replaced; // each character replaced, once, and by what
    QString dropped;                             // each character left out, once
    bool changed() const { return !replaced.isEmpty() || !dropped.isEmpty(); }
    // What the information line says of it: empty when nothing changed.
    QString note() const;
    // Notes one character replaced, or left out when `by` is empty.
    void tell(const QString &what, const QString &by);
};
StorableText storableText(const QString &text);

// The stored form of one character: itself when Windows-1252 holds it, its
// usual replacement, or nothing.
QString storedForm(char32_t c);

// A subscript or superscript digit or sign ("₂", "⁻", "²"): its plain
// character, and whether it is a superscript. Nothing for another character.
std::optional<std::pair<QChar, bool>> scriptCharacter(char32_t c);

// Takes in what a record can hold: the usual characters turned into their
// stored form (and `adjusted` says which, or what was left out); a text longer
// than `maxLength` characters, when it is positive, is refused.
class Cp1252Validator : public QValidator
{
    Q_OBJECT
public:
    explicit Cp1252Validator(QObject *parent = nullptr) : Cp1252Validator(0, parent) {}
    Cp1252Validator(int maxLength, QObject *parent) : QValidator(parent), maxLength_(maxLength) {}

    State validate(QString &input, int &pos) const override;

signals:
    // The text taken in differs from the one given: the note says how.
    void adjusted(const QString &note) const;

private:
    int maxLength_;
};

// Every character of `text` has a Windows-1252 byte.
bool cp1252Encodable(const QString &text);
