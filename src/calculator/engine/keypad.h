#pragma once

#include <string>
#include <string_view>

namespace calculator
{

// Display formats of a value: the number text preceded by a space when the
// value is not negative (" 98", "-2"), or "#.#######E+00" with a "." whatever
// the locale (1.2345E+04).
std::string standardText(double value);
std::string scientificText(double value);

inline constexpr std::string_view kPatience = "    Patience... Calculs en cours.     ";
inline constexpr std::string_view kDepassement = "Dépassement de capacité";

// The message shown for an evaluator code other than success.
std::string_view errorMessage(int code);

enum class Format { Scientific, Standard };

// What the calculator's keys do to the expression being typed (`saisie`), the
// display, the last answer and the memory. The window only forwards clicks and
// keys here and shows `display()`.
class Keypad
{
public:
    // `memoire` outlives the window: it is kept for the whole run.
    explicit Keypad(double &memoire);

    void append(std::string_view text);    // digits, ".", prefixes, ")", RM
    void function(std::string_view text);  // "sin ", "(", "1 / "... with implicit " * "
    void operation(std::string_view text); // " * ", " / ", " + ", going on from ANS
    void power(std::string_view text);     // " ^ ", " ^ 2", going on from ANS
    void minus();                          // " - " or a sign
    void ans();
    void effacer(); // the left arrow: last character, operator or function word
    void raz();     // AC
    void memoryAdd();
    void memorySubtract();
    void memoryClear();
    void memoryRecall();

    // EXE. True when the result is an error and the beep must sound.
    bool exe();

    // A click on "Scientifique" or "Standard".
    void chooseFormat(Format format);
    void chooseAngle(int angle) { angle_ = angle; }

    // A key of the window, by its control name ("B7", "bsin", "multip"...);
    // false for a name that is not a key. EXE is left to exe().
    bool press(std::string_view key);

    // The keyboard, a character as typed: digits, "." or the French decimal
    // comma, operators, brackets, and the functions' names ("sin", "asin" or
    // "arcsin", "ln", "log", "exp", "racine" or "sqrt", "pi"), whose letters
    // wait until the name is whole; "e" or "E" not followed by a name's
    // letters, and "d" or "D", are the exponent's "E". False for a character
    // the calculator does not take: hint() says so, and nothing changes.
    // Enter is EXE, which the window runs itself (it shows the waiting text
    // first).
    bool keyPress(char32_t c);

    // What the last key, character or EXE left unsaid: a character refused,
    // or letters typed that name no function (dropped). Empty when none.
    const std::string &hint() const { return hint_; }

    const std::string &saisie() const { return saisie_; }
    const std::string &reponse() const { return reponse_; }
    int erreur() const { return erreur_; }
    const std::string &display() const { return display_; }
    Format format() const { return format_; }
    int angle() const { return angle_; }
    double memoire() const { return memoire_; }

private:
    void show() { display_ = saisie_ + pending_; }
    // The letters typed so far take effect: "e" alone as the exponent's "E";
    // letters that name no function are dropped, and hint() says so.
    void settlePending();

    double &memoire_;
    std::string saisie_;
    std::string reponse_;
    int erreur_ = 0;
    std::string display_;
    std::string pending_; // letters of a function's name being typed
    std::string hint_;
    Format format_ = Format::Standard;
    int angle_ = 0;
};

} // namespace calculator
