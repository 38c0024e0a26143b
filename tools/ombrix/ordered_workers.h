// Members made on worker threads and handed over in their order, so that the output is the same
// however many threads made it and whichever finished first.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>

#include "ombrix/member_record.h"

struct OrderedWork {
  size_t count = 0;
  unsigned threads = 1;
  // make(i) runs on a worker thread; what it throws is thrown again by RunOrdered when member i's
  // turn comes. Once stopping is set, nothing it makes will be taken, and it may give up early
  // by throwing anything.
  std::function<MemberRecord(size_t index, const std::atomic<bool>& stopping)> make;
  // take(i, member) runs on the calling thread, for i from 0 up.
  std::function<void(size_t index, MemberRecord&& member)> take;
  // Runs on the calling thread now and then while it waits for the next member.
  std::function<void()> waiting;
};

// Runs the work; members are made at most a few ahead of the one being taken, so that memory
// stays bounded however many there are. Whatever throws, every worker has stopped when this
// returns or throws.
void RunOrdered(const OrderedWork& work);
