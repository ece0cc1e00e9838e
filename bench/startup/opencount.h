#pragma once

// How many times this program opens the species database: every open of a
// file named ESPCHIMIQUES.ZYP goes through the `open` defined in
// opencount.cpp, which counts it and hands it to the C library's.
int databaseOpens();
