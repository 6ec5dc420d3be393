#include "ServerSegments.h"

#include <dirent.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

namespace radaltsim {

namespace {

// The local port of fd when it is a TCP socket (IPv4 or IPv6), with whether it listens.
bool TcpPort(int fd, int& port, bool& listening) {
  int type = 0;
  socklen_t len = sizeof type;
  if (::getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &len) != 0 || type != SOCK_STREAM) return false;
  sockaddr_storage addr{};
  len = sizeof addr;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) return false;
  if (addr.ss_family == AF_INET)
    port = ntohs(reinterpret_cast<sockaddr_in*>(&addr)->sin_port);
  else if (addr.ss_family == AF_INET6)
    port = ntohs(reinterpret_cast<sockaddr_in6*>(&addr)->sin6_port);
  else
    return false;
  int accepting = 0;
  len = sizeof accepting;
  listening = ::getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &accepting, &len) == 0 && accepting;
  return true;
}

}  // namespace

unsigned long ServerSegmentsReceived() {
  std::set<int> listeningPorts;
  std::vector<std::pair<int, int>> connections;  // fd, local port
  DIR* dir = ::opendir("/proc/self/fd");
  if (!dir) return 0;
  while (dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    const int fd = std::atoi(entry->d_name);
    int port = 0;
    bool listening = false;
    if (!TcpPort(fd, port, listening)) continue;
    if (listening)
      listeningPorts.insert(port);
    else
      connections.emplace_back(fd, port);
  }
  ::closedir(dir);
  unsigned long segments = 0;
  for (const auto& [fd, port] : connections) {
    if (!listeningPorts.count(port)) continue;  // a connection this process made to another
    tcp_info info{};
    socklen_t len = sizeof info;
    if (::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &len) == 0) segments += info.tcpi_data_segs_in;
  }
  return segments;
}

}  // namespace radaltsim
