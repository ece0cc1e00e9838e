#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace outil
{

// Exit statuses of the tool.
inline constexpr int kOk = 0;
inline constexpr int kBadFile = 1; // a file that cannot be read, written or used
inline constexpr int kUsage = 2;   // bad arguments

// One subcommand of the tool. Each source file registers its own with a
// static Register object, so adding a subcommand means adding a file.
struct Subcommand {
    std::string_view name;
    std::string_view arguments; // as shown in the usage line
    std::string_view summary;   // one line, in French
    int minArgs;
    int maxArgs;
    int (*run)(const std::vector<std::string> &args);
};

const std::vector<Subcommand> &subcommands();

struct Register {
    explicit Register(const Subcommand &c);
};

// Messages on stderr, prefixed with the tool's name; each returns the exit status.
// Without a subcommand, the usage of every subcommand follows the message.
int usageError(std::string_view message, const Subcommand *only = nullptr);
int fileError(std::string_view message);
void warn(std::string_view message);

// The usage text of every subcommand, or of one.
std::string usageText(const Subcommand *only = nullptr);

} // namespace outil
