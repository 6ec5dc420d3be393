#include "platform/Signals.h"

#include <pthread.h>
#include <signal.h>

#include <thread>

namespace Velmarin {

void HandleStopSignals(std::function<void(int)> onSignal) {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  std::thread([set, onSignal]() {
    int sig = 0;
    if (sigwait(&set, &sig) == 0 && onSignal) onSignal(sig);
  }).detach();
}

}  // namespace Velmarin
