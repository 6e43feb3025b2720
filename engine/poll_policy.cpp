#include "engine/poll_policy.h"

#include "engine/testing_seams.h"

namespace {

constexpr unsigned kPauseMs = 500;
constexpr int kAttempts = 20;

// Written by tests before the waits they exercise; read by the waiting thread only.
PollPolicy policy = {kPauseMs, kAttempts};

}  // namespace

const PollPolicy& GetPollPolicy() { return policy; }

void SetPollPauseForTesting(unsigned pauseMs) { policy.pauseMs = pauseMs; }
