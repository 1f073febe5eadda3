// The monkey from the command line:
//
//   monkey [--seeds N] [--first F] [--steps M]   N seeds from F (1), M steps each (200)
//   monkey --seed S [--steps M] [--keep 3,17,40] one seed, or some of its steps
//          [--trace]                             print each step as it runs
//          [--shrink]                            shrink a failure to the steps that matter
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "monkey.h"

namespace {

std::vector<int> ParseList(const char* Text) {
  std::vector<int> out;
  for (const char* p = Text; *p;) {
    char* end = nullptr;
    out.push_back(static_cast<int>(std::strtol(p, &end, 10)));
    if (end == p) break;
    p = *end == ',' ? end + 1 : end;
  }
  return out;
}

int Usage() {
  std::fprintf(stderr,
               "usage: monkey [--seeds N] [--first F] [--steps M] [--seed S] [--keep i,j,...] [--trace] "
               "[--shrink]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  monkey::InstallCrashReport();
  long long first = 1, seeds = 100;
  monkey::TRunOptions options;
  bool shrink = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool more = i + 1 < argc;
    if (a == "--seeds" && more) {
      seeds = std::atoll(argv[++i]);
    } else if (a == "--first" && more) {
      first = std::atoll(argv[++i]);
    } else if (a == "--seed" && more) {
      first = std::atoll(argv[++i]);
      seeds = 1;
    } else if (a == "--steps" && more) {
      options.Steps = std::atoi(argv[++i]);
    } else if (a == "--keep" && more) {
      options.Keep = ParseList(argv[++i]);
    } else if (a == "--trace") {
      options.Trace = true;
    } else if (a == "--shrink") {
      shrink = true;
    } else {
      return Usage();
    }
  }
  const auto start = std::chrono::steady_clock::now();
  long long evil = 0, raised = 0, handled = 0;
  for (long long s = first; s < first + seeds; ++s) {
    options.Seed = static_cast<std::uint64_t>(s);
    if (options.Trace) std::printf("seed %lld\n", s);
    if (shrink) {
      // Each seed runs apart first, so that a crash (a sanitizer report) can be shrunk too.
      if (!monkey::FailsApart(options)) continue;
      std::printf("monkey: seed %lld fails; shrinking (each trial runs apart)...\n", s);
      std::fflush(stdout);
      monkey::TRunOptions shrunk = options;
      shrunk.Keep = monkey::Shrink(options, options.Steps - 1);
      shrunk.Steps = shrunk.Keep.back() + 1;
      std::printf("  shrunk to %zu steps: %s\n  they run as:\n", shrunk.Keep.size(),
                  monkey::ReplayCommand(shrunk, -1).c_str());
      std::fflush(stdout);
      shrunk.Trace = true;
      const monkey::TRunResult again = monkey::RunSeed(shrunk);
      std::printf("  %s\n", again.Ok ? "(the shrunk steps pass here)" : again.Message.c_str());
      return 1;
    }
    const monkey::TRunResult r = monkey::RunSeed(options);
    evil += r.EvilRuns;
    raised += r.Raised;
    handled += r.Handled;
    if (r.Ok) continue;
    std::printf("monkey: seed %lld failed at step %d: %s\n  replay: %s\n  shrink: %s --shrink\n", s,
                r.FailedStep, r.Message.c_str(), monkey::ReplayCommand(options, r.FailedStep).c_str(),
                monkey::ReplayCommand(options, r.FailedStep).c_str());
    return 1;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf(
      "monkey: %lld seeds x %d steps from seed %lld held (%.1f s); %lld evil handler runs, %lld errors "
      "raised to the monkey, %lld handled by the application\n",
      seeds, options.Steps, first, seconds, evil, raised, handled);
  return 0;
}
