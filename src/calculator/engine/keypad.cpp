#include "keypad.h"

#include "evaluator.h"
#include "numbertext.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace calculator
{

namespace
{

std::string_view trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool endsWith(const std::string &text, char c)
{
    return !text.empty() && text.back() == c;
}

} // namespace

std::string standardText(double value)
{
    std::string text(value < 0 ? 0 : 1, ' ');
    text += numberText(value);
    return text;
}

std::string scientificText(double value)
{
    if (!std::isfinite(value))
        return numberText(value);
    if (value == 0)
        return "0.E+00";
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 7);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const std::size_t e = text.find('e');
    std::string out(text.substr(0, e));
    while (out.back() == '0')
        out.pop_back();
    const int exponent = std::atoi(std::string(text.substr(e + 1)).c_str());
    out += exponent < 0 ? "E-" : "E+";
    if (std::abs(exponent) < 10)
        out += '0';
    out += std::to_string(std::abs(exponent));
    return out;
}

std::string_view errorMessage(int code)
{
    switch (code) {
    case kParentheses:
        return "Erreur saisie: revoir les parenthèses";
    case kMissingOperand:
        return "Erreur saisie: incompréhension sur opérateurs: ^ * / + -";
    default:
        return "Calcul impossible";
    }
}

Keypad::Keypad(double &memoire) : memoire_(memoire) {}

void Keypad::append(std::string_view text)
{
    saisie_ += text;
    show();
}

void Keypad::function(std::string_view text)
{
    if (!saisie_.empty()) {
        const char last = saisie_.back();
        if (last != '(' && last != '-' && last != ' ')
            saisie_ += " * ";
    }
    append(text);
}

void Keypad::operation(std::string_view text)
{
    if (trimmed(display_).empty())
        return;
    if (trimmed(saisie_).empty())
        ans();
    if (text == " + " && endsWith(saisie_, 'E'))
        append("+");
    else
        append(text);
}

void Keypad::power(std::string_view text)
{
    if (trimmed(saisie_).empty())
        ans();
    append(text);
}

void Keypad::minus()
{
    if (endsWith(saisie_, '(') || endsWith(saisie_, ' ') || endsWith(saisie_, 'E'))
        append("-");
    else if (endsWith(saisie_, '-'))
        append(" -");
    else if (!saisie_.empty())
        append(" - ");
    else
        append("-");
}

void Keypad::ans()
{
    if (erreur_ == 0)
        saisie_ += trimmed(reponse_);
    show();
}

void Keypad::effacer()
{
    if (saisie_.empty())
        return;
    const std::size_t size = saisie_.size();
    if (saisie_.back() != ' ') {
        saisie_.pop_back();
    } else {
        const char before = size >= 2 ? saisie_[size - 2] : ' ';
        if (before == '*' || before == '+' || before == '/' || before == '-' || before == '^') {
            saisie_.resize(size >= 3 ? size - 3 : 0);
        } else {
            // A function word with its space, back to the space or "(" before it.
            const std::size_t cut =
                size >= 2 ? saisie_.find_last_of(" (", size - 2) : std::string::npos;
            saisie_.resize(cut == std::string::npos ? 0 : cut + 1);
        }
    }
    show();
}

void Keypad::raz()
{
    saisie_.clear();
    show();
}

void Keypad::memoryAdd()
{
    const auto value = readNumber(display_);
    // A sum too large for a double leaves the memory as it was.
    if (value && std::isfinite(memoire_ + *value))
        memoire_ += *value;
}

void Keypad::memorySubtract()
{
    const auto value = readNumber(display_);
    if (value && std::isfinite(memoire_ - *value))
        memoire_ -= *value;
}

void Keypad::memoryClear()
{
    memoire_ = 0;
}

void Keypad::memoryRecall()
{
    if (format_ == Format::Scientific)
        append(scientificText(memoire_));
    else
        append(trimmed(standardText(memoire_)));
}

