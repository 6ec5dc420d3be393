// The commands the channel engines announce on "Lumaren/local/RADALTSC": "create,<n>" when
// an engine is ready to be used, "destroy,<n>" when it leaves.
#pragma once

#include <cstdlib>
#include <string>

namespace Velmarin {

struct DDS_ChannelCommand {
  enum class Verb { Invalid, Create, Destroy };
  Verb verb = Verb::Invalid;
  // The channel number; meaningful when verb is not Invalid.
  int channel = 0;

  // Reads text as a whole, every byte of its length: the verb, one comma and a decimal number
  // of at most nine digits with nothing after it ("create,2junk", "destroy,", "destroy,abc",
  // "create, 2", "create,-1" and a text holding a NUL or any other control character are
  // Invalid). Whether the number names a channel is the receiver's business.
  static DDS_ChannelCommand Parse(const std::string& text) {
    DDS_ChannelCommand c;
    Verb verb;
    std::string number;
    if (text.rfind("create,", 0) == 0) {
      verb = Verb::Create;
      number = text.substr(7);
    } else if (text.rfind("destroy,", 0) == 0) {
      verb = Verb::Destroy;
      number = text.substr(8);
    } else {
      return c;
    }
    if (number.empty() || number.size() > 9 || number.find_first_not_of("0123456789") != std::string::npos)
      return c;
    const long n = std::strtol(number.c_str(), nullptr, 10);
    c.verb = verb;
    c.channel = static_cast<int>(n);
    return c;
  }
};

// A text received over DDS as a log line shows it: its first 80 bytes, a control character
// as "\xNN" (a payload cannot forge or break a line), and "... (<size> bytes)" after a text that
// was cut.
inline std::string DDS_LogText(const std::string& text) {
  constexpr std::string::size_type kShown = 80;
  static const char kHex[] = "0123456789ABCDEF";
  std::string shown;
  for (std::string::size_type i = 0; i < text.size() && i < kShown; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7f) {
      shown += "\\x";
      shown += kHex[c >> 4];
      shown += kHex[c & 0xf];
    } else {
      shown += static_cast<char>(c);
    }
  }
  if (text.size() > kShown) shown += "... (" + std::to_string(text.size()) + " bytes)";
  return shown;
}

}  // namespace Velmarin
