#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

// Where the loader finds the S-record text stored under a resource id. The program looks in the
// texts it carries; tests hand it texts of their own.
using ImageResourceFinder = std::function<std::optional<std::span<const uint8_t>>(int32_t resourceId)>;

// The text carried in the program under the resource id, or nothing when there is none.
std::optional<std::span<const uint8_t>> FindImageResource(int32_t resourceId);
