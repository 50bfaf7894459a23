#pragma once

// Checks the journal's storage must pass on every platform; the POSIX and the Windows tests
// run them on their own FolderStorage.
#include <gtest/gtest.h>

#include <cstdint>
#include <future>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/FolderStorage.h"

inline std::span<const uint8_t> BytesOf(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

inline std::string Text(const std::vector<uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

// Two instances reserving the same name in the same instant, `rounds` times: each gets a file of
// its own under one of the two names, holding what it wrote. `readBack(path, lock)` reads a file
// the way the platform allows while (or after) its lock is held.
template <class ReadBack>
void ExpectTheSameNameReservedAtOnceGivesAFileEach(FolderStorage& first, FolderStorage& second, int rounds,
                                                   ReadBack readBack) {
    for (int round = 0; round < rounds; ++round) {
        const std::string stem = "20261210-130603-unknown-vin-" + std::to_string(round);
        std::string paths[2], reasons[2];
        std::unique_ptr<StorageLock> locks[2];
        // Both threads wait for one start. (Not std::latch: the MinGW build's atomic wait under it
        // can miss its wake-up and hang.)
        std::promise<void> go;
        const std::shared_future<void> start = go.get_future().share();
        auto reserve = [&](int i, FolderStorage& storage) {
            start.wait();
            locks[i] = storage.CreateLocked(stem, ".journal", BytesOf(std::to_string(i)), paths[i], reasons[i]);
        };
        std::thread one(reserve, 0, std::ref(first));
        std::thread two(reserve, 1, std::ref(second));
        go.set_value();
        one.join();
        two.join();
        ASSERT_TRUE(locks[0] && locks[1]) << reasons[0] << reasons[1];
        ASSERT_NE(paths[0], paths[1]);
        for (int i : {0, 1}) {
            EXPECT_TRUE(paths[i] == first.PathOf(stem + ".journal") || paths[i] == first.PathOf(stem + "-2.journal"));
            EXPECT_EQ(readBack(paths[i], locks[i]), std::to_string(i));
        }
    }
}
