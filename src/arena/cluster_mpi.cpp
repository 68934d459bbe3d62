#include <mpi.h>

#include <cstdio>
#include <cstdlib>

#include "arena/cluster.h"

namespace quorvel::arena {

namespace {

// Launchers say so in the environment: OpenMPI's mpirun, PMIx (srun --mpi=pmix, OpenMPI
// 4 and later), PMI (MPICH, srun --mpi=pmi2). Without one of them MPI_Init would make a
// job of one anyway, at a cost and with noise on some machines: a plain start stays plain.
bool started_by_a_launcher() {
  for (const char* name : {"OMPI_COMM_WORLD_SIZE", "PMIX_RANK", "PMI_RANK", "PMI_SIZE"}) {
    if (std::getenv(name) != nullptr) return true;
  }
  return false;
}

}  // namespace

Cluster::Cluster() {
  if (!started_by_a_launcher()) return;
  int ready = 0;
  MPI_Initialized(&ready);
  if (!ready) MPI_Init(nullptr, nullptr);
  joined_ = true;
  MPI_Comm_rank(MPI_COMM_WORLD, &rank_);
  MPI_Comm_size(MPI_COMM_WORLD, &size_);
}

Cluster::~Cluster() {
  if (joined_) MPI_Finalize();
}

std::vector<std::string> Cluster::gather_all(const std::string& mine) const {
  if (size_ == 1) return {mine};
  const int length = static_cast<int>(mine.size());
  std::vector<int> lengths(static_cast<std::size_t>(size_));
  MPI_Allgather(&length, 1, MPI_INT, lengths.data(), 1, MPI_INT, MPI_COMM_WORLD);
  std::vector<int> starts(static_cast<std::size_t>(size_));
  int total = 0;
  for (int r = 0; r < size_; ++r) {
    starts[static_cast<std::size_t>(r)] = total;
    total += lengths[static_cast<std::size_t>(r)];
  }
  std::string all(static_cast<std::size_t>(total), '\0');
  MPI_Allgatherv(mine.data(), length, MPI_CHAR, all.data(), lengths.data(), starts.data(), MPI_CHAR,
                 MPI_COMM_WORLD);
  std::vector<std::string> texts;
  for (int r = 0; r < size_; ++r) {
    texts.push_back(all.substr(static_cast<std::size_t>(starts[static_cast<std::size_t>(r)]),
                               static_cast<std::size_t>(lengths[static_cast<std::size_t>(r)])));
  }
  return texts;
}

bool Cluster::leader_decides(bool decision) const {
  if (size_ == 1) return decision;
  int value = decision ? 1 : 0;
  MPI_Bcast(&value, 1, MPI_INT, 0, MPI_COMM_WORLD);
  return value != 0;
}

void Cluster::stop_all(const std::string& why) const {
  std::fprintf(stderr, "quorvel-arena: rank %d: %s\n", rank_, why.c_str());
  if (joined_) MPI_Abort(MPI_COMM_WORLD, 2);
  std::exit(2);
}

bool Cluster::built_with_mpi() {
  return true;
}

}  // namespace quorvel::arena
