#include "platform/program_run.h"

namespace quorvel::platform {

std::string ProgramEnd::text() const {
  return (signalled ? "signal " : "exited ") + std::to_string(number);
}

std::unique_ptr<ProgramRun> ProgramRun::start(const std::string&, const std::string&,
                                              std::string& error) {
  error = "outside programs are started on POSIX systems only";
  return nullptr;
}

ProgramRun::~ProgramRun() = default;

void ProgramRun::forget() {}

std::optional<ProgramEnd> ProgramRun::poll() {
  return end_;
}

ProgramEnd ProgramRun::stop(std::chrono::milliseconds) {
  return end_.value_or(ProgramEnd{});
}

void stop_all_programs() {}

}  // namespace quorvel::platform
