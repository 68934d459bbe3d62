// quorvel-idle-player PORT: joins the game on the loopback port and never orders, so that
// the game waits at its first phase until the other players are gone. The window check
// of the Windows build plays against it.
#include <cstdio>
#include <string>

#include "support/scripted_server.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quorvel-idle-player PORT\n");
    return 2;
  }
  quorvel::testing::ScriptedClient client;
  if (!client.connect(static_cast<std::uint16_t>(std::stoi(argv[1]))) || !client.join("Idle")) {
    std::fprintf(stderr, "quorvel-idle-player: cannot join the game\n");
    return 1;
  }
  std::printf("joined\n");
  std::fflush(stdout);
  while (client.read_frame(3600 * 1000)) {
  }
  return 0;
}
