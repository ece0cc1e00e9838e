#pragma once

#include "hazardpictures.h"
#include "subcommand.h"

#include <QGuiApplication>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// What the subcommands that draw cards share (a build with the application only).
namespace outil
{

// Drawing needs Qt's GUI, without a display: the pictures are drawn off screen.
std::unique_ptr<QGuiApplication> guiApplication();

// The pictograms' style: "--pictogrammes orange|sgh" taken out of the
// arguments, else the one the user chose in the window. False (said on
// stderr) for an option without a known style, or when the arguments left
// are fewer than `minArgs` or more than `maxArgs`.
bool takeStyle(std::vector<std::string> &args, hazardpictures::Style &style, const Subcommand *self,
               std::size_t minArgs, std::size_t maxArgs);

const Subcommand *subcommandNamed(std::string_view name);

} // namespace outil
