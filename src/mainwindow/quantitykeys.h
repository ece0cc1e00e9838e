#pragma once

#include <QChar>

// What a key typed in a quantity box Text3(k) does.
struct QuantityKey {
    enum Action {
        Refuse,   // nothing is inserted
        Accept,   // the key goes to the box as typed
        Insert,   // `character` is inserted in place of the key
        Miscible, // the whole text becomes "miscible"
    };
    Action action = Refuse;
    QChar character;
};

// The key filter of the quantity boxes: digits, ",", "-" and backspace are
// accepted, "." becomes ",", and in a box that may hold "miscible" (the
// solubility's) "m" or "M" writes "miscible". Every other character is refused.
QuantityKey filterQuantityKey(QChar typed, bool miscible);
