#pragma once

class QDialog;

// The frame every setup dialog gets: a title bar with the close button
// only (a dialog is neither minimised nor maximised), room for its title,
// and no size below the one that shows its labels whole.
namespace DialogFrame {

// Call once the dialog has its title and layout.
void Apply(QDialog& dialog);

} // namespace DialogFrame
