#pragma once

#include <string>

class CPortHandler;

// A port's line that the operator must see even when nobody watches the
// port's window: it goes to the port's window as "NAME: text" and to the
// main window too (standard error, and so the journal, without a screen).
void TellOperator(CPortHandler& port, const std::string& text);
