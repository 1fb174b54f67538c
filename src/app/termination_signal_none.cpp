#include "app/termination_signal.h"

namespace z2o {

// No termination signal to catch on this system.
void closeOnTerminationSignal(QWidget&) {}

}  // namespace z2o
