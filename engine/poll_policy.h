// The bounded poll used by every wait for another process: a search, repeated after a pause, a
// fixed number of times. Kept in one place so that tests run the same waits with a shorter pause.
#pragma once

struct PollPolicy {
  unsigned pauseMs;  // sleep before each new search
  int attempts;      // searches before the wait gives up
};

// 500 ms and 20 attempts: no wait lasts longer than about 10 seconds.
const PollPolicy& GetPollPolicy();
