#pragma once

class feuilleP;
class Modules;

// Gives the main window's buttons the windows of the other parts of the
// application: calculator, print dialog, card picture copy, publishing and
// download. The printer is made at the first print (the printing system is
// slow to start) and kept for the whole run, so that the printer chosen once
// holds for the next print. The publishing and download windows come from the
// network module, loaded when first opened.
void connectWindows(feuilleP &window, Modules &modules);
