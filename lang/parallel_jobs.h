// Runs a fixed number of independent jobs, numbered 0..count-1, on worker threads (once
// Start has been called) while the calling thread goes on with other work; Finish lets the
// calling thread take the jobs not yet begun and waits until every job has ended.
//
// Each job number is taken exactly once, through an atomic counter, by whichever thread
// gets to it first; a job touches only what belongs to its number. Everything the jobs
// wrote is visible to the calling thread once Finish has returned (the threads are joined).
// Without Start, or when no thread can be started, the jobs simply all run in Finish.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <thread>
#include <vector>

namespace lang {

class ParallelJobs {
public:
    // job(number, lane): lane 0 is the calling thread (in Finish), lanes 1..workers the
    // worker threads, so that a job can use buffers of its own lane. A job must not throw.
    using Job = std::function<void(size_t number, size_t lane)>;

    ParallelJobs(size_t count, Job job);
    ~ParallelJobs();  // Finish()
    ParallelJobs(const ParallelJobs&) = delete;
    ParallelJobs& operator=(const ParallelJobs&) = delete;

    // Starts up to workers threads on the jobs not yet begun. Nothing happens after Finish.
    void Start(size_t workers);

    // Runs the jobs that no thread has begun on the calling thread, then waits for the
    // workers. Call Start and Finish from the thread that created the object.
    void Finish();

private:
    void Drain(size_t lane);

    const size_t count_;
    const Job job_;
    std::atomic<size_t> next_{0};
    std::vector<std::thread> threads_;
    bool finished_ = false;  // only the creating thread reads and writes it
};

}  // namespace lang
