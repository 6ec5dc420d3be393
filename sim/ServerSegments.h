// What the clients of this process sent it, as the kernel counts it.
#pragma once

namespace radaltsim {

// Data segments received on the connections the process's listening TCP sockets accepted.
// On loopback every GIOP message a client sends (a request, a LocateRequest) is one segment.
// Connections closed in the meantime no longer count.
unsigned long ServerSegmentsReceived();

}  // namespace radaltsim
