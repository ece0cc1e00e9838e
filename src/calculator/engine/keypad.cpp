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
    if (!pending_.empty()) {
        pending_.pop_back();
        show();
        return;
    }
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
    pending_.clear();
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
    hint_.clear();
    settlePending();
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
    hint_.clear();
    settlePending();
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

namespace
{

// The functions a name typed on the keyboard enters, as their keys do.
struct TypedName {
    std::string_view name;
    std::string_view key;
};
constexpr TypedName kTypedNames[] = {
    {"sin", "bsin"},      {"cos", "Bcos"},      {"tan", "Btan"},
    {"asin", "invsin"},   {"acos", "invcos"},   {"atan", "Btoncommande3"},
    {"arcsin", "invsin"}, {"arccos", "invcos"}, {"arctan", "Btoncommande3"},
    {"ln", "Bln"},        {"log", "Blog"},      {"exp", "Bexp"},
    {"racine", "racine"}, {"sqrt", "racine"},   {"pi", "pi"},
};

constexpr std::string_view kTyping =
    "chiffres, virgule, + - * / ^ ( ) et sin, cos, tan, asin, acos, atan, ln, log, exp, "
    "racine, pi";

std::string lower(std::string_view text)
{
    std::string out(text);
    for (char &c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return out;
}

void appendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

} // namespace

void Keypad::settlePending()
{
    if (pending_.empty())
        return;
    const std::string word = std::move(pending_);
    pending_.clear();
    if (word == "e" || word == "E")
        append("E");
    else
        hint_ =
            "« " + word + " » n'est pas une fonction de la machine : " + std::string(kTyping) + ".";
    show();
}

bool Keypad::keyPress(char32_t c)
{
    hint_.clear();
    if (c == '\b') {
        effacer();
        return true;
    }
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
        const std::string word = lower(pending_ + char(c));
        for (const TypedName &t : kTypedNames) {
            if (t.name.substr(0, word.size()) != word)
                continue;
            pending_ += char(c);
            if (word == t.name) {
                pending_.clear();
                press(t.key);
            }
            show();
            return true;
        }
        if (pending_.empty() && (c == 'd' || c == 'D')) {
            append("E");
            return true;
        }
    } else {
        settlePending();
        if (c >= '0' && c <= '9') {
            append(std::string(1, char(c)));
            return true;
        }
        switch (c) {
        case ' ':
            return true; // between a function and its argument, as typed
        case '.':
        case ',':
            append(".");
            return true;
        case '(':
            function("(");
            return true;
        case ')':
            append(")");
            return true;
        case '*':
        case U'×':
            operation(" * ");
            return true;
        case '/':
        case U'÷':
            operation(" / ");
            return true;
        case '+':
            operation(" + ");
            return true;
        case '-':
        case U'−':
            minus();
            return true;
        case '^':
            power(" ^ ");
            return true;
        case U'²':
            power(" ^ 2");
            return true;
        case U'√':
            function("SQR ");
            return true;
        case U'π':
            press("pi");
            return true;
        default:
            break;
        }
    }
    std::string typed;
    appendUtf8(typed, c);
    hint_ = "« " + typed + " » n'est pas pris par la machine : " + std::string(kTyping) + ".";
    return false;
}

} // namespace calculator
