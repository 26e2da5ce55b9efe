#include "globe/imagery/imagery_worker.h"

namespace tnx::globe {

ImageryWorker::ImageryWorker(std::unique_ptr<ImageryDiskCache> cache) : cache_(std::move(cache)) {
    thread_ = std::thread([this] { run(); });
}

ImageryWorker::~ImageryWorker() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    wake_.notify_all();
    thread_.join();
}

void ImageryWorker::submit(Job job) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
        ++outstanding_;
    }
    wake_.notify_one();
}

std::vector<ImageryWorker::Result> ImageryWorker::takeResults() {
    std::lock_guard lock(mutex_);
    std::vector<Result> out;
    out.swap(results_);
    outstanding_ -= out.size();
    return out;
}

size_t ImageryWorker::outstanding() const {
    std::lock_guard lock(mutex_);
    return outstanding_;
}

void ImageryWorker::setCacheLimit(uint64_t bytes) {
    {
        std::lock_guard lock(mutex_);
        limit_ = bytes;
        limitChanged_ = true;
    }
    wake_.notify_one();
}

uint64_t ImageryWorker::decoded() const {
    std::lock_guard lock(mutex_);
    return decoded_;
}

void ImageryWorker::run() {
    if (cache_) cache_->scan();
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || limitChanged_ || !jobs_.empty(); });
            if (stopping_) return;
            if (limitChanged_) {
                limitChanged_ = false;
                const uint64_t limit = limit_;
                lock.unlock();
                if (cache_) cache_->setLimit(limit);
                continue;
            }
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        Result r = work(job);
        std::lock_guard lock(mutex_);
        if (r.answer.outcome == TileOutcome::Tile) ++decoded_;
        results_.push_back(std::move(r));
    }
}

ImageryWorker::Result ImageryWorker::work(Job& job) {
    Result r;
    r.kind = job.kind;
    r.ticket = job.ticket;
    if (job.kind == Job::Kind::Lookup) {
        r.answer.outcome = TileOutcome::Missing;
        if (!cache_) return r;
        for (size_t i = 0; i < job.names.size(); ++i) {
            auto bytes = cache_->read(job.names[i]);
            if (!bytes) continue;
            TileAnswer a = decodeTileBody(*bytes, job.tilePixels);
            if (a.outcome != TileOutcome::Tile) {
                // Damaged on disk (or never whole): dropped, fetched again.
                cache_->remove(job.names[i]);
                continue;
            }
            r.found = int(i);
            r.answer = std::move(a);
            return r;
        }
        return r;
    }
    r.answer = decodeTileBody(job.body, job.tilePixels);
    if (r.answer.outcome == TileOutcome::Tile && cache_ && !job.names.empty()) {
        r.kept = cache_->store(job.names.front(), job.body);
        if (!r.kept) r.diskError = cache_->lastError();
    }
    return r;
}

}  // namespace tnx::globe
