#include "check/check.h"
#include "support/test_game.h"

namespace tw::test {

std::pair<int, std::string> check_game(const std::filesystem::path& root, bool debug_form) {
  std::ostringstream report;
  const int status = run_check(root, debug_form, shared_assets(), report);
  return {status, report.str()};
}

}  // namespace tw::test
