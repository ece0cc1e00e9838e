#include "evaluator.h"

#include "numbertext.h"

#include <array>
#include <cmath>
#include <optional>
#include <string_view>

namespace calculator
{

namespace
{

constexpr std::array<std::string_view, 10> kTokens = {"SQR", "SIN", "COS", "LOG", "TAN",
                                                      "ISI", "EXP", "ITA", "ICO", "LON"};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool at(const std::string &text, std::size_t i, std::string_view what)
{
    return i + what.size() <= text.size() && text.compare(i, what.size(), what) == 0;
}

// The token that begins at i, or an empty view.
std::string_view tokenAt(const std::string &text, std::size_t i)
{
    if (i + 3 > text.size())
        return {};
    for (std::string_view token : kTokens) {
        if (text.compare(i, 3, token) == 0)
            return token;
    }
    return {};
}

void upperCaseWithoutSpaces(std::string &text)
{
    std::size_t out = 0;
    for (char c : text) {
        if (c == ' ')
            continue;
        text[out++] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    text.resize(out);
}

double pi()
{
    return 4 * std::atan(1.0);
}

// Arcsine as the calculator computes it, from the arctangent.
double arcsine(double x)
{
    if (x == 1)
        return pi() / 2;
    if (x == -1)
        return -pi() / 2;
    return std::atan(x / std::sqrt(1 - x * x));
}

std::optional<double> function(std::string_view token, double x, int angle)
{
    const bool degrees = angle == kDegrees;
    double value = 0;
    if (token == "SQR") {
        if (x < 0)
            return std::nullopt;
        value = std::sqrt(x);
    } else if (token == "EXP") {
        value = std::exp(x);
    } else if (token == "LON" || token == "LOG") {
        if (!(x > 0))
            return std::nullopt;
        value = token == "LON" ? std::log(x) : std::log(x) / std::log(10.0);
    } else if (token == "SIN" || token == "COS" || token == "TAN") {
        if (degrees)
            x = x * pi() / 180;
        value = token == "SIN" ? std::sin(x) : token == "COS" ? std::cos(x) : std::tan(x);
    } else {
        if (token == "ITA")
            value = std::atan(x);
        else if (token == "ISI")
            value = arcsine(x);
        else
            value = pi() / 2 - arcsine(x);
        if (degrees)
            value = value * 180 / pi();
    }
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

// A function's argument is a number once it begins with a digit or "." or
// with a sign before one; "-(" and "-SIN" wait until what follows is reduced.
bool numberStartsAt(const std::string &text, std::size_t i)
{
    if (i >= text.size())
        return false;
    if (isDigit(text[i]) || text[i] == '.')
        return true;
    return text[i] == '-' && i + 1 < text.size() && (isDigit(text[i + 1]) || text[i + 1] == '.');
}

} // namespace

void Evaluator::simplifie(std::string &text)
{
    upperCaseWithoutSpaces(text);
    for (;;) {
        const std::string before = text;

        const std::size_t length = text.size();
        for (std::size_t i = 0; i < length; ++i) {
            if (at(text, i, "--"))
                text.replace(i, 2, "+");
            if (at(text, i, "+-"))
                text.replace(i, 2, "-");
            if (at(text, i, "-+"))
                text.replace(i, 2, "-");
            if (at(text, i, "++"))
                text.replace(i, 2, "+");
        }

        if (!text.empty() && text[0] == '+')
            text.erase(0, 1);

        // (-5) and (2.5) lose their parentheses.
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '(')
                continue;
            std::size_t j = i + 1;
            while (j < text.size()) {
                const char c = text[j];
                const bool first = j == i + 1;
                if (!(isDigit(c) || c == '.' || (first && (c == '-' || c == '+'))))
                    break;
                ++j;
            }
            if (j > i + 1 && j < text.size() && text[j] == ')') {
                text.erase(j, 1);
                text.erase(i, 1);
            }
        }

        if (text == before) {
            separetermes(text);
            return;
        }
    }
}

void Evaluator::separetermes(std::string &text)
{
    upperCaseWithoutSpaces(text);
    if (!text.empty() && text[0] == '+')
        text.erase(0, 1);
    text.insert(text.begin(), ' ');
    text.push_back(' ');

    const std::size_t limit = 3 * text.size();
    for (std::size_t i = 0; i < limit && i < text.size(); ++i) {
        if (!tokenAt(text, i).empty()) {
            text.insert(i + 3, 1, ' ');
        } else if (at(text, i, "LN")) {
            text.replace(i, 2, "LON ");
        } else if (at(text, i, "INV") &&
                   (at(text, i + 3, "SIN") || at(text, i + 3, "COS") || at(text, i + 3, "TAN"))) {
            // INVSIN -> ISI, INVCOS -> ICO, INVTAN -> ITA
            const std::string token{'I', text[i + 3], text[i + 4], ' '};
            text.replace(i, 6, token);
        }

        const char c = text[i];
        bool spaced = c == '^' || c == '*' || c == '/';
        if (c == '+')
            spaced = i == 0 || text[i - 1] != 'E';
        if (c == '-')
            spaced = i == 0 || (text[i - 1] != 'E' && text[i - 1] != '(' && text[i - 1] != ' ');
        if (spaced) {
            text.insert(i + 1, 1, ' ');
            text.insert(i, 1, ' ');
            i += 2;
        }
    }
}

int Evaluator::verifie(const std::string &text) const
{
    int code = kSuccess;
    int opening = 0;
    int closing = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '(')
            ++opening;
        else if (c == ')')
            ++closing;
        else if ((c == '*' || c == '/' || c == '^') && i + 2 < text.size() && text[i + 2] == ' ')
            code = kMissingOperand;
    }
    if (opening != closing)
        code = kParentheses;
    return code;
}

