#include "evaluator.h"

#include "numbertext.h"

#include <algorithm>
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

// The token that begins at i, or an empty view.
std::string_view tokenAt(std::string_view text, std::size_t i)
{
    if (i + 3 > text.size())
        return {};
    switch (text[i]) {
    case 'S':
    case 'C':
    case 'L':
    case 'T':
    case 'I':
    case 'E':
        break;
    default:
        return {};
    }
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

// True when what precedes `end` in the folded text leaves a sign there, not
// a subtraction: the start, "(", "*", "/", "^" or a function word.
bool signPlace(std::string_view text, std::size_t end)
{
    if (end == 0)
        return true;
    switch (text[end - 1]) {
    case '(':
    case '*':
    case '/':
    case '^':
        return true;
    default:
        break;
    }
    return (end >= 3 && !tokenAt(text.substr(end - 3, 3), 0).empty()) ||
           (end >= 2 && text.substr(end - 2, 2) == "LN");
}

// One pass of sign folding: at each position "--" becomes "+", "+-" and "-+"
// become "-", "++" becomes "+", the four tests made one after the other on
// what the position holds. Two minus signs in a sign's place (2*--3, or
// 2*-(0-3) once its group is computed) cancel out instead: a "+" left there
// would read as an operator with no left operand. True when the text changed.
bool foldSigns(std::string &text)
{
    const std::size_t size = text.size();
    std::size_t out = 0;
    std::size_t in = 0;
    bool changed = false;
    while (in < size) {
        char c = text[in++];
        const auto fold = [&](char first, char second, char by) {
            if (c == first && in < size && text[in] == second) {
                c = by;
                ++in;
                changed = true;
                return true;
            }
            return false;
        };
        const bool minusMinus = fold('-', '-', '+');
        fold('+', '-', '-');
        fold('-', '+', '-');
        fold('+', '+', '+');
        if (minusMinus && c == '+' && signPlace(text, out))
            continue;
        text[out++] = c;
    }
    text.resize(out);
    return changed;
}

// (-5) and (2.5) lose their parentheses: after "(", a digit, ".", "-" or "+",
// then digits or "." up to ")". True when the text changed.
bool unwrapNumbers(std::string &text)
{
    const std::size_t size = text.size();
    std::size_t out = 0;
    std::size_t in = 0;
    bool changed = false;
    while (in < size) {
        if (text[in] == '(') {
            std::size_t j = in + 1;
            while (j < size) {
                const char c = text[j];
                if (!(isDigit(c) || c == '.' || (j == in + 1 && (c == '-' || c == '+'))))
                    break;
                ++j;
            }
            if (j > in + 1 && j < size && text[j] == ')') {
                for (std::size_t k = in + 1; k < j; ++k)
                    text[out++] = text[k];
                in = j + 1;
                changed = true;
                continue;
            }
        }
        text[out++] = text[in++];
    }
    text.resize(out);
    return changed;
}

} // namespace

void Evaluator::simplifie(std::string &text)
{
    upperCaseWithoutSpaces(text);
    // Every change shortens the text, so the loop ends.
    for (;;) {
        bool changed = foldSigns(text);
        if (!text.empty() && text[0] == '+') {
            text.erase(0, 1);
            changed = true;
        }
        changed = unwrapNumbers(text) || changed;
        if (!changed) {
            separetermes(text);
            return;
        }
    }
}

// Written as one pass from the padded text into a new one: each position
// either copies its character, spaces an operator, or writes a function
// token with its space and steps over the letters it replaced.
void Evaluator::separetermes(std::string &text)
{
    upperCaseWithoutSpaces(text);
    std::string_view rest(text);
    if (!rest.empty() && rest[0] == '+')
        rest.remove_prefix(1);
    padded_.assign(1, ' ');
    padded_ += rest;
    padded_ += ' ';
    const std::string_view in(padded_);

    std::string &out = spaced_;
    out.clear();
    out.reserve(3 * in.size());
    std::size_t j = 0;
    while (j < in.size()) {
        if (const std::string_view token = tokenAt(in, j); !token.empty()) {
            out += token;
            out += ' ';
            j += 3;
            continue;
        }
        if (in.compare(j, 2, "LN") == 0) {
            out += "LON ";
            j += 2;
            continue;
        }
        if (in.compare(j, 3, "INV") == 0) {
            const std::string_view name = in.substr(j + 3, 3);
            if (name == "SIN" || name == "COS" || name == "TAN") {
                // INVSIN -> ISI, INVCOS -> ICO, INVTAN -> ITA
                out += 'I';
                out += name.substr(0, 2);
                out += ' ';
                j += 6;
                continue;
            }
        }
        const char c = in[j];
        const char before = out.empty() ? '\0' : out.back();
        bool spaced = c == '^' || c == '*' || c == '/';
        if (c == '+')
            spaced = before != 'E';
        if (c == '-')
            spaced = before != 'E' && before != '(' && before != ' ';
        if (spaced) {
            out += ' ';
            out += c;
            out += ' ';
        } else {
            out += c;
        }
        ++j;
    }
    text.swap(out);
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

// Results are numbers without spaces, so an operation never creates an
// operator: once an operator is missing it stays missing, and the next
// occurrence of the one just computed lies after the result's start. Going
// through the operators in priority order, each from the left, thus computes
// exactly the operations that restarting from " ^ " after each one would.
void Evaluator::calculeoperations(std::string &text)
{
    simplifie(text);
    constexpr std::array<std::string_view, 5> operators = {" ^ ", " / ", " * ", " - ", " + "};
    for (std::string_view op : operators) {
        std::size_t from = 2;
        for (;;) {
            const std::size_t p = text.size() > from ? text.find(op, from) : std::string::npos;
            if (p == std::string::npos)
                break;
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
            switch (op[1]) {
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
            from = std::max<std::size_t>(leftStart, 2);
        }
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
