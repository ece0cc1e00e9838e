#pragma once

class QPrinter;
class feuilleP;

// Gives the main window's buttons the windows of the other parts of the
// application: calculator, print dialog, card picture copy, publishing and
// download. `printer` is kept by the caller for the whole run, so that the
// printer chosen once holds for the next print.
void connectWindows(feuilleP &window, QPrinter &printer);
