#include "engine/poll_policy.h"

#include "engine/testing_seams.h"

namespace {

// Written by tests before the waits they exercise; read by the waiting thread only.
PollPolicy policy = {kPollPauseMs, kPollAttempts};

}  // namespace

const PollPolicy& GetPollPolicy() { return policy; }

void SetPollPauseForTesting(unsigned pauseMs) { policy.pauseMs = pauseMs; }
