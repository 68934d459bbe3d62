// The local game server's entry: "adjudicate" runs one phase from standard input.
#include <cstring>
#include <iostream>

#include "rules/adjudicate_command.h"

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "adjudicate") == 0) {
    return quorvel::rules::run_adjudicate(std::cin, std::cout, std::cerr);
  }
  std::cerr << "usage: quorvel-server adjudicate < phase.txt\n"
               "  reads a NOW line, an SCO line and SUB lines; writes the ORD lines of the\n"
               "  phase, then the next SCO and NOW (or SLO) lines\n";
  return 2;
}
