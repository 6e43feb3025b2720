// The engine's bounded polls (engine/poll_policy.h) with another pause for as long as the object
// lives, the pause before it given back at the end, also after a failed assertion. The attempts
// stay 20: with the short pause a wait that is meant to run out is over in about half a second.
#pragma once

#include "engine/poll_policy.h"
#include "engine/testing_seams.h"

namespace testsupport {

constexpr unsigned kShortPollPauseMs = 20;

class PollPause {
 public:
  explicit PollPause(unsigned pauseMs = kShortPollPauseMs) : before_(GetPollPolicy().pauseMs) {
    SetPollPauseForTesting(pauseMs);
  }
  ~PollPause() { SetPollPauseForTesting(before_); }
  PollPause(const PollPause&) = delete;
  PollPause& operator=(const PollPause&) = delete;

 private:
  unsigned before_;
};

}  // namespace testsupport
