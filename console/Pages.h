// The console's page set, compiled into the program from www/.
#pragma once

#include <cstddef>

namespace radaltconsole {

struct Page {
  const char* path;
  const char* type;
  const char* body;
};

// Every page, with its path ("/index.html") and content type.
const Page* ConsolePages(std::size_t& count);

}  // namespace radaltconsole