void Evaluator::compte(const std::string &text)
{
    nbpar = 0;
    nbfonc = 0;
    nbop = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '(')
            ++nbpar;
        if (!tokenAt(text, i).empty())
            ++nbfonc;
        if (c == ' ' && i + 2 < text.size() && text[i + 2] == ' ') {
            const char op = text[i + 1];
            if (op == '+' || op == '-' || op == '*' || op == '/' || op == '^')
                ++nbop;
        }
    }
}

void Evaluator::calculefonctions(std::string &text, int angle)
{
    std::size_t i = 0;
    while (i < text.size() && nbfonc >= 1) {
        const std::string_view token = tokenAt(text, i);
        if (token.empty() || !numberStartsAt(text, i + 4)) {
            ++i;
            continue;
        }
        const std::size_t argument = i + 4;
        std::size_t end = text.find_first_of(" )", argument);
        if (end == std::string::npos)
            end = text.size();
        const auto x = readNumber(std::string_view(text).substr(argument, end - argument));
        const auto value = x ? function(token, *x, angle) : std::nullopt;
        if (!value) {
            failed = true;
            return;
        }
        text.replace(i, end - i, numberText(*value));
        --nbfonc;
        i = 0;
    }
}

void Evaluator::calculeparentheses(std::string &text)
{
    do {
        const std::size_t opening = text.rfind('(');
        if (opening == std::string::npos)
            return;
        const std::size_t closing = text.find(')', opening);
        if (closing == std::string::npos) {
            // A "(" after the last ")": the group is never closed.
            failed = true;
            return;
        }
        std::string content = text.substr(opening + 1, closing - opening - 1);
        for (char c : content) {
            if (c >= 'F' && c <= 'Y')
                return; // the functions inside are computed first
        }
        simplifie(content);
        calculeoperations(content);
        if (failed)
            return;
        text.replace(opening, closing - opening + 1, content);
        --nbpar;
        simplifie(text);
    } while (nbpar > 0);
}

void Evaluator::calculeoperations(std::string &text)
{
    simplifie(text);
    constexpr std::array<std::string_view, 5> operators = {" ^ ", " / ", " * ", " - ", " + "};
    std::size_t k = 0;
    while (k < operators.size()) {
        const std::size_t p = text.size() > 2 ? text.find(operators[k], 2) : std::string::npos;
        if (p == std::string::npos) {
            ++k;
            continue;
        }
        const std::size_t space = text.rfind(' ', p - 1);
        const std::size_t leftStart = space == std::string::npos ? 0 : space + 1;
        const std::size_t rightStart = p + 3;
        std::size_t rightEnd = text.find(' ', rightStart);
        if (rightEnd == std::string::npos)
            rightEnd = text.size();
        const std::string_view view(text);
        const std::string_view leftText = view.substr(leftStart, p - leftStart);
        const std::string_view rightText = view.substr(rightStart, rightEnd - rightStart);
        // An operator with nothing on one side ("5 + ") cannot be computed.
        const auto left = leftText.empty() ? std::nullopt : readNumber(leftText);
        const auto right = rightText.empty() ? std::nullopt : readNumber(rightText);
        if (!left || !right) {
            failed = true;
            return;
        }
        double value = 0;
        switch (operators[k][1]) {
        case '^':
            value = std::pow(*left, *right);
            break;
        case '/':
            value = *right == 0 ? NAN : *left / *right;
            break;
        case '*':
            value = *left * *right;
            break;
        case '-':
            value = *left - *right;
            break;
        default:
            value = *left + *right;
            break;
        }
        if (!std::isfinite(value)) {
            failed = true;
            return;
        }
        text.replace(leftStart, rightEnd - leftStart, numberText(value));
        --nbop;
        if (nbop < 1)
            return;
        k = 0;
    }
}

int Evaluator::evalue(std::string &expression, int angle)
{
    std::string &text = expression;
    failed = false;
    nbpar = nbfonc = nbop = 0;

    simplifie(text);
    if (const int code = verifie(text); code != kSuccess)
        return code;
    compte(text);

    std::string previous;
    int passes = 0;
    for (;;) {
        const bool unchanged = text == previous;
        previous = text;
        if (unchanged)
            simplifie(text);
        if (++passes > 100)
            return kFailed;
        if (nbfonc > 0) {
            calculefonctions(text, angle);
            if (failed)
                return kFailed;
            simplifie(text);
        }
        if (nbpar > 0) {
            calculeparentheses(text);
            if (failed)
                return kFailed;
        }
        compte(text);
        if (nbfonc >= 1 || nbpar >= 1)
            continue;
        if (nbop > 0) {
            calculeoperations(text);
            if (failed)
                return kFailed;
        }
        compte(text);
        if (nbop < 1)
            break;
    }

    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        text.clear();
        return kSuccess;
    }
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    // One number must be left: a space or any character foreign to a number
    // means the text did not reduce.
    if (text.find_first_not_of("0123456789.E+-") != std::string::npos)
        return kFailed;
    return kSuccess;
}

} // namespace calculator
