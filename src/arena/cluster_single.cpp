// Built without MPI: always a cluster of one.
#include "arena/cluster.h"

#include <cstdio>
#include <cstdlib>

namespace quorvel::arena {

Cluster::Cluster() = default;
Cluster::~Cluster() = default;

std::vector<std::string> Cluster::gather_all(const std::string& mine) const {
  return {mine};
}

bool Cluster::leader_decides(bool decision) const {
  return decision;
}

void Cluster::stop_all(const std::string& why) const {
  std::fprintf(stderr, "quorvel-arena: %s\n", why.c_str());
  std::exit(2);
}

bool Cluster::built_with_mpi() {
  return false;
}

}  // namespace quorvel::arena
