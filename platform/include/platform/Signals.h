// Orderly stop of a server process on SIGINT / SIGTERM.
#pragma once

#include <functional>

namespace Velmarin {

// Blocks SIGINT and SIGTERM in the calling thread (call it before starting any other thread,
// so every thread inherits the mask) and starts a thread that runs onSignal once when one
// of them arrives.
void HandleStopSignals(std::function<void(int)> onSignal);

}  // namespace Velmarin