bool Keypad::exe()
{
    erreur_ = kSuccess;
    const std::string kept = saisie_;
    std::string expression = saisie_;
    Evaluator evaluator;
    erreur_ = evaluator.evalue(expression, angle_ == kRadians ? kRadians : kDegrees);

    std::string text;
    bool beep = false;
    if (erreur_ == kSuccess) {
        const auto value = readNumber(expression);
        if (value) {
            text = format_ == Format::Scientific ? scientificText(*value) : standardText(*value);
        } else {
            // The result's text rounds beyond the largest double. It counts as
            // a failure, so that ANS never takes up the message.
            text = kDepassement;
            beep = true;
            erreur_ = kFailed;
        }
    } else {
        text = errorMessage(erreur_);
        beep = true;
    }
    display_ = text;
    reponse_ = text;
    saisie_ = erreur_ == kSuccess ? std::string() : kept;
    return beep;
}

void Keypad::chooseFormat(Format format)
{
    format_ = format;
    if (!saisie_.empty())
        return;
    const double value = readNumber(reponse_).value_or(0);
    display_ = format == Format::Scientific ? scientificText(value) : standardText(value);
}

bool Keypad::press(std::string_view key)
{
    struct Binding {
        std::string_view key;
        void (Keypad::*action)(std::string_view);
        std::string_view text;
    };
    static constexpr Binding bindings[] = {
        {"invsin", &Keypad::function, "invSIN "},
        {"bsin", &Keypad::function, "sin "},
        {"Command5", &Keypad::function, "1 / "},
        {"invcos", &Keypad::function, "invCOS "},
        {"Bcos", &Keypad::function, "cos "},
        {"racine", &Keypad::function, "SQR "},
        {"btcarre", &Keypad::power, " ^ 2"},
        {"puissance", &Keypad::power, " ^ "},
        {"Blog", &Keypad::function, "log "},
        {"B10x", &Keypad::function, "10 ^ "},
        {"Btoncommande3", &Keypad::function, "invTAN "},
        {"Btan", &Keypad::function, "tan "},
        {"Bpo", &Keypad::function, "("},
        {"bpf", &Keypad::append, ")"},
        {"Bln", &Keypad::function, "ln "},
        {"Bexp", &Keypad::function, "exp "},
        {"pico", &Keypad::append, "E-12"},
        {"nano", &Keypad::append, "E-9"},
        {"micro", &Keypad::append, "E-6"},
        {"mil", &Keypad::append, "E-3"},
        {"tera", &Keypad::append, "E+12"},
        {"giga", &Keypad::append, "E+9"},
        {"mega", &Keypad::append, "E+6"},
        {"kilo", &Keypad::append, "E+3"},
        {"B0", &Keypad::append, "0"},
        {"B1", &Keypad::append, "1"},
        {"B2", &Keypad::append, "2"},
        {"B3", &Keypad::append, "3"},
        {"B4", &Keypad::append, "4"},
        {"B5", &Keypad::append, "5"},
        {"B6", &Keypad::append, "6"},
        {"B7", &Keypad::append, "7"},
        {"B8", &Keypad::append, "8"},
        {"B9", &Keypad::append, "9"},
        {"Bpoint", &Keypad::append, "."},
        {"BtoEXP", &Keypad::append, "E"},
        {"multip", &Keypad::operation, " * "},
        {"div", &Keypad::operation, " / "},
        {"plus", &Keypad::operation, " + "},
    };
    for (const Binding &binding : bindings) {
        if (binding.key == key) {
            (this->*binding.action)(binding.text);
            return true;
        }
    }
    if (key == "pi")
        function(numberText(4 * std::atan(1.0)));
    else if (key == "Command1")
        memoryAdd();
    else if (key == "Command2")
        memorySubtract();
    else if (key == "Command3")
        memoryRecall();
    else if (key == "Command4")
        memoryClear();
    else if (key == "EFFACE")
        effacer();
    else if (key == "RAZ")
        raz();
    else if (key == "moins")
        minus();
    else if (key == "ANS")
        ans();
    else
        return false;
    return true;
}

bool Keypad::keyPress(char c)
{
    if (c >= '0' && c <= '9') {
        append(std::string(1, c));
        return true;
    }
    switch (c) {
    case '.':
        append(".");
        return true;
    case 'e':
    case 'E':
    case 'd':
    case 'D':
        append("E");
        return true;
    case '(':
        function("(");
        return true;
    case ')':
        append(")");
        return true;
    case '*':
        operation(" * ");
        return true;
    case '/':
        operation(" / ");
        return true;
    case '+':
        operation(" + ");
        return true;
    case '-':
        minus();
        return true;
    case '^':
        power(" ^ ");
        return true;
    case '\b':
        effacer();
        return true;
    default:
        return false;
    }
}

} // namespace calculator
