#pragma once

#include <string>
#include <vector>

namespace quorvel::arena {

// The processes of one run spread over a cluster with MPI (mpirun, or srun in a Slurm
// allocation). Each rank plays its share of the games and every rank sees every result, so
// all ranks follow the same course; rank 0 alone writes files and progress. A process
// started otherwise, or built without MPI, is a cluster of one.
class Cluster {
 public:
  // Joins the MPI job the process was started in, if it was.
  Cluster();
  ~Cluster();
  Cluster(const Cluster&) = delete;
  Cluster& operator=(const Cluster&) = delete;

  int rank() const { return rank_; }
  int size() const { return size_; }
  bool leads() const { return rank_ == 0; }

  // Each rank's text, in rank order, on every rank.
  std::vector<std::string> gather_all(const std::string& mine) const;
  // Rank 0's decision, on every rank: what depends on the clock must not part the ranks.
  bool leader_decides(bool decision) const;

  // Stops every rank of the run with the message and exit status 2.
  [[noreturn]] void stop_all(const std::string& why) const;

  // Whether this build can join MPI jobs at all.
  static bool built_with_mpi();

 private:
  int rank_ = 0;
  int size_ = 1;
  bool joined_ = false;
};

}  // namespace quorvel::arena
