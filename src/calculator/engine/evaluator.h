#pragma once

#include <string>

namespace calculator
{

// Outcome of an evaluation, as the calculator window shows it.
enum Code : int {
    kSuccess = 0,
    kFailed = 1,         // the computation failed ("Calcul impossible")
    kParentheses = 2,    // unbalanced parentheses
    kMissingOperand = 3, // "*", "/" or "^" without a right operand
};

// Angle unit of sine, cosine, tangent and their inverses.
enum Angle : int {
    kDegrees = 0,
    kRadians = 1,
};

// Evaluates a calculator expression by rewriting its text: each step replaces
// one function call, one innermost parenthesised group or one infix operation
// by the number text of its value, until one number is left. Every routine
// works on the text in place; the counters describe the text last counted.
//
// Expression text: numbers (digits, one ".", "E" with an optional sign),
// infix operators " + ", " - ", " * ", " / ", " ^ " ("^" first, then "/", "*",
// "-", "+", each from the left; a "-" written before a number belongs to it),
// parentheses, and function words SIN COS TAN INVSIN INVCOS INVTAN LOG LN EXP
// SQR followed by their argument, in any case.
class Evaluator
{
public:
    // On success returns kSuccess and leaves the value's number text in
    // `expression` (empty for an empty expression). Otherwise returns the code
    // and leaves whatever the rewriting had reached.
    int evalue(std::string &expression, int angle);

    // The rewriting steps, in the order evalue runs them.
    void simplifie(std::string &text);
    void separetermes(std::string &text);
    int verifie(const std::string &text) const;
    void compte(const std::string &text);
    void calculefonctions(std::string &text, int angle);
    void calculeparentheses(std::string &text);
    void calculeoperations(std::string &text);

    int nbpar = 0;  // number of "("
    int nbfonc = 0; // number of function tokens
    int nbop = 0;   // number of infix operators

    // Set by a step whose computation failed (domain, division by zero,
    // overflow, an operand missing, a group not closed); evalue then gives kFailed.
    bool failed = false;

private:
    std::string padded_; // separetermes' working texts, kept to spare allocations
    std::string spaced_;
};

} // namespace calculator
