// The files of the announcement feed: the cache Sup/Ad.his in the program folder and
// Upgrade.his. Only regular files directly in Sup/ are ever removed; nothing is followed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/datetime.h"
#include "online/feed.h"

namespace tobu {

// "<appDir>Sup/" and "<appDir>Sup/Ad.his" (appDir ends in "/").
std::string SupFolder(const std::string& appDir);
std::string AdCachePath(const std::string& appDir);

// Creates Sup/ when missing (the program folder must exist). False when it cannot.
bool EnsureSupFolder(const std::string& appDir);

// The cache's lines; nothing when there is no readable regular file (a cache larger than
// twice the feed limit is not read either).
std::optional<std::vector<std::string>> ReadAdCache(const std::string& appDir);

// What the check reads from the cache's first line ("" and 3 without a cache).
FeedHeader CachedHeader(const std::optional<std::vector<std::string>>& cache);

// Replaces the cache: a temporary file is written in Sup/ (created when missing) and renamed
// over Ad.his, then every other regular file directly in Sup/ is deleted (folders, symbolic
// links and special files stay; nothing is entered). Sup/ itself must be a real folder, not a
// link. False, with the old cache kept, when the temporary file cannot be written.
bool WriteAdCache(const std::string& appDir, const std::string& text);

// Rewrites Upgrade.his in the program folder with the moment, atomically.
bool WriteUpgradeHis(const std::string& appDir, TDateTime now);

} // namespace tobu
