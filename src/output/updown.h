#pragma once

#include <QWidget>

class QToolButton;

// An up-down control: two small arrow buttons that step a whole number within
// a range; the number itself is shown by a label of the caller's (its buddy).
class UpDown : public QWidget
{
    Q_OBJECT
public:
    UpDown(int minimum, int maximum, int value, QWidget *parent = nullptr);

    int value() const { return value_; }
    void setValue(int value);
    void stepBy(int steps);

    QToolButton *upButton() const { return up_; }
    QToolButton *downButton() const { return down_; }

signals:
    void valueChanged(int value);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    int minimum_;
    int maximum_;
    int value_;
    QToolButton *up_;
    QToolButton *down_;
};
