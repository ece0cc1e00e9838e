#pragma once

#include <QLabel>
#include <QString>

// One of the card panel's pictures, drawn from its SVG source at the label's
// size when it is first shown: the hazards, the lock and the environment
// pictogram start hidden, and most cards never show some of them.
class PictureLabel : public QLabel
{
public:
    PictureLabel(QWidget *parent, const QString &resource);

    // Another picture: drawn at once when the label is on screen, else when it
    // is next shown.
    void setResource(const QString &resource);

protected:
    void showEvent(QShowEvent *event) override;
    // A panel grabbed from a window that was never shown has had no show event.
    void paintEvent(QPaintEvent *event) override;

private:
    void draw();

    QString resource_;
    QString drawn_;
};
