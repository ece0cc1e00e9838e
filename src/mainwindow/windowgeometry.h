#pragma once

#include <QRect>

#include <optional>

// The window's outer frame on a screen: on a screen wider than 850 pixels the
// window is 800 x 600, centred, and keeps that size; otherwise nullopt, and
// the window can be sized and maximised freely.
std::optional<QRect> fixedWindowFrame(const QRect &screen);
