#include "watch/watch_server.h"

namespace quorvel::watch {

bool read_watch_address(const std::string& text, std::string& address, int& port) {
  address = "127.0.0.1";
  std::string number = text;
  const std::size_t colon = text.rfind(':');
  if (colon != std::string::npos) {
    address = text.substr(0, colon);
    number = text.substr(colon + 1);
    if (address.size() >= 2 && address.front() == '[' && address.back() == ']')
      address = address.substr(1, address.size() - 2);
    if (address.empty()) return false;
  }
  if (number.empty() || number.size() > 5 ||
      number.find_first_not_of("0123456789") != std::string::npos)
    return false;
  port = std::stoi(number);
  return port <= 65535;
}

}  // namespace quorvel::watch
