// Ending the program the way the user would when the system asks it to end (SIGTERM, as at a
// log-out).
#pragma once

class QWidget;

namespace z2o {

// Closes `window` as its frame's close button would, and a dialog or message of a running
// command as Escape would, once the termination signal arrives. Does nothing where the system
// has no such signal.
void closeOnTerminationSignal(QWidget& window);

}  // namespace z2o
