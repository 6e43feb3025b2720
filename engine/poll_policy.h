// The bounded poll of every wait for another process: a search repeated after a pause a fixed
// number of times, in one place so that tests run the same waits with a shorter pause.
#pragma once

// Every bounded wait pauses this long between looks, this many times: about 10 seconds at most.
constexpr unsigned kPollPauseMs = 500;
constexpr int kPollAttempts = 20;

struct PollPolicy {
  unsigned pauseMs;  // sleep before each new search
  int attempts;      // searches before the wait gives up
};

// kPollPauseMs and kPollAttempts, unless a test has set a shorter pause.
const PollPolicy& GetPollPolicy();
