#include "molarmass.h"

#include "atomicweights.h"
#include "fields.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace cards
{

namespace
{

enum class Level { Normal, Sub, Sup };

// One character of the formula with the level its marker gives it.
struct Token {
    char32_t c;
    Level level;
    std::size_t at;  // byte offset of the character (of its marker, if any)
    std::size_t end; // byte offset after the character
};

// The next code point of UTF-8 text; a byte that does not start a valid
// sequence reads as itself (Latin-1), so nothing is skipped unseen.
char32_t nextCodePoint(std::string_view s, std::size_t &i)
{
    const auto b = static_cast<unsigned char>(s[i]);
    const std::size_t extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    if (extra == 0 || i + extra >= s.size()) {
        ++i;
        return b;
    }
    char32_t c = b & (0x3F >> extra);
    for (std::size_t k = 1; k <= extra; ++k) {
        const auto cont = static_cast<unsigned char>(s[i + k]);
        if ((cont & 0xC0) != 0x80) {
            ++i;
            return b;
        }
        c = (c << 6) | (cont & 0x3F);
    }
    i += extra + 1;
    return c;
}

std::string toUtf8(char32_t c)
{
    std::string s;
    if (c < 0x80) {
        s += char(c);
    } else if (c < 0x800) {
        s += char(0xC0 | (c >> 6));
        s += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += char(0xE0 | (c >> 12));
        s += char(0x80 | ((c >> 6) & 0x3F));
        s += char(0x80 | (c & 0x3F));
    } else {
        s += char(0xF0 | (c >> 18));
        s += char(0x80 | ((c >> 12) & 0x3F));
        s += char(0x80 | ((c >> 6) & 0x3F));
        s += char(0x80 | (c & 0x3F));
    }
    return s;
}

bool isDigit(char32_t c)
{
    return c >= U'0' && c <= U'9';
}
bool isUpper(char32_t c)
{
    return c >= U'A' && c <= U'Z';
}
bool isLower(char32_t c)
{
    return c >= U'a' && c <= U'z';
}
bool isSpace(char32_t c)
{
    return c == U' ' || c == U'\t' || c == 0xA0;
}
bool isOpening(char32_t c)
{
    return c == U'(' || c == U'[' || c == U'{';
}
bool isClosing(char32_t c)
{
    return c == U')' || c == U']' || c == U'}';
}
char32_t closingOf(char32_t open)
{
    return open == U'(' ? U')' : open == U'[' ? U']' : U'}';
}
// Between a salt and its water of crystallisation.
bool isSeparator(char32_t c)
{
    return c == U',' || c == U'.' || c == 0xB7 /* · */ || c == 0x2022 /* • */ ||
           c == 0x22C5 /* ⋅ */ || c == 0x2219 /* ∙ */;
}
// Bonds of a semi-developed formula; a plain minus or plus at the very end
// is a charge typed without its superscript.
bool isBond(char32_t c)
{
    return c == U'-' || c == U'=' || c == 0x2261 /* ≡ */ || c == 0x2013 /* – */ ||
           c == 0x2212 /* − */;
}
// What a charge, a radical or an oxidation number is written with.
bool isChargeCharacter(char32_t c)
{
    return isDigit(c) || c == U'+' || c == U'-' || c == 0x2212 || c == 0x2013 || c == 0xB7 ||
           c == 0x2022 || c == U'.' || c == U'I' || c == U'V' || c == U'X';
}

constexpr long long kMaxCount = 1000000;
constexpr long long kMaxAtoms = 1000000000000LL;

using Atoms = std::map<int, long long>;

// One open bracket (or the whole section at the bottom of the stack).
struct Frame {
    Atoms atoms;
    Atoms last; // the unit a count after it would multiply, not yet added
    bool hasLast = false;
    char32_t open = 0;
    std::size_t at = 0;
    bool any = false; // something was read in it
};

class Reader
{
public:
    explicit Reader(std::string_view formula) : text_(formula) {}

    MolarMass run();

private:
    bool tokenize();
    bool fail(MassError e, std::size_t at, std::string detail = {})
    {
        result_.error = e;
        result_.position = at;
        // The text as read, without its markers ("*1*4" is the mass number 14).
        if (e != MassError::DanglingMarker)
            std::erase_if(detail, [](char ch) { return ch == '#' || ch == '*'; });
        result_.detail = std::move(detail);
        return false;
    }
    bool add(Atoms &into, const Atoms &unit, long long times, std::size_t at);
    bool flush(Frame &f);
    bool readCount(std::size_t &i, long long &count);
    bool annotation(std::size_t i, std::size_t &after) const;
    bool closeSection(std::size_t at);
    bool body();

    std::string_view text_;
    std::vector<Token> tokens_;
    std::vector<Frame> stack_;
    Atoms total_;
    long long coefficient_ = 1;
    bool afterSeparator_ = false;
    bool compound_ = false; // parts joined by a separator: each may have its count
    std::size_t separatorAt_ = 0;
    MolarMass result_;
};

bool Reader::tokenize()
{
    std::size_t i = 0;
    while (i < text_.size()) {
        const std::size_t at = i;
        char32_t c = nextCodePoint(text_, i);
        Level level = Level::Normal;
        if (c == U'#' || c == U'*') {
            level = c == U'#' ? Level::Sub : Level::Sup;
            if (i >= text_.size())
                return fail(MassError::DanglingMarker, at, toUtf8(c));
            const std::size_t marked = i;
            c = nextCodePoint(text_, i);
            if (c == U'#' || c == U'*')
                return fail(MassError::DanglingMarker, marked - 1,
                            text_[marked - 1] == '#' ? std::string("#") : std::string("*"));
        }
        tokens_.push_back({c, level, at, i});
    }
    return true;
}

bool Reader::add(Atoms &into, const Atoms &unit, long long times, std::size_t at)
{
    for (const auto &[z, n] : unit) {
        if (n > kMaxAtoms / times)
            return fail(MassError::TooLarge, at);
        long long &sum = into[z];
        sum += n * times;
        if (sum > kMaxAtoms)
            return fail(MassError::TooLarge, at);
    }
    return true;
}

bool Reader::flush(Frame &f)
{
    if (!f.hasLast)
        return true;
    f.hasLast = false;
    return add(f.atoms, f.last, 1, 0);
}

// A run of digits at one level: "#1#2" is twelve, "12" too.
bool Reader::readCount(std::size_t &i, long long &count)
{
    const Level level = tokens_[i].level;
    const std::size_t at = tokens_[i].at;
    count = 0;
    while (i < tokens_.size() && tokens_[i].level == level && isDigit(tokens_[i].c)) {
        count = count * 10 + (tokens_[i].c - U'0');
        if (count > kMaxCount)
            return fail(MassError::CountTooLarge, at,
                        std::string(text_.substr(at, tokens_[i].end - at)));
        ++i;
    }
    if (count == 0)
        return fail(MassError::ZeroCount, at,
                    std::string(text_.substr(at, tokens_[i - 1].end - at)));
    return true;
}

// Words in brackets that say something of the species without changing its
// mass: a state ("(aq)", "(s)", "(l)", "(g)") or an oxidation number in
// Roman figures ("Fe(III)", not to be read as three iodine atoms).
bool Reader::annotation(std::size_t i, std::size_t &after) const
{
    if (tokens_[i].c != U'(' || tokens_[i].level != Level::Normal)
        return false;
    std::string word;
    std::size_t j = i + 1;
    while (j < tokens_.size() && tokens_[j].level == Level::Normal &&
           (isLower(tokens_[j].c) || isUpper(tokens_[j].c)) && word.size() < 5) {
        word += char(tokens_[j].c);
        ++j;
    }
    if (j >= tokens_.size() || tokens_[j].c != U')' || tokens_[j].level != Level::Normal)
        return false;
    const bool state = word == "aq" || word == "s" || word == "l" || word == "g";
    const bool roman = word == "I" || word == "II" || word == "III" || word == "IV" ||
                       word == "V" || word == "VI" || word == "VII" || word == "VIII";
    // "(V)#2" would be a count of vanadium atoms.
    const bool counted = j + 1 < tokens_.size() && isDigit(tokens_[j + 1].c);
    if (!state && !(roman && !counted))
        return false;
    after = j + 1;
    return true;
}

bool Reader::closeSection(std::size_t at)
{
    Frame &f = stack_.back();
    if (!flush(f))
        return false;
    if (afterSeparator_ && !f.any)
        return fail(MassError::MissingAfterSeparator, separatorAt_, "");
    if (!add(total_, f.atoms, coefficient_, at))
        return false;
    f = Frame{};
    coefficient_ = 1;
    return true;
}

bool Reader::body()
{
    // Several species joined by a plain "+": a mixture. A "+" at the very
    // end, or before the state only ("Na+(aq)"), is a charge typed without
    // its superscript, as a "-" is.
    int depth = 0;
    for (std::size_t i = 0; i < tokens_.size(); ++i) {
        const Token &t = tokens_[i];
        if (t.level == Level::Normal && isOpening(t.c))
            ++depth;
        if (t.level == Level::Normal && isClosing(t.c))
            --depth;
        compound_ = compound_ || (depth == 0 && t.level == Level::Normal && isSeparator(t.c));
        if (t.c != U'+' || t.level != Level::Normal)
            continue;
        for (std::size_t j = i + 1, after = 0; j < tokens_.size();) {
            if (isSpace(tokens_[j].c))
                ++j;
            else if (annotation(j, after))
                j = after;
            else
                return fail(MassError::Mixture, t.at, "+");
        }
    }

    stack_.push_back(Frame{});
    bool sectionStart = true;
    std::size_t i = 0;
    while (i < tokens_.size()) {
        const Token &t = tokens_[i];
        const char32_t c = t.c;
        Frame &f = stack_.back();
        if (isSpace(c)) {
            ++i;
            continue;
        }
        if (t.level == Level::Sup) {
            // A charge is skipped; digits alone right before a symbol are a
            // mass number, whose isotope's mass is not in the table.
            const std::size_t first = i;
            bool digitsOnly = true;
            while (i < tokens_.size() && tokens_[i].level == Level::Sup) {
                if (!isChargeCharacter(tokens_[i].c))
                    return fail(MassError::BadSuperscript, tokens_[i].at, toUtf8(tokens_[i].c));
                digitsOnly = digitsOnly && isDigit(tokens_[i].c);
                ++i;
            }
            if (digitsOnly && i < tokens_.size() && tokens_[i].level == Level::Normal &&
                (isUpper(tokens_[i].c) || isOpening(tokens_[i].c)))
                return fail(MassError::Isotope, tokens_[first].at,
                            std::string(text_.substr(tokens_[first].at,
                                                     tokens_[i - 1].end - tokens_[first].at)));
            continue;
        }
        if (t.level == Level::Sub && !isDigit(c))
            return fail(MassError::CountNotNumber, t.at, toUtf8(c));
        if (isDigit(c)) {
            long long count = 0;
            const std::size_t at = t.at;
            const bool leading = sectionStart && t.level == Level::Normal;
            if (!readCount(i, count))
                return false;
            if (leading) {
                if (!compound_)
                    return fail(MassError::LeadingCoefficient, at,
                                std::string(text_.substr(at, tokens_[i - 1].end - at)));
                coefficient_ = count;
                sectionStart = false;
                continue;
            }
            if (!f.hasLast)
                return fail(MassError::CountWithoutSymbol, at,
                            std::string(text_.substr(at, tokens_[i - 1].end - at)));
            f.hasLast = false;
            if (!add(f.atoms, f.last, count, at))
                return false;
            continue;
        }
        sectionStart = false;
        if (isUpper(c)) {
            std::string symbol(1, char(c));
            std::size_t next = i + 1;
            if (next < tokens_.size() && tokens_[next].level == Level::Normal &&
                isLower(tokens_[next].c)) {
                symbol += char(tokens_[next].c);
                ++next;
            }
            const Element *e = findElement(symbol);
            if (!e) {
                // The whole word, so that "Eau" is named as typed.
                while (next < tokens_.size() && tokens_[next].level == Level::Normal &&
                       isLower(tokens_[next].c))
                    symbol += char(tokens_[next++].c);
                return fail(MassError::UnknownSymbol, t.at, symbol);
            }
            if (!e->weight)
                return fail(MassError::NoStandardWeight, t.at, symbol);
            if (!flush(f))
                return false;
            f.last = {{e->number, 1}};
            f.hasLast = true;
            f.any = true;
            i = next;
            continue;
        }
        if (isLower(c)) {
            std::string word;
            while (i < tokens_.size() && tokens_[i].level == Level::Normal && isLower(tokens_[i].c))
                word += char(tokens_[i++].c);
            return fail(MassError::UnknownSymbol, t.at, word);
        }
        if (isOpening(c)) {
            std::size_t after = 0;
            if (annotation(i, after)) {
                // It counts for nothing: a count after it has nothing to count.
                if (after < tokens_.size() && isDigit(tokens_[after].c))
                    return fail(MassError::CountAfterState, tokens_[after].at,
                                std::string(text_.substr(t.at, tokens_[after].end - t.at)));
                if (!flush(f))
                    return false;
                i = after;
                continue;
            }
            if (!flush(f))
                return false;
            stack_.push_back(Frame{{}, {}, false, c, t.at, false});
            ++i;
            continue;
        }
        if (isClosing(c)) {
            if (stack_.size() == 1)
                return fail(MassError::UnexpectedClosing, t.at, toUtf8(c));
            if (closingOf(stack_.back().open) != c)
                return fail(MassError::MismatchedClosing, t.at,
                            toUtf8(c) + " au lieu de " + toUtf8(closingOf(stack_.back().open)));
            Frame group = std::move(stack_.back());
            stack_.pop_back();
            if (!flush(group))
                return false;
            if (!group.any)
                return fail(MassError::EmptyGroup, group.at,
                            std::string(text_.substr(group.at, t.end - group.at)));
            Frame &outer = stack_.back();
            if (!flush(outer))
                return false;
            outer.last = std::move(group.atoms);
            outer.hasLast = true;
            outer.any = true;
            ++i;
            continue;
        }
        if (isSeparator(c)) {
            if (stack_.size() > 1)
                return fail(MassError::SeparatorInGroup, t.at, toUtf8(c));
            if (!f.any)
                return fail(afterSeparator_ ? MassError::MissingAfterSeparator
                                            : MassError::UnexpectedCharacter,
                            t.at, toUtf8(c));
            if (!closeSection(t.at))
                return false;
            afterSeparator_ = true;
            separatorAt_ = t.at;
            sectionStart = true;
            ++i;
            continue;
        }
        if (isBond(c) || c == U'+') {
            if (!flush(f))
                return false;
            ++i;
            continue;
        }
        return fail(MassError::UnexpectedCharacter, t.at, toUtf8(c));
    }
    if (stack_.size() > 1)
        return fail(MassError::UnclosedParenthesis, stack_.back().at, toUtf8(stack_.back().open));
    return closeSection(text_.size());
}

MolarMass Reader::run()
{
    bool blank = true;
    for (char ch : text_)
        blank = blank && (ch == ' ' || ch == '\t');
    if (blank) {
        fail(MassError::Empty, 0);
        return result_;
    }
    if (!tokenize() || !body())
        return result_;
    if (total_.empty()) {
        fail(MassError::NoElement, 0);
        return result_;
    }
    double mass = 0;
    for (const auto &[z, n] : total_) {
        if (n == 0)
            continue;
        result_.atoms[z] = n;
        // Every symbol read was found with a weight.
        mass += double(n) * *elementByNumber(z)->weight;
    }
    if (!std::isfinite(mass) || mass > 1e12) {
        fail(MassError::TooLarge, 0);
        return result_;
    }
    result_.value = mass;
    return result_;
}

} // namespace

MolarMass molarMass(std::string_view formula)
{
    return Reader(formula).run();
}

std::string MolarMass::message() const
{
    const std::string &d = detail;
    switch (error) {
    case MassError::None:
        return {};
    case MassError::Empty:
        return "formule vide";
    case MassError::UnknownSymbol:
        return "symbole inconnu : " + d;
    case MassError::NoStandardWeight:
        return "pas de masse atomique standard pour " + d;
    case MassError::UnclosedParenthesis:
        return "parenthèse non fermée : " + d;
    case MassError::UnexpectedClosing:
        return "parenthèse fermante sans ouvrante : " + d;
    case MassError::MismatchedClosing:
        return "parenthèse fermante " + d;
    case MassError::EmptyGroup:
        return "parenthèses vides : " + d;
    case MassError::CountWithoutSymbol:
        return "indice sans symbole devant : " + d;
    case MassError::CountNotNumber:
        return "indice non numérique : " + d;
    case MassError::ZeroCount:
        return "indice nul : " + d;
    case MassError::CountTooLarge:
        return "indice trop grand : " + d;
    case MassError::LeadingCoefficient:
        return "nombre devant la formule : " + d;
    case MassError::CountAfterState:
        return "indice après un état ou un degré d'oxydation : " + d;
    case MassError::MissingAfterSeparator:
        return "formule manquante après le séparateur de l'hydrate";
    case MassError::SeparatorInGroup:
        return "séparateur d'hydrate entre parenthèses : " + d;
    case MassError::Mixture:
        return "mélange : pas de masse molaire unique";
    case MassError::Isotope:
        return "nombre de masse " + d + " : la masse de cet isotope n'est pas dans la table";
    case MassError::BadSuperscript:
        return "exposant illisible : " + d;
    case MassError::DanglingMarker:
        return "marque d'indice ou d'exposant sans caractère : " + d;
    case MassError::UnexpectedCharacter:
        return "caractère inattendu : " + d;
    case MassError::NoElement:
        return "aucun symbole d'élément";
    case MassError::TooLarge:
        return "masse trop grande";
    }
    return {};
}

std::optional<double> readMolarMassText(std::string_view text)
{
    // The number, its decimal point read as the comma; then only the unit.
    std::size_t i = text.find_first_not_of(" \t");
    if (i == std::string_view::npos)
        return std::nullopt;
    std::string number;
    if (text[i] == '-')
        number += text[i++];
    bool point = false;
    for (; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch >= '0' && ch <= '9') {
            number += ch;
        } else if ((ch == ',' || ch == '.') && !point) {
            point = true;
            number += ',';
        } else {
            break;
        }
    }
    i = std::min(text.find_first_not_of(" \t", i), text.size());
    if (i < text.size() && text[i] != 'g')
        return std::nullopt;
    return readDecimalComma(number);
}

bool massesDisagree(double stored, double computed, double tolerance)
{
    return !(std::fabs(stored - computed) <= tolerance * std::fabs(computed));
}

std::string formatMolarMass(double value)
{
    char buffer[64];
    const int decimals = std::fabs(value) < 10 ? 3 : 2;
    // Halves round up as written: 55.845 is held as 55.84499..., and is 55,85.
    const double nudged = value + std::copysign(std::fabs(value) * 1e-12, value);
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, nudged, std::chars_format::fixed, decimals);
    if (ec != std::errc())
        return {};
    std::string s(buffer, end);
    for (char &ch : s) {
        if (ch == '.')
            ch = ',';
    }
    return s;
}

} // namespace cards
