#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace velmora {

// Work of a few of the system's calls on each file of a folder: taken 64
// files at a time, and worth a second thread from 512 (a thread costs more
// than a phone's worth of files).
inline constexpr std::size_t kFilesPerTurn = 64;
inline constexpr std::size_t kFilesWorthAThread = 512;

// Calls work(i) for every i below `count`, on this thread and, when there
// are at least `worthAThread` items, on up to `threads - 1` more. Items are
// taken `perTurn` at a time, in no set order, so work on one item must not
// touch another's. The first exception thrown by any call is rethrown once
// all threads are done. Two threads by default: the work given here (the
// system's calls on one folder's files) takes turns at that folder's lock,
// so a third mostly waits, and on a single core the second costs little.
// Work that waits on the disk rather than the lock may take more.
template <typename Work>
void InParallel(std::size_t count, std::size_t perTurn, std::size_t worthAThread, const Work& work,
                std::size_t threads = 2) {
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
    std::mutex failureLock;
    const auto takeTurns = [&] {
        try {
            for (std::size_t start = next.fetch_add(perTurn); start < count;
                 start = next.fetch_add(perTurn)) {
                const std::size_t end = std::min(count, start + perTurn);
                for (std::size_t i = start; i < end; ++i)
                    work(i);
            }
        } catch (...) {
            const std::lock_guard lock(failureLock);
            if (!failure) failure = std::current_exception();
        }
    };
    {
        std::vector<std::jthread> helpers;
        const std::size_t more = count >= worthAThread ? std::min(threads, count) - 1 : 0;
        for (std::size_t h = 0; h < more; ++h) {
            try {
                helpers.emplace_back(takeTurns);
            } catch (const std::system_error&) {
                break;  // no more threads to be had: fewer do it all
            }
        }
        takeTurns();
    }
    if (failure) std::rethrow_exception(failure);
}

}  // namespace velmora
