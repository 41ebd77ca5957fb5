#include "lang/parallel_jobs.h"

#include <system_error>
#include <utility>

namespace lang {

ParallelJobs::ParallelJobs(size_t count, Job job) : count_(count), job_(std::move(job)) {}

void ParallelJobs::Start(size_t workers) {
    if (finished_ || !threads_.empty()) {
        return;
    }
    if (workers > count_) {
        workers = count_;
    }
    threads_.reserve(workers);
    for (size_t lane = 1; lane <= workers; ++lane) {
        try {
            threads_.emplace_back([this, lane] { Drain(lane); });
        } catch (const std::system_error&) {
            break;  // the threads started so far and Finish do the work
        }
    }
}

ParallelJobs::~ParallelJobs() {
    Finish();
}

void ParallelJobs::Drain(size_t lane) {
    for (size_t n = next_.fetch_add(1); n < count_; n = next_.fetch_add(1)) {
        job_(n, lane);
    }
}

void ParallelJobs::Finish() {
    finished_ = true;
    Drain(0);
    for (std::thread& t : threads_) {
        if (t.joinable()) {
            t.join();
        }
    }
    threads_.clear();
}

}  // namespace lang
